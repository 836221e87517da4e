#include "editor/PaletteColours.h"

#include <gtest/gtest.h>

TEST(PaletteColours, ModelColoursMostUsedFirstTiesInOrderOfAppearance)
{
    const Ogre::ColourValue a(0.1f, 0.2f, 0.3f), b(1, 0, 0), c(0, 1, 0), d(0, 0, 1);
    // b three times, c and a twice each (a first seen before c), d once. A colour within half
    // an 8-bit step of another is the same colour, as the files count them.
    const Ogre::ColourValue nearA(0.1f + 0.001f, 0.2f, 0.3f);
    const std::vector<Ogre::ColourValue> colours{d, a, c, b, b, c, nearA, b};
    const std::vector<Ogre::ColourValue> expected{b, a, c, d};
    EXPECT_EQ(PaletteColours::mostUsed(colours, 10), expected);
    EXPECT_EQ(PaletteColours::mostUsed(colours, 2), (std::vector<Ogre::ColourValue>{b, a}));
    EXPECT_TRUE(PaletteColours::mostUsed({}, 10).empty());
}

TEST(PaletteColours, RecentColoursNewestFirstOnceEachAndAtMostTen)
{
    PaletteColours palette;
    for (int i = 0; i < 12; ++i)
        palette.used(Ogre::ColourValue(float(i) / 20.0f, 0, 0));
    palette.used(Ogre::ColourValue(5.0f / 20.0f, 0, 0)); // used again: back to the front
    ASSERT_EQ(palette.recent().size(), PaletteColours::MAX_RECENT);
    EXPECT_EQ(palette.recent()[0], Ogre::ColourValue(5.0f / 20.0f, 0, 0));
    EXPECT_EQ(palette.recent()[1], Ogre::ColourValue(11.0f / 20.0f, 0, 0));
    // 0 and 1 fell off the end; 5 is there once.
    int fives = 0;
    for (const Ogre::ColourValue& colour : palette.recent())
    {
        EXPECT_GE(colour.r, 2.0f / 20.0f);
        fives += PaletteColours::same(colour, Ogre::ColourValue(5.0f / 20.0f, 0, 0));
    }
    EXPECT_EQ(fives, 1);
}

TEST(PaletteColours, TypedColoursReadOnlyAsSixHexDigitsAndWriteBackTheSame)
{
    Ogre::ColourValue colour(0.25f, 0.5f, 0.75f, 0.5f);
    for (const char* bad : {"", "#", "#12345", "#1234567", "12 345 6", "#12345g", "#-12345",
                            "0x123456", "##123456"})
    {
        EXPECT_FALSE(PaletteColours::parseHex(bad, colour)) << bad;
        EXPECT_EQ(colour, Ogre::ColourValue(0.25f, 0.5f, 0.75f, 0.5f)) << bad;
    }
    ASSERT_TRUE(PaletteColours::parseHex("  #FF8000 ", colour));
    EXPECT_EQ(colour, Ogre::ColourValue(1.0f, 128.0f / 255.0f, 0.0f, 1.0f));
    ASSERT_TRUE(PaletteColours::parseHex("3366cc", colour));
    EXPECT_EQ(PaletteColours::hex(colour), "#3366cc");
    EXPECT_EQ(PaletteColours::hex(Ogre::ColourValue(0.5f, 0.0f, 1.0f)), "#8000ff");
}
