#pragma once

#include <OIS/OISKeyboard.h>

#include <cstdint>

// The editor's own key event: the OIS key code and the character the press produced
// (0 when it produces none).
struct KeyEvent
{
    OIS::KeyCode key = OIS::KC_UNASSIGNED;
    uint32_t text = 0;
};

// Receives key events from the key adapter. Handlers return true when they handled the event.
class KeyListener
{
public:
    virtual bool keyPressed(const KeyEvent& event) = 0;
    virtual bool keyReleased(const KeyEvent& event) = 0;
};
