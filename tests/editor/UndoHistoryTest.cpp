#include "editor/UndoHistory.h"

#include "editor/QueryFlags.h"
#include "editor/Voxel.h"
#include "skeleton/AnimateViewMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticle.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/TempFolder.h"
#include "tests/editor/EditorTestFixture.h"
#include "tests/editor/RandomEdits.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

// Random edits of the sample, each followed by a save: undoing them one by one and redoing them
// again must write exactly the files that were written at each point on the way.
TEST(UndoHistory, UndoAndRedoGiveBackTheSavedFilesByteForByte)
{
    for (unsigned seed : {1u, 2u, 3u})
    {
        SampleSession session("undo-" + std::to_string(seed));
        UndoHistory* history = session.editor->history;
        std::mt19937 random(seed);
        std::map<unsigned long long, std::string> written;
        written[history->position()] = session.save();
        for (int change = 0; change < 40; ++change)
        {
            randomChange(session, random);
            written[history->position()] = session.save();
            ASSERT_TRUE(history->isSaved());
        }
        const size_t steps = history->size();
        ASSERT_GT(steps, 25u);

        for (size_t undone = 0; undone < steps; ++undone)
        {
            session.editor->undo();
            ASSERT_EQ(session.save(), written.at(history->position()))
                << "seed " << seed << ", after undo " << undone + 1;
        }
        EXPECT_FALSE(history->canUndo());
        while (history->canRedo())
        {
            session.editor->redo();
            ASSERT_EQ(session.save(), written.at(history->position())) << "seed " << seed;
        }
        EXPECT_EQ(history->size(), steps);
    }
}

// The keys (left Ctrl with Z, Y, or Shift and Z) say what they undid or redid; the unsaved mark
// follows the history.
TEST(UndoHistory, KeysAndTheUnsavedMarkFollowUndoRedoAndSave)
{
    SampleSession session("mark");
    EditorMode* editor = session.editor;
    EXPECT_FALSE(editor->hasUnsavedChanges());
    LogCapture log;
    session.control(OIS::KC_Z); // nothing to undo: nothing changes
    EXPECT_FALSE(editor->hasUnsavedChanges());

    editor->asStep("", [&] { editor->paintVoxel(0, Ogre::ColourValue::Blue); });
    EXPECT_TRUE(editor->hasUnsavedChanges());
    EXPECT_EQ(editor->history->size(), 1u);
    session.control(OIS::KC_Z);
    EXPECT_FALSE(editor->hasUnsavedChanges());
    session.control(OIS::KC_Y);
    session.control(OIS::KC_Z, true);
    EXPECT_TRUE(log.contains("Nothing to undo"));
    EXPECT_EQ(
        std::vector<std::string>(log.lines.end() - 3, log.lines.end()),
        (std::vector<std::string>{"Undo: paint stroke", "Redo: paint stroke", "Nothing to redo"}));
    EXPECT_TRUE(editor->hasUnsavedChanges());
    EXPECT_EQ(editor->voxels[0]->colour, Ogre::ColourValue::Blue);
    session.save();
    EXPECT_FALSE(editor->hasUnsavedChanges());
    editor->undo();
    EXPECT_TRUE(editor->hasUnsavedChanges());

    // A new change after an undo drops the redo, and the saved state with it.
    editor->asStep("", [&] { editor->paintVoxel(1, Ogre::ColourValue::Green); });
    EXPECT_FALSE(editor->history->canRedo());
    editor->undo();
    EXPECT_TRUE(editor->hasUnsavedChanges());

    // Painting a voxel in its own colour, or pressing N twice, is no step.
    const size_t steps = editor->history->size();
    editor->asStep("", [&] { editor->paintVoxel(2, editor->voxels[2]->colour); });
    session.press(OIS::KC_N);
    EXPECT_EQ(editor->history->size(), steps);
}

// Memory grows with what changed: a dab copies one voxel's colours, not the model, and the
// history keeps 256 steps at least but drops older ones beyond its byte limit.
TEST(UndoHistory, KeepsDeltasAndStaysBounded)
{
    SampleSession session("bound");
    EditorMode* editor = session.editor;
    UndoHistory* history = editor->history;
    editor->asStep("", [&] { editor->paintVoxel(5, Ogre::ColourValue::Red); });
    EXPECT_LT(history->bytes(), 1024u);

    history->byteLimit = 100 * 1024;
    for (int i = 0; i < 300; ++i)
        editor->asStep("",
                       [&]
                       {
                           for (int v = 0; v < 100; ++v)
                               editor->paintVoxel(v, Ogre::ColourValue(float(i % 2), 0, 0, 1));
                       });
    EXPECT_EQ(history->size(), 256u);
    while (history->canUndo())
        editor->undo();
    EXPECT_TRUE(editor->hasUnsavedChanges()); // the loaded state is gone from the history
}
