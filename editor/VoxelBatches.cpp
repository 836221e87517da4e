#include "editor/VoxelBatches.h"

#include <OgreCamera.h>
#include <OgreHardwareBufferManager.h>
#include <OgreMaterialManager.h>
#include <OgreMath.h>
#include <OgreRenderQueue.h>
#include <OgreRenderQueueSortingGrouping.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSimpleRenderable.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <charconv>
#include <cmath>
#include <cstring>

namespace
{

// Corner of the unit cube by the signs of x, y, z.
Ogre::Vector3 corner(int sx, int sy, int sz)
{
    return Ogre::Vector3(0.5f * sx, 0.5f * sy, 0.5f * sz);
}

struct Triangle
{
    Ogre::Vector3 a, b, c;
};

// Twelve triangles, two per face, wound counter-clockwise seen from outside.
const Triangle boxTriangles[12] = {
    {corner(-1, -1, -1), corner(-1, +1, -1), corner(+1, -1, -1)}, // -Z
    {corner(+1, -1, -1), corner(-1, +1, -1), corner(+1, +1, -1)}, // -Z
    {corner(+1, -1, -1), corner(+1, +1, -1), corner(+1, -1, +1)}, // +X
    {corner(+1, -1, +1), corner(+1, +1, -1), corner(+1, +1, +1)}, // +X
    {corner(+1, -1, +1), corner(+1, +1, +1), corner(-1, -1, +1)}, // +Z
    {corner(-1, -1, +1), corner(+1, +1, +1), corner(-1, +1, +1)}, // +Z
    {corner(-1, -1, +1), corner(-1, +1, +1), corner(-1, -1, -1)}, // -X
    {corner(-1, -1, -1), corner(-1, +1, +1), corner(-1, +1, -1)}, // -X
    {corner(-1, +1, -1), corner(-1, +1, +1), corner(+1, +1, -1)}, // +Y
    {corner(-1, +1, +1), corner(+1, +1, +1), corner(+1, +1, -1)}, // +Y
    {corner(-1, -1, -1), corner(+1, -1, -1), corner(-1, -1, +1)}, // -Y
    {corner(-1, -1, +1), corner(+1, -1, -1), corner(+1, -1, +1)}, // -Y
};

// The twelve edges of the outline, two end points each.
const Ogre::Vector3 outlinePoints[24] = {
    corner(-1, -1, -1), corner(+1, -1, -1), corner(-1, -1, -1), corner(-1, +1, -1),
    corner(-1, +1, -1), corner(+1, +1, -1), corner(+1, -1, -1), corner(+1, +1, -1),
    corner(+1, -1, +1), corner(-1, -1, +1), corner(+1, -1, +1), corner(+1, +1, +1),
    corner(+1, +1, +1), corner(-1, +1, +1), corner(-1, -1, +1), corner(-1, +1, +1),
    corner(+1, -1, -1), corner(+1, -1, +1), corner(+1, +1, -1), corner(+1, +1, +1),
    corner(-1, -1, -1), corner(-1, -1, +1), corner(-1, +1, -1), corner(-1, +1, +1),
};

// One face of the cube: its two triangles as four corners and six indices, in the order and
// winding of the table above, and the cell across it.
struct Face
{
    Ogre::Vector3 normal;
    int step[3] = {0, 0, 0};
    Ogre::Vector3 corners[4];
    int cornerCount = 0;
    Ogre::uint32 indices[6] = {0, 0, 0, 0, 0, 0};
};

// One outline edge, the two faces that meet along it, and where it lies on the lattice: the
// cube corner of its lower end (0 or 1 on each axis) and the axis it runs along.
struct Edge
{
    Ogre::Vector3 from, to;
    int faces[2] = {0, 0};
    int low[3] = {0, 0, 0};
    int axis = 0;
};

struct Cube
{
    std::array<Face, 6> faces;
    std::array<Edge, 12> edges;

