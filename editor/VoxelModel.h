#pragma once

#include "editor/UndoStep.h"
#include "editor/Voxel.h"

#include <OgreColourValue.h>
#include <OgreRay.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class EditorMode;
class VoxelBatches;

// The voxel model: the voxel list, the cell table (the drawing layer's, which files every voxel
// by its cell) and the bindings of voxels to sticks, named by the voxels' places in the list.
// Every change of the model goes through here, so that after each operation
//   - at most one voxel stands in a cell (a move may pass voxels over others only while the
//     bar is held; settle() ends that),
//   - every binding names a voxel of the list, and a voxel is in at most one group,
//   - the drawing layer shows exactly the voxels of the list.
// Changes are reported to the editor's undo history as they are made.
class VoxelModel
{
public:
    // A binding group as the files and the undo steps keep it: stick index, voxel indices.
    using Group = std::pair<int, std::vector<int>>;

    explicit VoxelModel(EditorMode& editor) : editor(editor) {}
    ~VoxelModel();
    VoxelModel(const VoxelModel&) = delete;
    VoxelModel& operator=(const VoxelModel&) = delete;

    // --- reading ---
    const std::vector<Voxel*>& getVoxels() const { return voxels; }
    size_t size() const { return voxels.size(); }
    // The voxel's index in the list, or -1.
    int find(const Voxel* voxel) const;
    // The index of the voxel standing in the cell, or -1.
    int voxelAtCell(const Voxel::Cell& cell) const;
    // The drawing layer of the voxels, made on first use; it outlives every voxel.
    VoxelBatches* getBatches();
    // Each voxel's own colour in list order, whatever colour a tool shows it in for now.
    std::vector<Ogre::ColourValue> realColours() const;
    // The voxel's own colour, also while the selection shows it red.
    Ogre::ColourValue voxelColour(const Voxel* voxel) const;
    // The binding groups by voxel index, in stick order.
    std::vector<Group> bindingGroups() const;

    // --- changes, each reported to the history ---
    // Adds a voxel at the end of the list unless the cell is taken; answers its index or -1.
    int add(const Voxel::Cell& cell, const Ogre::ColourValue& colour, uint32_t queryFlags);
    void remove(int index);
    // Removes the voxels at these indices (any order, repeats and bad indices ignored).
    void removeSet(const std::vector<int>& indices);
    // Every voxel and binding goes, unrecorded: a load or an import starts the model afresh.
    void clear();
    void paint(int index, const Ogre::ColourValue& colour);
    // Moves a voxel to a cell while a move is under way; it may pass over other voxels.
    void moveTo(Voxel* voxel, const Voxel::Cell& cell);
    // What settle() took away.
    struct Settled
    {
        size_t replaced = 0; // unmoved voxels whose cell a moved one took
        size_t dropped = 0;  // moved voxels that landed where an earlier moved one did
    };
    // Ends a move of these voxels: a moved voxel that shares its cell with an unmoved one
    // replaces it, and of moved voxels in one cell the one earliest in the list stays.
    Settled settle(const std::vector<Voxel*>& moved);
    // Binds every voxel to its nearest stick.
    void bindToNearestSticks();
    // Replaces the bindings; entries naming no voxel of the list or a voxel already in a group
    // are dropped, with a line in the log.
    void setBindings(const std::vector<Group>& groups);
    void setQueryFlags(uint32_t flags);

    // --- undo and redo replay these; the history is not told ---
    void restore(const UndoStep::VoxelRecord& record);
    void recolour(int index, const Ogre::ColourValue& colour);
    void placeInCell(int index, const Voxel::Cell& cell, const Ogre::Vector3& node);

    // --- picking ---
    // The index of the voxel whose box the ray meets first among those whose query flags hold
    // every bit of queryMask, or -1; hitDistance is then -1.
    int pick(const Ogre::Ray& ray, unsigned queryMask, float& hitDistance);
    // The same answer found by testing every voxel's box: the reference for the fast picks.
    int pickByEveryBox(const Ogre::Ray& ray, unsigned queryMask, float& hitDistance) const;
    // Casts rayCount random sight lines at the model and answers, per voxel index, whether
    // one of them hit that voxel first. bruteForce tests every box for every ray.
    std::vector<bool> findSeen(int rayCount, bool bruteForce);

    // Deletes every voxel, then the drawing layer: the editor's teardown.
    void destroy();

private:
    Voxel* createVoxel();
    // A voxel added while a skeleton exists follows its nearest stick at once.
    void bindNewVoxel(Voxel* voxel);
    // Tells the history of each voxel at the sorted indices before they go together.
    void recordRemovals(const std::vector<int>& sorted, const std::vector<char>& going);
    // Tells the tool and the skeleton that the voxel goes, then deletes it.
    void destroyVoxel(Voxel* voxel);
    // The list changed at position `at`: indices from there on are found again when asked.
    void shifted(size_t at) { firstStale = std::min(firstStale, at); }

    EditorMode& editor;         // back pointer
    std::vector<Voxel*> voxels; // owned
    // Each voxel's index in the list; entries from firstStale on may be out of date.
    mutable std::unordered_map<const Voxel*, int> indices;
    mutable size_t firstStale = 0;
    VoxelBatches* batches = nullptr; // owned
};
