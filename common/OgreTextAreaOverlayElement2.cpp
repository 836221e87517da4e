#include "common/OgreTextAreaOverlayElement2.h"

#include <OgreException.h>
#include <OgreFontManager.h>
#include <OgreHardwareBufferManager.h>
#include <OgreMaterial.h>
#include <OgreOverlayManager.h>
#include <OgreResourceGroupManager.h>
#include <OgreStringConverter.h>

#include <algorithm>

namespace Ogre
{

namespace
{

const unsigned short positionBinding = 0;
const unsigned short colourBinding = 1;
const std::size_t initialCharacters = 12;
const std::size_t verticesPerCharacter = 6;

const Font::CodePoint lineFeed = 10;
const Font::CodePoint carriageReturn = 13;
const Font::CodePoint blank = 32;
const Font::CodePoint digitZero = 48;
const Font::CodePoint nextLine = 133;

// Outlined glyphs bleed past their texture rectangle; this much texture is added on either side
// of each glyph, and the quad is widened to match so the glyph keeps its proportions.
const float textureMargin = 0.0065f;

// Ten-thousandths of the screen height are the unit of aspect-adjusted metrics.
const float aspectAdjustedUnits = 10000.0f;

const String& typeName()
{
    static const String name = "TextArea2";
    return name;
}

bool isLineBreak(Font::CodePoint character)
{
    return character == carriageReturn || character == nextLine || character == lineFeed;
}

// Sizes in pixels are 16-bit; a script value outside that range must not wrap or be undefined.
unsigned short truncateToUnsigned16(float value)
{
    if (!(value > 0.0f))
    {
        return 0;
    }
    if (value >= 65535.0f)
    {
        return 65535;
    }
    return static_cast<unsigned short>(value);
}

TextAreaOverlayElement2* element(void* target)
{
    return static_cast<TextAreaOverlayElement2*>(target);
}

const TextAreaOverlayElement2* element(const void* target)
{
    return static_cast<const TextAreaOverlayElement2*>(target);
}

class CmdCharHeight : public ParamCommand
{
public:
    String doGet(const void* target) const override
    {
        return StringConverter::toString(static_cast<Real>(element(target)->getCharHeight()));
    }
    void doSet(void* target, const String& value) override
    {
        element(target)->setCharHeight(StringConverter::parseReal(value, 0.0f));
    }
};

class CmdSpaceWidth : public ParamCommand
{
public:
    String doGet(const void* target) const override
    {
        return StringConverter::toString(static_cast<Real>(element(target)->getSpaceWidth()));
    }
    void doSet(void* target, const String& value) override
    {
        element(target)->setSpaceWidth(StringConverter::parseReal(value, 0.0f));
    }
};

class CmdFontName : public ParamCommand
{
public:
    String doGet(const void* target) const override { return element(target)->getFontName(); }
    void doSet(void* target, const String& value) override { element(target)->setFontName(value); }
};

class CmdColour : public ParamCommand
{
public:
    String doGet(const void* target) const override
    {
        return StringConverter::toString(element(target)->getColourTop());
    }
    void doSet(void* target, const String& value) override
    {
        element(target)->setColour(StringConverter::parseColourValue(value, ColourValue::Black));
    }
};

class CmdColourBottom : public ParamCommand
{
public:
    String doGet(const void* target) const override
    {
        return StringConverter::toString(element(target)->getColourBottom());
    }
    void doSet(void* target, const String& value) override
    {
        element(target)->setColourBottom(
            StringConverter::parseColourValue(value, ColourValue::Black));
    }
};

class CmdColourTop : public ParamCommand
{
public:
    String doGet(const void* target) const override
    {
        return StringConverter::toString(element(target)->getColourTop());
    }
    void doSet(void* target, const String& value) override
    {
        element(target)->setColourTop(StringConverter::parseColourValue(value, ColourValue::Black));
    }
};

class CmdAlignment : public ParamCommand
{
public:
    String doGet(const void* target) const override
    {
        switch (element(target)->getAlignment())
        {
        case TextAreaOverlayElement2::Right:
            return "right";
        case TextAreaOverlayElement2::Center:
            return "center";
        case TextAreaOverlayElement2::Left:
        default:
            return "left";
        }
    }
    void doSet(void* target, const String& value) override
    {
        // Exact and case-sensitive, as overlay scripts write them.
        if (value == "center")
        {
            element(target)->setAlignment(TextAreaOverlayElement2::Center);
        }
        else if (value == "right")
        {
            element(target)->setAlignment(TextAreaOverlayElement2::Right);
        }
        else
        {
            element(target)->setAlignment(TextAreaOverlayElement2::Left);
        }
    }
};

CmdCharHeight cmdCharHeight;
CmdSpaceWidth cmdSpaceWidth;
CmdFontName cmdFontName;
CmdColour cmdColour;
CmdColourBottom cmdColourBottom;
CmdColourTop cmdColourTop;
CmdAlignment cmdAlignment;

} // namespace

TextAreaOverlayElement2::TextAreaOverlayElement2(const String& name) : OverlayElement(name)
{
    if (createParamDictionary("TextArea2"))
    {
        addBaseParameters();
    }
}

TextAreaOverlayElement2::~TextAreaOverlayElement2()
{
    delete renderOperation.vertexData;
    renderOperation.vertexData = nullptr;
    font.reset();
}

void TextAreaOverlayElement2::initialise()
{
    if (mInitialised)
    {
        return;
    }
    renderOperation.vertexData = new VertexData();
    VertexDeclaration* declaration = renderOperation.vertexData->vertexDeclaration;
    // Positions and texture coordinates change together, colours far less often: two buffers.
    const std::size_t offset =
        declaration->addElement(positionBinding, 0, VET_FLOAT3, VES_POSITION).getSize();
    declaration->addElement(positionBinding, offset, VET_FLOAT2, VES_TEXTURE_COORDINATES, 0);
    declaration->addElement(colourBinding, 0, VET_UBYTE4_NORM, VES_DIFFUSE);

    renderOperation.operationType = RenderOperation::OT_TRIANGLE_LIST;
    renderOperation.useIndexes = false;
    renderOperation.vertexData->vertexStart = 0;
    renderOperation.useGlobalInstancingVertexBufferIsAvailable = false;

    reserveCharacters(initialCharacters);
    mInitialised = true;
}

void TextAreaOverlayElement2::reserveCharacters(std::size_t numChars)
{
    if (allocSize >= numChars)
    {
        return;
    }
    const std::size_t vertexCount = numChars * verticesPerCharacter;
    renderOperation.vertexData->vertexCount = vertexCount;
    VertexDeclaration* declaration = renderOperation.vertexData->vertexDeclaration;
    VertexBufferBinding* binding = renderOperation.vertexData->vertexBufferBinding;
    HardwareBufferManager& buffers = HardwareBufferManager::getSingleton();
    // The old buffers go when their last reference is dropped by setBinding.
    binding->setBinding(positionBinding,
                        buffers.createVertexBuffer(declaration->getVertexSize(positionBinding),
                                                   vertexCount,
                                                   HardwareBuffer::HBU_DYNAMIC_WRITE_ONLY, false));
    binding->setBinding(colourBinding, buffers.createVertexBuffer(
                                           declaration->getVertexSize(colourBinding), vertexCount,
                                           HardwareBuffer::HBU_DYNAMIC_WRITE_ONLY, false));
    allocSize = numChars;
    coloursChanged = true;
}

void TextAreaOverlayElement2::setMaterialName(const String& matName, const String& group)
{
    OverlayElement::setMaterialName(matName, group);
}

void TextAreaOverlayElement2::_update()
{
    OverlayManager& overlays = OverlayManager::getSingleton();
    const float viewportWidth = static_cast<float>(overlays.getViewportWidth());
    const float viewportHeight = static_cast<float>(overlays.getViewportHeight());
    // Before the first viewport is seen (or while a window is minimised) the size is zero; keep
    // the last good values rather than fill the geometry with infinities.
    const bool viewportKnown = viewportWidth > 0.0f && viewportHeight > 0.0f;
    if (viewportKnown)
    {
        viewportAspectCoef = viewportHeight / viewportWidth;
    }

    // A resized viewport reaches the element through _notifyViewport, which marks the positions
    // out of date, so this one flag covers both reasons to re-derive the sizes.
    if (mGeomPositionsOutOfDate)
    {
        if (mMetricsMode == GMM_PIXELS && viewportKnown)
        {
            charHeight = static_cast<float>(pixelCharHeight) / viewportHeight;
            spaceWidth = static_cast<float>(pixelSpaceWidth) / viewportHeight;
            lineSpacing = pixelLineSpacing / viewportHeight;
        }
        else if (mMetricsMode == GMM_RELATIVE_ASPECT_ADJUSTED)
        {
            charHeight = static_cast<float>(pixelCharHeight) / aspectAdjustedUnits;
            spaceWidth = static_cast<float>(pixelSpaceWidth) / aspectAdjustedUnits;
        }
    }

    OverlayElement::_update();

    if (coloursChanged && mInitialised)
    {
        updateColours();
        coloursChanged = false;
    }
}

const String& TextAreaOverlayElement2::getTypeName() const { return typeName(); }

void TextAreaOverlayElement2::setCaption(const DisplayString& text)
{
    mCaption = text;
    mGeomPositionsOutOfDate = true;
    mGeomUVsOutOfDate = true;
}

void TextAreaOverlayElement2::setColour(const ColourValue& colour)
{
    colourTop = colour;
    colourBottom = colour;
    coloursChanged = true;
}

const ColourValue& TextAreaOverlayElement2::getColour() const { return colourTop; }

void TextAreaOverlayElement2::setMetricsMode(GuiMetricsMode gmm)
{
    OverlayManager& overlays = OverlayManager::getSingleton();
    const float viewportWidth = static_cast<float>(overlays.getViewportWidth());
    const float viewportHeight = static_cast<float>(overlays.getViewportHeight());
    if (viewportWidth > 0.0f && viewportHeight > 0.0f)
    {
        viewportAspectCoef = viewportHeight / viewportWidth;
    }

    OverlayElement::setMetricsMode(gmm);

    if (mMetricsMode == GMM_PIXELS)
    {
        pixelCharHeight = truncateToUnsigned16(charHeight * viewportHeight);
        pixelSpaceWidth = truncateToUnsigned16(spaceWidth * viewportHeight);
    }
    else if (mMetricsMode == GMM_RELATIVE_ASPECT_ADJUSTED)
    {
        pixelCharHeight = truncateToUnsigned16(charHeight * aspectAdjustedUnits);
        pixelSpaceWidth = truncateToUnsigned16(spaceWidth * aspectAdjustedUnits);
    }
}

const MaterialPtr& TextAreaOverlayElement2::getMaterial() const
{
    // Fetched on first draw rather than in setFontName, so that scripts parsed before their fonts
    // are loaded still work.
    if (!mMaterial && font)
    {
        font->load();
        MaterialPtr material = font->getMaterial();
        if (material)
        {
            material->setDepthCheckEnabled(false);
            material->setLightingEnabled(false);
        }
        const_cast<TextAreaOverlayElement2*>(this)->mMaterial = material;
    }
    return mMaterial;
}

void TextAreaOverlayElement2::getRenderOperation(RenderOperation& op) { op = renderOperation; }

void TextAreaOverlayElement2::setFontName(const std::string& name)
{
    font = FontManager::getSingleton().getByName(
        name, ResourceGroupManager::AUTODETECT_RESOURCE_GROUP_NAME);
    if (!font)
    {
        OGRE_EXCEPT(Exception::ERR_ITEM_NOT_FOUND, "Could not find font " + name,
                    "TextAreaOverlayElement2::setFontName");
    }
    mGeomPositionsOutOfDate = true;
    mGeomUVsOutOfDate = true;
}

std::string TextAreaOverlayElement2::getFontName() const
{
    return font ? font->getName() : std::string();
}

void TextAreaOverlayElement2::setCharHeight(float height)
{
    if (mMetricsMode == GMM_RELATIVE)
    {
        charHeight = height;
    }
    else
    {
        pixelCharHeight = truncateToUnsigned16(height);
    }
    mGeomPositionsOutOfDate = true;
}

float TextAreaOverlayElement2::getCharHeight() const
{
    return mMetricsMode == GMM_PIXELS ? static_cast<float>(pixelCharHeight) : charHeight;
}

void TextAreaOverlayElement2::setSpaceWidth(float width)
{
    if (mMetricsMode == GMM_RELATIVE)
    {
        spaceWidth = width;
    }
    else
    {
        pixelSpaceWidth = truncateToUnsigned16(width);
    }
    mGeomPositionsOutOfDate = true;
}

float TextAreaOverlayElement2::getSpaceWidth() const
{
    return mMetricsMode == GMM_PIXELS ? static_cast<float>(pixelSpaceWidth) : spaceWidth;
}

void TextAreaOverlayElement2::setSpaceWidthOverridden(bool overridden)
{
    spaceWidthOverridden = overridden;
    mGeomPositionsOutOfDate = true;
}

void TextAreaOverlayElement2::setColourTop(const ColourValue& colour)
{
    colourTop = colour;
    coloursChanged = true;
}

void TextAreaOverlayElement2::setColourBottom(const ColourValue& colour)
{
    colourBottom = colour;
    coloursChanged = true;
}

void TextAreaOverlayElement2::setAlignment(Alignment value)
{
    alignment = value;
    mGeomPositionsOutOfDate = true;
}

void TextAreaOverlayElement2::setCharSpacing(float spacing)
{
    charSpacing = spacing;
    mGeomPositionsOutOfDate = true;
}

void TextAreaOverlayElement2::setVertical(bool value)
{
    vertical = value;
    mGeomPositionsOutOfDate = true;
}

void TextAreaOverlayElement2::setLineSpacing(float spacing)
{
    lineSpacing = spacing;
    mGeomPositionsOutOfDate = true;
}

void TextAreaOverlayElement2::setPixelLineSpacing(float spacing)
{
    pixelLineSpacing = spacing;
    mGeomPositionsOutOfDate = true;
}

void TextAreaOverlayElement2::setViewportAspectCoef(float coef)
{
    viewportAspectCoef = coef;
    mGeomPositionsOutOfDate = true;
}

float TextAreaOverlayElement2::lineHeight() const
{
    return 2.0f * (lineSpacing >= 0.0f ? lineSpacing : charHeight);
}

void TextAreaOverlayElement2::updatePositionGeometry()
{
    if (!font)
    {
        // A template may be updated before its font is named.
        return;
    }

    const std::size_t length = mCaption.size();
    reserveCharacters(length);
    VertexData* vertexData = renderOperation.vertexData;
    vertexData->vertexCount = length * verticesPerCharacter;

    const HardwareVertexBufferSharedPtr& buffer =
        vertexData->vertexBufferBinding->getBuffer(positionBinding);
    HardwareBufferLockGuard lock(buffer, HardwareBuffer::HBL_DISCARD);
    float* vertex = static_cast<float*>(lock.pData);

    const float ch = charHeight;
    const float k = viewportAspectCoef;
    const float lineStart = _getDerivedLeft() * 2.0f - 1.0f;
    float left = lineStart;
    float top = -(_getDerivedTop() * 2.0f - 1.0f);
    float widest = 0.0f;

    // The font's own blank is often too narrow for digits in tables; a blank as wide as "0"
    // keeps columns of numbers aligned.
    if (!spaceWidthOverridden)
    {
        spaceWidth = font->getGlyphAspectRatio(digitZero) * ch * 2.0f * k;
    }

    auto writeVertex = [&vertex](float x, float y, float u, float v)
    {
        *vertex++ = x;
        *vertex++ = y;
        *vertex++ = -1.0f;
        *vertex++ = u;
        *vertex++ = v;
    };

    const DisplayString::iterator end = mCaption.end();
    bool newLine = true;
    for (DisplayString::iterator i = mCaption.begin(); i != end; ++i)
    {
        if (newLine)
        {
            // Alignment works on the bare glyph advances: spacing and margins are left out.
            float lineLength = 0.0f;
            for (DisplayString::iterator j = i; j != end; ++j)
            {
                const Font::CodePoint character = j.getCharacter();
                if (isLineBreak(character))
                {
                    break;
                }
                lineLength += character == blank
                                  ? spaceWidth
                                  : font->getGlyphAspectRatio(character) * ch * 2.0f * k;
            }
            if (alignment == Right)
            {
                left -= lineLength;
            }
            else if (alignment == Center)
            {
                left -= lineLength * 0.5f;
            }
            newLine = false;
        }

        const Font::CodePoint character = i.getCharacter();
        if (isLineBreak(character))
        {
            left = lineStart;
            top -= lineHeight();
            newLine = true;
            vertexData->vertexCount -= verticesPerCharacter;
            if (character == carriageReturn)
            {
                DisplayString::iterator next = i;
                ++next;
                if (next != end && next.getCharacter() == lineFeed)
                {
                    i = next;
                    vertexData->vertexCount -= verticesPerCharacter;
                }
            }
            continue;
        }
        if (character == blank)
        {
            left += spaceWidth;
            vertexData->vertexCount -= verticesPerCharacter;
            continue;
        }

        const float aspect = font->getGlyphAspectRatio(character) * k;
        const Font::UVRect& uv = font->getGlyphTexCoords(character);
        const float advance = aspect * ch * 2.0f;
        const float uvHeight = uv.bottom - uv.top;
        const float margin = uvHeight > 0.0f ? textureMargin / uvHeight * ch * 2.0f * k : 0.0f;
        const float x0 = left - margin;
        const float x1 = left + advance + margin;
        const float bottom = top - 2.0f * ch;
        const float u0 = uv.left - textureMargin;
        const float u1 = uv.right + textureMargin;

        writeVertex(x0, top, u0, uv.top);
        writeVertex(x0, bottom, u0, uv.bottom);
        writeVertex(x1, top, u1, uv.top);
        writeVertex(x1, top, u1, uv.top);
        writeVertex(x0, bottom, u0, uv.bottom);
        writeVertex(x1, bottom, u1, uv.bottom);

        left += advance + 2.0f * ch * k * charSpacing;
        widest = std::max(widest, (left + 1.0f) / 2.0f - _getDerivedLeft());
    }
    lock.unlock();

    if (mMetricsMode == GMM_PIXELS)
    {
        widest *= static_cast<float>(OverlayManager::getSingleton().getViewportWidth());
    }
    // Never shrink: a caption that gets shorter keeps the width its panel was laid out for.
    if (getWidth() < widest)
    {
        setWidth(widest);
    }
}

void TextAreaOverlayElement2::updateTextureGeometry() {}

void TextAreaOverlayElement2::addBaseParameters()
{
    OverlayElement::addBaseParameters();
    ParamDictionary* dictionary = getParamDictionary();
    dictionary->addParameter(
        ParameterDef("char_height", "Sets the height of the characters in relation to the screen.",
                     PT_REAL),
        &cmdCharHeight);
    dictionary->addParameter(ParameterDef("space_width",
                                          "Sets the width of a space in relation to the screen.",
                                          PT_REAL),
                             &cmdSpaceWidth);
    dictionary->addParameter(
        ParameterDef("font_name", "Sets the name of the font to use.", PT_STRING), &cmdFontName);
    dictionary->addParameter(
        ParameterDef("colour", "Sets the colour of the font (a solid colour).", PT_STRING),
        &cmdColour);
    dictionary->addParameter(
        ParameterDef("colour_bottom",
                     "Sets the colour of the font at the bottom (a gradient colour).", PT_STRING),
        &cmdColourBottom);
    dictionary->addParameter(
        ParameterDef("colour_top", "Sets the colour of the font at the top (a gradient colour).",
                     PT_STRING),
        &cmdColourTop);
    dictionary->addParameter(
        ParameterDef("alignment", "Sets the alignment of the text: 'left', 'center' or 'right'.",
                     PT_STRING),
        &cmdAlignment);
}

void TextAreaOverlayElement2::updateColours()
{
    // VET_UBYTE4_NORM reads the bytes in memory order R, G, B, A, which is ABGR as an integer on
    // the little-endian machines we build for.
    const RGBA top = colourTop.getAsABGR();
    const RGBA bottom = colourBottom.getAsABGR();

    const HardwareVertexBufferSharedPtr& buffer =
        renderOperation.vertexData->vertexBufferBinding->getBuffer(colourBinding);
    HardwareBufferLockGuard lock(buffer, HardwareBuffer::HBL_DISCARD);
    RGBA* colour = static_cast<RGBA*>(lock.pData);
    for (std::size_t i = 0; i < allocSize; ++i)
    {
        *colour++ = top;
        *colour++ = bottom;
        *colour++ = top;
        *colour++ = top;
        *colour++ = bottom;
        *colour++ = bottom;
    }
}

OverlayElement* TextAreaOverlayElement2Factory::createOverlayElement(const String& instanceName)
{
    return new TextAreaOverlayElement2(instanceName);
}

const String& TextAreaOverlayElement2Factory::getTypeName() const { return typeName(); }

} // namespace Ogre
