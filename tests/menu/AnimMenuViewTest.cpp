#include "menu/AnimMenuView.h"

#include "editor/ModelViewMode.h"
#include "editor/UndoHistory.h"
#include "menu/ModelMenuView.h"
#include "skeleton/AnimateToolMode.h"
#include "skeleton/AnimateViewMode.h"
#include "skeleton/Animation.h"
#include "tests/menu/MenuTestEngine.h"

#include <gtest/gtest.h>

namespace
{
// The editor in the animate view with the animation menu in and at rest. The skeleton is
// empty, so every pose is the empty pose.
class AnimMenuTest : public EditorMenuTestEngine
{
public:
    explicit AnimMenuTest(int animationCount)
    {
        for (int i = 0; i < animationCount; ++i)
        {
            Animation animation;
            animation.frames[0.0f] = {};
            animation.comment = "animation " + std::to_string(i);
            editor->animations.push_back(animation);
        }
        editor->setViewMode(new AnimateViewMode());
        settle();
        view = editor->menuSystem->animMenuView;
        viewMode = dynamic_cast<AnimateViewMode*>(editor->viewMode);
    }

    // Drags the animation knob to `share` of its track and holds it there for one step.
    void dragAnimationKnob(float share)
    {
        const MenuPanelManager::SliderPartial& slider = view->animationSlider.partial;
        pointAt(pointIn(slider.knob));
        press();
        const Ogre::Vector3 target = pointIn(slider.track, share);
        menus.setPointer(target.x, target.y);
        step();
        release();
    }

    std::string timeLabel() const { return captionOf(view->timeSlider.label); }

    AnimMenuView* view = nullptr;
    AnimateViewMode* viewMode = nullptr;
};
} // namespace

TEST(AnimMenuView, TimeLabelShowsThreeSignificantDigitsAndTheTrackHoldsTwoSeconds)
{
    AnimMenuTest test(1);
    EXPECT_EQ(test.timeLabel(), "Time: 0");
    test.viewMode->setTime(1.23456f);
    EXPECT_EQ(test.timeLabel(), "Time: 1.23");
    test.viewMode->setTime(0.5f);
    EXPECT_EQ(test.timeLabel(), "Time: 0.5");

    // A click at three quarters of the track asks for time 1.5.
    test.clickAt(EditorMenuTestEngine::pointIn(test.view->timeSlider.partial.track, 0.75f));
    EXPECT_NEAR(test.viewMode->currentTime, 1.5f, 1e-4f);
    EXPECT_EQ(test.timeLabel(), "Time: 1.5");

    // "Select & move" installs the animate tool.
    test.click(test.view->selectMoveButton);
    EXPECT_NE(dynamic_cast<AnimateToolMode*>(test.editor->toolMode), nullptr);
    EXPECT_TRUE(test.view->selectMoveButton->state->selected);
}

TEST(AnimMenuView, AnimationSliderPicksByTruncatedShareAndTheEndSelectsNothing)
{
    AnimMenuTest test(3);
    AnimMenuView* view = test.view;
    test.dragAnimationKnob(0.5f);
    EXPECT_EQ(test.viewMode->currentAnimation, 1);
    EXPECT_NEAR(view->animationSlider.partial.value, 1.0f / 3.0f, 1e-6f);
    EXPECT_EQ(EditorMenuTestEngine::captionOf(view->statusPanel), "animation 1");

    // Just short of two thirds is still animation 1; at the right end the index is the count,
    // which selects nothing anew and leaves the knob at the end.
    test.dragAnimationKnob(0.66f);
    EXPECT_EQ(test.viewMode->currentAnimation, 1);
    test.viewMode->setTime(0.25f);
    test.dragAnimationKnob(1.0f);
    EXPECT_EQ(test.viewMode->currentAnimation, 1);
    EXPECT_FLOAT_EQ(test.viewMode->currentTime, 0.25f);
    EXPECT_FLOAT_EQ(view->animationSlider.partial.value, 1.0f);
}

