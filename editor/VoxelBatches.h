#pragma once

#include "editor/Voxel.h"

#include <OgreAxisAlignedBox.h>
#include <OgreFrameListener.h>
#include <OgreRay.h>

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace Ogre
{
class SceneManager;
class SceneNode;
class SimpleRenderable;
} // namespace Ogre

// The voxels of one block of cells and the mesh that draws them.
struct VoxelBlock
{
    int key[3] = {0, 0, 0};
    std::vector<Voxel*> voxels;
    // A voxel in each cell of the block, by (z * 8 + y) * 8 + x from the block's corner.
    std::array<Voxel*, 512> occupant{};
    bool dirty = false;         // waits in the list of blocks to build again
    bool boundsStale = true;    // pickBounds must be found again
    Ogre::AxisAlignedBox pickBounds; // every pick box of the block, a hair larger
    Ogre::SceneNode* node = nullptr;  // owned, at the origin
    // The faces (material "Box", triangles) and the outlines ("BaseWhiteNoLighting", lines).
    Ogre::SimpleRenderable* faceMesh = nullptr; // owned
    Ogre::SimpleRenderable* outlineMesh = nullptr; // owned
    size_t faces = 0; // drawn at the last build
    size_t edges = 0;
};

// The drawing layer under the voxels. The model is cut into blocks of 8 x 8 x 8 cells; each
// block is drawn as two meshes: the faces of its voxels (material "Box") and their outlines
// (material "BaseWhiteNoLighting"), both in world coordinates. A face that touches another
// voxel is left out, and so are the outline edges that lie only between left-out faces; a
// neighbour counts only while the two are shown side by side, so posed or turned voxels keep
// every face. Blocks are drawn nearest first, so that hidden pixels cost little. Cubes stay upright whatever their stick does, so
// a pose moves vertices, not nodes.
//
// An edit marks the blocks it touches, and those are built again once, just before the next
// frame is drawn (or on flush). Picking walks the blocks the ray meets, nearest first, and
// tests the unit box around each voxel's shown centre.
class VoxelBatches : public Ogre::FrameListener
{
public:
    static const int blockSize = 8;

    explicit VoxelBatches(Ogre::SceneManager* sceneManager);
    ~VoxelBatches() override;
    VoxelBatches(const VoxelBatches&) = delete;
    VoxelBatches& operator=(const VoxelBatches&) = delete;

    // Kept up to date by the voxels themselves.
    void add(Voxel* voxel);
    void remove(Voxel* voxel);
    void moved(Voxel* voxel, const Voxel::Cell& from);
    // The colour changed, or (placeChanged) the shown centre.
    void changed(Voxel* voxel, bool placeChanged);

    // Builds again every block an edit touched.
    void flush();
    bool frameStarted(const Ogre::FrameEvent&) override;

    // The voxel with this cell, or null.
    Voxel* findAt(const Voxel::Cell& cell) const;
    // The voxel whose unit box the ray meets first among those whose query flags hold every
    // bit of queryMask, as a pick of one engine object per voxel would answer: the nearest
    // hit, and on equal distances the voxel whose name sorts first. Null when none.
    Voxel* pick(const Ogre::Ray& ray, unsigned queryMask, float& hitDistance);

    // The unit box a pick tests for a voxel.
    static Ogre::AxisAlignedBox pickBox(const Voxel& voxel);
    // Whether the voxel named "box" + a sorts before the one named "box" + b.
    static bool nameBefore(unsigned a, unsigned b);

    size_t blockCount() const { return blocks.size(); }
    // Voxels filed in all blocks: the voxel list's length while the two agree.
    size_t voxelCount() const;
    // The block holding the cell, or null.
    const VoxelBlock* blockAt(const Voxel::Cell& cell) const;
    // Faces and outline edges drawn now (after a flush), for tests and benchmarks.
    size_t drawnFaces() const;
    size_t drawnEdges() const;
    size_t builds = 0; // blocks built so far

private:
    // A block by its place: the cells it holds divided by 8, rounded down.
    struct Key
    {
        int x, y, z;
        bool operator==(const Key& other) const
        {
            return x == other.x && y == other.y && z == other.z;
        }
    };
    struct KeyHash
    {
        size_t operator()(const Key& key) const;
    };
    static Key keyOf(const Voxel::Cell& cell);
    static Key keyOf(const VoxelBlock& block, int dx = 0, int dy = 0, int dz = 0);
    // The cell's place in its block's occupant table.
    static int cellIndex(const Voxel::Cell& cell);
    VoxelBlock& blockFor(const Voxel::Cell& cell);
    void join(Voxel* voxel, VoxelBlock& block);
    // Takes the voxel out of its block, where it was filed under cell.
    void leave(Voxel* voxel, const Voxel::Cell& cell);
    // Marks the blocks beside the cell, whose left-out faces may depend on it.
    void touchNeighbours(const VoxelBlock& block, const Voxel::Cell& cell);
    void markDirty(VoxelBlock& block);
    void build(VoxelBlock& block);
    void destroyMesh(VoxelBlock& block);

    Ogre::SceneManager* sceneManager;
    // Vertices of the block being built, kept between builds.
    struct FaceVertex
    {
        float position[3];
        float normal[3];
        uint32_t colour;
    };
    static_assert(sizeof(FaceVertex) == 28, "faces are packed as the vertex declaration says");
    std::vector<FaceVertex> faceVertices;
    std::vector<uint32_t> faceIndices;
    std::vector<Ogre::Vector3> outlineVertices;
    std::unordered_map<Key, std::unique_ptr<VoxelBlock>, KeyHash> blocks;
    // Blocks to build again; one left without voxels goes at the next flush.
    std::vector<VoxelBlock*> dirtyBlocks;
    unsigned meshCounter = 0;
    bool listening = false;
};
