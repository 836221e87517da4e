#include "editor/EditorMode.h"

#include "editor/Voxel.h"
#include "formats/Vox.h"
#include "tests/TempFolder.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace
{

std::string importError(EditorMode& editor, const std::string& file)
{
    try
    {
        editor.importModel(file);
    }
    catch (const std::exception& error)
    {
        return error.what();
    }
    return "nothing thrown";
}

} // namespace

// A .vox named as the model is imported; the save goes to the .xml of the same name, never to
// the .vox, and an animation file named with it is left alone (the model has no skeleton).
TEST(ImportVox, VoxModelIsImportedAndSavedAsTheModelFileBesideIt)
{
    TempFolder folder("bramblewick-import");
    const std::string vox = folder.file("Knight.VOX");
    Vox::write({{1, 2, -3, Ogre::ColourValue(1, 0, 0, 1)}, {0, 0, 0, Ogre::ColourValue(0, 1, 0, 1)}},
               vox);
    const std::string voxBytes = readFile(vox);

    EditorTestFixture session;
    EditorMode& editor = *session.editor;
    editor.files.chooseFileNames({vox, folder.file("anim.xml")});
    EXPECT_EQ(editor.modelFileName, folder.file("Knight.xml"));
    EXPECT_EQ(editor.animationFileName, "");

    editor.importModel(vox);
    ASSERT_EQ(editor.voxels.size(), 2u);
    EXPECT_EQ(editor.voxels[session.voxelAt(1, 2, -3)]->getColour(), Ogre::ColourValue(1, 0, 0, 1));
    EXPECT_EQ(editor.voxels[session.voxelAt(0, 0, 0)]->getColour(), Ogre::ColourValue(0, 1, 0, 1));

    editor.saveModel(editor.modelFileName, editor.animationFileName);
    EXPECT_NE(readFile(folder.file("Knight.xml")).find("<voxel x=\"1\" y=\"2\" z=\"-3\""),
              std::string::npos);
    EXPECT_EQ(readFile(vox), voxBytes);
    EXPECT_FALSE(fs::exists(folder.file("anim.xml")));

    // Importing again would let the next save overwrite the model file: refused, model kept.
    EXPECT_NE(importError(editor, vox).find("\"" + folder.file("Knight.xml") + "\" exists already"),
              std::string::npos);
    EXPECT_EQ(editor.voxels.size(), 2u);

    // A damaged .vox is refused by name, and the model stays as it was.
    std::ofstream(folder.file("broken.vox"), std::ios::binary) << "VOX \x96";
    editor.modelFileName = folder.file("broken.xml");
    EXPECT_NE(importError(editor, folder.file("broken.vox")).find("broken.vox"), std::string::npos);
    EXPECT_EQ(editor.voxels.size(), 2u);
}
