#pragma once

#include "app/KeyListener.h"

#include <OgreVector.h>

#include <string>

class EditorMode;
namespace Ogre
{
class MovableObject;
}

// Decides which menu is shown and receives the keys the editor does not use itself.
class ViewMode
{
public:
    virtual ~ViewMode() = default;
    // Called once right after the editor installed the view mode.
    virtual void activate() {}
    // A click on a screen-space widget; nothing in the editor is one.
    virtual void widgetClicked(Ogre::MovableObject* object, const Ogre::Vector3& point)
    {
        (void)object;
        (void)point;
    }
    // Called with keys the editor hands on. Returns true when handled.
    virtual bool keyPressed(const KeyEvent& event)
    {
        (void)event;
        return true;
    }

    EditorMode* editor = nullptr; // back pointer
    std::string name;
};
