#include "skeleton/AnimateViewMode.h"

#include "editor/EditorMode.h"
#include "editor/UndoHistory.h"
#include "editor/Voxel.h"
#include "menu/AnimSettingsRows.h"
#include "skeleton/Animation.h"
#include "skeleton/ModelDocument.h"
#include "skeleton/OnionSkin.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/TempFolder.h"
#include "tests/editor/EditorTestFixture.h"

#include <OgreManualObject.h>

#include <gtest/gtest.h>

namespace
{
// The sample character in the animate view, on its walk (keys 0, 0.25, 0.5, 0.75 and 1).
struct WalkSession
{
    WalkSession()
    {
        fixture.loadSample();
        fixture.press(OIS::KC_2);
        view = dynamic_cast<AnimateViewMode*>(editor->viewMode);
        view->selectAnimation(1);
    }
    Animation& walk() { return editor->animations[1]; }
    void step(const std::string& name, const std::function<void()>& action)
    {
        editor->asStep(name, action);
    }

    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    AnimateViewMode* view = nullptr;
};

int groupOf(EditorMode& editor, const Voxel* voxel)
{
    for (const auto& [stick, group] : editor.skeleton->bindings)
        if (std::find(group.elements.begin(), group.elements.end(), voxel) != group.elements.end())
            return stick;
    return -1;
}
} // namespace

TEST(AnimationEditing, EachSettingIsOneStepAndSavesAsTheAnimationFileWritesIt)
{
    TempFolder folder("bramblewick-settings");
    WalkSession session;
    EditorMode& editor = *session.editor;
    editor.saveModel(folder.file("before.xml"), folder.file("before-anim.xml"));
    session.fixture.press(OIS::KC_2);
    auto* view = dynamic_cast<AnimateViewMode*>(editor.viewMode);
    view->selectAnimation(1);

    // The walk is written loop="1" end="1" speed="1" speed_spread="0.2".
    Animation::Settings settings = session.walk().settings();
    EXPECT_FLOAT_EQ(AnimSettingsRows::speedOf(settings), 1.0f);
    EXPECT_NEAR(AnimSettingsRows::spreadOf(settings), 0.2f, 1e-6f);
    const size_t steps = editor.history->size();
    const std::function<void(Animation::Settings&)> changes[] = {
        [](Animation::Settings& s) { s.comment = "Lauf \xe4 <fast> & \"far\""; },
        [](Animation::Settings& s) { s.loop = false; },
        [](Animation::Settings& s) { s.end = AnimSettingsRows::END_RANGE.at(0.125f); },
        [](Animation::Settings& s) { AnimSettingsRows::setSpeed(s, 1.5f); },
        [](Animation::Settings& s) { AnimSettingsRows::setSpread(s, 0.25f); },
    };
    for (const auto& change : changes)
    {
        change(settings);
        editor.asStep("animation settings", [&] { view->setSettings(settings); });
    }
    EXPECT_EQ(editor.history->size(), steps + 5);
    // A setting given its own value again is no step.
    editor.asStep("animation settings", [&] { view->setSettings(settings); });
    EXPECT_EQ(editor.history->size(), steps + 5);

    editor.saveModel(folder.file("after.xml"), folder.file("after-anim.xml"));
    const std::string written = readFile(folder.file("after-anim.xml"));
    const size_t walkAt = written.find("<animation ", written.find("<animation ") + 1);
    // A comment holding a double quote is written between single quotes, the quote escaped.
    const std::string header = "<animation loop=\"0\" end=\"1.250000\" speed=\"1.500000\" "
                               "speed_spread=\"0.250000\" "
                               "comment='Lauf \xe4 &lt;fast&gt; &amp; &quot;far&quot;'>";
    EXPECT_EQ(written.substr(walkAt, header.size()), header);
    ModelDocument read;
    readAnimationFile(folder.file("after-anim.xml"), read);
    ASSERT_EQ(read.animations.size(), 3u);
    EXPECT_TRUE(read.animations[1].settings() == settings);

    // Undoing the five steps writes the file as it was, byte for byte.
    for (int i = 0; i < 5; ++i)
        editor.undo();
    editor.saveModel(folder.file("undone.xml"), folder.file("undone-anim.xml"));
    EXPECT_EQ(readFile(folder.file("undone-anim.xml")), readFile(folder.file("before-anim.xml")));
}

