#include "editor/Voxel.h"

#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "editor/VoxelBatches.h"
#include "tests/editor/EditorTestFixture.h"

#include <OgreHardwareBufferManager.h>
#include <OgreMaterial.h>
#include <OgreSimpleRenderable.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <climits>

namespace
{

// Reads one element of every vertex of a section (positions or normals).
std::vector<Ogre::Vector3> readElement(const Ogre::RenderOperation& operation,
                                       Ogre::VertexElementSemantic semantic)
{
    Ogre::VertexData* data = operation.vertexData;
    const Ogre::VertexElement* element = data->vertexDeclaration->findElementBySemantic(semantic);
    std::vector<Ogre::Vector3> values;
    if (!element)
        return values;
    Ogre::HardwareVertexBufferSharedPtr buffer =
        data->vertexBufferBinding->getBuffer(element->getSource());
    auto* base = static_cast<unsigned char*>(buffer->lock(Ogre::HardwareBuffer::HBL_READ_ONLY));
    for (size_t v = 0; v < data->vertexCount; ++v)
    {
        float* f;
        element->baseVertexPointerToElement(base + v * buffer->getVertexSize(), &f);
        values.emplace_back(f[0], f[1], f[2]);
    }
    buffer->unlock();
    return values;
}


// The render operations of the faces and the outlines of the block holding the cell.
struct BlockDrawing
{
    Ogre::RenderOperation faces;
    Ogre::RenderOperation outline;
    Ogre::SimpleRenderable* faceMesh = nullptr;
    Ogre::SimpleRenderable* outlineMesh = nullptr;
};

BlockDrawing blockDrawing(EditorTestFixture& fixture, const Voxel::Cell& cell)
{
    VoxelBatches* batches = fixture.editor->getVoxelBatches();
    batches->flush();
    BlockDrawing drawing;
    const VoxelBlock* block = batches->blockAt(cell);
    if (!block || !block->faceMesh)
        return drawing;
    drawing.faceMesh = block->faceMesh;
    drawing.outlineMesh = block->outlineMesh;
    block->faceMesh->getRenderOperation(drawing.faces);
    block->outlineMesh->getRenderOperation(drawing.outline);
    return drawing;
}

} // namespace

TEST(VoxelMesh, LoneVoxelIsTwelveFlatOutwardTrianglesAndATwelveEdgeOutline)
{
    EditorTestFixture fixture;
    fixture.clearVoxels();
    fixture.editor->addVoxel(-1, 0, 2, Ogre::ColourValue(0.2f, 0.4f, 0.6f, 1), QUERY_VOXEL);
    const BlockDrawing drawing = blockDrawing(fixture, {-1, 0, 2});
    ASSERT_NE(drawing.faceMesh, nullptr);
    EXPECT_EQ(drawing.faceMesh->getMaterial()->getName(), "Box");
    // Voxels are never picked as engine objects.
    EXPECT_EQ(drawing.faceMesh->getQueryFlags() | drawing.outlineMesh->getQueryFlags(), 0u);
    const std::vector<Ogre::Vector3> positions = readElement(drawing.faces, Ogre::VES_POSITION);
    const std::vector<Ogre::Vector3> normals = readElement(drawing.faces, Ogre::VES_NORMAL);
    const Ogre::Vector3 centre(-0.5f, 0.5f, 2.5f);

    Ogre::IndexData* indices = drawing.faces.indexData;
    ASSERT_EQ(indices->indexCount, 36u);
    auto* index = static_cast<uint32_t*>(indices->indexBuffer->lock(Ogre::HardwareBuffer::HBL_READ_ONLY));
    for (size_t t = 0; t < 12; ++t)
    {
        const Ogre::Vector3 p[3] = {positions.at(index[3 * t]) - centre,
                                    positions.at(index[3 * t + 1]) - centre,
                                    positions.at(index[3 * t + 2]) - centre};
        const Ogre::Vector3& n = normals.at(index[3 * t]);
        for (size_t k = 0; k < 3; ++k)
        {
            // One flat normal per triangle, a unit axis pointing away from the cube centre.
            EXPECT_EQ(normals.at(index[3 * t + k]), n) << "triangle " << t;
            EXPECT_FLOAT_EQ(std::abs(p[k].x), 0.5f);
        }
        EXPECT_FLOAT_EQ(n.length(), 1.0f);
        EXPECT_GT(n.dotProduct(p[0] + p[1] + p[2]), 0.0f) << "triangle " << t << " faces inwards";
        // Counter-clockwise seen from outside.
        EXPECT_GT((p[1] - p[0]).crossProduct(p[2] - p[0]).dotProduct(n), 0.0f);
    }
    indices->indexBuffer->unlock();

    EXPECT_EQ(drawing.outlineMesh->getMaterial()->getName(), "BaseWhiteNoLighting");
    const std::vector<Ogre::Vector3> ends = readElement(drawing.outline, Ogre::VES_POSITION);
    ASSERT_EQ(ends.size(), 24u);
    for (size_t e = 0; e < 12; ++e) // every edge is one unit long along one axis, on the cube
    {
        EXPECT_FLOAT_EQ(ends[2 * e].distance(ends[2 * e + 1]), 1.0f) << "edge " << e;
        EXPECT_FLOAT_EQ((ends[2 * e] - centre).squaredLength(), 0.75f) << "edge " << e;
    }
}