    Cube()
    {
        for (int f = 0; f < 6; ++f)
        {
            Face& face = faces[f];
            const Triangle& first = boxTriangles[2 * f];
            face.normal =
                (first.b - first.a).crossProduct(first.c - first.a).normalisedCopy();
            for (int axis = 0; axis < 3; ++axis)
                face.step[axis] = int(std::lround(face.normal[axis]));
            for (int t = 0; t < 2; ++t)
            {
                const Triangle& triangle = boxTriangles[2 * f + t];
                const Ogre::Vector3 points[3] = {triangle.a, triangle.b, triangle.c};
                for (int p = 0; p < 3; ++p)
                {
                    int found = 0;
                    while (found < face.cornerCount && face.corners[found] != points[p])
                        ++found;
                    if (found == face.cornerCount)
                        face.corners[face.cornerCount++] = points[p];
                    face.indices[3 * t + p] = Ogre::uint32(found);
                }
            }
        }
        for (int e = 0; e < 12; ++e)
        {
            Edge& edge = edges[e];
            edge.from = outlinePoints[2 * e];
            edge.to = outlinePoints[2 * e + 1];
            int found = 0;
            for (int axis = 0; axis < 3; ++axis)
            {
                edge.low[axis] = std::min(edge.from[axis], edge.to[axis]) > 0.0f ? 1 : 0;
                if (edge.from[axis] != edge.to[axis])
                {
                    edge.axis = axis;
                    continue;
                }
                const int sign = edge.from[axis] > 0.0f ? 1 : -1;
                for (int f = 0; f < 6; ++f)
                    if (faces[f].step[axis] == sign)
                        edge.faces[found] = f;
                ++found;
            }
        }
    }
};

const Cube& cube()
{
    static const Cube instance;
    return instance;
}

// Two voxels whose centres are this close to one cell apart are drawn as neighbours.
const float neighbourTolerance = 1e-4f;
// Block bounds are this much larger than the boxes they hold, so that a ray meeting a box
// always meets its block, whatever the rounding.
const float boundsMargin = 1e-3f;

// The block number of a cell coordinate (rounded down) and its place in the block, 0 to 7.
int blockOf(int cell) { return cell >= 0 ? cell / VoxelBatches::blockSize
                                         : -((-(cell + 1)) / VoxelBatches::blockSize) - 1; }
int inBlock(int cell) { return int(unsigned(cell) % unsigned(VoxelBatches::blockSize)); }

// One mesh of a block, vertices in world coordinates written straight into a dynamic buffer
// that grows as needed.
class BlockMesh : public Ogre::SimpleRenderable
{
public:
    BlockMesh(const std::string& name, const std::string& material,
              Ogre::RenderOperation::OperationType type, bool faces)
        : Ogre::SimpleRenderable(name)
    {
        mRenderOp.operationType = type;
        mRenderOp.vertexData = new Ogre::VertexData();
        Ogre::VertexDeclaration* declaration = mRenderOp.vertexData->vertexDeclaration;
        size_t offset = declaration->addElement(0, 0, Ogre::VET_FLOAT3, Ogre::VES_POSITION).getSize();
        if (faces)
        {
            offset += declaration->addElement(0, offset, Ogre::VET_FLOAT3, Ogre::VES_NORMAL).getSize();
            declaration->addElement(0, offset, Ogre::VertexElement::getBestColourVertexElementType(),
                                    Ogre::VES_DIFFUSE);
            mRenderOp.useIndexes = true;
            mRenderOp.indexData = new Ogre::IndexData();
        }
        else
        {
            mRenderOp.useIndexes = false;
        }
        Ogre::MaterialPtr found = Ogre::MaterialManager::getSingleton().getByName(material);
        setMaterial(found ? found : Ogre::MaterialManager::getSingleton().getDefaultMaterial());
        setQueryFlags(0); // voxels are picked through their drawing layer, never as objects
    }

    ~BlockMesh() override
    {
        delete mRenderOp.vertexData;
        delete mRenderOp.indexData;
    }

    // Replaces the vertices (and indices) and the bounds.
    void write(const void* vertices, size_t vertexCount, const uint32_t* indices,
               size_t indexCount, const Ogre::AxisAlignedBox& bounds)
    {
        Ogre::HardwareBufferManager& manager = Ogre::HardwareBufferManager::getSingleton();
        Ogre::VertexData* data = mRenderOp.vertexData;
        const size_t vertexSize = data->vertexDeclaration->getVertexSize(0);
        Ogre::HardwareVertexBufferSharedPtr buffer =
            data->vertexBufferBinding->isBufferBound(0) ? data->vertexBufferBinding->getBuffer(0)
                                                        : Ogre::HardwareVertexBufferSharedPtr();
        if (!buffer || buffer->getNumVertices() < vertexCount)
        {
            buffer = manager.createVertexBuffer(
                vertexSize, roomFor(vertexCount),
                Ogre::HardwareBuffer::HBU_DYNAMIC_WRITE_ONLY_DISCARDABLE);
            data->vertexBufferBinding->setBinding(0, buffer);
        }
        buffer->writeData(0, vertexCount * vertexSize, vertices, true);
        data->vertexStart = 0;
        data->vertexCount = vertexCount;

        if (Ogre::IndexData* indexData = mRenderOp.indexData)
        {
            if (!indexData->indexBuffer || indexData->indexBuffer->getNumIndexes() < indexCount)
                indexData->indexBuffer = manager.createIndexBuffer(
                    Ogre::HardwareIndexBuffer::IT_32BIT, roomFor(indexCount),
                    Ogre::HardwareBuffer::HBU_DYNAMIC_WRITE_ONLY_DISCARDABLE);
            indexData->indexBuffer->writeData(0, indexCount * sizeof(uint32_t), indices, true);
            indexData->indexStart = 0;
            indexData->indexCount = indexCount;
        }
        setBoundingBox(bounds);
        radius = bounds.getHalfSize().length();
    }

