#pragma once

namespace OIS
{
class InputManager;
class Keyboard;
class Mouse;
}

// The keyboard and mouse, opened buffered and non-exclusive on the render window.
class Input
{
public:
    virtual ~Input();

    void initialise(unsigned long windowHandle, unsigned width, unsigned height);
    // 0 asks for Control, 1 for Shift; any other code answers false.
    virtual bool isModifierDown(int modifier);
    // Whether a key is held now; false without a keyboard. Virtual so that tests can hold keys.
    virtual bool isKeyDown(int keyCode);
    // Captures the keyboard, then the mouse (delivering their buffered events to the adapters),
    // then copies the pointer position into mouseX and mouseY. Virtual so that tests can count
    // captures without devices.
    virtual void capture();
    // Copies the absolute pointer position into mouseX and mouseY. Without a grab, OIS builds
    // its position from motion deltas and drifts from the real pointer, so the position is
    // read from the X server and written back into the mouse state as well.
    void copyMousePosition();
    // The window's size, within which the mouse's absolute position is kept.
    void setWindowSize(unsigned width, unsigned height);

    OIS::InputManager* inputManager = nullptr; // owned
    OIS::Keyboard* keyboard = nullptr;
    OIS::Mouse* mouse = nullptr;
    float mouseX = 0.0f;
    float mouseY = 0.0f;

    void* pointerDisplay = nullptr;    // owned connection used to read the real pointer position
    unsigned long pointerWindow = 0;   // the render window
};
