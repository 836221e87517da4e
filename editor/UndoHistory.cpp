#include "editor/UndoHistory.h"

#include "editor/EditorMode.h"
#include "skeleton/Skeleton.h"

#include <OgreSceneNode.h>

#include <algorithm>

namespace
{
// A save whose state no sequence of undo and redo can reach again.
const unsigned long long UNREACHABLE = ~0ULL;

// Changes made while a step is replayed are the step's own, not new ones; also when the
// replay stops on an error.
struct Replaying
{
    explicit Replaying(bool& flag) : flag(flag) { flag = true; }
    ~Replaying() { flag = false; }
    bool& flag;
};
} // namespace

void UndoHistory::begin(const std::string& name)
{
    if (depth++ > 0)
        return;
    step.reset(new UndoStep(name));
    amending = false;
    savedWhileOpen = false;
}

void UndoHistory::beginAmending()
{
    const bool outermost = depth == 0;
    begin("");
    amending = outermost;
}

void UndoHistory::commit()
{
    if (depth == 0 || --depth > 0)
        return;
    closeSkeletonChange();
    std::unique_ptr<UndoStep> finished = std::move(step);
    finished->seal();
    if (finished->empty())
    {
        if (savedWhileOpen)
            savedId = position();
        return;
    }
    if (amending)
    {
        // Before the first step there is nothing to join: the loaded model cannot be re-made.
        if (!done.empty())
        {
            totalBytes -= done.back()->bytes();
            done.back()->append(std::move(*finished));
            totalBytes += done.back()->bytes();
        }
        return;
    }

    for (const std::unique_ptr<UndoStep>& dropped : undone)
    {
        if (dropped->id == savedId)
            savedId = UNREACHABLE;
        totalBytes -= dropped->bytes();
    }
    undone.clear();

    finished->id = nextId++;
    if (finished->name.empty())
        finished->name = finished->describe();
    totalBytes += finished->bytes();
    done.push_back(std::move(finished));
    if (savedWhileOpen)
        savedId = UNREACHABLE; // the file holds the state from halfway through
    trim();
}

void UndoHistory::trim()
{
    while (done.size() > MIN_STEPS && totalBytes > byteLimit)
    {
        totalBytes -= done.front()->bytes();
        baseId = done.front()->id;
        done.pop_front();
    }
}

unsigned long long UndoHistory::position() const { return done.empty() ? baseId : done.back()->id; }

void UndoHistory::markSaved()
{
    if (depth > 0)
    {
        savedWhileOpen = true;
        savedId = UNREACHABLE;
        return;
    }
    savedId = position();
}

std::string UndoHistory::undo(bool& posed)
{
    posed = false;
    if (depth > 0 || done.empty())
        return "";
    std::unique_ptr<UndoStep> last = std::move(done.back());
    done.pop_back();
    Replaying guard(replaying);
    last->undo(*editor);
    posed = last->leavesPose(false);
    std::string name = last->name;
    undone.push_back(std::move(last));
    return name;
}

std::string UndoHistory::redo(bool& posed)
{
    posed = false;
    if (depth > 0 || undone.empty())
        return "";
    std::unique_ptr<UndoStep> next = std::move(undone.back());
    undone.pop_back();
    Replaying guard(replaying);
    next->redo(*editor);
    posed = next->leavesPose(true);
    std::string name = next->name;
    done.push_back(std::move(next));
    return name;
}

// ---------------------------------------------------------------------------------------------
// Changes reported by the editing core

namespace
{

// A voxel that was just added is in no group, so only a removal looks for one.
UndoStep::VoxelRecord recordOf(EditorMode& editor, int index, bool bound)
{
    Voxel* voxel = editor.voxels[size_t(index)];
    UndoStep::VoxelRecord record;
    record.index = index;
    record.cell = voxel->gridPosition;
    record.colour = editor.voxelColour(voxel);
    record.nodePosition = voxel->getPosition();
    record.bindOffset = voxel->bindOffset;
    if (!bound)
        return record;
    for (const auto& [stick, group] : editor.skeleton->bindings)
    {
        auto found = std::find(group.elements.begin(), group.elements.end(), voxel);
        if (found != group.elements.end())
        {
            record.group = stick;
            record.groupPosition = int(found - group.elements.begin());
            break;
        }
    }
    return record;
}

} // namespace

