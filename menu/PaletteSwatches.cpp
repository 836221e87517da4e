#include "menu/PaletteSwatches.h"

#include "app/Log.h"
#include "editor/EditorMode.h"
#include "editor/UndoHistory.h"
#include "menu/MenuPanel.h"
#include "menu/MenuPanelManager.h"

#include <OgreMaterial.h>
#include <OgreMaterialManager.h>
#include <OgreOverlayContainer.h>
#include <OgrePass.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

#include <string>

namespace
{
const char* const SWATCH_MATERIAL = "MenuSystemColorPickDisplay";
const char* const EMPTY_MATERIAL = "MenuSystemControlBackground";
const float SIZE = 28.0f; // reference units a side
const float GAP = 4.0f;

std::string materialName(int index) { return "MenuSystemPaletteSwatch" + std::to_string(index); }

Ogre::TextureUnitState* tintedUnit(const Ogre::MaterialPtr& material)
{
    if (!material || material->getNumTechniques() == 0)
        return nullptr;
    Ogre::Technique* technique = material->getBestTechnique(0);
    if (!technique)
        technique = material->getTechnique(0);
    if (!technique || technique->getNumPasses() == 0 ||
        technique->getPass(0)->getNumTextureUnitStates() < 2)
        return nullptr;
    return technique->getPass(0)->getTextureUnitState(1);
}
} // namespace

PaletteSwatches::~PaletteSwatches()
{
    for (MenuPanel*& swatch : swatches)
    {
        delete swatch;
        swatch = nullptr;
    }
}

void PaletteSwatches::tint(MenuPanel* panel, const Ogre::ColourValue& colour)
{
    if (!panel || !panel->container)
        return;
    Ogre::TextureUnitState* unit = tintedUnit(panel->container->getMaterial());
    if (!unit)
    {
        writeLog("ERROR, no texture unit 1 in material " + panel->container->getMaterialName());
        return;
    }
    // Unit 0 holds half the light a voxel's front face gets (the scene's ambient light and
    // the sun as the front faces it); doubled here, the swatch is the front face's colour.
    unit->setColourOperationEx(Ogre::LBX_MODULATE_X2, Ogre::LBS_MANUAL, Ogre::LBS_CURRENT,
                               Ogre::ColourValue(colour.r, colour.g, colour.b, 1),
                               Ogre::ColourValue::White, 0);
}

void PaletteSwatches::build(MenuPanelManager& view)
{
    Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
    for (int i = 0; i < COUNT; ++i)
    {
        MenuPanel* swatch = view.addSmallButton(-1, 1);
        swatch->targetSize = Ogre::Vector2(Panel::unitsX(SIZE), Panel::unitsY(SIZE));
        swatch->setMaterial(SWATCH_MATERIAL);
        // Each swatch has a colour of its own: a copy of the picker's swatch material.
        const Ogre::MaterialPtr& base = swatch->container->getMaterial();
        const std::string name = materialName(i);
        if (base && !materials.getByName(name, base->getGroup()))
            base->clone(name);
        swatch->state->focusMaterial = name;
        swatch->state->selectedMaterial = name;
        swatch->state->normalMaterial = name;
        swatches[i] = swatch;
    }
    show();
}

void PaletteSwatches::place(float x, float y, float width)
{
    const float size = Panel::unitsX(SIZE);
    const float gap = (width - size * PER_ROW) / float(PER_ROW - 1);
    for (int i = 0; i < COUNT; ++i)
    {
        if (!swatches[i])
            continue;
        const int row = i / PER_ROW;
        const int column = i % PER_ROW;
        swatches[i]->targetPosition =
            Ogre::Vector3(x + float(column) * (size + gap),
                          y + float(row) * (Panel::unitsY(SIZE) + Panel::unitsY(GAP)), 0);
    }
}

bool PaletteSwatches::colourOf(const MenuPanel* panel, Ogre::ColourValue& colour) const
{
    for (int i = 0; i < COUNT; ++i)
    {
        if (!panel || panel != swatches[i])
            continue;
        const std::vector<Ogre::ColourValue>& row = i < PER_ROW ? modelRow : colours.recent();
        const size_t column = size_t(i % PER_ROW);
        if (column >= row.size())
            return false;
        colour = row[column];
        return true;
    }
    return false;
}

void PaletteSwatches::watch(const EditorMode& editor)
{
    const unsigned long long position = editor.history ? editor.history->position() : 0;
    const size_t count = editor.model.size();
    if (position == seenPosition && count == seenCount)
        return;
    seenPosition = position;
    seenCount = count;
    modelRow = PaletteColours::mostUsed(editor.realColours(), PER_ROW);
    show();
}

void PaletteSwatches::used(const Ogre::ColourValue& colour)
{
    colours.used(colour);
    show();
}

void PaletteSwatches::show()
{
    for (int i = 0; i < COUNT; ++i)
    {
        MenuPanel* swatch = swatches[i];
        if (!swatch)
            continue;
        const std::vector<Ogre::ColourValue>& row = i < PER_ROW ? modelRow : colours.recent();
        const size_t column = size_t(i % PER_ROW);
        const bool filled = column < row.size();
        // An empty place is a dark, dead square.
        const std::string material = filled ? materialName(i) : EMPTY_MATERIAL;
        swatch->state->interactive = filled;
        swatch->state->focusMaterial = material;
        swatch->state->selectedMaterial = material;
        swatch->state->normalMaterial = material;
        swatch->setMaterial(material);
        if (filled)
            tint(swatch, row[column]);
    }
}
