#include "app/KeyEventTransform.h"

#include "app/InputTrace.h"
#include "app/KeyListener.h"

bool KeyEventTransform::keyPressed(const OIS::KeyEvent& event)
{
    if (isInputTraceOn())
    {
        traceInput("key pressed " + std::to_string(event.key) + " text " +
                   std::to_string(event.text));
    }
    if (!target)
    {
        return true;
    }
    KeyEvent keyEvent;
    keyEvent.key = event.key;
    keyEvent.text = event.text;
    return target->keyPressed(keyEvent);
}

bool KeyEventTransform::keyReleased(const OIS::KeyEvent& event)
{
    if (isInputTraceOn())
    {
        traceInput("key released " + std::to_string(event.key));
    }
    if (!target)
    {
        return true;
    }
    KeyEvent keyEvent;
    keyEvent.key = event.key;
    keyEvent.text = event.text;
    return target->keyReleased(keyEvent);
}
