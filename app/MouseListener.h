#pragma once

#include <OIS/OISMouse.h>
#include <OgreVector.h>

// Receives mouse events from the mouse adapter. `delta` is the relative motion of one event in
// pixels (x right, y down). Handlers return true when they handled the event.
class MouseListener
{
public:
    virtual bool mouseMoved(const Ogre::Vector2& delta) = 0;
    virtual bool mousePressed(const OIS::MouseButtonID& button) = 0;
    virtual bool mouseReleased(const OIS::MouseButtonID& button) = 0;
    // Called when the wheel turns: positive notches away from the user. Ignored by default.
    virtual bool mouseWheel(float notches)
    {
        (void)notches;
        return true;
    }
};
