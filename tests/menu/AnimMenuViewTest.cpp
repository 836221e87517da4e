#include "menu/AnimMenuView.h"

#include "editor/ModelViewMode.h"
#include "menu/ModelMenuView.h"
#include "skeleton/AnimateToolMode.h"
#include "skeleton/AnimateViewMode.h"
#include "skeleton/Animation.h"
#include "tests/menu/EditorMenuTestEngine.h"

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
        pointAt(centreOf(slider.knob));
        press();
        menus.setPointer(slider.track->targetPosition.x + slider.track->targetSize.x * share,
                         slider.track->targetPosition.y);
        step();
        release();
    }

    AnimMenuView* view = nullptr;
    AnimateViewMode* viewMode = nullptr;
};
} // namespace

TEST(AnimMenuView, ControlsStackAtTheirTopsAndFollowTheAnimateView)
{
    AnimMenuTest test(1);
    AnimMenuView* view = test.view;
    ASSERT_EQ(test.editor->menuSystem->currentView, view);
    ASSERT_NE(test.viewMode, nullptr);
    EXPECT_EQ(view->animateViewMode, test.viewMode);

    // 1920 x 1080: the labels are 80 pixels high, the tracks hang 48 below their tops.
    const MenuPanel* panels[] = {view->selectMoveButton,
                                 view->timeSlider.label,
                                 view->timeSlider.partial.track,
                                 view->playButton,
                                 view->addAnimationButton,
                                 view->animationSlider.label,
                                 view->animationSlider.partial.track,
                                 view->statusPanel};
    const float tops[] = {0, 76, 124, 176, 252, 328, 376, 428};
    for (int i = 0; i < 8; ++i)
        EXPECT_FLOAT_EQ(panels[i]->targetPosition.y, tops[i]) << "panel " << i;
    EXPECT_FALSE(view->statusPanel->state->interactive);
    EXPECT_EQ(EditorMenuTestEngine::captionOf(view->animationSlider.label), "Animation");
    EXPECT_EQ(EditorMenuTestEngine::captionOf(view->statusPanel), "animation 0");

    // "Select & move" installs the animate tool and, alone in its group, stays chosen.
    test.click(view->selectMoveButton);
    EXPECT_NE(dynamic_cast<AnimateToolMode*>(test.editor->toolMode), nullptr);
    EXPECT_TRUE(view->selectMoveButton->state->selected);
    test.pointAt(Ogre::Vector3(1000, 700, 0));
    EXPECT_TRUE(view->selectMoveButton->state->selected);
    EXPECT_EQ(view->selectMoveButton->container->getMaterialName(),
              "MenuSystemControlSelectedBackground");
}

TEST(AnimMenuView, TimeLabelShowsThreeSignificantDigitsAndTheKnobHalfTheTime)
{
    AnimMenuTest test(1);
    const MenuPanelManager::RangedSlider& slider = test.view->timeSlider;

    EXPECT_EQ(EditorMenuTestEngine::captionOf(slider.label), "Time: 0");
    test.viewMode->setTime(1.23456f);
    EXPECT_EQ(EditorMenuTestEngine::captionOf(slider.label), "Time: 1.23");
    EXPECT_FLOAT_EQ(slider.partial.value, 1.23456f * 0.5f);
    test.viewMode->setTime(0.5f);
    EXPECT_EQ(EditorMenuTestEngine::captionOf(slider.label), "Time: 0.5");
    test.viewMode->setTime(0.0f);
    EXPECT_EQ(EditorMenuTestEngine::captionOf(slider.label), "Time: 0");

    // A click at three quarters of the track asks for time 1.5.
    const MenuPanel* track = slider.partial.track;
    test.clickAt(track->targetPosition +
                 Ogre::Vector3(track->targetSize.x * 0.75f, track->targetSize.y * 0.5f, 0));
    EXPECT_NEAR(test.viewMode->currentTime, 1.5f, 1e-4f);
    EXPECT_EQ(EditorMenuTestEngine::captionOf(slider.label), "Time: 1.5");
}

TEST(AnimMenuView, AnimationSliderPicksByTruncatedShareAndTheKnobJumps)
{
    AnimMenuTest test(3);
    AnimMenuView* view = test.view;
    EXPECT_EQ(test.viewMode->currentAnimation, 0);

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
    EXPECT_EQ(EditorMenuTestEngine::captionOf(view->statusPanel), "animation 1");

    // "Add new animation" appends a copy of the base animation and selects it at time 0.
    test.editor->baseAnimation.comment = "rest";
    test.click(view->addAnimationButton);
    ASSERT_EQ(test.editor->animations.size(), 4u);
    EXPECT_EQ(test.viewMode->currentAnimation, 3);
    EXPECT_FLOAT_EQ(test.viewMode->currentTime, 0.0f);
    EXPECT_FLOAT_EQ(view->animationSlider.partial.value, 0.75f);
    EXPECT_EQ(EditorMenuTestEngine::captionOf(view->statusPanel), "rest");
}

TEST(AnimMenuView, PlayAdvancesAndWrapsStopHoldsAndLeavingTheViewStops)
{
    AnimMenuTest test(1);
    AnimMenuView* view = test.view;
    Animation& animation = test.editor->animations[0];
    animation.end = 1.0f;
    animation.speedMin = 1.0f;
    test.viewMode->setTime(0.99f);
    test.step();
    EXPECT_FLOAT_EQ(test.viewMode->currentTime, 0.99f);

    test.click(view->playButton);
    EXPECT_TRUE(view->playing);
    EXPECT_EQ(EditorMenuTestEngine::captionOf(view->playButton), "Stop");
    // The click's own steps already played: count from a known time.
    test.viewMode->setTime(0.99f);
    test.step();
    EXPECT_NEAR(test.viewMode->currentTime, 0.006f, 1e-5f);
    test.step(10);
    EXPECT_NEAR(test.viewMode->currentTime, 0.166f, 1e-4f);
    EXPECT_EQ(EditorMenuTestEngine::captionOf(view->timeSlider.label), "Time: 0.166");

    test.click(view->playButton);
    EXPECT_FALSE(view->playing);
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
    EXPECT_EQ(EditorMenuTestEngine::captionOf(view->playButton), "Play");
    test.settle();
    EXPECT_EQ(test.editor->menuSystem->currentView,
              static_cast<MenuView*>(test.editor->menuSystem->modelMenuView));
}
