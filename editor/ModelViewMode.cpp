#include "editor/ModelViewMode.h"

#include "editor/EditorMode.h"
#include "menu/MenuSystem.h"

// The model menu's colour picker. Until the model menu exists the view only keeps the colour.
#if __has_include("menu/ModelMenuView.h")
#include "menu/ModelMenuView.h"
#define BRAMBLEWICK_MODEL_MENU 1
#else
#define BRAMBLEWICK_MODEL_MENU 0
#endif

void ModelViewMode::activate()
{
    MenuSystem* menuSystem = editor ? editor->menuSystem : nullptr;
    if (!menuSystem)
        return;
#if BRAMBLEWICK_MODEL_MENU
    if (menuSystem->modelMenuView)
    {
        menuSystem->modelMenuView->colorPicker.colourTarget = this;
        menuSystem->requestView(menuSystem->modelMenuView);
    }
#endif
}

void ModelViewMode::setColour(const Ogre::ColourValue& newColour)
{
    colour = newColour;
#if BRAMBLEWICK_MODEL_MENU
    // A colour picked from a voxel moves the picker's knobs and swatch along.
    MenuSystem* menuSystem = editor ? editor->menuSystem : nullptr;
    if (menuSystem && menuSystem->modelMenuView)
        menuSystem->modelMenuView->showColour(colour);
#endif
}
