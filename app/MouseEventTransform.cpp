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
    return target ? target->mouseMoved(delta) : true;
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
