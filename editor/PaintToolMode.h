#pragma once

#include "editor/ToolMode.h"

// Paints the voxel under the pointer in the model view's colour while a button is held.
class PaintToolMode : public ToolMode
{
public:
    void mouseHeld(const OIS::MouseButtonID* button) override;
};
