#pragma once

#include "editor/shapes/ShapeCells.h"

class MenuPanel;
class MenuPanelManager;

// The row of small shape buttons under "Re-bind skeleton" in the model menu (keys 4 to 8 choose
// the same): "Voxel", "Box", "Line", "Face", "Fill". The chosen one keeps the selected look.
class ShapeButtons
{
public:
    static constexpr int COUNT = 5;

    ShapeButtons() = default;
    ~ShapeButtons();
    ShapeButtons(const ShapeButtons&) = delete;
    ShapeButtons& operator=(const ShapeButtons&) = delete;

    // Creates the buttons in the view (after its own controls) and lights "Voxel".
    void build(MenuPanelManager& view);
    // Places the row with its top-left corner at (x, y), as wide as the view.
    void place(float x, float y, float width);
    // The shape of a clicked button; false for any other panel.
    bool shapeOf(const MenuPanel* panel, ShapeCells::Shape& shape) const;
    // Lights the shape's button and remembers it as chosen.
    void light(ShapeCells::Shape shape);

    MenuPanel* buttons[COUNT] = {}; // owned
    ShapeCells::Shape chosen = ShapeCells::Shape::Voxel;
};
