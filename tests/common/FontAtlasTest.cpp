#include "tests/HeadlessEngine.h"

#include <OgreFont.h>
#include <OgreFontManager.h>
#include <OgreResourceGroupManager.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <vector>

// The menu fonts are image fonts rendered at build time into the run folder. These tests read
// them the way the editor does, through the engine's font script parser.

namespace
{

// How far the text element samples beyond each glyph rectangle, in texture units.
const float samplingMargin = 0.0065f;

const Ogre::Font::CodePoint firstCodePoint = 32;
const Ogre::Font::CodePoint lastCodePoint = 255;

const char* const fontGroup = "FontAtlasTest";

const std::vector<std::string>& menuFontNames()
{
    static const std::vector<std::string> names = {
        "Latin1BasicFontOutline100", "Latin1BasicFontOutline050", "Latin1BasicFontOutline025",
        "Latin1InputFontOutline100", "Latin1InputFontOutline050", "Latin1InputFontOutline025",
        "Latin1BasicFont100",        "Latin1BasicFont050",        "Latin1BasicFont025",
    };
    return names;
}

struct Image
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgra;

    const std::uint8_t* texel(int x, int y) const { return &bgra[(y * width + x) * 4]; }
};

// The atlases are uncompressed 32-bit TGA, top row first; an empty image means anything else.
Image readTga(const std::string& path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    std::vector<std::uint8_t> bytes(file ? static_cast<std::size_t>(file.tellg()) : 0);
    file.seekg(0);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    Image image;
    if (bytes.size() < 18 || bytes[2] != 2 || bytes[16] != 32 || (bytes[17] & 0x20) == 0)
    {
        return image;
    }
    const int width = bytes[12] | bytes[13] << 8;
    const int height = bytes[14] | bytes[15] << 8;
    const std::size_t start = 18 + bytes[0];
    if (bytes.size() == start + static_cast<std::size_t>(width) * height * 4)
    {
        image.width = width;
        image.height = height;
        image.bgra.assign(bytes.begin() + start, bytes.end());
    }
    return image;
}

// A headless engine with the generated font scripts parsed into their own group.
class MenuFonts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
        groups.addResourceLocation(MENU_FONT_FOLDER, "FileSystem", fontGroup);
        groups.initialiseResourceGroup(fontGroup);
    }

    Ogre::FontPtr font(const std::string& name)
    {
        return Ogre::FontManager::getSingleton().getByName(name, fontGroup);
    }

    // Every atlas once, with one font that uses it.
    std::map<std::string, Ogre::FontPtr> fontsByAtlas()
    {
        std::map<std::string, Ogre::FontPtr> atlases;
        for (const std::string& name : menuFontNames())
        {
            Ogre::FontPtr menuFont = font(name);
            if (menuFont)
            {
                atlases.emplace(menuFont->getSource(), menuFont);
            }
        }
        return atlases;
    }

    HeadlessEngine engine;
};

// The texel columns and rows that bilinear sampling of a glyph's widened rectangle can touch.
struct TexelWindow
{
    int left;
    int right;
    int top;
    int bottom;
};

TexelWindow sampledTexels(const Ogre::Font::UVRect& rect, const Image& image)
{
    const float w = static_cast<float>(image.width);
    const float h = static_cast<float>(image.height);
    return {std::max(0, static_cast<int>(std::floor((rect.left - samplingMargin) * w - 0.5f))),
            std::min(image.width,
                     static_cast<int>(std::ceil((rect.right + samplingMargin) * w + 0.5f))),
            std::max(0, static_cast<int>(std::floor(rect.top * h - 0.5f))),
            std::min(image.height, static_cast<int>(std::ceil(rect.bottom * h + 0.5f)))};
}

