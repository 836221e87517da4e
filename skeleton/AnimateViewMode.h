#pragma once

#include "editor/ViewMode.h"
#include "skeleton/Animation.h"

#include <OgreVector.h>

#include <memory>
#include <string>
#include <vector>

class OnionSkin;
namespace Ogre
{
class ManualObject;
}

// The view in which the user steps through the animations and their key times and poses the
// skeleton. Leaving it always shows the rest pose again.
class AnimateViewMode : public ViewMode
{
public:
    AnimateViewMode();
    ~AnimateViewMode() override;

    void activate() override;
    // Up and Down choose the animation, Left and Right the key time, Delete resets the key
    // frame to the rest pose, left Control with Down adds an animation, K shows or hides the
    // onion skins. Every key is handled.
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
    // Key K: shows or hides the ghosts of the neighbouring key frames.
    void toggleOnionSkins();
    bool onionSkinsOn() const;
    // The ghosts' objects (OnionSkin::objects); empty while off.
    const std::vector<Ogre::ManualObject*>& onionSkinObjects() const;

    // The key frame at exactly currentTime into `frame`; false (and a note) when there is none.
    bool copyFrame(std::vector<Ogre::Vector3>& frame);
    // Stores `frame` as the key frame at currentTime, making one there if there is none.
    void pasteFrame(const std::vector<Ogre::Vector3>& frame);
    // Removes the key frame at exactly currentTime; the only key frame of an animation stays
    // (the bar says so), and a time without a key frame changes nothing.
    void removeKeyFrame();
    // Appends a copy of the current animation and selects it.
    void duplicateAnimation();
    // Gives the current animation new settings (comment, loop, end, speed range).
    void setSettings(const Animation::Settings& settings);

    static const std::string ONLY_KEY_NOTE;
    static const std::string NO_KEY_NOTE;

    // After undo or redo changed the animations: keeps the current animation in range and
    // shows its pose and the menu again.
    void refresh();

    // The animation menu: time slider, time text and key marks, and with withAnimation the
    // animation shown and its settings.
    void refreshMenu(bool withAnimation);

    float currentTime = 0.0f;
    int currentAnimation = 0;

private:
    // The onion skins follow the time shown.
    void showOnionSkins(bool force);

    // Shows a pose; a pose that does not fit the skeleton (a hand-edited file) is logged and
    // the shown pose stays.
    void showPose(const std::vector<Ogre::Vector3>& pose);
    // The animation menu: makes it follow this view and puts it on show.
    void attachToMenu();
    // The animation menu: forgets this view and stops playing.
    void detachFromMenu();

    std::unique_ptr<OnionSkin> onionSkin; // made on activation, when the editor is known
};