    // From the middle of the block, by which blocks are drawn nearest first.
    Ogre::Real getSquaredViewDepth(const Ogre::Camera* camera) const override
    {
        return (mBox.getCenter() - camera->getDerivedPosition()).squaredLength();
    }
    Ogre::Real getBoundingRadius() const override { return radius; }

private:
    // Buffers grow by half again, so that a block built up voxel by voxel seldom makes a new one.
    static size_t roomFor(size_t count) { return std::max<size_t>(64, count + count / 2); }

    Ogre::Real radius = 0.0f;
};

} // namespace

VoxelBatches::VoxelBatches(Ogre::SceneManager* sceneManager) : sceneManager(sceneManager)
{
    // Opaque objects nearest first, rather than grouped by material: a pixel hidden behind a
    // nearer face then fails its depth test before it is shaded. Faces sit a hair behind their
    // outlines (the "Box" material's depth bias), so the order never decides which one shows.
    Ogre::RenderQueueGroup* main =
        sceneManager->getRenderQueue()->getQueueGroup(Ogre::RENDER_QUEUE_MAIN);
    main->resetOrganisationModes();
    main->addOrganisationMode(Ogre::QueuedRenderableCollection::OM_SORT_ASCENDING);
    if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
    {
        root->addFrameListener(this);
        listening = true;
    }
}

VoxelBatches::~VoxelBatches()
{
    if (listening)
        if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
            root->removeFrameListener(this);
    for (auto& entry : blocks)
    {
        for (Voxel* voxel : entry.second->voxels)
        {
            voxel->block = nullptr;
            voxel->slot = -1;
            voxel->batches = nullptr;
        }
        destroyMesh(*entry.second);
    }
}

int VoxelBatches::cellIndex(const Voxel::Cell& cell)
{
    return (inBlock(cell.z) * blockSize + inBlock(cell.y)) * blockSize + inBlock(cell.x);
}

VoxelBatches::Key VoxelBatches::keyOf(const Voxel::Cell& cell)
{
    return Key{blockOf(cell.x), blockOf(cell.y), blockOf(cell.z)};
}

VoxelBatches::Key VoxelBatches::keyOf(const VoxelBlock& block, int dx, int dy, int dz)
{
    // Block numbers stay within a 32-bit cell divided by 8, so one step aside cannot overflow.
    return Key{block.key[0] + dx, block.key[1] + dy, block.key[2] + dz};
}

size_t VoxelBatches::KeyHash::operator()(const Key& key) const
{
    uint64_t mixed = uint64_t(uint32_t(key.x)) * 0x9E3779B97F4A7C15ull;
    mixed ^= uint64_t(uint32_t(key.y)) * 0xC2B2AE3D27D4EB4Full + (mixed << 6) + (mixed >> 2);
    mixed ^= uint64_t(uint32_t(key.z)) * 0x165667B19E3779F9ull + (mixed << 6) + (mixed >> 2);
    return size_t(mixed);
}

VoxelBlock& VoxelBatches::blockFor(const Voxel::Cell& cell)
{
    const Key key = keyOf(cell);
    std::unique_ptr<VoxelBlock>& block = blocks[key];
    if (!block)
    {
        block.reset(new VoxelBlock());
        block->key[0] = key.x;
        block->key[1] = key.y;
        block->key[2] = key.z;
    }
    return *block;
}

void VoxelBatches::markDirty(VoxelBlock& block)
{
    block.boundsStale = true;
    if (block.dirty)
        return;
    block.dirty = true;
    dirtyBlocks.push_back(&block);
}

