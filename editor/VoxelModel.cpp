#include "editor/VoxelModel.h"

#include "app/Graphics.h"
#include "app/Log.h"
#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "editor/RayPickIndex.h"
#include "editor/ToolMode.h"
#include "editor/UndoHistory.h"
#include "editor/VoxelBatches.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"

#include <OgreMath.h>

#include <algorithm>
#include <memory>
#include <unordered_set>

namespace
{

struct CellHash
{
    size_t operator()(const Voxel::Cell& cell) const
    {
        return (size_t(unsigned(cell.x)) * 73856093u) ^ (size_t(unsigned(cell.y)) * 19349663u) ^
               (size_t(unsigned(cell.z)) * 83492791u);
    }
};

} // namespace

VoxelModel::~VoxelModel() { destroy(); }

void VoxelModel::destroy()
{
    for (Voxel* voxel : voxels)
        delete voxel;
    voxels.clear();
    indices.clear();
    firstStale = 0;
    delete batches;
    batches = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Reading

int VoxelModel::find(const Voxel* voxel) const
{
    auto found = indices.find(voxel);
    if (found == indices.end())
        return -1;
    if (size_t(found->second) < firstStale)
        return found->second;
    for (size_t i = firstStale; i < voxels.size(); ++i)
        indices[voxels[i]] = int(i);
    firstStale = voxels.size();
    return indices.at(voxel);
}

int VoxelModel::voxelAtCell(const Voxel::Cell& cell) const
{
    if (!batches)
        return -1;
    return find(batches->findAt(cell));
}

VoxelBatches* VoxelModel::getBatches()
{
    if (!batches)
        batches = new VoxelBatches(editor.getGraphics()->sceneManager);
    return batches;
}

std::vector<VoxelModel::Group> VoxelModel::bindingGroups() const
{
    std::vector<Group> groups;
    for (const auto& [stick, group] : editor.skeleton->bindings)
    {
        std::vector<int> members;
        members.reserve(group.elements.size());
        for (const Skeleton::Element* element : group.elements)
        {
            const int index = find(static_cast<const Voxel*>(element));
            if (index >= 0)
                members.push_back(index);
        }
        groups.emplace_back(stick, std::move(members));
    }
    return groups;
}

std::vector<Ogre::ColourValue> VoxelModel::realColours() const
{
    std::unordered_map<const Voxel*, Ogre::ColourValue> shownOtherwise;
    if (editor.toolMode)
        editor.toolMode->collectRealColours(shownOtherwise);
    std::vector<Ogre::ColourValue> colours;
    colours.reserve(voxels.size());
    for (const Voxel* voxel : voxels)
    {
        const auto real = shownOtherwise.find(voxel);
        colours.push_back(real != shownOtherwise.end() ? real->second : voxel->getColour());
    }
    return colours;
}

Ogre::ColourValue VoxelModel::voxelColour(const Voxel* voxel) const
{
    std::unordered_map<const Voxel*, Ogre::ColourValue> shownOtherwise;
    if (editor.toolMode)
        editor.toolMode->collectRealColours(shownOtherwise);
    const auto real = shownOtherwise.find(voxel);
    return real != shownOtherwise.end() ? real->second : voxel->colour;
}

// ---------------------------------------------------------------------------------------------
// Changes

Voxel* VoxelModel::createVoxel() { return new Voxel(getBatches()); }

int VoxelModel::add(const Voxel::Cell& cell, const Ogre::ColourValue& colour, uint32_t queryFlags)
{
    if (getBatches()->findAt(cell))
        return -1;
    Voxel* voxel = createVoxel();
    // The cell first: the drawing layer files the voxel by its cell when it is built, and
    // touches only the blocks around it.
    voxel->setGridPosition(cell.x, cell.y, cell.z);
    voxel->setQueryFlags(queryFlags);
    // Grey first, then its colour: two box numbers, as voxels have always been numbered.
    voxel->build(Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1.0f));
    voxel->setColour(colour);
    voxels.push_back(voxel);
    indices[voxel] = int(voxels.size()) - 1;
    if (firstStale == voxels.size() - 1)
        firstStale = voxels.size();
    bindNewVoxel(voxel);
    editor.history->voxelAdded(int(voxels.size()) - 1);
    return int(voxels.size()) - 1;
}

