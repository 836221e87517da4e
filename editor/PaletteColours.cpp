#include "editor/PaletteColours.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <unordered_map>

namespace
{

uint32_t key(const Ogre::ColourValue& colour)
{
    auto byte = [](float value)
    { return uint32_t(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)); };
    return byte(colour.r) << 24 | byte(colour.g) << 16 | byte(colour.b) << 8 | byte(colour.a);
}

} // namespace

bool PaletteColours::same(const Ogre::ColourValue& a, const Ogre::ColourValue& b)
{
    return key(a) == key(b);
}

std::vector<Ogre::ColourValue> PaletteColours::mostUsed(
    const std::vector<Ogre::ColourValue>& colours, size_t count)
{
    struct Entry
    {
        Ogre::ColourValue colour;
        size_t uses = 0;
    };
    std::vector<Entry> entries;
    std::unordered_map<uint32_t, size_t> where;
    for (const Ogre::ColourValue& colour : colours)
    {
        auto [place, isNew] = where.emplace(key(colour), entries.size());
        if (isNew)
            entries.push_back({colour, 0});
        ++entries[place->second].uses;
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.uses > b.uses; });
    std::vector<Ogre::ColourValue> result;
    for (size_t i = 0; i < entries.size() && i < count; ++i)
        result.push_back(entries[i].colour);
    return result;
}

void PaletteColours::used(const Ogre::ColourValue& colour)
{
    recentColours.erase(std::remove_if(recentColours.begin(), recentColours.end(),
                                       [&](const Ogre::ColourValue& c) { return same(c, colour); }),
                        recentColours.end());
    recentColours.insert(recentColours.begin(), colour);
    if (recentColours.size() > MAX_RECENT)
        recentColours.resize(MAX_RECENT);
}

std::string PaletteColours::hex(const Ogre::ColourValue& colour)
{
    const uint32_t bytes = key(colour);
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", unsigned(bytes >> 24),
                  unsigned(bytes >> 16 & 0xff), unsigned(bytes >> 8 & 0xff));
    return text;
}

bool PaletteColours::parseHex(const std::string& text, Ogre::ColourValue& colour)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return false;
    const size_t last = text.find_last_not_of(" \t");
    std::string digits = text.substr(first, last - first + 1);
    if (!digits.empty() && digits[0] == '#')
        digits.erase(0, 1);
    if (digits.size() != 6 ||
        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    const unsigned long value = std::stoul(digits, nullptr, 16);
    colour = Ogre::ColourValue(float(value >> 16 & 0xff) / 255.0f, float(value >> 8 & 0xff) / 255.0f,
                               float(value & 0xff) / 255.0f, 1.0f);
    return true;
}
