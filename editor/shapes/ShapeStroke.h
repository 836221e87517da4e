#pragma once

#include "editor/shapes/ShapeCells.h"
#include "editor/shapes/ShapePreview.h"

#include <OgreColourValue.h>

#include <vector>

class EditorMode;

// One press, drag and release of a shape with a tool: where it starts (the face under the
// pointer at the press), where it ends (the face under the pointer now, or the point of the
// start's layer under it), the preview while a box or line is dragged, and the change itself.
// Face and fill act at the press. Everything happens inside the press's undo step, and with
// mirror editing on in the mirror cells too.
class ShapeStroke
{
public:
    enum class Action
    {
        Add,    // into empty cells only, grey as every sculpted voxel
        Remove,
        Paint,
    };

    ShapeStroke(EditorMode& editor, ShapeCells::Shape shape, Action action,
                const Ogre::ColourValue& colour = Ogre::ColourValue::White);

    // At the press: finds the start; a face or fill changes the model now. False when the
    // pointer is on nothing the action can start from.
    bool press();
    // Each fixed step while held: a box or line follows the pointer in the preview.
    void hold();
    // At the release: a box or line changes its cells.
    void release();

    // The cells a release would change now (before mirroring).
    std::vector<Voxel::Cell> cells() const;
    // The cells outlined by the preview.
    const std::vector<Voxel::Cell>& previewCells() const { return preview.cells(); }

private:
    // What the pointer is on: a voxel's cell (or, on the ground, the cell under the ground)
    // and the side of it.
    struct Target
    {
        bool found = false;
        bool ground = false;
        Voxel::Cell cell;
        ShapeCells::Side side;
    };
    Target pointerTarget();
    // Where the shape ends for the pointer now; keeps the last end when the pointer is on
    // nothing usable.
    void followPointer();
    // The cell of the start's layer that the pointer ray crosses, if it does.
    bool layerCellUnderPointer(Voxel::Cell& cell);
    void apply(const std::vector<Voxel::Cell>& target);

    EditorMode& editor; // back pointer
    ShapeCells::Shape shape;
    Action action;
    Ogre::ColourValue colour;
    bool started = false;
    ShapeCells::Side side;
    Voxel::Cell start;
    Voxel::Cell end;
    ShapePreview preview;
};