void VoxelModel::remove(int index)
{
    if (index < 0 || size_t(index) >= voxels.size())
        return;
    editor.history->voxelRemoving(index);
    Voxel* voxel = voxels[size_t(index)];
    voxels.erase(voxels.begin() + index);
    indices.erase(voxel);
    shifted(size_t(index));
    destroyVoxel(voxel);
}

void VoxelModel::removeSet(const std::vector<int>& indexList)
{
    std::vector<int> sorted;
    sorted.reserve(indexList.size());
    for (int index : indexList)
        if (index >= 0 && size_t(index) < voxels.size())
            sorted.push_back(index);
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    if (sorted.empty())
        return;
    std::vector<char> going(voxels.size(), 0);
    for (int index : sorted)
        going[size_t(index)] = 1;

    std::map<int, Skeleton::BindingGroup>& bindings = editor.skeleton->bindings;
    if (editor.history->isRecording())
        recordRemovals(sorted, going);

    // Out of their groups in one pass; a group this empties goes, as a fresh binding of the
    // remaining voxels would have none.
    for (auto group = bindings.begin(); group != bindings.end();)
    {
        std::vector<Skeleton::Element*>& elements = group->second.elements;
        const size_t before = elements.size();
        elements.erase(std::remove_if(elements.begin(), elements.end(),
                                      [&](Skeleton::Element* element)
                                      {
                                          const int index = find(static_cast<Voxel*>(element));
                                          return index >= 0 && going[size_t(index)];
                                      }),
                       elements.end());
        if (elements.empty() && before > 0)
            group = bindings.erase(group);
        else
            ++group;
    }

    for (int index : sorted)
    {
        Voxel* voxel = voxels[size_t(index)];
        if (editor.toolMode)
            editor.toolMode->voxelRemoved(voxel);
        indices.erase(voxel);
        delete voxel;
        voxels[size_t(index)] = nullptr;
    }
    voxels.erase(std::remove(voxels.begin(), voxels.end(), nullptr), voxels.end());
    shifted(size_t(sorted.front()));
}

void VoxelModel::recordRemovals(const std::vector<int>& sorted, const std::vector<char>& going)
{
    // The history hears of the voxels one by one from the back of the list, each with its place
    // in the list and in its group as it is when it goes; undo puts them back front first. A
    // voxel's group place then counts without the members of its group that went before it.
    std::unordered_map<const Voxel*, std::pair<int, int>> groupPlace;
    for (const auto& [stick, group] : editor.skeleton->bindings)
    {
        std::vector<std::pair<int, int>> members; // list index, place in the group
        for (size_t place = 0; place < group.elements.size(); ++place)
        {
            const int index = find(static_cast<const Voxel*>(group.elements[place]));
            if (index >= 0 && going[size_t(index)])
                members.emplace_back(index, int(place));
        }
        std::sort(members.rbegin(), members.rend());
        // Places already taken out, counted with a Fenwick tree over the group's places.
        std::vector<int> tree(group.elements.size() + 1, 0);
        for (const auto& [index, place] : members)
        {
            int before = 0;
            for (int i = place; i > 0; i -= i & -i)
                before += tree[size_t(i)];
            groupPlace[voxels[size_t(index)]] = {stick, place - before};
            for (size_t i = size_t(place) + 1; i < tree.size(); i += i & (~i + 1))
                ++tree[i];
        }
    }
    std::unordered_map<const Voxel*, Ogre::ColourValue> shownOtherwise;
    if (editor.toolMode)
        editor.toolMode->collectRealColours(shownOtherwise);
    for (auto index = sorted.rbegin(); index != sorted.rend(); ++index)
    {
        Voxel* voxel = voxels[size_t(*index)];
        UndoStep::VoxelRecord record;
        record.index = *index;
        record.cell = voxel->gridPosition;
        const auto real = shownOtherwise.find(voxel);
        record.colour = real != shownOtherwise.end() ? real->second : voxel->colour;
        record.nodePosition = voxel->getPosition();
        record.bindOffset = voxel->bindOffset;
        const auto place = groupPlace.find(voxel);
        if (place != groupPlace.end())
        {
            record.group = place->second.first;
            record.groupPosition = place->second.second;
        }
        editor.history->voxelRemoving(record);
    }
}

