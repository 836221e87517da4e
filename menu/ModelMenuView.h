#pragma once

#include "menu/MenuView.h"
#include "menu/PaletteSwatches.h"
#include "menu/ShapeButtons.h"

#include <OgreColourValue.h>

#include <memory>

class EditorMode;
class MenuPanel;
class ModelViewMode;
class TextField;

// The side menu of model editing: the three tool buttons, the colour picker that edits the model
// view mode's painting colour, and "Re-bind skeleton". The tool buttons and the picker's frame
// form one group of radio buttons; the chosen one keeps the selected look.
class ModelMenuView : public MenuView
{
public:
    // Red, green and blue sliders with a swatch of the mixed colour, on a frame behind them.
    struct ColorPicker
    {
        ColorPicker() = default;
        virtual ~ColorPicker();
        ColorPicker(const ColorPicker&) = delete;
        ColorPicker& operator=(const ColorPicker&) = delete;

        // Red, green, blue; each `value` is that colour component (0 to 1).
        MenuPanelManager::SliderPartial sliders[3];
        MenuPanel* swatch = nullptr; // owned
        MenuPanel* frame = nullptr;  // owned
        // The view mode whose colour the picker edits; registered by that mode when it starts.
        ModelViewMode* colourTarget = nullptr;
    };

    ModelMenuView();
    ~ModelMenuView() override;

    void build(ApplicationMode* owner, MenuSystem* menuSystem,
               const Ogre::Vector3& areaSize) override;
    // Stacks the controls downwards from `position`.
    void setPosition(const Ogre::Vector3& position) override;
    void onClicked(MenuPanel* panel) override;
    // Dragging a knob recolours on every fixed step.
    void onHeld(MenuPanel* panel) override;
    // Also brings the palette up to date with the model.
    void update(float timeStep) override;

    // Moves the knobs to the colour's red, green and blue and tints the swatch.
    void showColour(const Ogre::ColourValue& colour);
    // Places the sliders and the swatch inside the frame from the slider values.
    void layoutPicker();
    // Tints the swatch with the slider values.
    void updateSwatch();
    // Hands the slider values to the colour target as its painting colour.
    void applyColour();
    // The colour the sliders show, alpha 1.
    Ogre::ColourValue pickerColour() const;
    // Installs the tool of the lit button (or the paint tool for a lit picker) again: a new view
    // mode starts without a tool. Nothing when no tool was chosen yet.
    void reinstallTool();
    // A colour typed into the field: "#rrggbb" becomes the painting colour; anything else is
    // refused with a note in the bar, and the field shows the painting colour again.
    void typeColour(const std::string& text);
    // Gives `panel` the selected look and takes it from the other members of the tool group.
    void highlightTool(MenuPanel* panel);

    MenuPanel* editVoxelsButton = nullptr;   // owned
    MenuPanel* selectVoxelsButton = nullptr; // owned
    MenuPanel* pickColorButton = nullptr;    // owned
    MenuPanel* rebindButton = nullptr;       // owned
    ColorPicker colorPicker;
    // Additions of this editor: the shape buttons under "Re-bind skeleton" and the palette
    // between the picker and it.
    ShapeButtons shapeButtons;
    PaletteSwatches palette;
    // The painting colour typed as "#rrggbb", under the picker's swatch (an addition).
    std::unique_ptr<TextField> colourField;

private:
    EditorMode* editor();
    void buildFrame();
    void buildSlider(int index, const char* colourName, const char* textureName);
    // Slider i follows the pointer, then the picker and the colour target follow the slider.
    void dragSlider(int index);
};
