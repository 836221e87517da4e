#include "app/MouseEventTransform.h"

#include "app/InputTrace.h"
#include "app/MouseListener.h"

bool MouseEventTransform::mouseMoved(const OIS::MouseEvent& event)
{
    const Ogre::Vector2 delta(static_cast<float>(event.state.X.rel),
                              static_cast<float>(event.state.Y.rel));
    if (isInputTraceOn())
    {
        traceInput("mouse moved " + std::to_string(event.state.X.rel) + " " +
                   std::to_string(event.state.Y.rel));
    }
    if (!target)
    {
        return true;
    }
    const bool handled = target->mouseMoved(delta);
    // The X11 mouse counts 120 for each notch of the wheel, as Windows does.
    if (event.state.Z.rel != 0)
    {
        return target->mouseWheel(static_cast<float>(event.state.Z.rel) / 120.0f);
    }
    return handled;
}

bool MouseEventTransform::mousePressed(const OIS::MouseEvent&, OIS::MouseButtonID button)
{
    if (isInputTraceOn())
    {
        traceInput("mouse pressed " + std::to_string(button));
    }
    return target ? target->mousePressed(button) : true;
}

bool MouseEventTransform::mouseReleased(const OIS::MouseEvent&, OIS::MouseButtonID button)
{
    if (isInputTraceOn())
    {
        traceInput("mouse released " + std::to_string(button));
    }
    return target ? target->mouseReleased(button) : true;
}
