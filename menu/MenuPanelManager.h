#pragma once

#include "app/KeyListener.h"

#include <OIS/OISMouse.h>
#include <OgreVector.h>

#include <cstddef>
#include <string>
#include <vector>

class ApplicationMode;
class MenuPanel;

// The base of every menu view: keeps the view's panels, builds the standard controls, tracks the
// panel under the pointer and the pressed one, turns a press and release on the same panel into a
// click and hands clicks and drags to the view through the hooks below. There is no widget tree:
// the view places its flat list of panels itself and the panel added last wins a hit test.
class MenuPanelManager : public KeyListener
{
public:
    // A knob moving along a track. `value` is 0 at the left (top) end and 1 at the right (bottom).
    struct SliderPartial
    {
        SliderPartial() = default;
        virtual ~SliderPartial();
        SliderPartial(const SliderPartial&) = delete;
        SliderPartial& operator=(const SliderPartial&) = delete;

        // Sends the track to trackPosition and the knob's centre to `value` along it.
        void placeKnob(const Ogre::Vector3& trackPosition);
        // Sets `value` from a point in pixels, clamped to the track; does not move the knob.
        void setValueFromPoint(const Ogre::Vector3& point);

        MenuPanel* knob = nullptr;  // owned
        MenuPanel* track = nullptr; // owned
        float value = 0.0f;
        bool horizontal = true;
    };

    // A slider with an optional label above or beside its track.
    struct Slider
    {
        Slider() = default;
        virtual ~Slider();
        Slider(const Slider&) = delete;
        Slider& operator=(const Slider&) = delete;

        virtual void setValue(float v);
        // Places the track relative to the label (if any) and the knob from `value`.
        void layout();

        SliderPartial partial;
        MenuPanel* label = nullptr; // owned
        bool beside = false;
        float labelGap = 0.0f; // pixels from the label's left edge to the track, with `beside`
        std::string name;
    };

    // The time slider's type; its label text is written by the menu that owns it.
    struct RangedSlider : public Slider
    {
    };

    MenuPanelManager() = default;
    MenuPanelManager(const MenuPanelManager&) = delete;
    MenuPanelManager& operator=(const MenuPanelManager&) = delete;

    // The menus consume no keys.
    bool keyPressed(const KeyEvent& event) override;
    bool keyReleased(const KeyEvent& event) override;
    virtual ~MenuPanelManager();

    virtual void init(ApplicationMode* owner, const Ogre::Vector3& areaSize);
    // Called once per fixed step: hover and held drags while active, panel motion always.
    virtual void update(float timeStep);
    // Places the view's panels with their top-left corner at `position`.
    virtual void setPosition(const Ogre::Vector3& position);
    // Returns true when the press landed on a panel (the editing tool then does not get it).
    virtual bool mousePressed(const OIS::MouseButtonID& button);
    // Returns true when a panel has the focus; a release on the pressed panel is a click.
    virtual bool mouseReleased(const OIS::MouseButtonID& button);
    // Called by the menu system before it slides the view in.
    virtual void enter();
    virtual void reserved0() {}
    // Called by the menu system once the view has left the screen: drops the focus.
    virtual void reset();
    // The overlay that the factories attach new panels to (1: "OverlayMenu").
    virtual int layer();
    // Whether the view takes pointer input now.
    virtual bool isActive() = 0;
    // Told the command of the newly focused panel, or "" when nothing has the focus.
    virtual void onFocusChanged(const std::string& command) = 0;
    // A press and release on the same panel.
    virtual void onClicked(MenuPanel* panel);
    // Called on every update while a button is held on `panel`.
    virtual void onHeld(MenuPanel* panel);
    virtual void onEnter();
    virtual void onReset();
    // Text input. No menu of the editor has a text-input field, so these only keep the
    // choice of panel, which reset() clears; how a field would edit its text is left to one
    // that needs it.
    // Called after the text-input panel's text changed; empty here.
    virtual void onTextInputChanged(MenuPanel* panel, const std::string& text);
    // Chooses the panel that takes typed keys (null: none), its length limit and case.
    virtual void setTextInputPanel(MenuPanel* panel, size_t maxLength, bool upperCase);
    // One key for the text-input panel; returns true when it was used, never here.
    virtual bool textInputKey(const KeyEvent& event);

    void addPanel(MenuPanel* panel);
    // Full-width button, 56 x scale units high.
    MenuPanel* addButton(float scale);
    // Lower button (28.8 x scale units) for slider tracks and swatches; leftMargin < 0 means 32.
    MenuPanel* addSmallButton(float leftMargin, float scale);
    // Non-interactive full-width panel `height` pixels high, with text at its top.
    MenuPanel* addTextBox(float height, float scale);
    MenuPanel* addSliderKnob(float heightScale);
    // The mouse pointer in window pixels.
    Ogre::Vector3 pointerPosition();
    MenuPanel* panelAt(const Ogre::Vector3& point);
    void setFocus(MenuPanel* panel);
    void setAllVisible(bool visible);
    void setAllActive(bool active);
    void snapAll();
    // After the window changed size: every panel and the area scale with it.
    void rescale(float sx, float sy);

    ApplicationMode* owner = nullptr; // back pointer
    std::vector<MenuPanel*> panels;   // not owned: the view that made them destroys them
    Ogre::Vector3 areaSize = Ogre::Vector3::ZERO;
    MenuPanel* focus = nullptr;
    MenuPanel* pressed = nullptr;

    MenuPanel* textInputPanel = nullptr;
    size_t textInputMaxLength = 0;
    bool textInputUpperCase = false;

private:
    // What the four factories share: a white-text menu panel with the given metrics.
    MenuPanel* addFactoryPanel(float charHeight, float leftMargin, const Ogre::Vector2& size);
};
