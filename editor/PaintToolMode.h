#pragma once

#include "editor/ToolMode.h"
#include "editor/shapes/ShapeStroke.h"

#include <memory>

// Paints the voxel under the pointer in the model view's colour while a button is held; with
// another shape than the voxel (keys 4 to 8) a press paints that shape. Left Ctrl + click
// takes the colour under the pointer instead, and the tool stays.
class PaintToolMode : public ToolMode
{
public:
    void mousePressed(const OIS::MouseButtonID* button) override;
    void mouseHeld(const OIS::MouseButtonID* button) override;
    void mouseReleased(const OIS::MouseButtonID* button) override;
    void letGo() override { stroke.reset(); }

private:
    std::unique_ptr<ShapeStroke> stroke;
    bool shaped = false;  // the press was made with a shape other than the voxel
    bool picking = false; // the press took a colour: the drag paints nothing
    bool painted = false; // the press or drag reached a voxel: its colour counts as used
};
