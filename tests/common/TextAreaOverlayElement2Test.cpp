#include "common/OgreTextAreaOverlayElement2.h"
#include "tests/HeadlessEngine.h"

#include <OgreFontManager.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace
{

const float clipTolerance = 1e-6f;

// Glyph metrics chosen so the sums are easy to check by hand (ch 0.02, k 0.5625):
// "0" aspect 0.5, "a" aspect 1.0 (advance 0.0225), "b", "c", "d" aspect 0.5 (advance 0.01125),
// every texture rectangle 0.1 high, so a glyph's quad is widened by 0.0014625 on each side.
const float aspectCoef = 0.5625f;
const float advanceA = 0.0225f;
const float advanceB = 0.01125f;
const float quadMargin = 0.0065f / 0.1f * 0.02f * 2.0f * aspectCoef;

// Glyphs are set by hand, so there is nothing to load.
struct NoLoad : Ogre::ManualResourceLoader
{
    void loadResource(Ogre::Resource*) override {}
};

// The engine derives an element's screen position through the render system, which a headless
// root lacks; a parentless element's derived position is simply its own.
class TextAreaProbe : public Ogre::TextAreaOverlayElement2
{
public:
    using TextAreaOverlayElement2::TextAreaOverlayElement2;

    void _updateFromParent() override
    {
        mDerivedLeft = mLeft;
        mDerivedTop = mTop;
        mDerivedOutOfDate = false;
    }

    std::size_t vertexCount() const { return renderOperation.vertexData->vertexCount; }
    std::size_t reservedCharacters() const { return allocSize; }

    // Binding 0 holds x, y, z, u, v per vertex; binding 1 one packed colour per vertex.
    template <typename T> std::vector<T> read(unsigned short binding, std::size_t count) const
    {
        const auto& buffer = renderOperation.vertexData->vertexBufferBinding->getBuffer(binding);
        Ogre::HardwareBufferLockGuard lock(buffer, Ogre::HardwareBuffer::HBL_READ_ONLY);
        const T* data = static_cast<const T*>(lock.pData);
        return std::vector<T>(data, data + count);
    }
    std::vector<float> vertices() const { return read<float>(0, vertexCount() * 5); }
    std::vector<std::uint32_t> colours() const { return read<std::uint32_t>(1, allocSize * 6); }
};

// A text element at (0.25, 0.1) of the screen, i.e. clip position (-0.5, 0.8), with no width of
// its own yet.
struct TextAreaFixture
{
    TextAreaFixture()
    {
        font = Ogre::FontManager::getSingleton().create("TestFont", "General", true, &loader);
        font->setType(Ogre::FT_IMAGE);
        for (char glyph : {'0', 'a', 'b', 'c', 'd'})
        {
            const float left = glyph == '0' ? 0.0f : (glyph - 'a' + 1) * 0.1f;
            font->setGlyphTexCoords(glyph, left, 0.0f, left + (glyph == 'a' ? 0.1f : 0.05f), 0.1f,
                                    1.0f);
        }
        // A degenerate rectangle: no height to scale a position margin by.
        font->setGlyphTexCoords('|', 0.50f, 0.2f, 0.55f, 0.2f, 1.0f);
        font->setGlyphAspectRatio('|', 0.25f);
        text.reset(new TextAreaProbe("text"));
        text->initialise();
        text->setPosition(0.25f, 0.1f);
        text->setWidth(0.0f);
        text->setViewportAspectCoef(aspectCoef);
        text->setFontName("TestFont");
    }

    void layout(const Ogre::DisplayString& caption)
    {
        text->setCaption(caption);
        text->_update();
    }

    HeadlessEngine engine;
    NoLoad loader;
    Ogre::FontPtr font;
    std::unique_ptr<TextAreaProbe> text;
};

float vertexX(const std::vector<float>& v, std::size_t index) { return v.at(index * 5); }
float vertexY(const std::vector<float>& v, std::size_t index) { return v.at(index * 5 + 1); }

} // namespace

TEST(TextAreaOverlayElement2, GlyphQuadsAreWidenedByTheTextureMargin)
{
    TextAreaFixture f;
    f.layout("a|");

    const std::vector<float> v = f.text->vertices();
    ASSERT_EQ(v.size(), 12u * 5u);
    // Top left and bottom right of "a": x and u move out, y and v stay on the rectangle.
    const float topLeft[5] = {-0.5f - quadMargin, 0.8f, -1.0f, 0.1f - 0.0065f, 0.0f};
    const float bottomRight[5] = {-0.5f + advanceA + quadMargin, 0.76f, -1.0f, 0.2f + 0.0065f,
                                  0.1f};
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_NEAR(v[i], topLeft[i], clipTolerance) << i;
        EXPECT_NEAR(v[5 * 5 + i], bottomRight[i], clipTolerance) << i;
        // The second triangle repeats top right and bottom left.
        EXPECT_EQ(v[3 * 5 + i], v[2 * 5 + i]);
        EXPECT_EQ(v[4 * 5 + i], v[1 * 5 + i]);
    }

    // The degenerate glyph keeps its texture margin but gets no position margin.
    EXPECT_NEAR(vertexX(v, 6), -0.5f + advanceA, clipTolerance);
    EXPECT_NEAR(v[6 * 5 + 3], 0.5f - 0.0065f, clipTolerance);
}

