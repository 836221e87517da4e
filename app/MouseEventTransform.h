#pragma once

#include <OIS/OISMouse.h>

class MouseListener;

// Passes the mouse's buffered events to the current mode: motion as a pixel delta, the wheel
// in notches, buttons unchanged.
class MouseEventTransform : public OIS::MouseListener
{
public:
    bool mouseMoved(const OIS::MouseEvent& event) override;
    bool mousePressed(const OIS::MouseEvent& event, OIS::MouseButtonID button) override;
    bool mouseReleased(const OIS::MouseEvent& event, OIS::MouseButtonID button) override;

    ::MouseListener* target = nullptr; // not owned; null ignores events
};