void UndoHistory::voxelAdded(int index)
{
    if (!recording())
        return;
    closeSkeletonChange();
    step->addVoxelRecord(UndoStep::Kind::VoxelAdded, recordOf(*editor, index, true));
}

void UndoHistory::voxelRemoving(int index)
{
    if (!recording())
        return;
    closeSkeletonChange();
    step->addVoxelRecord(UndoStep::Kind::VoxelRemoved, recordOf(*editor, index, true));
}

void UndoHistory::voxelRemoving(const UndoStep::VoxelRecord& record)
{
    if (!recording())
        return;
    closeSkeletonChange();
    step->addVoxelRecord(UndoStep::Kind::VoxelRemoved, record);
}

void UndoHistory::colourChanging(int index, const Ogre::ColourValue& after)
{
    if (!recording())
        return;
    closeSkeletonChange();
    step->addColourChange(index, editor->voxels[size_t(index)]->colour, after);
}

void UndoHistory::cellChanged(Voxel* voxel, const Voxel::Cell& before,
                              const Ogre::Vector3& nodeBefore)
{
    if (!recording())
        return;
    closeSkeletonChange();
    const int index = editor->findVoxel(voxel);
    if (index < 0)
        return;
    step->addCellChange(index, before, voxel->gridPosition, nodeBefore, voxel->getPosition());
}

void UndoHistory::skeletonChanging()
{
    if (!recording() || skeletonBefore)
        return;
    skeletonBefore.reset(new UndoStep::SkeletonState(UndoStep::SkeletonState::capture(*editor)));
}

void UndoHistory::closeSkeletonChange()
{
    if (!skeletonBefore)
        return;
    std::unique_ptr<UndoStep::SkeletonChange> change(new UndoStep::SkeletonChange());
    if (change->set(std::move(*skeletonBefore), UndoStep::SkeletonState::capture(*editor)))
        step->addSkeletonChange(std::move(change));
    skeletonBefore.reset();
}

void UndoHistory::frameChanging(int animation, float time, const std::vector<Ogre::Vector3>& after)
{
    if (!recording())
        return;
    Animation* target = editor->getAnimation(animation);
    if (!target)
        return;
    closeSkeletonChange();
    UndoStep::FrameChange change;
    change.animation = animation;
    change.time = time;
    if (std::vector<Ogre::Vector3>* frame = target->findFrame(time))
    {
        change.existed = true;
        change.before = *frame;
    }
    change.after = after;
    step->addFrameChange(std::move(change));
}

void UndoHistory::skeletonShapeChanging()
{
    if (!recording())
        return;
    closeSkeletonChange();
    shapeBefore.reset(new SkeletonShape(SkeletonShape::capture(*editor)));
}

void UndoHistory::skeletonShapeChanged()
{
    if (!recording() || !shapeBefore)
        return;
    step->addShapeChange(std::move(*shapeBefore), SkeletonShape::capture(*editor));
    shapeBefore.reset();
}

void UndoHistory::frameRemoving(int animation, float time)
{
    if (!recording())
        return;
    Animation* target = editor->getAnimation(animation);
    std::vector<Ogre::Vector3>* frame = target ? target->findFrame(time) : nullptr;
    if (!frame)
        return;
    closeSkeletonChange();
    UndoStep::FrameChange change;
    change.animation = animation;
    change.time = time;
    change.existed = true;
    change.remains = false;
    change.before = *frame;
    step->addFrameChange(std::move(change));
}

void UndoHistory::settingsChanging(int animation, const Animation::Settings& after)
{
    if (!recording())
        return;
    Animation* target = editor->getAnimation(animation);
    if (!target)
        return;
    closeSkeletonChange();
    step->addSettingsChange({animation, target->settings(), after});
}

void UndoHistory::animationAdded(const Animation& animation)
{
    if (!recording())
        return;
    closeSkeletonChange();
    step->addAnimation(animation);
}
