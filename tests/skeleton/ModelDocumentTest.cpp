#include "skeleton/ModelDocument.h"

#include "tests/TempFolder.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

#include <fstream>

// The sample was written by the editor: read and written again without an engine, both files
// come back byte for byte.
TEST(ModelDocument, SampleWritesBackByteForByte)
{
    const std::string model = (EXAMPLES / "bramblewick.xml").string();
    const std::string animations = (EXAMPLES / "bramblewick_animations.xml").string();
    ModelDocument document;
    ASSERT_TRUE(readModelFile(model, document));
    readAnimationFile(animations, document);

    TempFolder folder("bramblewick-document");
    ASSERT_TRUE(writeModelFile(document, folder.file("model.xml")));
    ASSERT_TRUE(writeAnimationFile(document, folder.file("animations.xml")));
    EXPECT_EQ(readFile(folder.file("model.xml")), readFile(model));
    EXPECT_EQ(readFile(folder.file("animations.xml")), readFile(animations));
    EXPECT_FALSE(writeModelFile(document, folder.file("missing/model.xml")));
}

// Hand-edited files, and files older versions wrote with two voxels in a cell, keep the editor's
// reading (the editor's own tests cover particles and sticks): the later voxel of a cell is
// dropped and noted as a problem, binding entries are renumbered to the kept voxels and one that
// named the dropped voxel goes; a missing file is a new model.
TEST(ModelDocument, ReadsHandEditedFilesAsTheEditorDoes)
{
    TempFolder folder("bramblewick-document");
    std::ofstream(folder.file("model.xml"))
        << "<model><voxels><voxel x=\"1\"/><voxel x=\"1\" r=\"0\"/><voxel y=\"2\"/></voxels>"
           "<skeleton><particle id=\"4\"/><particle id=\"5\" y=\"1\"/><stick a=\"4\" b=\"5\"/>"
           "</skeleton><skeletonVoxelBindings><group constraintIndex=\"0\"><voxel index=\"1\"/>"
           "<voxel index=\"2\"/>"
           "</group></skeletonVoxelBindings></model>";
    ModelDocument document;
    ASSERT_TRUE(readModelFile(folder.file("model.xml"), document));
    ASSERT_EQ(document.voxels.size(), 2u);
    EXPECT_EQ(document.voxels[0].colour, Ogre::ColourValue::White);
    EXPECT_EQ(document.voxels[1].y, 2);
    ASSERT_EQ(document.groups.size(), 1u);
    EXPECT_EQ(document.groups[0].voxels, std::vector<int>{1});
    EXPECT_EQ(document.problems,
              std::vector<std::string>{"2 voxels in cell (1, 0, 0): the later one dropped"});

    EXPECT_FALSE(readModelFile(folder.file("none.xml"), document));
    EXPECT_TRUE(document.voxels.empty());
}