TEST(VoxelMesh, FacesBetweenNeighboursShownSideBySideAreLeftOut)
{
    EditorTestFixture fixture;
    fixture.clearVoxels();
    EditorMode* editor = fixture.editor;
    VoxelBatches* batches = editor->getVoxelBatches();
    // A solid 3 x 3 x 3 block in one block of cells: its 54 outer faces, and the 108 edges of
    // those faces, each drawn once.
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y)
            for (int z = 0; z < 3; ++z)
                editor->addVoxel(x, y, z, Ogre::ColourValue::White, QUERY_VOXEL);
    batches->flush();
    EXPECT_EQ(batches->blockCount(), 1u);
    EXPECT_EQ(batches->drawnFaces(), 54u);
    EXPECT_EQ(batches->drawnEdges(), 108u);

    // A posed voxel keeps every face, and so do the neighbours it left.
    editor->voxels[13]->setPosition(Ogre::Vector3(1.5f, 1.8f, 1.5f));
    batches->flush();
    EXPECT_EQ(batches->drawnFaces(), 54u + 6u + 6u);
    editor->voxels[13]->setPosition(Ogre::Vector3(1.5f, 1.5f, 1.5f));

    // Neighbours in two blocks of cells hide each other's faces too; an edit builds only the
    // block it touched, or its neighbour as well when a face between them comes or goes.
    editor->removeVoxels({13});
    editor->addVoxel(7, 0, 0, Ogre::ColourValue::White, QUERY_VOXEL);
    editor->addVoxel(8, 0, 0, Ogre::ColourValue::White, QUERY_VOXEL);
    batches->flush();
    EXPECT_EQ(batches->blockCount(), 2u);
    EXPECT_EQ(batches->drawnFaces(), 54u + 6u + 10u);
    const size_t builds = batches->builds;
    editor->paintVoxel(int(editor->voxels.size()) - 1, Ogre::ColourValue::Red);
    batches->flush();
    EXPECT_EQ(batches->builds, builds + 1);
    editor->removeVoxels({int(editor->voxels.size()) - 1});
    batches->flush();
    EXPECT_EQ(batches->blockCount(), 1u);
    EXPECT_EQ(batches->drawnFaces(), 54u + 6u + 6u);
    EXPECT_EQ(blockDrawing(fixture, {8, 0, 0}).faceMesh, nullptr); // the emptied block is gone
}

