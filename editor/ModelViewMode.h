#pragma once

#include "editor/ViewMode.h"
#include "editor/shapes/ShapeCells.h"

#include <OgreColourValue.h>

// The view of model editing; holds the colour the paint tool paints with and the shape the
// sculpt and paint tools work with.
class ModelViewMode : public ViewMode
{
public:
    ModelViewMode() { name = "ModelView"; }
    // Lets go of the colour picker, which would otherwise write into a freed view.
    ~ModelViewMode() override;

    void activate() override;
    // Keys 4 to 8 choose the shape (voxel, box, line, face, fill); other keys go to the tool
    // (Delete and the arrows to the selection).
    bool keyPressed(const KeyEvent& event) override;
    // Stores the colour and moves the colour picker's sliders to it.
    void setColour(const Ogre::ColourValue& newColour);
    // The colour was painted with: the palette's row of recent colours shows it first.
    void colourUsed(const Ogre::ColourValue& used);
    // Chooses the shape and lights its button in the model menu.
    void setShape(ShapeCells::Shape newShape);

    Ogre::ColourValue colour = Ogre::ColourValue(1, 1, 1, 1);
    ShapeCells::Shape shape = ShapeCells::Shape::Voxel;
};
