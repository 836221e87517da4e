#include "editor/UndoStep.h"

#include "app/Graphics.h"
#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "skeleton/AnimateViewMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticle.h"
#include "skeleton/VerletParticleSystem.h"

#include <OgreManualObject.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace
{

// Bit for bit: a save writes what is there, so "nearly equal" would not give the same file.
bool same(const Ogre::Vector3& a, const Ogre::Vector3& b)
{
    return std::memcmp(a.ptr(), b.ptr(), sizeof(float) * 3) == 0;
}

bool same(const Ogre::ColourValue& a, const Ogre::ColourValue& b)
{
    return std::memcmp(a.ptr(), b.ptr(), sizeof(float) * 4) == 0;
}

bool same(const std::vector<Ogre::Vector3>& a, const std::vector<Ogre::Vector3>& b)
{
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Ogre::Vector3)) == 0);
}

bool same(const std::map<float, std::vector<Ogre::Vector3>>& a,
          const std::map<float, std::vector<Ogre::Vector3>>& b)
{
    if (a.size() != b.size())
        return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
        if (std::memcmp(&i->first, &j->first, sizeof(float)) != 0 || !same(i->second, j->second))
            return false;
    return true;
}

template <typename T> size_t heapBytes(const std::vector<T>& list)
{
    return list.capacity() * sizeof(T);
}

size_t heapBytes(const std::map<float, std::vector<Ogre::Vector3>>& frames)
{
    size_t bytes = 0;
    for (const auto& frame : frames)
        bytes += 48 + heapBytes(frame.second); // a map node, roughly
    return bytes;
}

size_t heapBytes(const UndoStep::SkeletonState& state)
{
    size_t bytes = heapBytes(state.positions) + heapBytes(state.oldPositions) +
                   heapBytes(state.restFrames) + heapBytes(state.nodes) + heapBytes(state.offsets) +
                   heapBytes(state.groups);
    for (const auto& group : state.groups)
        bytes += heapBytes(group.second);
    return bytes;
}

void setVoxelPlace(Voxel* voxel, const Ogre::Vector3& node, const Ogre::Vector3& offset)
{
    voxel->setPosition(node);
    voxel->bindOffset = offset;
}

void applySkeletonState(EditorMode& editor, const UndoStep::SkeletonChange& change, bool after)
{
    const UndoStep::SkeletonState& state = after ? change.after : change.before;
    std::vector<Verlet::Particle*>& particles = editor.skeleton->system->particles;
    for (size_t i = 0; i < particles.size() && i < state.positions.size(); ++i)
    {
        particles[i]->position = state.positions[i];
        particles[i]->oldPosition = state.oldPositions[i];
    }
    editor.baseAnimation.frames = state.restFrames;
    // Not the turn: M is no step, and an undone step must not turn anything.
    for (const UndoStep::SkeletonChange::Placement& place : change.placements)
    {
        Voxel* voxel = editor.voxels[size_t(place.index)];
        if (after)
            setVoxelPlace(voxel, place.nodeAfter, place.offsetAfter);
        else
            setVoxelPlace(voxel, place.nodeBefore, place.offsetBefore);
    }
    if (change.groupsChanged)
        editor.model.setBindings(state.groups);
    editor.destroySkeletonObjects();
    if (!editor.skeleton->entries.empty())
        editor.createSkeletonObjects();
}