TEST(VoxelMesh, RecolouringRenamesTheBoxAndKeepsItsFlagsAndCell)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    editor->addVoxel(-1, 0, 2, Ogre::ColourValue(1, 0, 0, 1), QUERY_NEW_VOXEL);
    Voxel* voxel = editor->voxels.at(1);
    auto number = [&] { return unsigned(std::stoul(voxel->getName().substr(3))); };
    ASSERT_EQ(voxel->getName().substr(0, 3), "box");
    const unsigned first = number();
    EXPECT_EQ(first, Voxel::boxCounter);
    EXPECT_EQ(voxel->getQueryFlags(), uint32_t(QUERY_NEW_VOXEL));

    voxel->setColour(Ogre::ColourValue(0, 0, 1, 1));
    EXPECT_EQ(number(), first + 1);
    EXPECT_EQ(voxel->getQueryFlags(), uint32_t(QUERY_NEW_VOXEL));
    voxel->setColour(Ogre::ColourValue(0, 0, 1, 1)); // the same colour still renames
    EXPECT_EQ(number(), first + 2);
    voxel->recolour(Ogre::ColourValue(0, 1, 0, 1)); // undo's recolouring keeps the name
    EXPECT_EQ(number(), first + 2);
    EXPECT_EQ((Voxel::Cell{-1, 0, 2}), voxel->gridPosition);
    // The colour reaches the mesh.
    Ogre::VertexData* data = blockDrawing(fixture, {-1, 0, 2}).faces.vertexData;
    const Ogre::VertexElement* diffuse =
        data->vertexDeclaration->findElementBySemantic(Ogre::VES_DIFFUSE);
    ASSERT_NE(diffuse, nullptr);
    Ogre::HardwareVertexBufferSharedPtr buffer =
        data->vertexBufferBinding->getBuffer(diffuse->getSource());
    auto* base = static_cast<unsigned char*>(buffer->lock(Ogre::HardwareBuffer::HBL_READ_ONLY));
    Ogre::uint32* colour;
    diffuse->baseVertexPointerToElement(base, &colour);
    EXPECT_EQ(*colour, Ogre::VertexElement::convertColourValue(Ogre::ColourValue(0, 1, 0, 1),
                                                               diffuse->getType()));
    buffer->unlock();
}

TEST(VoxelMesh, CellsAtTheEndsOfTheIntegerRangeKeepTheirOwnBlocks)
{
    EditorTestFixture fixture;
    fixture.clearVoxels();
    EditorMode* editor = fixture.editor;
    const int far = 1 << 24; // 2^21 blocks away: a key packed into 21 bits would meet block 0
    const std::vector<Voxel::Cell> cells = {{0, 0, 0},         {far, 0, 0},
                                            {INT_MAX, 0, 0},   {INT_MAX - 1, 0, 0},
                                            {INT_MIN, 0, 0},   {INT_MIN, INT_MIN, INT_MAX}};
    for (const Voxel::Cell& cell : cells)
        editor->addVoxel(cell.x, cell.y, cell.z, Ogre::ColourValue::White, QUERY_VOXEL);
    VoxelBatches* batches = editor->getVoxelBatches();
    batches->flush();
    ASSERT_EQ(editor->voxels.size(), cells.size());
    for (size_t i = 0; i < cells.size(); ++i)
        EXPECT_EQ(batches->findAt(cells[i]), editor->voxels[i]);
    EXPECT_EQ(batches->findAt({8, 0, 0}), nullptr);
    EXPECT_EQ(batches->blockCount(), 5u);
    // The two at the top are neighbours by cell, but a float cannot place them one apart there.
    EXPECT_EQ(batches->drawnFaces(), 6u * 6);
    float distance = 0.0f;
    EXPECT_EQ(editor->pickVoxel(Ogre::Ray(Ogre::Vector3(0.5f, 0.5f, 9), Ogre::Vector3(0, 0, -1)),
                                QUERY_VOXEL, distance),
              0);
}
