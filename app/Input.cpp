#include "app/Input.h"

#include "app/InputTrace.h"

#include <OIS/OISInputManager.h>
#include <OIS/OISKeyboard.h>
#include <OIS/OISMouse.h>
#include <OgreStringConverter.h>

#include <X11/Xlib.h>

#include <algorithm>

Input::~Input()
{
    if (inputManager)
    {
        OIS::InputManager::destroyInputSystem(inputManager);
        inputManager = nullptr;
        keyboard = nullptr;
        mouse = nullptr;
    }
    if (pointerDisplay)
    {
        XCloseDisplay(static_cast<Display*>(pointerDisplay));
        pointerDisplay = nullptr;
    }
}

void Input::initialise(unsigned long windowHandle, unsigned width, unsigned height)
{
    // Shared, non-grabbing devices: the pointer stays visible and free, and key auto-repeat is
    // left on for the whole display (OIS would switch it off otherwise).
    OIS::ParamList parameters;
    parameters.insert(
        std::make_pair(std::string("WINDOW"), Ogre::StringConverter::toString(windowHandle)));
    parameters.insert(std::make_pair(std::string("x11_mouse_grab"), std::string("false")));
    parameters.insert(std::make_pair(std::string("x11_mouse_hide"), std::string("false")));
    parameters.insert(std::make_pair(std::string("x11_keyboard_grab"), std::string("false")));
    parameters.insert(std::make_pair(std::string("XAutoRepeatOn"), std::string("true")));

    inputManager = OIS::InputManager::createInputSystem(parameters);
    keyboard = static_cast<OIS::Keyboard*>(inputManager->createInputObject(OIS::OISKeyboard, true));
    mouse = static_cast<OIS::Mouse*>(inputManager->createInputObject(OIS::OISMouse, true));

    const OIS::MouseState& state = mouse->getMouseState();
    state.width = static_cast<int>(width);
    state.height = static_cast<int>(height);

    pointerWindow = windowHandle;
    pointerDisplay = XOpenDisplay(nullptr);
    copyMousePosition();
}

void Input::setWindowSize(unsigned width, unsigned height)
{
    if (!mouse)
    {
        return;
    }
    const OIS::MouseState& state = mouse->getMouseState();
    state.width = static_cast<int>(width);
    state.height = static_cast<int>(height);
}

bool Input::isModifierDown(int modifier)
{
    if (!keyboard)
    {
        return false;
    }
    switch (modifier)
    {
    case 0:
        return keyboard->isModifierDown(OIS::Keyboard::Ctrl);
    case 1:
        return keyboard->isModifierDown(OIS::Keyboard::Shift);
    default:
        return false;
    }
}

bool Input::isKeyDown(int keyCode)
{
    return keyboard ? keyboard->isKeyDown(static_cast<OIS::KeyCode>(keyCode)) : false;
}

void Input::capture()
{
    if (keyboard)
    {
        keyboard->capture();
    }
    if (mouse)
    {
        mouse->capture();
    }
    copyMousePosition();
}

void Input::copyMousePosition()
{
    if (!mouse)
    {
        return;
    }
    // The state is the mouse's own member; the library only hands out a const view of it.
    OIS::MouseState& state = const_cast<OIS::MouseState&>(mouse->getMouseState());
    if (pointerDisplay && pointerWindow)
    {
        Display* display = static_cast<Display*>(pointerDisplay);
        Window rootWindow = 0;
        Window childWindow = 0;
        int rootX = 0;
        int rootY = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned buttons = 0;
        if (XQueryPointer(display, static_cast<Window>(pointerWindow), &rootWindow, &childWindow,
                          &rootX, &rootY, &windowX, &windowY, &buttons))
        {
            // Keep the library's clamp to the area given at start-up.
            state.X.abs = std::clamp(windowX, 0, state.width);
            state.Y.abs = std::clamp(windowY, 0, state.height);
        }
    }
    const float x = static_cast<float>(state.X.abs);
    const float y = static_cast<float>(state.Y.abs);
    if (isInputTraceOn() && (x != mouseX || y != mouseY))
    {
        traceInput("pointer at " + std::to_string(state.X.abs) + " " + std::to_string(state.Y.abs));
    }
    mouseX = x;
    mouseY = y;
}
