#include "menu/ShapeButtons.h"

#include "menu/MenuPanel.h"
#include "menu/MenuPanelManager.h"

namespace
{
const char* const NAMES[ShapeButtons::COUNT] = {"Voxel", "Box", "Line", "Face", "Fill"};
const float GAP = 4.0f; // reference units between the buttons
} // namespace

ShapeButtons::~ShapeButtons()
{
    for (MenuPanel*& button : buttons)
    {
        delete button;
        button = nullptr;
    }
}

void ShapeButtons::build(MenuPanelManager& view)
{
    for (int i = 0; i < COUNT; ++i)
    {
        MenuPanel* button = view.addSmallButton(8.0f, 0.7f);
        button->setText(NAMES[i]);
        buttons[i] = button;
    }
    light(chosen);
}

void ShapeButtons::place(float x, float y, float width)
{
    const float gap = Panel::unitsX(GAP);
    const float each = (width - gap * float(COUNT - 1)) / float(COUNT);
    for (int i = 0; i < COUNT; ++i)
    {
        if (!buttons[i])
            continue;
        buttons[i]->targetPosition = Ogre::Vector3(x + float(i) * (each + gap), y, 0);
        if (buttons[i]->targetSize.x != each)
        {
            buttons[i]->targetSize.x = each;
            buttons[i]->fitText(); // the letters fit the new width
        }
    }
}

bool ShapeButtons::shapeOf(const MenuPanel* panel, ShapeCells::Shape& shape) const
{
    for (int i = 0; i < COUNT; ++i)
    {
        if (panel && panel == buttons[i])
        {
            shape = ShapeCells::Shape(i);
            return true;
        }
    }
    return false;
}

void ShapeButtons::light(ShapeCells::Shape shape)
{
    chosen = shape;
    for (int i = 0; i < COUNT; ++i)
    {
        MenuPanel* button = buttons[i];
        if (!button)
            continue;
        button->state->selected = i == int(shape);
        if (button->state->selected)
            button->state->showSelectedLook();
        else if (button->state->focused)
            button->state->showFocusLook();
        else
            button->state->showNormalLook();
    }
}
