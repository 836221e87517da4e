#pragma once

#include <OgreColourValue.h>

#include <string>

class MenuPanel;

// The three looks of a menu panel (normal, focused, selected) and the flags that choose one.
class InteractivePanelState
{
public:
    explicit InteractivePanelState(MenuPanel* panel) : panel(panel) {}
    virtual ~InteractivePanelState() = default;

    void showNormalLook();
    void showFocusLook();
    void showSelectedLook();
    // Selected wins over focused, focused over normal.
    void showCurrentLook();

    bool interactive = false;
    bool selected = false;
    bool focused = false;
    std::string focusMaterial = "MenuSystemControlFocusBackground";
    std::string normalMaterial = "MenuSystemControlBackground";
    std::string selectedMaterial = "MenuSystemControlSelectedBackground";
    Ogre::ColourValue focusTextColour = Ogre::ColourValue(1, 1, 1, 1);
    Ogre::ColourValue normalTextColour = Ogre::ColourValue(1, 1, 1, 1);
    Ogre::ColourValue selectedTextColour = Ogre::ColourValue(1, 1, 1, 1);
    MenuPanel* panel = nullptr; // back pointer

private:
    void showLook(const std::string& material, const Ogre::ColourValue& colour);
};
