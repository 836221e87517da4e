#include "editor/Voxel.h"

#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "tests/editor/EditorTestFixture.h"

#include <OgreHardwareBufferManager.h>
#include <OgreManualObject.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

namespace
{

// Reads one element of every vertex of a section (positions or normals).
std::vector<Ogre::Vector3> readElement(Ogre::ManualObject::ManualObjectSection* section,
                                       Ogre::VertexElementSemantic semantic)
{
    Ogre::VertexData* data = section->getRenderOperation()->vertexData;
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

} // namespace

TEST(VoxelMesh, BoxIsThirtySixFlatOutwardVerticesAndATwelveEdgeOutline)
{
    EditorTestFixture fixture;
    Ogre::ManualObject* box = fixture.editor->voxels.at(0)->box;
    ASSERT_EQ(box->getNumSections(), 2u);
    Ogre::ManualObject::ManualObjectSection* solid = box->getSection(0);
    EXPECT_EQ(solid->getMaterialName(), "Box");
    EXPECT_EQ(solid->getRenderOperation()->operationType, Ogre::RenderOperation::OT_TRIANGLE_LIST);
    EXPECT_EQ(solid->getRenderOperation()->indexData->indexCount, 36u);
    std::vector<Ogre::Vector3> positions = readElement(solid, Ogre::VES_POSITION);
    std::vector<Ogre::Vector3> normals = readElement(solid, Ogre::VES_NORMAL);
    ASSERT_EQ(positions.size(), 36u);
    ASSERT_EQ(normals.size(), 36u);

    for (size_t t = 0; t < 12; ++t)
    {
        const Ogre::Vector3 *p = &positions[3 * t], &n = normals[3 * t];
        for (size_t k = 0; k < 3; ++k)
        {
            // One flat normal per triangle, a unit axis pointing away from the cube centre.
            EXPECT_EQ(normals[3 * t + k], n) << "triangle " << t;
            EXPECT_FLOAT_EQ(std::abs(p[k].x), 0.5f);
        }
        EXPECT_FLOAT_EQ(n.length(), 1.0f);
        EXPECT_GT(n.dotProduct(p[0] + p[1] + p[2]), 0.0f) << "triangle " << t << " faces inwards";
        // Counter-clockwise seen from outside.
        EXPECT_GT((p[1] - p[0]).crossProduct(p[2] - p[0]).dotProduct(n), 0.0f);
    }

    Ogre::ManualObject::ManualObjectSection* outline = box->getSection(1);
    EXPECT_EQ(outline->getMaterialName(), "BaseWhiteNoLighting");
    EXPECT_EQ(outline->getRenderOperation()->operationType, Ogre::RenderOperation::OT_LINE_LIST);
    std::vector<Ogre::Vector3> ends = readElement(outline, Ogre::VES_POSITION);
    ASSERT_EQ(ends.size(), 24u);
    EXPECT_TRUE(readElement(outline, Ogre::VES_NORMAL).empty());
    for (size_t e = 0; e < 12; ++e) // every edge is one unit long along one axis
        EXPECT_FLOAT_EQ(ends[2 * e].distance(ends[2 * e + 1]), 1.0f) << "edge " << e;
}

TEST(VoxelMesh, RecolouringRenamesTheBoxAndKeepsItsFlagsAndCell)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    editor->addVoxel(-1, 0, 2, Ogre::ColourValue(1, 0, 0, 1), QUERY_NEW_VOXEL);
    Voxel* voxel = editor->voxels.at(1);
    auto number = [&] { return unsigned(std::stoul(voxel->box->getName().substr(3))); };
    const std::string firstName = voxel->box->getName();
    const unsigned first = number();
    ASSERT_EQ(firstName.substr(0, 3), "box");
    EXPECT_EQ(first, Voxel::boxCounter);
    EXPECT_EQ(voxel->node->getPosition(), Ogre::Vector3(-0.5f, 0.5f, 2.5f));
    EXPECT_EQ(voxel->colour, Ogre::ColourValue(1, 0, 0, 1));
    EXPECT_EQ(voxel->box->getQueryFlags(), uint32_t(QUERY_NEW_VOXEL));

    voxel->setColour(Ogre::ColourValue(0, 0, 1, 1));
    EXPECT_EQ(number(), first + 1);
    EXPECT_EQ(voxel->box->getQueryFlags(), uint32_t(QUERY_NEW_VOXEL));
    EXPECT_EQ(voxel->box->getParentSceneNode(), voxel->node);
    EXPECT_FALSE(fixture.shown(firstName.c_str()));
    voxel->setColour(Ogre::ColourValue(0, 0, 1, 1)); // the same colour still rebuilds
    EXPECT_EQ(number(), first + 2);
    EXPECT_EQ((Voxel::Cell{-1, 0, 2}), voxel->gridPosition);
}
