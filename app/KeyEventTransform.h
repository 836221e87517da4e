#pragma once

#include <OIS/OISKeyboard.h>

class KeyListener;

// Passes the keyboard's buffered events to the current mode as the editor's own key events.
class KeyEventTransform : public OIS::KeyListener
{
public:
    bool keyPressed(const OIS::KeyEvent& event) override;
    bool keyReleased(const OIS::KeyEvent& event) override;

    ::KeyListener* target = nullptr; // not owned; null ignores events
};
