#pragma once

#include "editor/ToolMode.h"

#include <OgreVector.h>

class SkeletonEditing;

// The skeleton view's clicks. Left click on a particle chooses it; elsewhere it adds a particle
// inside the model under the pointer. A left drag from a particle to another adds a stick
// between them; released elsewhere it moves the particle there. Right click removes the
// particle, or else the stick, under the pointer. Each is one undo step (the press and release
// are one gesture of the editor).
class SkeletonToolMode : public ToolMode
{
public:
    explicit SkeletonToolMode(SkeletonEditing& editing) : editing(editing) {}

    void mousePressed(const OIS::MouseButtonID* button) override;
    void mouseReleased(const OIS::MouseButtonID* button) override;

    // The particle whose pick cube the pointer ray meets first, or -1.
    int particleUnderPointer();
    // The stick drawn within 8 pixels of the pointer (the nearest), or -1.
    int stickUnderPointer();

private:
    Ogre::Vector3 placeAtPointer();

    SkeletonEditing& editing; // owned by the view mode, which outlives its tool
    bool pressed = false;
    int pressedParticle = -1;
    Ogre::Vector3 pressPoint = Ogre::Vector3::ZERO; // window pixels
};
