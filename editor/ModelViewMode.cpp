#include "editor/ModelViewMode.h"

#include "editor/EditorMode.h"
#include "editor/ToolMode.h"
#include "menu/MenuSystem.h"

#include "menu/ModelMenuView.h"

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
        menuSystem->requestView(menu);
        menu->reinstallTool();
    }
}

bool ModelViewMode::keyPressed(const KeyEvent& event)
{
    if (editor && editor->toolMode)
        return editor->toolMode->keyPressed(event);
    return true;
}

void ModelViewMode::setColour(const Ogre::ColourValue& newColour)
{
    colour = newColour;
    // A colour picked from a voxel moves the picker's knobs and swatch along.
    MenuSystem* menuSystem = editor ? editor->menuSystem : nullptr;
    if (menuSystem && menuSystem->modelMenuView)
        menuSystem->modelMenuView->showColour(colour);
}