void setFrame(EditorMode& editor, const UndoStep::FrameChange& change, bool after)
{
    Animation* animation = editor.getAnimation(change.animation);
    if (!animation)
        return;
    if (after && !change.remains)
        animation->frames.erase(change.time);
    else if (after)
        animation->frames[change.time] = change.after;
    else if (change.existed)
        animation->frames[change.time] = change.before;
    else
        animation->frames.erase(change.time);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Skeleton states

UndoStep::SkeletonState UndoStep::SkeletonState::capture(EditorMode& editor)
{
    SkeletonState state;
    for (Verlet::Particle* particle : editor.skeleton->system->particles)
    {
        state.positions.push_back(particle->position);
        state.oldPositions.push_back(particle->oldPosition);
    }
    state.restFrames = editor.baseAnimation.frames;
    state.orientation = editor.modelOrientation;
    state.nodes.reserve(editor.voxels.size());
    state.offsets.reserve(editor.voxels.size());
    for (Voxel* voxel : editor.voxels)
    {
        state.nodes.push_back(voxel->getPosition());
        state.offsets.push_back(voxel->bindOffset);
    }
    state.groups = editor.model.bindingGroups();
    state.posed = dynamic_cast<AnimateViewMode*>(editor.viewMode) != nullptr;
    return state;
}

bool UndoStep::SkeletonChange::set(SkeletonState&& beforeState, SkeletonState&& afterState)
{
    placements.clear();
    const size_t count = std::min(beforeState.nodes.size(), afterState.nodes.size());
    for (size_t i = 0; i < count; ++i)
    {
        if (!same(beforeState.nodes[i], afterState.nodes[i]) ||
            !same(beforeState.offsets[i], afterState.offsets[i]))
            placements.push_back({int(i), beforeState.nodes[i], beforeState.offsets[i],
                                  afterState.nodes[i], afterState.offsets[i]});
    }
    groupsChanged = beforeState.groups != afterState.groups;
    const bool changed = !placements.empty() || groupsChanged ||
                         !same(beforeState.positions, afterState.positions) ||
                         !same(beforeState.restFrames, afterState.restFrames) ||
                         !(beforeState.orientation == afterState.orientation);

    before = std::move(beforeState);
    after = std::move(afterState);
    for (SkeletonState* state : {&before, &after})
    {
        state->nodes = {};
        state->offsets = {};
        if (!groupsChanged)
            state->groups = {};
    }
    return changed;
}

// ---------------------------------------------------------------------------------------------
// Recording

void UndoStep::addVoxelRecord(Kind kind, const VoxelRecord& record)
{
    forgetCoalescing();
    parts.push_back({kind, unsigned(voxelRecords.size())});
    voxelRecords.push_back(record);
}

void UndoStep::addColourChange(int index, const Ogre::ColourValue& before,
                               const Ogre::ColourValue& after)
{
    auto found = colourSlots.find(index);
    if (found != colourSlots.end())
    {
        colourChanges[found->second].after = after;
        return;
    }
    colourSlots.emplace(index, unsigned(colourChanges.size()));
    parts.push_back({Kind::Colour, unsigned(colourChanges.size())});
    colourChanges.push_back({index, before, after});
}

void UndoStep::addCellChange(int index, const Voxel::Cell& before, const Voxel::Cell& after,
                             const Ogre::Vector3& nodeBefore, const Ogre::Vector3& nodeAfter)
{
    auto found = cellSlots.find(index);
    if (found != cellSlots.end())
    {
        cellChanges[found->second].after = after;
        cellChanges[found->second].nodeAfter = nodeAfter;
        return;
    }
    cellSlots.emplace(index, unsigned(cellChanges.size()));
    parts.push_back({Kind::Cell, unsigned(cellChanges.size())});
    cellChanges.push_back({index, before, after, nodeBefore, nodeAfter});
}

void UndoStep::addSkeletonChange(std::unique_ptr<SkeletonChange> change)
{
    forgetCoalescing();
    parts.push_back({Kind::Skeleton, unsigned(skeletonChanges.size())});
    skeletonChanges.push_back(std::move(change));
}

void UndoStep::addFrameChange(FrameChange&& change)
{
    forgetCoalescing();
    parts.push_back({Kind::Frame, unsigned(frameChanges.size())});
    frameChanges.push_back(std::move(change));
}

void UndoStep::addShapeChange(::SkeletonShape&& before, ::SkeletonShape&& after)
{
    forgetCoalescing();
    parts.push_back({Kind::SkeletonShape, unsigned(shapeChanges.size())});
    shapeChanges.emplace_back(std::move(before), std::move(after));
}

void UndoStep::addAnimation(const Animation& animation)
{
    forgetCoalescing();
    parts.push_back({Kind::AnimationAdded, unsigned(addedAnimations.size())});
    addedAnimations.push_back(animation);
}

void UndoStep::addSettingsChange(SettingsChange&& change)
{
    forgetCoalescing();
    parts.push_back({Kind::Settings, unsigned(settingsChanges.size())});
    settingsChanges.push_back(std::move(change));
}

void UndoStep::append(UndoStep&& later)
{
    forgetCoalescing();
    for (Part part : later.parts)
    {
        switch (part.kind)
        {
        case Kind::VoxelAdded:
        case Kind::VoxelRemoved:
            addVoxelRecord(part.kind, later.voxelRecords[part.slot]);
            break;
        case Kind::Colour:
            parts.push_back({part.kind, unsigned(colourChanges.size())});
            colourChanges.push_back(later.colourChanges[part.slot]);
            break;
        case Kind::Cell:
            parts.push_back({part.kind, unsigned(cellChanges.size())});
            cellChanges.push_back(later.cellChanges[part.slot]);
            break;
        case Kind::Skeleton:
            addSkeletonChange(std::move(later.skeletonChanges[part.slot]));
            break;
        case Kind::Frame:
            addFrameChange(std::move(later.frameChanges[part.slot]));
            break;
        case Kind::AnimationAdded:
            addAnimation(later.addedAnimations[part.slot]);
            break;
        case Kind::SkeletonShape:
            addShapeChange(std::move(later.shapeChanges[part.slot].first),
                           std::move(later.shapeChanges[part.slot].second));
            break;
        case Kind::Settings:
            addSettingsChange(std::move(later.settingsChanges[part.slot]));
            break;
        }
    }
    seal();
}

void UndoStep::forgetCoalescing()
{
    colourSlots.clear();
    cellSlots.clear();
}

void UndoStep::seal()
{
    forgetCoalescing();
    // A stroke over voxels that already had the colour, a drag that came back to where it began
    // or a key frame stored as it was changed nothing.
    parts.erase(std::remove_if(parts.begin(), parts.end(),
                               [this](const Part& part)
                               {
                                   if (part.kind == Kind::Colour)
                                   {
                                       const ColourChange& change = colourChanges[part.slot];
                                       return same(change.before, change.after);
                                   }
                                   if (part.kind == Kind::Cell)
                                   {
                                       const CellChange& change = cellChanges[part.slot];
                                       return change.before == change.after &&
                                              same(change.nodeBefore, change.nodeAfter);
                                   }
                                   if (part.kind == Kind::Frame)
                                   {
                                       // A paste whose entries were all skipped, or the
                                       // mirror of a symmetric pose.
                                       const FrameChange& change = frameChanges[part.slot];
                                       return change.existed && change.remains &&
                                              same(change.before, change.after);
                                   }
                                   if (part.kind == Kind::Settings)
                                   {
                                       const SettingsChange& change = settingsChanges[part.slot];
                                       return change.before == change.after;
                                   }
                                   return false;
                               }),
                parts.end());
    parts.shrink_to_fit();
    voxelRecords.shrink_to_fit();
    colourChanges.shrink_to_fit();
    cellChanges.shrink_to_fit();
}

namespace
{
std::string kindName(UndoStep::Kind kind)
{
    switch (kind)
    {
    case UndoStep::Kind::VoxelAdded:
        return "sculpt stroke";
    case UndoStep::Kind::VoxelRemoved:
        return "voxel removal";
    case UndoStep::Kind::Colour:
        return "paint stroke";
    case UndoStep::Kind::Cell:
        return "selection move";
    case UndoStep::Kind::Skeleton:
        return "re-binding";
    case UndoStep::Kind::Frame:
        return "pose";
    case UndoStep::Kind::AnimationAdded:
        return "new animation";
    case UndoStep::Kind::SkeletonShape:
        return "skeleton change";
    case UndoStep::Kind::Settings:
        return "animation settings";
    }
    return "change";
}
} // namespace

std::string UndoStep::describe() const
{
    if (parts.empty())
        return "change";
    // A step made with mirror editing says so: "mirrored sculpt stroke".
    return (mirrored ? "mirrored " : "") + kindName(parts.front().kind);
}

size_t UndoStep::bytes() const
{
    size_t total = sizeof(UndoStep) + name.capacity() + heapBytes(parts) + heapBytes(voxelRecords) +
                   heapBytes(colourChanges) + heapBytes(cellChanges) + heapBytes(skeletonChanges) +
                   heapBytes(frameChanges) + heapBytes(addedAnimations) +
                   heapBytes(settingsChanges);
    for (const auto& change : skeletonChanges)
        total += sizeof(SkeletonChange) + heapBytes(change->placements) +
                 heapBytes(change->before) + heapBytes(change->after);
    for (const FrameChange& change : frameChanges)
        total += heapBytes(change.before) + heapBytes(change.after);
    for (const Animation& animation : addedAnimations)
        total += heapBytes(animation.frames);
    for (const auto& change : shapeChanges)
        total += change.first.bytes() + change.second.bytes();
    for (const SettingsChange& change : settingsChanges)
        total += change.before.comment.capacity() + change.after.comment.capacity();
    return total;
}

// ---------------------------------------------------------------------------------------------
// Replaying

void UndoStep::undo(EditorMode& editor) const
{
    for (auto part = parts.rbegin(); part != parts.rend(); ++part)
        apply(editor, *part, false);
}

void UndoStep::redo(EditorMode& editor) const
{
    for (const Part& part : parts)
        apply(editor, part, true);
}

bool UndoStep::leavesPose(bool forward) const
{
    if (skeletonChanges.empty())
        return false;
    return forward ? skeletonChanges.back()->after.posed : skeletonChanges.front()->before.posed;
}

void UndoStep::apply(EditorMode& editor, const Part& part, bool forward) const
{
    switch (part.kind)
    {
    case Kind::VoxelAdded:
    case Kind::VoxelRemoved:
    {
        const VoxelRecord& record = voxelRecords[part.slot];
        // Undoing an addition is a removal, and the other way round.
        if ((part.kind == Kind::VoxelAdded) == forward)
            editor.model.restore(record);
        else
            editor.removeVoxel(record.index);
        break;
    }
    case Kind::Colour:
    {
        const ColourChange& change = colourChanges[part.slot];
        editor.model.recolour(change.index, forward ? change.after : change.before);
        break;
    }
    case Kind::Cell:
    {
        const CellChange& change = cellChanges[part.slot];
        editor.model.placeInCell(change.index, forward ? change.after : change.before,
                                 forward ? change.nodeAfter : change.nodeBefore);
        break;
    }
    case Kind::Skeleton:
        applySkeletonState(editor, *skeletonChanges[part.slot], forward);
        break;
    case Kind::Frame:
        setFrame(editor, frameChanges[part.slot], forward);
        break;
    case Kind::AnimationAdded:
        if (forward)
            editor.animations.push_back(addedAnimations[part.slot]);
        else if (!editor.animations.empty())
            editor.animations.pop_back();
        break;
    case Kind::SkeletonShape:
        (forward ? shapeChanges[part.slot].second : shapeChanges[part.slot].first).restore(editor);
        break;
    case Kind::Settings:
    {
        const SettingsChange& change = settingsChanges[part.slot];
        if (Animation* animation = editor.getAnimation(change.animation))
            animation->setSettings(forward ? change.after : change.before);
        break;
    }
    }
}
