#pragma once

#include "editor/ToolMode.h"

// Builds on the surface under the pointer while the left button is held; a right click removes
// the voxel under the pointer.
class SculptToolMode : public ToolMode
{
public:
    void mousePressed(const OIS::MouseButtonID* button) override;
    void mouseHeld(const OIS::MouseButtonID* button) override;
    void mouseReleased(const OIS::MouseButtonID* button) override;

    // Whether a held button adds voxels; the last left or right press decides.
    bool adding = true;
};
