#pragma once

#include "menu/MenuPanelManager.h"
#include "skeleton/Animation.h"

#include <OgreVector.h>

#include <memory>
#include <string>
#include <vector>

class AnimMenuView;
class EditorMode;
class MenuPanel;
class TextField;

// The rows of the animation menu below its first controls: the current animation's comment,
// loop flag, end and speed range, and the key frame actions. Every change of a setting is one
// undo step; a knob dragged to and fro is one step when it is let go.
class AnimSettingsRows
{
public:
    // A setting's slider: 0 to `maximum` in steps of `step`.
    struct Range
    {
        float maximum;
        float step;
        // The setting at a slider value (0 to 1), on the nearest step.
        float at(float value) const;
    };
    static const Range END_RANGE, SPEED_RANGE, SPREAD_RANGE;

    // The speed range written as the animation file writes it: mid-point and half-width.
    static float speedOf(const Animation::Settings& settings);
    static float spreadOf(const Animation::Settings& settings);
    // New mid-point or half-width, keeping the other; the half-width never exceeds the
    // mid-point, so the slowest speed of the range (the editor's playback speed) is not
    // negative.
    static void setSpeed(Animation::Settings& settings, float speed);
    static void setSpread(Animation::Settings& settings, float spread);

    explicit AnimSettingsRows(AnimMenuView& view);
    ~AnimSettingsRows();
    AnimSettingsRows(const AnimSettingsRows&) = delete;
    AnimSettingsRows& operator=(const AnimSettingsRows&) = delete;

    void build();
    // Stacks the rows from y downwards at x.
    void place(float x, float y);
    // Shows the current animation's settings (nothing while there is none).
    void show();
    // A click, a held knob, a release; true when the panel is one of the rows'.
    bool clicked(MenuPanel* panel);
    bool held(MenuPanel* panel);
    // A button came up: a knob drag ends, as one step.
    void released();

    std::unique_ptr<TextField> commentField;
    MenuPanel* loopButton = nullptr; // owned
    MenuPanelManager::Slider endSlider, speedSlider, spreadSlider;
    MenuPanel* copyFrameButton = nullptr;  // owned
    MenuPanel* pasteFrameButton = nullptr; // owned
    MenuPanel* removeKeyButton = nullptr;  // owned
    MenuPanel* duplicateButton = nullptr;  // owned
    // "Copy frame" keeps the whole key frame here for "Paste frame".
    std::vector<Ogre::Vector3> copiedFrame;
    bool hasCopiedFrame = false;

private:
    void buildSlider(MenuPanelManager::Slider& slider);
    // The settings a slider's value asks for, from `base`.
    Animation::Settings fromSlider(const MenuPanelManager::Slider& slider,
                                   Animation::Settings base) const;
    // Records the change as one step and shows it.
    void change(const std::string& stepName, const Animation::Settings& settings);
    const Animation* current() const;

    AnimMenuView& view; // back reference: the menu that holds the rows
    // A knob drag under way: the animation and its settings when the drag began.
    bool dragging = false;
    EditorMode* dragEditor = nullptr; // back pointer, while dragging
    int dragAnimation = -1;
    Animation::Settings dragStart;
};