TEST(AnimMenuView, TimeTrackCoversTheAnimationMarksItsKeysAndASettingsDragIsOneStep)
{
    AnimMenuTest test(1);
    AnimMenuView* view = test.view;
    Animation& animation = test.editor->animations[0];
    animation.frames[0.5f] = {};
    animation.frames[1.5f] = {};
    test.viewMode->selectAnimation(0);
    test.step(60);
    const MenuPanel* track = view->timeSlider.partial.track;
    auto markLook = [&](size_t i) { return view->keyMarks.marks[i]->container->getMaterialName(); };
    ASSERT_EQ(view->keyMarks.marks.size(), 3u);
    EXPECT_EQ(markLook(0), "MenuSystemKeyMarkCurrent");
    EXPECT_EQ(markLook(1), "MenuSystemKeyMark");
    // The key at 0.5 sits a third along a track that covers 0 to 1.5.
    const MenuPanel* mark = view->keyMarks.marks[1];
    EXPECT_NEAR(mark->targetPosition.x + mark->targetSize.x * 0.5f,
                track->targetPosition.x + track->targetSize.x / 3.0f, 0.5f);

    // The knob dragged to 3 pixels beside that key lands on it, and the key is now current.
    test.pointAt(EditorMenuTestEngine::pointIn(view->timeSlider.partial.knob));
    test.press();
    test.menus.setPointer(track->targetPosition.x + track->targetSize.x / 3.0f + 3.0f,
                          track->targetPosition.y + 2.0f);
    test.step();
    test.release();
    EXPECT_FLOAT_EQ(test.viewMode->currentTime, 0.5f);
    EXPECT_EQ(markLook(1), "MenuSystemKeyMarkCurrent");
    EXPECT_EQ(test.timeLabel(), "Time: 0.5");

    // The end knob dragged to and fro is one step, on a step of 0.05 s; the track then covers
    // the new end.
    const size_t steps = test.editor->history->size();
    const MenuPanelManager::SliderPartial& end = view->settingsRows.endSlider.partial;
    test.pointAt(EditorMenuTestEngine::pointIn(end.knob));
    test.press();
    for (float share : {0.3f, 0.1f, 0.2012f})
    {
        const Ogre::Vector3 at = EditorMenuTestEngine::pointIn(end.track, share);
        test.menus.setPointer(at.x, at.y);
        test.step();
    }
    test.release();
    EXPECT_EQ(test.editor->history->size(), steps + 1);
    EXPECT_FLOAT_EQ(animation.end, 2.0f);
    EXPECT_EQ(EditorMenuTestEngine::captionOf(view->settingsRows.endSlider.label), "End: 2");
    EXPECT_FLOAT_EQ(view->timeSlider.partial.value, 0.25f);

    // The loop toggle is a step of its own, and undo shows the setting as it was.
    test.click(view->settingsRows.loopButton);
    EXPECT_TRUE(animation.loop);
    EXPECT_EQ(EditorMenuTestEngine::captionOf(view->settingsRows.loopButton), "Loop: on");
    test.editor->undo();
    EXPECT_FALSE(animation.loop);
    EXPECT_EQ(EditorMenuTestEngine::captionOf(view->settingsRows.loopButton), "Loop: off");
    test.editor->undo();
    EXPECT_FLOAT_EQ(animation.end, 0.0f);
}

TEST(AnimMenuView, PlayAdvancesAndWrapsStopHoldsAndLeavingTheViewStops)
{
    AnimMenuTest test(1);
    AnimMenuView* view = test.view;
    Animation& animation = test.editor->animations[0];
    animation.end = 1.0f;
    animation.speedMin = 1.0f;

    test.click(view->playButton);
    EXPECT_EQ(EditorMenuTestEngine::captionOf(view->playButton), "Stop");
    test.viewMode->setTime(0.99f); // the click's own steps already played
    test.step();
    EXPECT_NEAR(test.viewMode->currentTime, 0.006f, 1e-5f);
    test.step(10);
    EXPECT_EQ(test.timeLabel(), "Time: 0.166");

    test.click(view->playButton);
    EXPECT_EQ(EditorMenuTestEngine::captionOf(view->playButton), "Play");
    const float stoppedAt = test.viewMode->currentTime;
    test.step(10);
    EXPECT_FLOAT_EQ(test.viewMode->currentTime, stoppedAt);

    // Leaving the animate view while playing stops playback and forgets the view.
    test.click(view->playButton);
    ASSERT_TRUE(view->playing);
    test.editor->setViewMode(new ModelViewMode());
    EXPECT_FALSE(view->playing);
    EXPECT_EQ(view->animateViewMode, nullptr);
    test.settle();
    EXPECT_EQ(test.editor->menuSystem->currentView,
              static_cast<MenuView*>(test.editor->menuSystem->modelMenuView));
}
