#pragma once

#include "editor/ViewMode.h"

#include <OgreVector.h>

#include <vector>

// The view in which the user steps through the animations and their key times and poses the
// skeleton. Leaving it always shows the rest pose again.
class AnimateViewMode : public ViewMode
{
public:
    AnimateViewMode() { name = "AnimateView"; }
    ~AnimateViewMode() override;

    void activate() override;
    // Up and Down choose the animation, Left and Right the key time, Delete resets the key
    // frame to the rest pose, left Control with Down adds an animation. Every key is handled.
    bool keyPressed(const KeyEvent& event) override;

    void setTime(float t);
    void showCurrentPose();
    // Does nothing unless 0 <= index < number of animations.
    void selectAnimation(int index);
    // Replaces the key frame at exactly currentTime, if there is one, by the rest pose.
    void resetFrameToRestPose();
    // Key F (an addition of this editor): replaces the key frame at exactly currentTime, if
    // there is one, by its mirror in x = 0 of model space, each particle taking its partner's
    // position reflected (PoseMirror), and shows it.
    void mirrorFrame();
    // One playback step of dt seconds at the current animation's speedMin, wrapping at its end.
    void advancePlayback(float dt);
    // After undo or redo changed the animations: keeps the current animation in range and
    // shows its pose and the menu again.
    void refresh();

    float currentTime = 0.0f;
    int currentAnimation = 0;

private:
    // Shows a pose; a pose that does not fit the skeleton (a hand-edited file) is logged and
    // the shown pose stays.
    void showPose(const std::vector<Ogre::Vector3>& pose);
    // The animation menu: makes it follow this view and puts it on show.
    void attachToMenu();
    // The animation menu: time slider and time text, and with withAnimation the animation shown.
    void refreshMenu(bool withAnimation);
    // The animation menu: forgets this view and stops playing.
    void detachFromMenu();
};
