#pragma once

#include "editor/PaletteColours.h"

#include <OgreColourValue.h>

#include <vector>

class EditorMode;
class MenuPanel;
class MenuPanelManager;

// Two rows of small swatches between the colour picker and "Re-bind skeleton": the model's own
// colours, most used first, and below them the colours painted with lately. A click on one
// makes it the painting colour. Each swatch shows its colour as the picker's swatch does.
class PaletteSwatches
{
public:
    static constexpr int PER_ROW = 10;
    static constexpr int COUNT = 2 * PER_ROW;

    PaletteSwatches() = default;
    ~PaletteSwatches();
    PaletteSwatches(const PaletteSwatches&) = delete;
    PaletteSwatches& operator=(const PaletteSwatches&) = delete;

    // Creates the swatches in the view, each with a material of its own.
    void build(MenuPanelManager& view);
    // Places the two rows with their top-left corner at (x, y), as wide as `width`.
    void place(float x, float y, float width);
    // The colour of a clicked swatch; false for an empty one or any other panel.
    bool colourOf(const MenuPanel* panel, Ogre::ColourValue& colour) const;
    // Shows the model's colours again when the model changed since the last look.
    void watch(const EditorMode& editor);
    // The colour was painted with: it goes first in the second row.
    void used(const Ogre::ColourValue& colour);
    // Tints a swatch panel's material (texture unit 1) so that it shows the colour as the
    // voxels show it lit from the front.
    static void tint(MenuPanel* panel, const Ogre::ColourValue& colour);

    MenuPanel* swatches[COUNT] = {}; // owned
    PaletteColours colours;
    // The colour each swatch shows; past the end of a row's colours a swatch is empty.
    std::vector<Ogre::ColourValue> modelRow;

private:
    void show();

    // What the palette last saw of the model: the history's position and the voxel count.
    unsigned long long seenPosition = ~0ull;
    size_t seenCount = ~size_t(0);
};