void VoxelModel::clear()
{
    editor.skeleton->clearBindings();
    std::vector<int> all(voxels.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = int(i);
    removeSet(all);
}

void VoxelModel::destroyVoxel(Voxel* voxel)
{
    if (editor.toolMode)
        editor.toolMode->voxelRemoved(voxel);
    if (editor.skeleton)
        editor.skeleton->unbindElement(voxel);
    delete voxel;
}

void VoxelModel::paint(int index, const Ogre::ColourValue& colour)
{
    editor.history->colourChanging(index, colour);
    voxels[size_t(index)]->setColour(colour);
}

void VoxelModel::moveTo(Voxel* voxel, const Voxel::Cell& cell)
{
    const Voxel::Cell before = voxel->gridPosition;
    const Ogre::Vector3 nodeBefore = voxel->getPosition();
    voxel->setGridPosition(cell.x, cell.y, cell.z);
    editor.history->cellChanged(voxel, before, nodeBefore);
}

VoxelModel::Settled VoxelModel::settle(const std::vector<Voxel*>& moved)
{
    Settled settled;
    if (!batches)
        return settled;
    std::vector<int> order;
    order.reserve(moved.size());
    for (const Voxel* voxel : moved)
    {
        const int index = find(voxel);
        if (index >= 0)
            order.push_back(index);
    }
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end()), order.end());

    const std::unordered_set<const Voxel*> movedSet(moved.begin(), moved.end());
    std::unordered_set<Voxel::Cell, CellHash> claimed;
    std::vector<int> gone;
    for (int index : order)
    {
        const Voxel* voxel = voxels[size_t(index)];
        if (claimed.insert(voxel->gridPosition).second)
        {
            // The moved voxel wins over any unmoved one in its cell.
            if (const VoxelBlock* block = batches->blockAt(voxel->gridPosition))
                for (const Voxel* other : block->voxels)
                    if (other->gridPosition == voxel->gridPosition && !movedSet.count(other))
                    {
                        gone.push_back(find(other));
                        ++settled.replaced;
                    }
        }
        else
        {
            gone.push_back(index);
            ++settled.dropped;
        }
    }
    if (!gone.empty())
        removeSet(gone);
    return settled;
}

void VoxelModel::bindNewVoxel(Voxel* voxel)
{
    // Only with sticks and a rest pose to bind in: a load fills the voxels before the skeleton,
    // and binds them itself afterwards.
    Skeleton* skeleton = editor.skeleton;
    if (!skeleton || skeleton->system->sticks.empty() || !editor.hasRestPose())
        return;
    // New voxels are made in the model view, where the skeleton stands in its rest pose turned
    // by the model's turn; the voxel is placed the same way, as a re-binding would place it.
    const Voxel::Cell& cell = voxel->getGridPosition();
    voxel->setPosition(editor.modelOrientation *
                       (Ogre::Vector3(float(cell.x), float(cell.y), float(cell.z)) +
                        Ogre::Vector3(0.5f, 0.5f, 0.5f)));
    skeleton->bindElement(voxel);
}

void VoxelModel::bindToNearestSticks()
{
    editor.skeleton->bindToNearestSticks(
        std::vector<Skeleton::Element*>(voxels.begin(), voxels.end()));
}

void VoxelModel::setBindings(const std::vector<Group>& groups)
{
    // A voxel named by two groups follows the later one, as the files have always read.
    std::unordered_map<int, size_t> owner;
    size_t dropped = 0;
    for (size_t g = 0; g < groups.size(); ++g)
        for (int index : groups[g].second)
        {
            if (index < 0 || size_t(index) >= voxels.size())
                ++dropped;
            else
                owner[index] = g;
        }
    std::map<int, Skeleton::BindingGroup>& bindings = editor.skeleton->bindings;
    bindings.clear();
    for (size_t g = 0; g < groups.size(); ++g)
    {
        const auto& [stick, members] = groups[g];
        Skeleton::BindingGroup& group = bindings[stick];
        group.constraintIndex = stick;
        group.elements.reserve(members.size());
        for (int index : members)
        {
            auto found = owner.find(index);
            if (found == owner.end())
                continue;
            if (found->second != g)
            {
                ++dropped;
                continue;
            }
            owner.erase(found); // an index named twice in one group counts once
            group.elements.push_back(voxels[size_t(index)]);
        }
    }
    if (dropped)
        writeLog("ERROR, " + std::to_string(dropped) +
                 " binding entries named no voxel or a voxel bound elsewhere, dropped");
}

void VoxelModel::setQueryFlags(uint32_t flags)
{
    for (Voxel* voxel : voxels)
        voxel->setQueryFlags(flags);
}

// ---------------------------------------------------------------------------------------------
// Undo and redo

