#pragma once

#include "editor/Voxel.h"
#include "skeleton/Animation.h"
#include "skeleton/SkeletonShape.h"

#include <OgreColourValue.h>
#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class EditorMode;

// One change the user can take back: what it did to the model, in order, each part with the
// state before and after. Undo replays the parts backwards, redo forwards, so a part always
// meets the model exactly as it left it. Only what changed is kept, never a copy of the model.
class UndoStep
{
public:
    // A voxel that came or went, with all it needs to come back at its place in the list and
    // in its binding group.
    struct VoxelRecord
    {
        int index = 0;
        Voxel::Cell cell;
        Ogre::ColourValue colour;
        Ogre::Vector3 nodePosition = Ogre::Vector3::ZERO;
        Ogre::Vector3 bindOffset = Ogre::Vector3::ZERO;
        int group = -1; // stick index of its binding group; -1 when unbound
        int groupPosition = 0;
    };

    struct ColourChange
    {
        int index = 0;
        Ogre::ColourValue before, after;
    };

    struct CellChange
    {
        int index = 0;
        Voxel::Cell before, after;
        Ogre::Vector3 nodeBefore = Ogre::Vector3::ZERO, nodeAfter = Ogre::Vector3::ZERO;
    };

    // The skeleton side of the model as a re-binding or a new rest pose leaves it. Voxels are
    // named by their place in the list.
    struct SkeletonState
    {
        std::vector<Ogre::Vector3> positions, oldPositions;
        std::map<float, std::vector<Ogre::Vector3>> restFrames;
        Ogre::Quaternion orientation = Ogre::Quaternion::IDENTITY;
        std::vector<Ogre::Vector3> nodes, offsets;               // per voxel
        std::vector<std::pair<int, std::vector<int>>> groups;    // stick index, voxel indices
        bool posed = false; // taken while a pose of an animation was shown

        static SkeletonState capture(EditorMode& editor);
    };

    // Kept as the difference of two states: the per-voxel parts only for the voxels that moved
    // or got a new offset, the groups only when they differ.
    struct SkeletonChange
    {
        struct Placement
        {
            int index = 0;
            Ogre::Vector3 nodeBefore, offsetBefore, nodeAfter, offsetAfter;
        };
        SkeletonState before, after; // without nodes and offsets; groups only if groupsChanged
        std::vector<Placement> placements;
        bool groupsChanged = false;

        // False when nothing a save or the screen would show differs.
        bool set(SkeletonState&& beforeState, SkeletonState&& afterState);
    };

    struct FrameChange
    {
        int animation = 0;
        float time = 0.0f;
        bool existed = false;
        bool remains = true; // false when the change removed the key frame
        std::vector<Ogre::Vector3> before, after;
    };

    struct SettingsChange
    {
        int animation = 0;
        Animation::Settings before, after;
    };

    enum class Kind : unsigned char
    {
        VoxelAdded,
        VoxelRemoved,
        Colour,
        Cell,
        Skeleton,
        Frame,
        AnimationAdded,
        SkeletonShape, // particles or sticks made, moved or removed in the skeleton view
        Settings,
    };

    explicit UndoStep(const std::string& name) : name(name) {}

    void addVoxelRecord(Kind kind, const VoxelRecord& record);
    // A voxel's colour or cell; a voxel changed twice in a row keeps one entry.
    void addColourChange(int index, const Ogre::ColourValue& before,
                         const Ogre::ColourValue& after);
    void addCellChange(int index, const Voxel::Cell& before, const Voxel::Cell& after,
                       const Ogre::Vector3& nodeBefore, const Ogre::Vector3& nodeAfter);
    void addSkeletonChange(std::unique_ptr<SkeletonChange> change);
    void addFrameChange(FrameChange&& change);
    void addAnimation(const Animation& animation);
    void addShapeChange(::SkeletonShape&& before, ::SkeletonShape&& after);
    void addSettingsChange(SettingsChange&& change);
    // Appends the parts of a later step (a save's re-binding joins the change it saved).
    void append(UndoStep&& later);
    // Called when the step is complete: drops what only recording needed.
    void seal();

    bool empty() const { return parts.empty(); }
    // What the first part did, for a step that was not named when it began.
    std::string describe() const;
    // Heap bytes held, for the history's bound.
    size_t bytes() const;

    // Both leave the model exactly as it was before or after the step.
    void undo(EditorMode& editor) const;
    void redo(EditorMode& editor) const;
    // Whether undo (forward false) or redo leaves the skeleton as it was while an animation
    // pose was shown; outside the animation view the rest pose then has to be shown again.
    bool leavesPose(bool forward) const;

    std::string name;
    unsigned long long id = 0;
    // Made with mirror editing (key X): each change came with its mirror.
    bool mirrored = false;

private:
    struct Part
    {
        Kind kind;
        unsigned slot; // index into the list of its kind
    };

    void apply(EditorMode& editor, const Part& part, bool forward) const;
    // Forgets which voxels already have a colour or cell entry once indices may have shifted.
    void forgetCoalescing();

    std::vector<Part> parts;
    std::vector<VoxelRecord> voxelRecords;
    std::vector<ColourChange> colourChanges;
    std::vector<CellChange> cellChanges;
    std::vector<std::unique_ptr<SkeletonChange>> skeletonChanges;
    std::vector<FrameChange> frameChanges;
    std::vector<Animation> addedAnimations;
    std::vector<std::pair<::SkeletonShape, ::SkeletonShape>> shapeChanges; // before, after
    std::vector<SettingsChange> settingsChanges;
    std::map<int, unsigned> colourSlots; // voxel index -> entry, while indices hold still
    std::map<int, unsigned> cellSlots;
};
