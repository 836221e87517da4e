#include "skeleton/AnimateViewMode.h"

#include "editor/EditorMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

TEST(AnimateView, PlaybackWrapsAtTheEndAndClamps)
{
    // A one-particle skeleton whose animation moves it from x = 0 to x = 10 over one second.
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    editor->skeleton->addEntry(Ogre::Vector3::ZERO, 0, "root", 0, 1.0f);
    editor->resetToRestPose();
    Animation animation;
    animation.frames[0.0f] = {Ogre::Vector3(0, 0, 0)};
    animation.frames[1.0f] = {Ogre::Vector3(10, 0, 0)};
    editor->animations = {animation};
    fixture.press(OIS::KC_2);
    auto* view = dynamic_cast<AnimateViewMode*>(editor->viewMode);
    ASSERT_NE(view, nullptr);
    Animation& playing = editor->animations[0];

    const struct
    {
        float end, speedMin, start, step, expected;
        bool exact; // a clamp must land on the end itself
    } cases[] = {{2.0f, 1.0f, 1.9f, 0.2f, 0.1f, false},
                 {2.0f, 1.0f, 1.9f, 3.0f, 2.0f, true},
                 {1.0f, 2.0f, 0.25f, 0.125f, 0.5f, false},
                 {0.0f, 1.0f, 0.0f, 0.016f, 0.0f, true}};
    for (const auto& c : cases)
    {
        playing.end = c.end;
        playing.speedMin = c.speedMin;
        view->setTime(c.start);
        view->advancePlayback(c.step);
        EXPECT_NEAR(view->currentTime, c.expected, c.exact ? 0.0f : 1e-5f)
            << c.start << " + " << c.step;
    }
    // The sampled pose is shown.
    playing.end = 1.0f;
    view->setTime(0.99f);
    view->advancePlayback(0.016f);
    EXPECT_NEAR(editor->skeleton->system->particles[0]->position.x, 0.06f, 1e-3f);
}