void VoxelModel::restore(const UndoStep::VoxelRecord& record)
{
    Voxel* voxel = createVoxel();
    // The cell first: the drawing layer files the voxel by its cell when it is built.
    voxel->gridPosition = record.cell;
    voxel->build(record.colour);
    voxel->setQueryFlags(QUERY_VOXEL);
    voxel->setPosition(record.nodePosition);
    voxel->bindOffset = record.bindOffset;
    const size_t at = std::min(size_t(std::max(record.index, 0)), voxels.size());
    voxels.insert(voxels.begin() + long(at), voxel);
    indices[voxel] = int(at);
    shifted(at);
    if (record.group < 0)
        return;
    Skeleton::BindingGroup& group = editor.skeleton->bindings[record.group];
    group.constraintIndex = record.group;
    const size_t place = std::min(size_t(record.groupPosition), group.elements.size());
    group.elements.insert(group.elements.begin() + long(place), voxel);
}

void VoxelModel::recolour(int index, const Ogre::ColourValue& colour)
{
    voxels[size_t(index)]->recolour(colour);
}

void VoxelModel::placeInCell(int index, const Voxel::Cell& cell, const Ogre::Vector3& node)
{
    Voxel* voxel = voxels[size_t(index)];
    voxel->setGridPosition(cell.x, cell.y, cell.z);
    voxel->setPosition(node);
}

// ---------------------------------------------------------------------------------------------
// Picking

int VoxelModel::pick(const Ogre::Ray& ray, unsigned queryMask, float& hitDistance)
{
    hitDistance = -1.0f;
    if (!batches)
        return -1;
    Voxel* voxel = batches->pick(ray, queryMask, hitDistance);
    return voxel ? find(voxel) : -1;
}

int VoxelModel::pickByEveryBox(const Ogre::Ray& ray, unsigned queryMask, float& hitDistance) const
{
    int best = -1;
    hitDistance = -1.0f;
    for (size_t i = 0; i < voxels.size(); ++i)
    {
        const Voxel& voxel = *voxels[i];
        if ((voxel.getQueryFlags() & queryMask) != queryMask)
            continue;
        const std::pair<bool, Ogre::Real> hit = ray.intersects(VoxelBatches::pickBox(voxel));
        if (hit.first && (best < 0 || hit.second < hitDistance ||
                          (hit.second == hitDistance &&
                           VoxelBatches::nameBefore(voxel.getBoxNumber(),
                                                    voxels[size_t(best)]->getBoxNumber()))))
        {
            best = int(i);
            hitDistance = hit.second;
        }
    }
    return best;
}

std::vector<bool> VoxelModel::findSeen(int rayCount, bool bruteForce)
{
    Ogre::Vector3 minimum(1000.0f, 1000.0f, 1000.0f);
    Ogre::Vector3 maximum(-1000.0f, -1000.0f, -1000.0f);
    for (Voxel* voxel : voxels)
    {
        minimum.makeFloor(voxel->getPosition());
        maximum.makeCeil(voxel->getPosition());
    }
    const Ogre::Vector3 centre = minimum + (maximum - minimum) * 0.5f;

    std::unique_ptr<RayPickIndex> index;
    if (!bruteForce)
        index.reset(new RayPickIndex(voxels, QUERY_VOXEL));

    std::vector<bool> seen(voxels.size(), false);
    for (int ray = 0; ray < rayCount; ++ray)
    {
        // One call per statement: the order in which random numbers are drawn is fixed.
        float dx = Ogre::Math::SymmetricRandom();
        float dy = Ogre::Math::SymmetricRandom();
        float dz = Ogre::Math::SymmetricRandom();
        Ogre::Vector3 direction = Ogre::Vector3(dx, dy, dz).normalisedCopy();
        Ogre::Vector3 origin = centre + direction * 100.0f;
        float tx = Ogre::Math::RangeRandom(minimum.x, maximum.x);
        float ty = Ogre::Math::RangeRandom(minimum.y, maximum.y);
        float tz = Ogre::Math::RangeRandom(minimum.z, maximum.z);
        Ogre::Ray sightLine(origin, (Ogre::Vector3(tx, ty, tz) - origin).normalisedCopy());

        float hitDistance = -1.0f;
        const int hit = index ? index->pick(sightLine, hitDistance)
                              : pickByEveryBox(sightLine, QUERY_VOXEL, hitDistance);
        if (hit >= 0)
            seen[size_t(hit)] = true;
    }
    return seen;
}