TEST(AnimationEditing, SpeedRangeStaysAtOrAboveZero)
{
    Animation::Settings settings;
    AnimSettingsRows::setSpread(settings, 1.5f); // speed 1: the spread stops at 1
    EXPECT_FLOAT_EQ(settings.speedMin, 0.0f);
    EXPECT_FLOAT_EQ(settings.speedMax, 2.0f);
    AnimSettingsRows::setSpeed(settings, 0.4f); // the spread shrinks with it
    EXPECT_FLOAT_EQ(settings.speedMin, 0.0f);
    EXPECT_FLOAT_EQ(settings.speedMax, 0.8f);
    EXPECT_FLOAT_EQ(AnimSettingsRows::SPEED_RANGE.at(0.3333f), 1.35f); // steps of 0.05
    EXPECT_FLOAT_EQ(AnimSettingsRows::END_RANGE.at(2.0f), 10.0f);
}

TEST(AnimationEditing, KeyFramesAreRemovedPastedAndAnimationsDuplicatedAsOneStepEach)
{
    WalkSession session;
    EditorMode& editor = *session.editor;
    AnimateViewMode& view = *session.view;
    const Animation walk = session.walk();
    LogCapture log;

    // Remove the key at 0.5: the time stays and shows the pose between 0.25 and 0.75.
    view.setTime(0.5f);
    std::vector<Ogre::Vector3> copied;
    ASSERT_TRUE(view.copyFrame(copied));
    session.step("key frame removal", [&] { view.removeKeyFrame(); });
    EXPECT_EQ(session.walk().frames.count(0.5f), 0u);
    std::vector<Ogre::Vector3> between;
    session.walk().samplePose(0.5f, between);
    EXPECT_TRUE(editor.skeleton->system->particles[5]->position.positionEquals(between[5], 1e-4f));
    editor.undo();
    EXPECT_EQ(session.walk().frames, walk.frames);
    editor.redo();
    EXPECT_EQ(session.walk().frames.size(), 4u);

    // No key at the time: nothing, and the bar says why.
    session.step("key frame removal", [&] { view.removeKeyFrame(); });
    EXPECT_TRUE(log.contains(AnimateViewMode::NO_KEY_NOTE));
    EXPECT_EQ(session.walk().frames.size(), 4u);

    // Paste makes a key at a time without one; undo takes it away again.
    view.setTime(0.6f);
    session.step("frame paste", [&] { view.pasteFrame(copied); });
    ASSERT_NE(session.walk().findFrame(0.6f), nullptr);
    EXPECT_EQ(*session.walk().findFrame(0.6f), copied);
    editor.undo();
    EXPECT_EQ(session.walk().findFrame(0.6f), nullptr);

    // Duplicate: an exact copy, chosen; undo removes it.
    const size_t count = editor.animations.size();
    session.step("duplicated animation", [&] { view.duplicateAnimation(); });
    ASSERT_EQ(editor.animations.size(), count + 1);
    EXPECT_EQ(view.currentAnimation, int(count));
    EXPECT_EQ(editor.animations.back().frames, session.walk().frames);
    EXPECT_TRUE(editor.animations.back().settings() == session.walk().settings());
    editor.undo();
    EXPECT_EQ(editor.animations.size(), count);

    // The only key frame of an animation stays.
    view.selectAnimation(1);
    session.walk().frames.erase(session.walk().frames.upper_bound(0.0f),
                                session.walk().frames.end());
    const size_t steps = editor.history->size();
    view.setTime(0.0f);
    session.step("key frame removal", [&] { view.removeKeyFrame(); });
    EXPECT_EQ(session.walk().frames.size(), 1u);
    EXPECT_TRUE(log.contains(AnimateViewMode::ONLY_KEY_NOTE));
    EXPECT_EQ(editor.history->size(), steps);
}

