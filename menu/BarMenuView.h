#pragma once

#include "menu/MenuView.h"

#include <OgreColourValue.h>

#include <string>

// The bottom bar: "Save" and "Reset camera" at its right end. Its left part shows the model
// file's name, marked while changes are unsaved, with short notes ("Undo: paint stroke") for a
// few seconds; messages the user must not miss (a save that failed, where an export went) stand
// beside the name in red until the next save.
class BarMenuView : public MenuView
{
public:
    ~BarMenuView() override;

    void build(ApplicationMode* owner, MenuSystem* menuSystem,
               const Ogre::Vector3& areaSize) override;
    // Right-aligns the buttons in the area whose top-left corner is `position`.
    void setPosition(const Ogre::Vector3& position) override;
    void onClicked(MenuPanel* panel) override;
    // Counts down the note's time.
    void update(float timeStep) override;

    // Shows `text` on the left of the bar, after any message still shown (each text once),
    // until clearMessage; red, for what went wrong, unless another colour is given (the whole
    // line takes it). Every save clears it before writing.
    void showMessage(const std::string& text,
                     const Ogre::ColourValue& colour = Ogre::ColourValue::Red);
    void clearMessage();
    // The file name and its mark, shown while there is no message.
    void showStatus(const std::string& text);
    // Shows `text` after the status for NOTE_SECONDS.
    void showNote(const std::string& text);

    // "Mirror X" just left of "Reset camera" while mirror editing is on (an addition of this
    // editor); the status line then ends before it.
    void showMirror(bool on);

    static constexpr float NOTE_SECONDS = 4.0f;

    MenuPanel* saveButton = nullptr;        // owned
    MenuPanel* resetCameraButton = nullptr; // owned
    MenuPanel* messagePanel = nullptr;      // owned; not interactive
    std::string message;                    // what messagePanel shows, in Latin-1
    MenuPanel* statusPanel = nullptr;       // owned; not interactive
    std::string status;
    std::string note;
    float noteTimeLeft = 0.0f; // seconds
    MenuPanel* mirrorPanel = nullptr; // owned; not interactive; zero wide while off
    bool mirrorShown = false;

private:
    // Room between the status line's left end and "Reset camera" (or "Mirror X" while shown).
    float messageWidth() const;
    // The status line (file name, mark, note) from the left, and the message beside it.
    void layoutStatus();
};
