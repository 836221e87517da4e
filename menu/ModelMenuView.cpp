#include "menu/ModelMenuView.h"

#include "app/ApplicationMode.h"
#include "app/Log.h"
#include "common/OgreTextAreaOverlayElement2.h"
#include "editor/EditorMode.h"
#include "editor/GetColorToolMode.h"
#include "editor/ModelViewMode.h"
#include "editor/PaintToolMode.h"
#include "editor/SculptToolMode.h"
#include "editor/SelectToolMode.h"
#include "menu/MenuPanel.h"
#include "menu/TextField.h"

#include <OgreMaterial.h>
#include <OgreMaterialManager.h>
#include <OgreOverlayContainer.h>
#include <OgrePass.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

namespace
{
const float GAP = 20.0f;
const float PICKER_GAP = 16.0f;
const float FRAME_HEIGHT = 280.0f;
const float SWATCH_SIZE = 60.0f;
const char* const TRACK_BASE_MATERIAL = "MenuSystemColorPickSliderBase";
const char* const SWATCH_MATERIAL = "MenuSystemColorPickDisplay";

// The technique whose texture units the picker changes: the best one, or the first where no
// render system has chosen one yet.
Ogre::Pass* firstPass(const Ogre::MaterialPtr& material)
{
    if (!material)
    {
        return nullptr;
    }
    Ogre::Technique* technique = material->getBestTechnique(0);
    if (!technique && material->getNumTechniques() > 0)
    {
        technique = material->getTechnique(0);
    }
    if (!technique || technique->getNumPasses() == 0)
    {
        return nullptr;
    }
    return technique->getPass(0);
}

Ogre::TextureUnitState* textureUnit(const Ogre::MaterialPtr& material, unsigned short index)
{
    Ogre::Pass* pass = firstPass(material);
    if (!pass || pass->getNumTextureUnitStates() <= index)
    {
        return nullptr;
    }
    return pass->getTextureUnitState(index);
}

void setAllMaterials(MenuPanel* panel, const std::string& focus, const std::string& selected,
                     const std::string& normal)
{
    panel->state->focusMaterial = focus;
    panel->state->selectedMaterial = selected;
    panel->state->normalMaterial = normal;
}
} // namespace

ModelMenuView::ColorPicker::~ColorPicker()
{
    delete frame;
    delete swatch;
}

ModelMenuView::ModelMenuView() = default;

ModelMenuView::~ModelMenuView()
{
    colourField.reset();
    delete editVoxelsButton;
    delete selectVoxelsButton;
    delete pickColorButton;
    delete rebindButton;
}

EditorMode* ModelMenuView::editor() { return static_cast<EditorMode*>(owner); }

void ModelMenuView::build(ApplicationMode* owner, MenuSystem* menuSystem,
                          const Ogre::Vector3& areaSize)
{
    init(owner, menuSystem, areaSize);

    editVoxelsButton = addButton(1);
    editVoxelsButton->setText("Edit voxels");
    selectVoxelsButton = addButton(1);
    selectVoxelsButton->setText("Select voxels");
    pickColorButton = addButton(1);
    pickColorButton->setText("Pick color");

    buildFrame();
    buildSlider(0, "Red", "red.png");
    buildSlider(1, "Green", "green.png");
    buildSlider(2, "Blue", "blue.png");

    MenuPanel* swatch = addSmallButton(-1, 1);
    swatch->targetSize = Ogre::Vector2(Panel::unitsX(SWATCH_SIZE), Panel::unitsY(SWATCH_SIZE));
    setAllMaterials(swatch, SWATCH_MATERIAL, SWATCH_MATERIAL, SWATCH_MATERIAL);
    swatch->setMaterial(SWATCH_MATERIAL);
    colorPicker.swatch = swatch;

    colourField.reset(new TextField(*this, 0.8f));
    colourField->onCommit = [this](const std::string& text) { typeColour(text); };

    rebindButton = addButton(1);
    rebindButton->setText("Re-bind skeleton");

    shapeButtons.build(*this);
    palette.build(*this);

    // The painting colour starts white; the picker shows it from the start.
    showColour(Ogre::ColourValue::White);
}

Ogre::ColourValue ModelMenuView::pickerColour() const
{
    return Ogre::ColourValue(colorPicker.sliders[0].value, colorPicker.sliders[1].value,
                             colorPicker.sliders[2].value, 1);
}

void ModelMenuView::reinstallTool()
{
    EditorMode* target = editor();
    if (!target)
    {
        return;
    }
    if (editVoxelsButton && editVoxelsButton->state->selected)
    {
        target->setToolMode(new SculptToolMode());
    }
    else if (selectVoxelsButton && selectVoxelsButton->state->selected)
    {
        target->setToolMode(new SelectToolMode());
    }
    else if (pickColorButton && pickColorButton->state->selected)
    {
        target->setToolMode(new GetColorToolMode());
    }
    else if (colorPicker.frame && colorPicker.frame->state->selected)
    {
        target->setToolMode(new PaintToolMode());
    }
}