void VoxelBatches::join(Voxel* voxel, VoxelBlock& block)
{
    voxel->block = &block;
    voxel->slot = int(block.voxels.size());
    block.voxels.push_back(voxel);
    Voxel*& occupant = block.occupant[size_t(cellIndex(voxel->gridPosition))];
    if (!occupant)
        occupant = voxel;
    markDirty(block);
    touchNeighbours(block, voxel->gridPosition);
}

void VoxelBatches::leave(Voxel* voxel, const Voxel::Cell& cell)
{
    VoxelBlock& block = *voxel->block;
    Voxel* last = block.voxels.back();
    block.voxels[size_t(voxel->slot)] = last;
    last->slot = voxel->slot;
    block.voxels.pop_back();
    voxel->block = nullptr;
    voxel->slot = -1;
    Voxel*& occupant = block.occupant[size_t(cellIndex(cell))];
    if (occupant == voxel)
    {
        // Another voxel may have been moved into the same cell.
        occupant = nullptr;
        for (Voxel* other : block.voxels)
            if (other->gridPosition == cell)
            {
                occupant = other;
                break;
            }
    }
    markDirty(block);
    touchNeighbours(block, cell);
}

void VoxelBatches::touchNeighbours(const VoxelBlock& block, const Voxel::Cell& cell)
{
    const int at[3] = {inBlock(cell.x), inBlock(cell.y), inBlock(cell.z)};
    for (int axis = 0; axis < 3; ++axis)
        for (int side : {-1, 1})
        {
            if (at[axis] != (side < 0 ? 0 : blockSize - 1))
                continue;
            int step[3] = {0, 0, 0};
            step[axis] = side;
            const auto found = blocks.find(keyOf(block, step[0], step[1], step[2]));
            if (found != blocks.end())
                markDirty(*found->second);
        }
}

void VoxelBatches::add(Voxel* voxel)
{
    if (!voxel->block)
        join(voxel, blockFor(voxel->gridPosition));
}

void VoxelBatches::remove(Voxel* voxel)
{
    if (voxel->block)
        leave(voxel, voxel->gridPosition);
}

void VoxelBatches::moved(Voxel* voxel, const Voxel::Cell& from)
{
    if (!voxel->block)
        return;
    leave(voxel, from);
    join(voxel, blockFor(voxel->gridPosition));
}

void VoxelBatches::changed(Voxel* voxel, bool placeChanged)
{
    if (!voxel->block)
        return;
    markDirty(*voxel->block);
    if (placeChanged)
        touchNeighbours(*voxel->block, voxel->gridPosition);
}

bool VoxelBatches::frameStarted(const Ogre::FrameEvent&)
{
    flush();
    return true;
}

void VoxelBatches::flush()
{
    for (VoxelBlock* block : dirtyBlocks)
    {
        block->dirty = false;
        if (!block->voxels.empty())
        {
            build(*block);
            continue;
        }
        destroyMesh(*block);
        blocks.erase(keyOf(*block));
    }
    dirtyBlocks.clear();
}

void VoxelBatches::destroyMesh(VoxelBlock& block)
{
    if (block.node)
    {
        block.node->detachAllObjects();
        sceneManager->destroySceneNode(block.node);
    }
    delete block.faceMesh;
    delete block.outlineMesh;
    block.node = nullptr;
    block.faceMesh = nullptr;
    block.outlineMesh = nullptr;
    block.faces = 0;
    block.edges = 0;
}

