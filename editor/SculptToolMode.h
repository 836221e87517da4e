#pragma once

#include "editor/ToolMode.h"
#include "editor/shapes/ShapeStroke.h"

#include <OgreVector.h>

#include <memory>
#include <vector>

// Builds on the surface under the pointer while the left button is held; a right click removes
// the voxel under the pointer, and a right drag every voxel whose face the pointer passes over.
// With another shape than the voxel (keys 4 to 8) a press starts that shape instead.
class SculptToolMode : public ToolMode
{
public:
    void mousePressed(const OIS::MouseButtonID* button) override;
    void mouseHeld(const OIS::MouseButtonID* button) override;
    void mouseReleased(const OIS::MouseButtonID* button) override;
    void letGo() override;

    // Whether a held button adds voxels; the last left or right press decides.
    bool adding = true;

private:
    // Removes the voxel under the pointer (and its twin), unless the pointer is over a hole
    // this drag has made already.
    void removeUnderPointer();

    std::unique_ptr<ShapeStroke> stroke;
    bool shaped = false;   // the press was made with a shape other than the voxel
    bool removing = false; // a right press with the voxel shape is held: the drag removes
    // The shown centres of the voxels this right drag removed: their boxes still stop the
    // pointer, so that the voxels behind them stay.
    std::vector<Ogre::Vector3> holes;
};
