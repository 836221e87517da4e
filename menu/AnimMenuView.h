#pragma once

#include "menu/AnimSettingsRows.h"
#include "menu/KeyMarks.h"
#include "menu/MenuView.h"

class AnimateViewMode;
class EditorMode;
class MenuPanel;

// The side menu of animation editing: the animate tool, a time slider that scrubs through the
// current animation, playback, a new animation, the choice of animation and its comment; below
// them the animation's settings and the key frame actions (AnimSettingsRows). Playback runs in
// this view's update, so it pauses while the model menu is shown.
class AnimMenuView : public MenuView
{
public:
    AnimMenuView() = default;
    ~AnimMenuView() override;

    void build(ApplicationMode* owner, MenuSystem* menuSystem,
               const Ogre::Vector3& areaSize) override;
    // Panel motion and hover as every view, then one playback step while playing.
    void update(float timeStep) override;
    // Stacks the controls downwards from `position`.
    void setPosition(const Ogre::Vector3& position) override;
    void onClicked(MenuPanel* panel) override;
    // Dragging a knob scrubs the time or switches the animation on every fixed step.
    void onHeld(MenuPanel* panel) override;
    // A settings knob let go records its change.
    bool mouseReleased(const OIS::MouseButtonID& button) override;

    void stopPlaying();
    // Installs "Select & move" again when it is lit: a new view mode starts without a tool.
    void reinstallTool();
    // The time slider's label: "Time: " and the current time with three significant digits.
    void showTime();
    // Moves the animation knob to the current animation and shows its comment and settings.
    void showAnimation();
    // Marks the current animation's key times on the time track.
    void showKeyMarks();
    void showStatus();
    // Selects the animation under the animation slider's value.
    void pickAnimation();

    bool playing = false;
    MenuPanel* selectMoveButton = nullptr; // owned
    // value = time / Timeline::span: the track covers the current animation.
    MenuPanelManager::RangedSlider timeSlider;
    MenuPanel* playButton = nullptr;         // owned
    MenuPanel* addAnimationButton = nullptr; // owned
    MenuPanelManager::Slider animationSlider;
    MenuPanel* statusPanel = nullptr; // owned
    // The active animate view mode; it registers itself when activated and clears this when it
    // is destroyed.
    AnimateViewMode* animateViewMode = nullptr;
    AnimSettingsRows settingsRows{*this};
    KeyMarks keyMarks{*this};
    // Onion skins (key K) stay on across animate views (a save makes a new one).
    bool onionSkins = false;

private:
    EditorMode* editor();
    void buildSlider(MenuPanelManager::Slider& slider, const std::string& title);
    void buildStatusPanel();
    void scrubTime();
    void chooseAnimation();
};