TEST(AnimationEditing, KShowsTheNeighbouringKeysAsGhostsThatFollowTheTime)
{
    WalkSession session;
    AnimateViewMode& view = *session.view;
    view.setTime(0.5f);
    session.fixture.press(OIS::KC_K);
    ASSERT_TRUE(view.onionSkinsOn());
    auto ghosts = [&] { return session.fixture.engine.sceneManager->getMovableObjects("ManualObject"); };
    // Two ghosts, each of points, sticks and voxels: the keys at 0.25 and 0.75.
    const auto& objects = view.onionSkinObjects();
    ASSERT_EQ(objects.size(), 6u);
    auto boxOf = [](const std::vector<Ogre::Vector3>& pose)
    {
        Ogre::AxisAlignedBox box;
        for (const Ogre::Vector3& p : pose)
            box.merge(p);
        return box;
    };
    EXPECT_TRUE(objects[0]->getBoundingBox().getMinimum().positionEquals(
        boxOf(session.walk().frames[0.25f]).getMinimum(), 1e-4f));
    EXPECT_TRUE(objects[3]->getBoundingBox().getMaximum().positionEquals(
        boxOf(session.walk().frames[0.75f]).getMaximum(), 1e-4f));
    // The voxel ghost has a point per bound voxel; the shown pose is left as it was.
    size_t bound = 0;
    for (const auto& group : session.editor->skeleton->bindings)
        bound += group.second.elements.size();
    EXPECT_EQ(objects[2]->getSection(0)->getRenderOperation()->vertexData->vertexCount, bound);
    std::vector<Ogre::Vector3> shown;
    session.walk().samplePose(0.5f, shown);
    EXPECT_TRUE(session.editor->skeleton->system->particles[5]->position.positionEquals(
        shown[5], 1e-4f));

    // At the first key only the next one; K again removes every ghost.
    view.setTime(0.0f);
    EXPECT_EQ(view.onionSkinObjects().size(), 3u);
    const size_t withGhosts = ghosts().size();
    session.fixture.press(OIS::KC_K);
    EXPECT_TRUE(view.onionSkinObjects().empty());
    EXPECT_EQ(ghosts().size(), withGhosts - 3);
}

TEST(AnimationEditing, AVoxelAddedBesideASkeletonFollowsItsNearestStickAtOnce)
{
    EditorTestFixture fixture;
    fixture.loadSample();
    EditorMode& editor = *fixture.editor;
    // A cell just outside the model, beside the right hand (particle 5).
    const Ogre::Vector3 hand = editor.skeleton->system->particles[5]->position;
    Voxel::Cell cell{int(std::floor(hand.x)) - 1, int(std::floor(hand.y)), int(std::floor(hand.z))};
    while (editor.model.voxelAtCell(cell) >= 0)
        --cell.x;
    editor.asStep("sculpt stroke", [&] { editor.addVoxel(cell.x, cell.y, cell.z,
                                                         Ogre::ColourValue::Red, 1); });
    Voxel* added = editor.voxels.back();
    const int stick = groupOf(editor, added);
    const Ogre::Vector3 offset = added->bindOffset;
    ASSERT_GE(stick, 0);

    // Bound as a re-binding of the whole model binds it.
    editor.rebindSkeleton();
    editor.resetToRestPose();
    EXPECT_EQ(groupOf(editor, added), stick);
    EXPECT_TRUE(added->bindOffset.positionEquals(offset, 1e-4f));

    // It moves with the pose; undo takes it away with its binding and redo brings both back.
    fixture.press(OIS::KC_2);
    auto* view = dynamic_cast<AnimateViewMode*>(editor.viewMode);
    view->selectAnimation(2); // the wave raises the right hand
    view->setTime(0.8f);
    const Ogre::Vector3 rest = Ogre::Vector3(cell.x + 0.5f, cell.y + 0.5f, cell.z + 0.5f);
    EXPECT_GT(added->getPosition().distance(rest), 1.0f);
    fixture.press(OIS::KC_1);
    editor.undo();
    EXPECT_EQ(editor.model.find(added), -1);
    editor.redo();
    EXPECT_EQ(groupOf(editor, editor.voxels.back()), stick);
}