template <typename Test> int countTexels(const Image& image, const TexelWindow& window, Test test)
{
    int count = 0;
    for (int y = window.top; y < window.bottom; ++y)
    {
        for (int x = window.left; x < window.right; ++x)
        {
            count += test(image.texel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

} // namespace

TEST_F(MenuFonts, EveryLatin1GlyphIsAdvanceWideOnOneLine)
{
    for (const std::string& name : menuFontNames())
    {
        SCOPED_TRACE(name);
        Ogre::FontPtr menuFont = font(name);
        ASSERT_TRUE(menuFont);
        EXPECT_EQ(Ogre::FT_IMAGE, menuFont->getType());
        // One line height and baseline for every glyph, or captions would jump up and down.
        // A glyph byte above 127 read as a signed char would leave its code point without one.
        const float lineHeight = menuFont->getGlyphInfo('0').uvRect.height();
        for (Ogre::Font::CodePoint codePoint = firstCodePoint; codePoint <= lastCodePoint;
             ++codePoint)
        {
            ASSERT_NO_THROW(menuFont->getGlyphInfo(codePoint)) << "code point " << codePoint;
            EXPECT_NEAR(lineHeight, menuFont->getGlyphTexCoords(codePoint).height(), 1e-5f);
        }
        // Rectangles follow the advance, not the ink: digits are equally wide (columns of
        // numbers line up), a blank is not empty and "i" is narrower than "W".
        const float zeroAspect = menuFont->getGlyphAspectRatio('0');
        EXPECT_GT(zeroAspect, 0.4f);
        EXPECT_LT(zeroAspect, 0.6f);
        for (Ogre::Font::CodePoint digit = '1'; digit <= '9'; ++digit)
        {
            EXPECT_NEAR(zeroAspect, menuFont->getGlyphAspectRatio(digit), 0.03f);
        }
        EXPECT_GT(menuFont->getGlyphAspectRatio(' '), 0.1f);
        EXPECT_LT(menuFont->getGlyphAspectRatio('i'), menuFont->getGlyphAspectRatio('W'));
    }
}

TEST_F(MenuFonts, WidenedGlyphRectanglesStayInsideTheAtlasAndApart)
{
    const std::map<std::string, Ogre::FontPtr> atlases = fontsByAtlas();
    ASSERT_EQ(6u, atlases.size());
    for (const auto& [source, menuFont] : atlases)
    {
        SCOPED_TRACE(source);
        const Image image = readTga(std::string(MENU_FONT_FOLDER) + "/" + source);
        ASSERT_GT(image.width, 0);
        // The engine's parser takes every image font to be square when it works out aspects.
        ASSERT_EQ(image.width, image.height);
        const float texel = 1.0f / static_cast<float>(image.width);

        std::vector<Ogre::Font::UVRect> rects;
        for (Ogre::Font::CodePoint codePoint = firstCodePoint; codePoint <= lastCodePoint;
             ++codePoint)
        {
            const Ogre::Font::UVRect& rect = menuFont->getGlyphTexCoords(codePoint);
            EXPECT_TRUE(rect.left - samplingMargin >= 0.0f && rect.right + samplingMargin <= 1.0f &&
                        rect.top >= 0.0f && rect.bottom <= 1.0f)
                << "code point " << codePoint;
            rects.push_back(rect);
        }
        for (std::size_t a = 0; a < rects.size(); ++a)
        {
            for (std::size_t b = a + 1; b < rects.size(); ++b)
            {
                const float horizontalGap =
                    std::max(rects[b].left - rects[a].right, rects[a].left - rects[b].right);
                const float verticalGap =
                    std::max(rects[b].top - rects[a].bottom, rects[a].top - rects[b].bottom);
                // Side by side, both widenings plus filtering must fit in between; rows above
                // and below are never widened, so filtering alone needs room there.
                EXPECT_TRUE(horizontalGap >= 2.0f * samplingMargin + 2.0f * texel ||
                            verticalGap >= 2.0f * texel)
                    << "code points " << a + firstCodePoint << " and " << b + firstCodePoint;
            }
        }
    }
}

TEST_F(MenuFonts, BlanksSampleNothingAndOnlyOutlinedGlyphsHaveDarkRims)
{
    for (const auto& [source, menuFont] : fontsByAtlas())
    {
        SCOPED_TRACE(source);
        const Image image = readTga(std::string(MENU_FONT_FOLDER) + "/" + source);
        ASSERT_GT(image.width, 0);

        // Blanks and control codes draw nothing: ink in what they sample is a neighbour's sliver.
        std::vector<Ogre::Font::CodePoint> empty = {' '};
        for (Ogre::Font::CodePoint control = 128; control < 160; ++control)
        {
            empty.push_back(control);
        }
        for (Ogre::Font::CodePoint codePoint : empty)
        {
            const TexelWindow window = sampledTexels(menuFont->getGlyphTexCoords(codePoint), image);
            EXPECT_EQ(
                0, countTexels(image, window, [](const std::uint8_t* bgra) { return bgra[3] > 0; }))
                << "code point " << codePoint;
        }

        const TexelWindow letter = sampledTexels(menuFont->getGlyphTexCoords('O'), image);
        const int white = countTexels(
            image, letter, [](const std::uint8_t* bgra) { return bgra[3] > 200 && bgra[0] > 230; });
        const int dark = countTexels(
            image, letter, [](const std::uint8_t* bgra) { return bgra[3] > 200 && bgra[0] < 60; });
        EXPECT_GT(white, 0);
        EXPECT_EQ(source.find("Outline") != std::string::npos, dark > 0);
    }
}
