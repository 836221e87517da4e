#include "common/OgreTextAreaOverlayElement2.h"
#include "tests/HeadlessEngine.h"

#include <OgreFontManager.h>

#include <gtest/gtest.h>

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

    // x, y, z, u, v per vertex.
    std::vector<float> vertices() const
    {
        const auto& buffer = renderOperation.vertexData->vertexBufferBinding->getBuffer(0);
        Ogre::HardwareBufferLockGuard lock(buffer, Ogre::HardwareBuffer::HBL_READ_ONLY);
        const float* data = static_cast<const float*>(lock.pData);
        return std::vector<float>(data, data + vertexCount() * 5);
    }
};

// A text element at (0.25, 0.1) of the screen, i.e. clip position (-0.5, 0.8), with no width.
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
    const float corners[2][5] = {{-0.5f - quadMargin, 0.8f, -1.0f, 0.1f - 0.0065f, 0.0f},
                                 {-0.5f + advanceA + quadMargin, 0.76f, -1, 0.2f + 0.0065f, 0.1f}};
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_NEAR(v[i], corners[0][i], clipTolerance) << i;
        EXPECT_NEAR(v[5 * 5 + i], corners[1][i], clipTolerance) << i;
    }

    // A glyph without height keeps its texture margin but gets no position margin.
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

TEST(TextAreaOverlayElement2, LineBreaksRestartTheLineAndEmptyCaptionsKeepTheWidth)
{
    TextAreaFixture f;
    f.text->setParameter("alignment", "Center"); // names are lower case: stays Left
    EXPECT_EQ(f.text->getAlignment(), Ogre::TextAreaOverlayElement2::Left);
    f.text->setAlignment(Ogre::TextAreaOverlayElement2::Center);

    // CR LF is one break: two lines, 6 code units, 24 vertices, each line centred on its own.
    f.layout("ab\r\ncd");
    ASSERT_EQ(f.text->vertexCount(), 24u);
    const std::vector<float> v = f.text->vertices();
    EXPECT_NEAR(vertexX(v, 0), -0.5f - (advanceA + advanceB) / 2.0f - quadMargin, clipTolerance);
    EXPECT_NEAR(vertexX(v, 12), -0.5f - advanceB - quadMargin, clipTolerance);
    EXPECT_NEAR(vertexY(v, 12), 0.8f - 0.04f, clipTolerance);

    f.text->setAlignment(Ogre::TextAreaOverlayElement2::Left);
    f.layout("ab");
    f.layout("");
    EXPECT_EQ(f.text->vertexCount(), 0u);
    EXPECT_NEAR(f.text->getWidth(), (advanceA + advanceB) / 2.0f, clipTolerance);
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
    }
    EXPECT_EQ(f.text->getFontName(), "");
    f.layout("ab"); // nothing to lay out with, nothing breaks
    EXPECT_FALSE(f.text->getMaterial());
}
