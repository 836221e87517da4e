#include "tests/HeadlessEngine.h"

#include <OgreFont.h>
#include <OgreFontManager.h>
#include <OgreResourceGroupManager.h>

#include <gtest/gtest.h>

#include <algorithm>
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

const Ogre::Font::CodePoint firstCodePoint = 32, lastCodePoint = 255;
const char* const fontGroup = "FontAtlasTest";

const char* const menuFontNames[] = {
    "Latin1BasicFontOutline100", "Latin1BasicFontOutline050", "Latin1BasicFontOutline025",
    "Latin1InputFontOutline100", "Latin1InputFontOutline050", "Latin1InputFontOutline025",
    "Latin1BasicFont100",        "Latin1BasicFont050",        "Latin1BasicFont025"};

// The atlas's size in texels, read from its TGA header; 0 when the file is unreadable.
int atlasSize(const std::string& source, int sizeOffset)
{
    std::ifstream file(std::string(MENU_FONT_FOLDER) + "/" + source, std::ios::binary);
    unsigned char header[18] = {};
    file.read(reinterpret_cast<char*>(header), sizeof header);
    return file ? header[sizeOffset] | header[sizeOffset + 1] << 8 : 0;
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

    HeadlessEngine engine;
};

} // namespace

TEST_F(MenuFonts, WidenedGlyphRectanglesStayInsideTheAtlasAndApart)
{
    std::map<std::string, Ogre::FontPtr> atlases; // every atlas once, with a font that uses it
    for (const char* name : menuFontNames)
    {
        if (Ogre::FontPtr menuFont = font(name))
            atlases.emplace(menuFont->getSource(), menuFont);
    }
    ASSERT_EQ(6u, atlases.size());
    for (const auto& [source, menuFont] : atlases)
    {
        SCOPED_TRACE(source);
        const int width = atlasSize(source, 12);
        ASSERT_GT(width, 0);
        // The engine's parser takes every image font to be square when it works out aspects.
        ASSERT_EQ(width, atlasSize(source, 14));
        const float texel = 1.0f / static_cast<float>(width);

        std::vector<Ogre::Font::UVRect> rects;
        for (Ogre::Font::CodePoint codePoint = firstCodePoint; codePoint <= lastCodePoint;
             ++codePoint)
        {
            // A glyph byte above 127 read as a signed char would leave its code point without one.
            ASSERT_NO_THROW(menuFont->getGlyphInfo(codePoint)) << "code point " << codePoint;
            const Ogre::Font::UVRect& rect = menuFont->getGlyphTexCoords(codePoint);
            EXPECT_TRUE(rect.left - samplingMargin >= 0.0f && rect.right + samplingMargin <= 1.0f &&
                        rect.top >= 0.0f && rect.bottom <= 1.0f)
                << "code point " << codePoint;
            rects.push_back(rect);
        }
        for (std::size_t a = 0; a < rects.size(); ++a)
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
