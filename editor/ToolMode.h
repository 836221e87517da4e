#pragma once

#include "app/KeyListener.h"

#include <OIS/OISMouse.h>
#include <OgreColourValue.h>

#include <unordered_map>

class EditorMode;
class Voxel;

// Receives the mouse presses that no menu took. Buttons are OIS numbers: 0 left, 1 right, 2 middle.
class ToolMode
{
public:
    virtual ~ToolMode() = default;
    // Called when a press reached the tool.
    virtual void mousePressed(const OIS::MouseButtonID* button) { (void)button; }
    // Called once per fixed step while a press that reached the tool is held; always button 0.
    virtual void mouseHeld(const OIS::MouseButtonID* button) { (void)button; }
    // Called on every release, also of a press a menu took.
    virtual void mouseReleased(const OIS::MouseButtonID* button) { (void)button; }
    // Called with the keys the view hands on. Returns true when the tool used the key.
    virtual bool keyPressed(const KeyEvent& event)
    {
        (void)event;
        return false;
    }
    // Left Control with C.
    virtual void copy() {}
    // Left Control with V.
    virtual void paste() {}
    // Left Control with left Shift and V: the paste reflected in x = 0, each entry to its
    // partner (an addition of this editor).
    virtual void pasteMirrored() {}
    // Called before the editor destroys a voxel, so that a tool holding it can let go.
    virtual void voxelRemoved(Voxel*) {}
    // Called before undo or redo rewrites the model: the tool drops what it holds of it.
    virtual void letGo() {}
    // Adds the real colour of every voxel that the tool shows in a colour of its own (the
    // selection's red), so that saving writes what the user painted.
    virtual void collectRealColours(std::unordered_map<const Voxel*, Ogre::ColourValue>&) const {}

    EditorMode* editor = nullptr; // back pointer
};