void VoxelBatches::build(VoxelBlock& block)
{
    const Cube& shape = cube();
    const int size = blockSize;
    // The blocks beside this one, face by face, for the voxels on its borders.
    const VoxelBlock* beside[6] = {};
    for (int f = 0; f < 6; ++f)
    {
        const int* step = shape.faces[f].step;
        const auto found = blocks.find(keyOf(block, step[0], step[1], step[2]));
        beside[f] = found == blocks.end() ? nullptr : found->second.get();
    }
    auto neighbour = [&](const Voxel::Cell& cell, int f) -> const Voxel*
    {
        const int* step = shape.faces[f].step;
        int at[3] = {inBlock(cell.x) + step[0], inBlock(cell.y) + step[1],
                     inBlock(cell.z) + step[2]};
        const VoxelBlock* holder = &block;
        for (int axis = 0; axis < 3; ++axis)
            if (at[axis] < 0 || at[axis] >= size)
            {
                holder = beside[f];
                at[axis] = (at[axis] + size) % size;
            }
        return holder ? holder->occupant[size_t((at[2] * size + at[1]) * size + at[0])] : nullptr;
    };

    // The faces each voxel shows (bit f for face f) and the outline edges it draws (bit e).
    std::vector<uint8_t> shown(block.voxels.size(), 0x3F);
    std::vector<uint16_t> drawnEdges(block.voxels.size(), 0);
    std::bitset<(blockSize + 1) * (blockSize + 1) * (blockSize + 1) * 3> edgeTaken;
    size_t faces = 0;
    size_t edges = 0;
    for (size_t i = 0; i < block.voxels.size(); ++i)
    {
        const Voxel& voxel = *block.voxels[i];
        for (int f = 0; f < 6; ++f)
        {
            const Voxel* other = neighbour(voxel.gridPosition, f);
            if (!other || other == &voxel)
                continue;
            const Ogre::Vector3 gap = other->position - voxel.position - shape.faces[f].normal;
            if (std::fabs(gap.x) <= neighbourTolerance && std::fabs(gap.y) <= neighbourTolerance &&
                std::fabs(gap.z) <= neighbourTolerance)
                shown[i] &= uint8_t(~(1u << f));
        }
        for (int f = 0; f < 6; ++f)
            faces += (shown[i] >> f) & 1u;
        // An edge shared with another voxel of the block standing on its cell (diagonal
        // neighbours, neighbours in a row) is drawn once.
        const Voxel::Cell& cell = voxel.gridPosition;
        const bool onCell = voxel.position == Ogre::Vector3(float(cell.x), float(cell.y),
                                                            float(cell.z)) +
                                                  Ogre::Vector3(0.5f, 0.5f, 0.5f);
        const int at[3] = {inBlock(cell.x), inBlock(cell.y), inBlock(cell.z)};
        for (int e = 0; e < 12; ++e)
        {
            const Edge& edge = shape.edges[e];
            if (!(((shown[i] >> edge.faces[0]) | (shown[i] >> edge.faces[1])) & 1u))
                continue;
            if (onCell)
            {
                const size_t key = size_t(
                    (((at[2] + edge.low[2]) * (size + 1) + at[1] + edge.low[1]) * (size + 1) +
                     at[0] + edge.low[0]) * 3 + edge.axis);
                if (edgeTaken[key])
                    continue;
                edgeTaken[key] = true;
            }
            drawnEdges[i] = uint16_t(drawnEdges[i] | 1u << e);
            ++edges;
        }
    }

    faceVertices.resize(faces * 4);
    faceIndices.resize(faces * 6);
    outlineVertices.resize(edges * 2);
    FaceVertex* vertex = faceVertices.data();
    uint32_t* index = faceIndices.data();
    Ogre::Vector3* end = outlineVertices.data();
    const Ogre::VertexElementType colourType = Ogre::VertexElement::getBestColourVertexElementType();
    Ogre::Vector3 low = block.voxels.front()->position;
    Ogre::Vector3 high = low;
    uint32_t base = 0;
    for (size_t i = 0; i < block.voxels.size(); ++i)
    {
        const Voxel& voxel = *block.voxels[i];
        low.makeFloor(voxel.position);
        high.makeCeil(voxel.position);
        const uint32_t colour = Ogre::VertexElement::convertColourValue(voxel.colour, colourType);
        for (int f = 0; f < 6; ++f)
        {
            if (!((shown[i] >> f) & 1u))
                continue;
            const Face& face = shape.faces[f];
            for (int c = 0; c < face.cornerCount; ++c, ++vertex)
            {
                const Ogre::Vector3 point = voxel.position + face.corners[c];
                std::memcpy(vertex->position, point.ptr(), sizeof vertex->position);
                std::memcpy(vertex->normal, face.normal.ptr(), sizeof vertex->normal);
                vertex->colour = colour;
            }
            for (Ogre::uint32 corner : face.indices)
                *index++ = base + corner;
            base += uint32_t(face.cornerCount);
        }
        for (int e = 0; e < 12; ++e)
        {
            if (!((drawnEdges[i] >> e) & 1u))
                continue;
            const Edge& edge = shape.edges[e];
            *end++ = voxel.position + edge.from;
            *end++ = voxel.position + edge.to;
        }
    }
    const Ogre::AxisAlignedBox bounds(low - Ogre::Vector3(0.5f), high + Ogre::Vector3(0.5f));

    if (!block.node)
    {
        const std::string name = "voxelBlock" + std::to_string(++meshCounter);
        block.faceMesh = new BlockMesh(name + "Faces", "Box",
                                       Ogre::RenderOperation::OT_TRIANGLE_LIST, true);
        block.outlineMesh = new BlockMesh(name + "Outline", "BaseWhiteNoLighting",
                                          Ogre::RenderOperation::OT_LINE_LIST, false);
        block.node = sceneManager->getRootSceneNode()->createChildSceneNode(
            Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY);
        block.node->attachObject(block.faceMesh);
        block.node->attachObject(block.outlineMesh);
    }
    static_cast<BlockMesh*>(block.faceMesh)
        ->write(faceVertices.data(), faceVertices.size(), faceIndices.data(), faceIndices.size(),
                bounds);
    static_cast<BlockMesh*>(block.outlineMesh)
        ->write(outlineVertices.data(), outlineVertices.size(), nullptr, 0, bounds);
    block.faces = faces;
    block.edges = edges;
    ++builds;
}

