#pragma once

#include "editor/ToolMode.h"

// Copies the colour of the voxel under the pointer into the model view's colour.
class GetColorToolMode : public ToolMode
{
public:
    void mousePressed(const OIS::MouseButtonID* button) override;
};
