#include "editor/RecoveryCopies.h"

#include "editor/QueryFlags.h"
#include "editor/SelectToolMode.h"
#include "tests/TempFolder.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

// A copy holds the unsaved edit (with a selected voxel's own colour, not its red), loads as a
// model, lands in "recovery/" only, and is reported at start-up only while newer than the model.
TEST(RecoveryCopies, HoldTheEditAndAreFoundWhileNewer)
{
    TempFolder temp("bramblewick-recovery");
    const fs::path& folder = temp.path;
    const std::string model = temp.file("creature.xml");
    std::ofstream(model) << "<model><voxels/></model>\n";
    fs::last_write_time(model, fs::file_time_type::clock::now() - std::chrono::hours(1));

    RecoveryCopies copies(folder.string() + "/", model, (folder / "moves.xml").string());
    {
        EditorTestFixture session;
        EditorMode* editor = session.editor;
        editor->addVoxel(3, 0, 0, Ogre::ColourValue(0, 0, 1, 1), QUERY_VOXEL);
        auto* select = session.install(new SelectToolMode());
        select->selection.push_back(editor->voxels[1]);
        select->savedColours.push_back(editor->voxels[1]->colour);
        editor->voxels[1]->setColour(Ogre::ColourValue::Red);

        EXPECT_EQ(copies.findNewer(), "");
        ASSERT_TRUE(copies.write(*editor));
    }
    EXPECT_EQ(fs::path(copies.modelCopy).parent_path(), folder / "recovery");
    EXPECT_EQ(fs::path(copies.modelCopy).filename().string().rfind("creature-", 0), 0u);
    EXPECT_TRUE(fs::exists(copies.animationCopy));
    EXPECT_EQ(copies.findNewer(), copies.modelCopy);
    EXPECT_EQ(readFile(model), "<model><voxels/></model>\n");
    {
        EditorTestFixture reopened;
        reopened.editor->loadModel(copies.modelCopy, copies.animationCopy);
        ASSERT_EQ(reopened.editor->voxels.size(), 2u);
        EXPECT_EQ(reopened.editor->voxels[1]->colour, Ogre::ColourValue(0, 0, 1, 1));
    }

    // Saved after the copy: the copy is old news.
    fs::last_write_time(model, fs::file_time_type::clock::now() + std::chrono::hours(1));
    EXPECT_EQ(copies.findNewer(), "");
    copies.discard();
    EXPECT_FALSE(fs::exists(copies.modelCopy));
}

// A recovery folder that cannot be made (here its place is taken by a file) and a model name
// at the 255-byte limit still give a copy: in a folder of the user's under the temporary
// folder, said on standard error, with names within the limit, found again at the next start.
TEST(RecoveryCopies, GoToTheFallbackFolderWithNamesThatFit)
{
    TempFolder temp("bramblewick-recovery");
    const char* previous = std::getenv("TMPDIR");
    const std::string previousTemporary = previous ? previous : "";
    ::setenv("TMPDIR", temp.path.c_str(), 1);
    std::ofstream(temp.file("taken")) << "a file where the data folder should be";
    const std::string model = temp.file(std::string(251, 'm') + ".xml");

    RecoveryCopies copies(temp.file("taken") + "/", model, temp.file("moves.xml"));
    testing::internal::CaptureStderr();
    bool written = false;
    {
        EditorTestFixture session;
        session.editor->animations.push_back(Animation());
        written = copies.write(*session.editor);
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    previous ? ::setenv("TMPDIR", previousTemporary.c_str(), 1) : ::unsetenv("TMPDIR");

    ASSERT_TRUE(written);
    EXPECT_EQ(fs::path(copies.modelCopy).parent_path().filename().string(),
              "bramblewick-recovery-" + std::to_string(::getuid()));
    EXPECT_NE(errors.find(copies.modelCopy), std::string::npos) << errors;
    for (const std::string& copy : {copies.modelCopy, copies.animationCopy})
    {
        EXPECT_TRUE(fs::exists(copy)) << copy;
        EXPECT_LE(fs::path(copy).filename().string().size(), 255u);
    }
    EXPECT_EQ(copies.findNewer(), copies.modelCopy);
}

// Undo back to the saved state takes the copy away: the next start must not announce work the
// user threw away on purpose.
TEST(RecoveryCopies, GoWhenUndoReturnsToTheSavedState)
{
    TempFolder temp("bramblewick-recovery-undo");
    EditorTestFixture session;
    EditorMode* editor = session.editor;
    editor->modelFileName = temp.file("creature.xml");
    editor->recoveryTimer.start(temp.path.string() + "/");
    editor->asStep("", [&] { editor->paintVoxel(0, Ogre::ColourValue::Blue); });
    ASSERT_TRUE(editor->writeRecoveryCopies());
    const fs::path copy = fs::path(temp.path) / "recovery";
    ASSERT_FALSE(fs::is_empty(copy));
    editor->update(0.01f);
    EXPECT_FALSE(fs::is_empty(copy)); // still unsaved
    editor->undo();
    editor->update(0.01f);
    EXPECT_TRUE(fs::is_empty(copy));
}
