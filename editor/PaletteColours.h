#pragma once

#include <OgreColourValue.h>

#include <cstddef>
#include <string>
#include <vector>

// The colours the palette offers: the model's own, most used first, and the colours painted
// with lately, newest first. Colours count as one when their 8-bit values are equal, as the
// files' readers count them.
class PaletteColours
{
public:
    static constexpr size_t MAX_RECENT = 10;

    // The distinct colours of `colours`, most frequent first; equal counts in the order they
    // first appear. At most `count`.
    static std::vector<Ogre::ColourValue> mostUsed(const std::vector<Ogre::ColourValue>& colours,
                                                   size_t count);
    // Whether two colours are one at 8 bits a channel.
    static bool same(const Ogre::ColourValue& a, const Ogre::ColourValue& b);

    // The colour as "#rrggbb", lower case, each channel rounded to 8 bits.
    static std::string hex(const Ogre::ColourValue& colour);
    // Reads "#rrggbb" (the "#" may be left out; any case; blanks around it are ignored) into
    // `colour` with alpha 1. False, leaving `colour` alone, for anything else.
    static bool parseHex(const std::string& text, Ogre::ColourValue& colour);

    // Puts the colour first among the recent ones (once), dropping the oldest past MAX_RECENT.
    void used(const Ogre::ColourValue& colour);
    const std::vector<Ogre::ColourValue>& recent() const { return recentColours; }

private:
    std::vector<Ogre::ColourValue> recentColours;
};
