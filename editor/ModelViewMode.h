#pragma once

#include "editor/ViewMode.h"

#include <OgreColourValue.h>

// The view of model editing; holds the colour the paint tool paints with.
class ModelViewMode : public ViewMode
{
public:
    ModelViewMode() { name = "ModelView"; }
    // Lets go of the colour picker, which would otherwise write into a freed view.
    ~ModelViewMode() override;

    void activate() override;
    // Hands the key to the tool (Delete and the arrows to the selection).
    bool keyPressed(const KeyEvent& event) override;
    // Stores the colour and moves the colour picker's sliders to it.
    void setColour(const Ogre::ColourValue& newColour);

    Ogre::ColourValue colour = Ogre::ColourValue(1, 1, 1, 1);
};