const VoxelBlock* VoxelBatches::blockAt(const Voxel::Cell& cell) const
{
    const auto found = blocks.find(keyOf(cell));
    return found == blocks.end() ? nullptr : found->second.get();
}

Voxel* VoxelBatches::findAt(const Voxel::Cell& cell) const
{
    const auto found = blocks.find(keyOf(cell));
    if (found == blocks.end())
        return nullptr;
    return found->second->occupant[size_t(cellIndex(cell))];
}

Ogre::AxisAlignedBox VoxelBatches::pickBox(const Voxel& voxel)
{
    // As a unit cube's own box moved to its node would be: every float the same.
    return Ogre::AxisAlignedBox(Ogre::Vector3(-0.5f, -0.5f, -0.5f) + voxel.position,
                                Ogre::Vector3(0.5f, 0.5f, 0.5f) + voxel.position);
}

bool VoxelBatches::nameBefore(unsigned a, unsigned b)
{
    char first[16];
    char second[16];
    char* firstEnd = std::to_chars(first, first + sizeof first, a).ptr;
    char* secondEnd = std::to_chars(second, second + sizeof second, b).ptr;
    return std::lexicographical_compare(first, firstEnd, second, secondEnd);
}

Voxel* VoxelBatches::pick(const Ogre::Ray& ray, unsigned queryMask, float& hitDistance)
{
    struct Met
    {
        float distance;
        VoxelBlock* block;
    };
    std::vector<Met> met;
    for (auto& entry : blocks)
    {
        VoxelBlock& block = *entry.second;
        if (block.voxels.empty())
            continue;
        if (block.boundsStale)
        {
            Ogre::Vector3 low = block.voxels.front()->position;
            Ogre::Vector3 high = low;
            for (const Voxel* voxel : block.voxels)
            {
                low.makeFloor(voxel->position);
                high.makeCeil(voxel->position);
            }
            const Ogre::Vector3 reach(0.5f + boundsMargin);
            block.pickBounds.setExtents(low - reach, high + reach);
            block.boundsStale = false;
        }
        const std::pair<bool, Ogre::Real> hit = Ogre::Math::intersects(ray, block.pickBounds);
        if (hit.first)
            met.push_back({hit.second, &block});
    }
    std::sort(met.begin(), met.end(),
              [](const Met& a, const Met& b) { return a.distance < b.distance; });

    Voxel* best = nullptr;
    hitDistance = -1.0f;
    for (const Met& candidate : met)
    {
        if (best && candidate.distance > hitDistance)
            break;
        for (Voxel* voxel : candidate.block->voxels)
        {
            if ((voxel->queryFlags & queryMask) != queryMask)
                continue;
            const std::pair<bool, Ogre::Real> hit = Ogre::Math::intersects(ray, pickBox(*voxel));
            if (!hit.first)
                continue;
            if (!best || hit.second < hitDistance ||
                (hit.second == hitDistance && nameBefore(voxel->boxNumber, best->boxNumber)))
            {
                best = voxel;
                hitDistance = hit.second;
            }
        }
    }
    return best;
}

size_t VoxelBatches::drawnFaces() const
{
    size_t total = 0;
    for (const auto& entry : blocks)
        total += entry.second->faces;
    return total;
}

size_t VoxelBatches::drawnEdges() const
{
    size_t total = 0;
    for (const auto& entry : blocks)
        total += entry.second->edges;
    return total;
}

size_t VoxelBatches::voxelCount() const
{
    size_t count = 0;
    for (const auto& block : blocks)
        count += block.second->voxels.size();
    return count;
}
