#include "skeleton/AnimateViewMode.h"

#include "editor/EditorMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

namespace
{

// An editor with a one-particle skeleton (rest position x = 0) in the animate view, holding two
// animations: the first with keys at 0, 0.5 and 1 (x = 0, 5, 10), the second with a key at 0.
class AnimateViewFixture : public EditorTestFixture
{
public:
    AnimateViewFixture()
    {
        editor->skeleton->addEntry(Ogre::Vector3::ZERO, 0, "root", 0, 1.0f);
        editor->resetToRestPose();
        Animation first;
        first.frames[0.0f] = {Ogre::Vector3(0, 0, 0)};
        first.frames[0.5f] = {Ogre::Vector3(5, 0, 0)};
        first.frames[1.0f] = {Ogre::Vector3(10, 0, 0)};
        first.end = 1.0f;
        Animation second;
        second.frames[0.0f] = {Ogre::Vector3(0, 7, 0)};
        second.end = 2.0f;
        editor->animations = {first, second};
        press(OIS::KC_2);
        view = dynamic_cast<AnimateViewMode*>(editor->viewMode);
    }

    float shownX() const { return editor->skeleton->system->particles[0]->position.x; }

    AnimateViewMode* view = nullptr;
};

} // namespace

TEST(AnimateView, ArrowKeysWalkKeyTimesAndAnimations)
{
    AnimateViewFixture fixture;
    AnimateViewMode* view = fixture.view;
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->name, "AnimateView");
    EXPECT_EQ(view->currentAnimation, 0);
    EXPECT_EQ(view->currentTime, 0.0f);

    fixture.press(OIS::KC_RIGHT);
    EXPECT_EQ(view->currentTime, 0.5f);
    EXPECT_FLOAT_EQ(fixture.shownX(), 5.0f);
    fixture.press(OIS::KC_RIGHT);
    fixture.press(OIS::KC_RIGHT); // no key after 1: stays
    EXPECT_EQ(view->currentTime, 1.0f);
    EXPECT_FLOAT_EQ(fixture.shownX(), 10.0f);
    fixture.press(OIS::KC_LEFT);
    EXPECT_EQ(view->currentTime, 0.5f);

    // Delete puts the rest pose into the key frame at the current time.
    fixture.press(OIS::KC_DELETE);
    EXPECT_EQ(fixture.editor->animations[0].frames[0.5f][0], Ogre::Vector3::ZERO);
    EXPECT_FLOAT_EQ(fixture.shownX(), 0.0f);

    fixture.press(OIS::KC_UP); // already the first
    EXPECT_EQ(view->currentAnimation, 0);
    fixture.press(OIS::KC_DOWN);
    EXPECT_EQ(view->currentAnimation, 1);
    EXPECT_EQ(view->currentTime, 0.0f);
    EXPECT_FLOAT_EQ(fixture.editor->skeleton->system->particles[0]->position.y, 7.0f);
    fixture.press(OIS::KC_DOWN); // already the last
    EXPECT_EQ(view->currentAnimation, 1);

    // Left Control with Down adds a rest-pose animation and shows it; other keys do nothing.
    fixture.input->held.insert(OIS::KC_LCONTROL);
    fixture.press(OIS::KC_UP);
    EXPECT_EQ(view->currentAnimation, 1);
    fixture.press(OIS::KC_DOWN);
    ASSERT_EQ(fixture.editor->animations.size(), 3u);
    EXPECT_EQ(view->currentAnimation, 2);
    EXPECT_EQ(fixture.editor->animations[2].frames, fixture.editor->baseAnimation.frames);
}

TEST(AnimateView, PlaybackWrapsAtTheEndAndClamps)
{
    AnimateViewFixture fixture;
    AnimateViewMode* view = fixture.view;
    ASSERT_NE(view, nullptr);
    Animation& animation = fixture.editor->animations[0];

    animation.end = 2.0f;
    view->setTime(1.9f);
    view->advancePlayback(0.2f);
    EXPECT_NEAR(view->currentTime, 0.1f, 1e-5f);
    view->setTime(1.9f);
    view->advancePlayback(3.0f);
    EXPECT_EQ(view->currentTime, 2.0f);

    animation.end = 1.0f;
    view->setTime(0.99f);
    view->advancePlayback(0.016f);
    EXPECT_NEAR(view->currentTime, 0.006f, 1e-5f);
    EXPECT_NEAR(fixture.shownX(), 0.06f, 1e-3f);

    animation.speedMin = 2.0f;
    view->setTime(0.25f);
    view->advancePlayback(0.125f);
    EXPECT_FLOAT_EQ(view->currentTime, 0.5f);

    animation.end = 0.0f;
    view->setTime(0.0f);
    view->advancePlayback(0.016f);
    EXPECT_EQ(view->currentTime, 0.0f);
}

TEST(AnimateView, LeavingShowsTheRestPoseAndKeepsTheKeys)
{
    AnimateViewFixture fixture;
    ASSERT_NE(fixture.view, nullptr);
    fixture.view->setTime(1.0f);
    EXPECT_FLOAT_EQ(fixture.shownX(), 10.0f);
    fixture.press(OIS::KC_1);
    EXPECT_EQ(fixture.editor->viewMode->name, "ModelView");
    EXPECT_FLOAT_EQ(fixture.shownX(), 0.0f);
    EXPECT_EQ(fixture.editor->animations[0].frames.size(), 3u);
}
