#include "editor/UndoHistory.h"

#include "editor/QueryFlags.h"
#include "editor/Voxel.h"
#include "skeleton/AnimateViewMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticle.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/TempFolder.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace
{

// The sample character, saving into a folder of its own.
class SampleSession : public EditorTestFixture
{
public:
    explicit SampleSession(const std::string& name) : folder("bramblewick-" + name)
    {
        loadSample();
        editor->modelFileName = folder.file("model.xml");
        editor->animationFileName = folder.file("animations.xml");
    }

    // Both files as a save writes them now.
    std::string save()
    {
        editor->save();
        return readFile(editor->modelFileName) + "\n--\n" + readFile(editor->animationFileName);
    }
    AnimateViewMode* animateView()
    {
        if (!dynamic_cast<AnimateViewMode*>(editor->viewMode))
            press(OIS::KC_2);
        return dynamic_cast<AnimateViewMode*>(editor->viewMode);
    }
    int anyVoxel(std::mt19937& random)
    {
        return int(random() % editor->voxels.size());
    }

    TempFolder folder;
};

// One of the changes a user can make, through the editor's own paths, as one step.
void randomChange(SampleSession& session, std::mt19937& random)
{
    EditorMode* editor = session.editor;
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    switch (pick(9))
    {
    case 0: // a sculpt stroke
        editor->asStep("", [&] {
            for (int i = pick(5); i >= 0; --i)
                editor->addVoxel(pick(30) - 15, pick(30), pick(20) - 10,
                                 Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1), QUERY_NEW_VOXEL);
        });
        break;
    case 1: // a right-click removal
        editor->asStep("", [&] { editor->removeVoxel(session.anyVoxel(random)); });
        break;
    case 2: // a paint stroke passing some voxels more than once
        editor->asStep("", [&] {
            const int first = session.anyVoxel(random);
            for (int dab = 0; dab < 12; ++dab)
                editor->paintVoxel((first + pick(4)) % int(editor->voxels.size()),
                                   Ogre::ColourValue(pick(5) * 0.25f, 0.5f, pick(3) * 0.5f, 1));
        });
        break;
    case 3: // dragging a selection along an axis and a little back
        editor->asStep("", [&] {
            std::vector<Voxel*> chosen;
            for (int i = 0; i < 20; ++i)
                chosen.push_back(editor->voxels[size_t(session.anyVoxel(random))]);
            std::vector<Voxel::Cell> start;
            for (Voxel* voxel : chosen)
                start.push_back(voxel->gridPosition);
            for (int offset : {1, 3, 2})
                for (size_t i = 0; i < chosen.size(); ++i)
                    editor->moveVoxel(chosen[i], start[i].x, start[i].y + offset, start[i].z);
        });
        break;
    case 4: // key O: voxels go, the rest is bound again
        editor->asStep("hidden voxel removal", [&] {
            std::vector<int> hidden;
            for (int i = 0; i < 30; ++i)
                hidden.push_back(session.anyVoxel(random));
            editor->removeVoxels(hidden);
            editor->rebindSkeleton();
            editor->resetToRestPose();
        });
        break;
    case 5: // key R, in either view
        session.press(OIS::KC_R);
        break;
    case 6: // a pose stored at the release of a drag, or pasted
    {
        AnimateViewMode* view = session.animateView();
        std::vector<Ogre::Vector3> pose;
        for (Verlet::Particle* particle : editor->skeleton->system->particles)
            pose.push_back(particle->position + Ogre::Vector3(0, pick(3) * 0.5f, 0));
        editor->asStep("", [&] {
            editor->setKeyFrame(view->currentAnimation, pick(4) * 0.25f, pose);
        });
        break;
    }
    case 7: // Delete on a key frame
    {
        AnimateViewMode* view = session.animateView();
        view->selectAnimation(pick(int(editor->animations.size())));
        const Animation& animation = editor->animations[size_t(view->currentAnimation)];
        auto key = animation.frames.begin();
        std::advance(key, pick(int(animation.frames.size())));
        view->setTime(key->first);
        session.press(OIS::KC_DELETE);
        break;
    }
    default: // left Ctrl with Down: a new animation
        session.animateView();
        session.input->held.insert(OIS::KC_LCONTROL);
        session.press(OIS::KC_DOWN);
        session.input->held.erase(OIS::KC_LCONTROL);
        break;
    }
}

} // namespace

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
        ASSERT_GT(steps, 30u);

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
    auto key = [&](OIS::KeyCode code, bool shift = false)
    {
        session.input->held = {OIS::KC_LCONTROL};
        if (shift)
            session.input->held.insert(OIS::KC_LSHIFT);
        session.press(code);
        session.input->held.clear();
    };
    key(OIS::KC_Z); // nothing to undo: nothing changes
    EXPECT_FALSE(editor->hasUnsavedChanges());

    editor->asStep("", [&] { editor->paintVoxel(0, Ogre::ColourValue::Blue); });
    EXPECT_TRUE(editor->hasUnsavedChanges());
    EXPECT_EQ(editor->history->size(), 1u);
    key(OIS::KC_Z);
    EXPECT_FALSE(editor->hasUnsavedChanges());
    key(OIS::KC_Y);
    key(OIS::KC_Z, true);
    EXPECT_TRUE(log.contains("Nothing to undo"));
    EXPECT_EQ(std::vector<std::string>(log.lines.end() - 3, log.lines.end()),
              (std::vector<std::string>{"Undo: paint stroke", "Redo: paint stroke",
                                        "Nothing to redo"}));
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
        editor->asStep("", [&] {
            for (int v = 0; v < 100; ++v)
                editor->paintVoxel(v, Ogre::ColourValue(float(i % 2), 0, 0, 1));
        });
    EXPECT_EQ(history->size(), 256u);
    while (history->canUndo())
        editor->undo();
    EXPECT_TRUE(editor->hasUnsavedChanges()); // the loaded state is gone from the history
}