void ModelMenuView::buildFrame()
{
    // Built like a factory panel, but on the overlay behind the controls and without the
    // factories' extra particle damping.
    MenuPanel* frame = new MenuPanel();
    frame->init(owner);
    frame->enableSingleImage("MenuSystemControlBackground");
    frame->enableText(Ogre::ColourValue::White, Panel::unitsY(32), Panel::unitsX(32));
    frame->attach(0);
    frame->smoothing = 0.06f;
    frame->targetPosition = Ogre::Vector3::ZERO;
    frame->targetSize = Ogre::Vector2(areaSize.x, Panel::unitsY(FRAME_HEIGHT));
    frame->snapToTarget();
    if (frame->textElement)
    {
        frame->textElement->setPosition(frame->fontOffset.x,
                                        Panel::unitsY(8) + frame->fontOffset.y);
    }
    frame->state->interactive = false;
    addPanel(frame);
    colorPicker.frame = frame;
}

void ModelMenuView::buildSlider(int index, const char* colourName, const char* textureName)
{
    MenuPanelManager::SliderPartial& slider = colorPicker.sliders[index];

    MenuPanel* track = addSmallButton(-1, 1);
    track->targetSize.x = areaSize.x - Panel::unitsX(32);
    slider.track = track;
    track->setMaterial(TRACK_BASE_MATERIAL);

    // Each track shows its own gradient image: a copy of the base material per colour.
    const std::string name = std::string(TRACK_BASE_MATERIAL) + colourName;
    Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
    const Ogre::MaterialPtr& base = track->container->getMaterial();
    Ogre::MaterialPtr clone = materials.getByName(name, base->getGroup());
    if (!clone)
    {
        clone = base->clone(name);
    }
    if (Ogre::TextureUnitState* unit = textureUnit(clone, 0))
    {
        unit->setTextureName(textureName, Ogre::TEX_TYPE_2D);
    }
    else
    {
        writeLog(std::string("ERROR, no texture unit 0 in material ") + TRACK_BASE_MATERIAL);
    }
    setAllMaterials(track, name, name, name);
    track->setMaterial(name);

    MenuPanel* knob = addSliderKnob(1);
    slider.knob = knob;
    knob->setMaterial("MenuSystemColorPickSlider");
    setAllMaterials(knob, "MenuSystemColorPickSliderFocus", "MenuSystemColorPickSliderSelected",
                    "MenuSystemColorPickSlider");
}

void ModelMenuView::setPosition(const Ogre::Vector3& position)
{
    float y = position.y;
    MenuPanel* previous = nullptr;
    for (MenuPanel* panel :
         {editVoxelsButton, selectVoxelsButton, pickColorButton, colorPicker.frame})
    {
        if (previous)
        {
            y = previous->targetPosition.y + previous->targetSize.y + Panel::unitsY(GAP);
        }
        panel->targetPosition = Ogre::Vector3(position.x, y, 0);
        previous = panel;
    }
    layoutPicker();

    MenuPanel* frame = colorPicker.frame;
    rebindButton->targetPosition = Ogre::Vector3(
        position.x, frame->targetPosition.y + frame->targetSize.y + Panel::unitsY(GAP + 80), 0);
    // The palette takes the room above "Re-bind skeleton", the shapes the room below it.
    palette.place(position.x, frame->targetPosition.y + frame->targetSize.y + Panel::unitsY(GAP),
                  areaSize.x);
    shapeButtons.place(position.x,
                       rebindButton->targetPosition.y + rebindButton->targetSize.y +
                           Panel::unitsY(GAP),
                       areaSize.x);
}

void ModelMenuView::layoutPicker()
{
    MenuPanel* frame = colorPicker.frame;
    if (!frame)
    {
        return;
    }
    const Ogre::Vector3& origin = frame->targetPosition;
    float y = origin.y + Panel::unitsY(PICKER_GAP);
    for (MenuPanelManager::SliderPartial& slider : colorPicker.sliders)
    {
        const Ogre::Vector2& trackSize = slider.track->targetSize;
        slider.placeKnob(
            Ogre::Vector3(origin.x + (frame->targetSize.x - trackSize.x) * 0.5f, y, origin.z));
        y += trackSize.y + Panel::unitsY(PICKER_GAP);
    }
    MenuPanel* swatch = colorPicker.swatch;
    swatch->targetPosition =
        Ogre::Vector3(origin.x + (frame->targetSize.x - swatch->targetSize.x) * 0.5f, y, origin.z);
    if (colourField)
    {
        // The typed colour under the swatch, as wide as the tracks.
        MenuPanel* field = colourField->panel;
        field->targetSize.x = colorPicker.sliders[0].track->targetSize.x;
        field->targetPosition =
            Ogre::Vector3(origin.x + (frame->targetSize.x - field->targetSize.x) * 0.5f,
                          y + swatch->targetSize.y + Panel::unitsY(8), origin.z);
    }
}

