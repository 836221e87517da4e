#pragma once

#include <OgreFont.h>
#include <OgreOverlayElement.h>
#include <OgreOverlayElementFactory.h>
#include <OgreRenderOperation.h>

#include <cstddef>

namespace Ogre
{

// Overlay text for the editor's menus, registered as "TextArea2". Unlike the engine's own text
// area it widens every glyph quad by a texture margin so that outlined glyphs keep their outline,
// spreads glyphs by an extra spacing, ties the width of a blank to the digit zero, fetches the
// font's material only when first drawn, and lets the line spacing differ from the char height.
class TextAreaOverlayElement2 : public OverlayElement
{
public:
    enum Alignment
    {
        Left = 0,
        Right = 1,
        Center = 2
    };

    explicit TextAreaOverlayElement2(const String& name);
    ~TextAreaOverlayElement2() override;

    void initialise() override;
    // Kept as a pass-through so that the element's own material can still be forced from a
    // script; normally the font's material is used (see getMaterial).
    void setMaterialName(const String& matName, const String& group = DEFAULT_RESOURCE_GROUP);
    void _update() override;
    const String& getTypeName() const override;
    void setCaption(const DisplayString& text) override;
    // Sets the top and the bottom colour together.
    void setColour(const ColourValue& colour) override;
    // The top colour.
    const ColourValue& getColour() const override;
    void setMetricsMode(GuiMetricsMode gmm) override;

    const MaterialPtr& getMaterial() const override;
    void getRenderOperation(RenderOperation& op) override;

    // Throws ItemIdentityException when no font of that name exists; the element is then left
    // without a font and draws nothing.
    void setFontName(const std::string& name);
    // Empty without a font.
    std::string getFontName() const;
    const FontPtr& getFont() const { return font; }

    // In screen-height units under relative metrics, in pixels under pixel metrics and in
    // ten-thousandths of the screen height under aspect-adjusted metrics.
    void setCharHeight(float height);
    float getCharHeight() const;
    // Same units as the char height. Ignored by the layout unless the width is overridden: a
    // blank normally takes the width of the digit zero.
    void setSpaceWidth(float width);
    float getSpaceWidth() const;
    void setSpaceWidthOverridden(bool overridden);
    bool getSpaceWidthOverridden() const { return spaceWidthOverridden; }

    void setColourTop(const ColourValue& colour);
    const ColourValue& getColourTop() const { return colourTop; }
    void setColourBottom(const ColourValue& colour);
    const ColourValue& getColourBottom() const { return colourBottom; }

    void setAlignment(Alignment value);
    Alignment getAlignment() const { return alignment; }

    // Extra advance after each glyph, as a fraction of the char height.
    void setCharSpacing(float spacing);
    float getCharSpacing() const { return charSpacing; }

    // Text running upward is not laid out yet; the flag is only carried.
    void setVertical(bool value);
    bool getVertical() const { return vertical; }

    // Distance between lines relative to the screen height; negative means the char height.
    void setLineSpacing(float spacing);
    float getLineSpacing() const { return lineSpacing; }
    // The same in pixels, used under pixel metrics; negative means the char height.
    void setPixelLineSpacing(float spacing);
    float getPixelLineSpacing() const { return pixelLineSpacing; }

    // Viewport height over width. Refreshed from the overlay manager on every update while it
    // knows a viewport; settable so that a layout can be made without one.
    void setViewportAspectCoef(float coef);
    float getViewportAspectCoef() const { return viewportAspectCoef; }

    // Distance between two lines in clip units.
    float lineHeight() const;

protected:
    void updatePositionGeometry() override;
    // Texture coordinates are written together with the positions.
    void updateTextureGeometry() override;
    void addBaseParameters() override;
    virtual void updateColours();

    // Grows the vertex buffers to hold numChars characters; never shrinks them.
    void reserveCharacters(std::size_t numChars);

    Alignment alignment = Left;
    bool transparent = false;
    RenderOperation renderOperation;
    FontPtr font;
    float charHeight = 0.02f;
    unsigned short pixelCharHeight = 12;
    bool spaceWidthOverridden = false;
    float spaceWidth = 0.0f;
    unsigned short pixelSpaceWidth = 0;
    std::size_t allocSize = 0;
    float viewportAspectCoef = 1.0f;
    ColourValue colourBottom = ColourValue::White;
    ColourValue colourTop = ColourValue::White;
    bool coloursChanged = true;
    bool vertical = false;
    float lineSpacing = -1.0f;
    float pixelLineSpacing = -1.0f;
    float charSpacing = 0.0f;
};

class TextAreaOverlayElement2Factory : public OverlayElementFactory
{
public:
    OverlayElement* createOverlayElement(const String& instanceName) override;
    const String& getTypeName() const override;
};

} // namespace Ogre