TEST(TextAreaOverlayElement2, BlankFollowsZeroAndSpacingIsLeftOutOfTheAlignment)
{
    TextAreaFixture f;
    f.text->setParameter("space_width", "0.3");
    f.layout("a b");
    ASSERT_EQ(f.text->vertexCount(), 12u);
    const float blank = 0.01125f; // 0.5 x 0.02 x 2 x 0.5625, whatever "space_width" says
    EXPECT_NEAR(vertexX(f.text->vertices(), 6), -0.5f + advanceA + blank - quadMargin,
                clipTolerance);

    // Right alignment pulls the line back by the bare advances only, so spaced text ends past
    // the left edge by the extras, and the element grows by that much (in screen units).
    f.text->setCharSpacing(0.045f);
    f.text->setAlignment(Ogre::TextAreaOverlayElement2::Right);
    f.text->setWidth(0.0f);
    f.layout("ab");
    const std::vector<float> v = f.text->vertices();
    const float extra = 0.0010125f; // 2 x 0.02 x 0.5625 x 0.045 per glyph
    const float start = -0.5f - (advanceA + advanceB);
    EXPECT_NEAR(vertexX(v, 0), start - quadMargin, clipTolerance);
    EXPECT_NEAR(vertexX(v, 6), start + advanceA + extra - quadMargin, clipTolerance);
    EXPECT_NEAR(f.text->getWidth(), extra, clipTolerance);
}

TEST(TextAreaOverlayElement2, LineBreaksRestartTheLineAndDropTheirVertices)
{
    TextAreaFixture f;
    f.text->setAlignment(Ogre::TextAreaOverlayElement2::Center);

    // CR LF is one break: two lines, 6 code units, 24 vertices.
    f.layout("ab\r\ncd");
    ASSERT_EQ(f.text->vertexCount(), 24u);
    std::vector<float> v = f.text->vertices();
    EXPECT_NEAR(vertexX(v, 0), -0.5f - (advanceA + advanceB) / 2.0f - quadMargin, clipTolerance);
    // Each line is centred on its own length.
    EXPECT_NEAR(vertexX(v, 12), -0.5f - advanceB - quadMargin, clipTolerance);
    EXPECT_NEAR(vertexY(v, 12), 0.8f - f.text->lineHeight(), clipTolerance);
    EXPECT_NEAR(f.text->lineHeight(), 0.04f, clipTolerance);

    // LF CR is two breaks, next-line is one, a lone CR is one: four lines.
    Ogre::DisplayString text("a\n\rb");
    text.push_back(static_cast<Ogre::UTFString::unicode_char>(133));
    text.append("c\rd");
    f.text->setAlignment(Ogre::TextAreaOverlayElement2::Left);
    f.text->setLineSpacing(0.05f);
    f.layout(text);
    ASSERT_EQ(f.text->vertexCount(), 24u);
    v = f.text->vertices();
    EXPECT_NEAR(f.text->lineHeight(), 0.1f, clipTolerance);
    for (std::size_t glyph = 0; glyph < 4; ++glyph)
    {
        const float lines = glyph == 0 ? 0.0f : static_cast<float>(glyph + 1);
        EXPECT_NEAR(vertexX(v, glyph * 6), -0.5f - quadMargin, clipTolerance) << glyph;
        EXPECT_NEAR(vertexY(v, glyph * 6), 0.8f - lines * 0.1f, clipTolerance) << glyph;
    }
}

TEST(TextAreaOverlayElement2, WidthAndBuffersOnlyGrowAndColoursKeepTheGradient)
{
    TextAreaFixture f;
    f.text->setColourTop(Ogre::ColourValue::Red);
    f.text->setColourBottom(Ogre::ColourValue::Blue);
    f.layout("b\nab\nb");
    EXPECT_NEAR(f.text->getWidth(), (advanceA + advanceB) / 2.0f, clipTolerance);
    EXPECT_EQ(f.text->reservedCharacters(), 12u);

    f.layout(Ogre::DisplayString(std::string(20, 'a')));
    EXPECT_EQ(f.text->reservedCharacters(), 20u);
    EXPECT_EQ(f.text->vertexCount(), 120u);
    // The grown colour buffer is rewritten in the same update, for every reserved character.
    const std::vector<std::uint32_t> colours = f.text->colours();
    const std::uint32_t top = Ogre::ColourValue::Red.getAsABGR();
    const std::uint32_t bottom = Ogre::ColourValue::Blue.getAsABGR();
    const std::uint32_t pattern[6] = {top, bottom, top, top, bottom, bottom};
    for (std::size_t i = 0; i < colours.size(); ++i)
        ASSERT_EQ(colours[i], pattern[i % 6]) << "vertex " << i;

    f.layout("");
    EXPECT_EQ(f.text->reservedCharacters(), 20u);
    EXPECT_EQ(f.text->vertexCount(), 0u);
    EXPECT_NEAR(f.text->getWidth(), 20.0f * advanceA / 2.0f, clipTolerance);
}

TEST(TextAreaOverlayElement2, UnknownFontThrowsAndLeavesNoFont)
{
    TextAreaFixture f;
    try
    {
        f.text->setFontName("NoSuchFont");
        FAIL() << "no exception";
    }
    catch (const Ogre::ItemIdentityException& error)
    {
        EXPECT_EQ(error.getDescription(), "Could not find font NoSuchFont");
        EXPECT_EQ(error.getSource(), "TextAreaOverlayElement2::setFontName");
    }
    EXPECT_EQ(f.text->getFontName(), "");
    // Without a font nothing is laid out and nothing breaks.
    f.layout("ab");
    EXPECT_FALSE(f.text->getMaterial());
}
