#pragma once

#include "menu/MenuView.h"

#include <OgreColourValue.h>

#include <string>

// The bottom bar: "Save" and "Reset camera" at its right end, and a line on its left for
// messages the user must not miss (a save that failed, where an export went).
class BarMenuView : public MenuView
{
public:
    ~BarMenuView() override;

    void build(ApplicationMode* owner, MenuSystem* menuSystem,
               const Ogre::Vector3& areaSize) override;
    // Right-aligns the buttons in the area whose top-left corner is `position`.
    void setPosition(const Ogre::Vector3& position) override;
    void onClicked(MenuPanel* panel) override;

    // Shows `text` on the left of the bar, after any message still shown (each text once),
    // until clearMessage; red, for what went wrong, unless another colour is given (the whole
    // line takes it). Every save clears it before writing.
    void showMessage(const std::string& text,
                     const Ogre::ColourValue& colour = Ogre::ColourValue::Red);
    void clearMessage();

    MenuPanel* saveButton = nullptr;        // owned
    MenuPanel* resetCameraButton = nullptr; // owned
    MenuPanel* messagePanel = nullptr;      // owned; not interactive
    std::string message;                    // what messagePanel shows, in Latin-1

private:
    // Room between the bar's left end and "Reset camera".
    float messageWidth() const;
};