void ModelMenuView::updateSwatch()
{
    // Lit as the voxels' front faces are, so that the swatch and the paint look alike.
    PaletteSwatches::tint(colorPicker.swatch, pickerColour());
}

void ModelMenuView::applyColour()
{
    const Ogre::ColourValue colour(colorPicker.sliders[0].value, colorPicker.sliders[1].value,
                                   colorPicker.sliders[2].value, 1);
    if (colorPicker.colourTarget)
    {
        colorPicker.colourTarget->colour = colour;
    }
    showColour(colour);
}

void ModelMenuView::showColour(const Ogre::ColourValue& colour)
{
    colorPicker.sliders[0].value = colour.r;
    colorPicker.sliders[1].value = colour.g;
    colorPicker.sliders[2].value = colour.b;
    layoutPicker();
    updateSwatch();
    if (colourField && !colourField->hasFocus())
        colourField->setText(PaletteColours::hex(pickerColour()));
}

void ModelMenuView::typeColour(const std::string& text)
{
    Ogre::ColourValue colour;
    if (!PaletteColours::parseHex(text, colour))
    {
        // The field shows the painting colour again; nothing else changes.
        if (EditorMode* target = editor())
            target->showNote("Not a colour: type #rrggbb");
        colourField->setText(PaletteColours::hex(pickerColour()));
        return;
    }
    if (colorPicker.colourTarget)
        colorPicker.colourTarget->setColour(colour);
    else
        showColour(colour);
    colourField->setText(PaletteColours::hex(pickerColour()));
}

void ModelMenuView::highlightTool(MenuPanel* panel)
{
    for (MenuPanel* member :
         {editVoxelsButton, selectVoxelsButton, pickColorButton, colorPicker.frame})
    {
        member->state->selected = false;
        if (member->state->focused)
        {
            member->state->showFocusLook();
        }
        else
        {
            member->state->showNormalLook();
        }
    }
    panel->state->selected = true;
    panel->state->showSelectedLook();
}

void ModelMenuView::dragSlider(int index)
{
    colorPicker.sliders[index].setValueFromPoint(pointerPosition());
    layoutPicker();
    applyColour();
}

void ModelMenuView::onClicked(MenuPanel* panel)
{
    if (!panel)
    {
        return;
    }
    if (panel == editVoxelsButton)
    {
        editor()->setToolMode(new SculptToolMode());
        highlightTool(editVoxelsButton);
        return;
    }
    if (panel == selectVoxelsButton)
    {
        editor()->setToolMode(new SelectToolMode());
        highlightTool(selectVoxelsButton);
        return;
    }
    if (panel == pickColorButton)
    {
        editor()->setToolMode(new GetColorToolMode());
        highlightTool(pickColorButton);
        return;
    }
    if (panel == colorPicker.swatch)
    {
        // The swatch stands for the paint tool, but the whole picker shows the choice.
        editor()->setToolMode(new PaintToolMode());
        highlightTool(colorPicker.frame);
        return;
    }
    for (int i = 0; i < 3; ++i)
    {
        if (panel == colorPicker.sliders[i].track)
        {
            dragSlider(i);
            return;
        }
    }
    ShapeCells::Shape shape;
    if (shapeButtons.shapeOf(panel, shape))
    {
        shapeButtons.light(shape);
        if (colorPicker.colourTarget)
            colorPicker.colourTarget->setShape(shape);
        return;
    }
    Ogre::ColourValue colour;
    if (palette.colourOf(panel, colour))
    {
        if (colorPicker.colourTarget)
            colorPicker.colourTarget->setColour(colour);
        else
            showColour(colour);
        return;
    }
    if (panel == rebindButton)
    {
        editor()->asStep("re-binding",
                         [this]
                         {
                             runLogged(
                                 [this]
                                 {
                                     editor()->rebindSkeleton();
                                     editor()->resetToRestPose();
                                 });
                         });
    }
}

void ModelMenuView::onHeld(MenuPanel* panel)
{
    for (int i = 0; i < 3; ++i)
    {
        if (panel && panel == colorPicker.sliders[i].knob)
        {
            dragSlider(i);
            return;
        }
    }
}

void ModelMenuView::update(float timeStep)
{
    MenuView::update(timeStep);
    if (EditorMode* target = editor())
        palette.watch(*target);
}
