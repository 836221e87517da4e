#include "editor/ModelViewMode.h"

#include "editor/EditorMode.h"
#include "editor/ToolMode.h"
#include "menu/MenuSystem.h"

#include "menu/ModelMenuView.h"

#include <OIS/OISKeyboard.h>

ModelViewMode::~ModelViewMode()
{
    MenuSystem* menuSystem = editor ? editor->menuSystem : nullptr;
    if (menuSystem && menuSystem->modelMenuView &&
        menuSystem->modelMenuView->colorPicker.colourTarget == this)
        menuSystem->modelMenuView->colorPicker.colourTarget = nullptr;
}

void ModelViewMode::activate()
{
    MenuSystem* menuSystem = editor ? editor->menuSystem : nullptr;
    if (!menuSystem)
        return;
    if (ModelMenuView* menu = menuSystem->modelMenuView)
    {
        menu->colorPicker.colourTarget = this;
        // The picker outlives view modes: a new one paints with the colour it shows, and its lit
        // tool is the tool in use.
        colour = menu->pickerColour();
        shape = menu->shapeButtons.chosen;
        menuSystem->requestView(menu);
        menu->reinstallTool();
    }
}

void ModelViewMode::setColour(const Ogre::ColourValue& newColour)
{
    colour = newColour;
    // A colour picked from a voxel moves the picker's knobs and swatch along.
    MenuSystem* menuSystem = editor ? editor->menuSystem : nullptr;
    if (menuSystem && menuSystem->modelMenuView)
        menuSystem->modelMenuView->showColour(colour);
}

bool ModelViewMode::keyPressed(const KeyEvent& event)
{
    const bool control = editor && editor->isKeyDown(OIS::KC_LCONTROL);
    if (event.key >= OIS::KC_4 && event.key <= OIS::KC_8 && !control)
    {
        setShape(ShapeCells::Shape(event.key - OIS::KC_4));
        return true;
    }
    if (editor && editor->toolMode)
        return editor->toolMode->keyPressed(event);
    return true;
}

void ModelViewMode::setShape(ShapeCells::Shape newShape)
{
    shape = newShape;
    MenuSystem* menuSystem = editor ? editor->menuSystem : nullptr;
    if (menuSystem && menuSystem->modelMenuView)
        menuSystem->modelMenuView->shapeButtons.light(shape);
}

void ModelViewMode::colourUsed(const Ogre::ColourValue& used)
{
    MenuSystem* menuSystem = editor ? editor->menuSystem : nullptr;
    if (menuSystem && menuSystem->modelMenuView)
        menuSystem->modelMenuView->palette.used(used);
}
