#pragma once

#include "editor/UndoStep.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class EditorMode;
class Voxel;

// The editor's undo and redo. A user action opens a step (begin), the editing core reports each
// change to the model as it makes it, and the end of the action closes the step (commit). The
// history keeps the last MIN_STEPS steps at least, and older ones while it stays under
// byteLimit. It also knows whether the model is as last saved: every step has an id, and the
// model is saved when the last step done is the one that was last when the save ran.
class UndoHistory
{
public:
    static constexpr size_t MIN_STEPS = 256;

    explicit UndoHistory(EditorMode* editor) : editor(editor) {}

    // Opens a step, or joins the step already open (a key pressed while a stroke is held).
    // An empty name lets the first change name the step.
    void begin(const std::string& name);
    // Like begin, but on commit the changes join the last step done: the re-binding a save
    // makes belongs to the change that was saved.
    void beginAmending();
    // Closes what the matching begin opened. A step without changes is dropped; a new step
    // drops the steps that could have been redone.
    void commit();
    bool isOpen() const { return depth > 0; }

    // --- reported by the editing core; ignored unless a step is open ---
    // After the voxel at index was appended or inserted.
    void voxelAdded(int index);
    // Before the voxel at index is destroyed.
    void voxelRemoving(int index);
    // The same, with the record made by the caller (many voxels going at once).
    void voxelRemoving(const UndoStep::VoxelRecord& record);
    // Whether changes reported now are kept: a step is open and no step is being replayed.
    bool isRecording() const { return recording(); }
    // Before the voxel at index takes a new colour.
    void colourChanging(int index, const Ogre::ColourValue& after);
    // After a voxel was moved to another cell; before and nodeBefore are where it was.
    void cellChanged(Voxel* voxel, const Voxel::Cell& before, const Ogre::Vector3& nodeBefore);
    // Before bindings, bind offsets, the rest pose or the model's turn change.
    void skeletonChanging();
    // Before the key frame at time of the animation at index becomes `after`.
    void frameChanging(int animation, float time, const std::vector<Ogre::Vector3>& after);
    // Around a change of the skeleton's particles or sticks (the skeleton view): the shape
    // before, then the shape after, become one part of the open step.
    void skeletonShapeChanging();
    void skeletonShapeChanged();
    // Before the key frame at time of the animation at index is removed.
    void frameRemoving(int animation, float time);
    // Before the settings of the animation at index become `after`.
    void settingsChanging(int animation, const Animation::Settings& after);
    // After an animation was appended to the list.
    void animationAdded(const Animation& animation);
    // The open step was made with mirror editing: its name says so ("mirrored sculpt stroke").
    void markMirrored()
    {
        if (recording())
            step->mirrored = true;
    }

    // Take back or give back one step; answer its name, or "" when there is none. posed tells
    // whether the skeleton was left as it was while a pose was shown.
    std::string undo(bool& posed);
    std::string redo(bool& posed);
    bool canUndo() const { return !done.empty(); }
    bool canRedo() const { return !undone.empty(); }

    // Called after the files were written.
    void markSaved();
    bool isSaved() const { return savedId == position(); }
    // The id of the model's state now; changes with every step done, undone or redone.
    unsigned long long position() const;

    size_t bytes() const { return totalBytes; }
    size_t size() const { return done.size() + undone.size(); }

    size_t byteLimit = size_t(64) << 20;

private:
    // A pending skeleton change is closed by the next change or the end of the step.
    void closeSkeletonChange();
    bool recording() const { return step && !replaying; }
    void trim();

    EditorMode* editor; // back pointer
    std::deque<std::unique_ptr<UndoStep>> done;
    std::vector<std::unique_ptr<UndoStep>> undone; // the last undone at the back
    std::unique_ptr<UndoStep> step;                // the one open
    std::unique_ptr<UndoStep::SkeletonState> skeletonBefore;
    std::unique_ptr<SkeletonShape> shapeBefore;
    int depth = 0;
    bool amending = false;
    bool replaying = false;
    bool savedWhileOpen = false;
    unsigned long long nextId = 1;
    unsigned long long baseId = 0; // the state below the oldest step kept
    unsigned long long savedId = 0;
    size_t totalBytes = 0;
};
