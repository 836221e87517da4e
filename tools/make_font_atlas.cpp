// Renders the Latin-1 glyphs of a TrueType font into a square image font for the menus: white
// glyphs, optionally ringed by a dark outline, each in a cell padded wide enough that the text
// element's texture widening never samples a neighbour, plus the .fontdef that names the cells.
//
// usage: make_font_atlas <font.ttf> <line height px> <outline px> <atlas.tga> <out.fontdef>
//                        <font name>...
// Every font name gets a definition that uses the same atlas.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

// The text element widens every glyph's texture rectangle by this much on the left and right so
// outlines are not cut off; the padding between cells has to be wider than that.
const double samplingMargin = 0.0065;

// Beyond the margin: one texel for bilinear filtering and one to spare.
const int extraPadding = 2;

const unsigned firstCodePoint = 32;
const unsigned lastCodePoint = 255;
const unsigned blankCodePoint = 32;

const int largestAtlas = 4096;

// Dark enough to read on the light panel looks, not so black that it looks like a drop shadow.
const float outlineShade = 16.0f / 255.0f;

struct Glyph
{
    unsigned codePoint = 0;
    int advance = 0;
    // Coverage 0..1 of the glyph's own bitmap, placed relative to the pen at the baseline.
    int bitmapLeft = 0;
    int bitmapTop = 0;
    int bitmapWidth = 0;
    int bitmapRows = 0;
    std::vector<float> coverage;
    // Top-left of the glyph rectangle (advance × line height) in the atlas, once packed.
    int x = 0;
    int y = 0;
};

struct LineMetrics
{
    int ascent = 0;
    int descent = 0;
    int height() const { return ascent + descent; }
};

class FreeTypeFace
{
public:
    explicit FreeTypeFace(const std::string& path)
    {
        if (FT_Init_FreeType(&library) != 0)
        {
            throw std::runtime_error("cannot start FreeType");
        }
        if (FT_New_Face(library, path.c_str(), 0, &face) != 0)
        {
            FT_Done_FreeType(library);
            throw std::runtime_error("cannot open font " + path);
        }
    }
    ~FreeTypeFace()
    {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

int paddingFor(int atlasSize)
{
    return static_cast<int>(std::ceil(samplingMargin * atlasSize)) + extraPadding;
}

// Picks the pixel size whose line (ascender to descender) comes closest to the wanted height and
// reports the line as whole pixels, so every glyph rectangle has the same height and baseline.
LineMetrics setLineHeight(FT_Face face, int lineHeight)
{
    const double unitsPerLine = static_cast<double>(face->ascender - face->descender);
    const double emPixels = lineHeight * face->units_per_EM / unitsPerLine;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(std::lround(emPixels))) != 0)
    {
        throw std::runtime_error("cannot set the pixel size");
    }
    LineMetrics metrics;
    metrics.ascent = static_cast<int>(std::ceil(face->size->metrics.ascender / 64.0));
    metrics.descent = static_cast<int>(std::ceil(-face->size->metrics.descender / 64.0));
    return metrics;
}

std::vector<Glyph> renderGlyphs(FT_Face face)
{
    int blankAdvance = 0;
    if (FT_Load_Char(face, blankCodePoint, FT_LOAD_DEFAULT) == 0)
    {
        blankAdvance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
    }

    std::vector<Glyph> glyphs;
    for (unsigned codePoint = firstCodePoint; codePoint <= lastCodePoint; ++codePoint)
    {
        Glyph glyph;
        glyph.codePoint = codePoint;
        glyph.advance = blankAdvance;
        // Control codes (127-159) have no glyph: they stay empty cells as wide as a blank rather
        // than showing the font's missing-glyph box.
        if (FT_Get_Char_Index(face, codePoint) == 0 ||
            FT_Load_Char(face, codePoint, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
        {
            glyphs.push_back(glyph);
            continue;
        }
        const FT_GlyphSlot slot = face->glyph;
        glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        glyph.bitmapLeft = slot->bitmap_left;
        glyph.bitmapTop = slot->bitmap_top;
        glyph.bitmapWidth = static_cast<int>(slot->bitmap.width);
        glyph.bitmapRows = static_cast<int>(slot->bitmap.rows);
        glyph.coverage.resize(static_cast<std::size_t>(glyph.bitmapWidth) * glyph.bitmapRows);
        for (int row = 0; row < glyph.bitmapRows; ++row)
        {
            const unsigned char* source = slot->bitmap.buffer + row * slot->bitmap.pitch;
            for (int column = 0; column < glyph.bitmapWidth; ++column)
            {
                glyph.coverage[row * glyph.bitmapWidth + column] = source[column] / 255.0f;
            }
        }
        glyphs.push_back(glyph);
    }
    return glyphs;
}

// Packs the glyphs row by row; false when they do not fit into the square.
bool pack(std::vector<Glyph>& glyphs, int atlasSize, int padding, int verticalPadding,
          int lineHeight)
{
    const int rowHeight = lineHeight + 2 * verticalPadding;
    int x = 0;
    int y = 0;
    for (Glyph& glyph : glyphs)
    {
        const int cellWidth = glyph.advance + 2 * padding;
        if (cellWidth > atlasSize)
        {
            return false;
        }
        if (x + cellWidth > atlasSize)
        {
            x = 0;
            y += rowHeight;
        }
        if (y + rowHeight > atlasSize)
        {
            return false;
        }
        glyph.x = x + padding;
        glyph.y = y + verticalPadding;
        x += cellWidth;
    }
    return true;
}

class Atlas
{
public:
    explicit Atlas(int size)
        : size(size), glyphCoverage(static_cast<std::size_t>(size) * size, 0.0f),
          outlineCoverage(glyphCoverage.size(), 0.0f)
    {
    }

    // Draws the glyph clipped to its cell, so nothing it overhangs can reach another cell.
    void draw(const Glyph& glyph, int padding, int verticalPadding, const LineMetrics& line,
              float outlineRadius)
    {
        const int cellLeft = glyph.x - padding;
        const int cellTop = glyph.y - verticalPadding;
        const int cellRight = glyph.x + glyph.advance + padding;
        const int cellBottom = glyph.y + line.height() + verticalPadding;
        const int originX = glyph.x + glyph.bitmapLeft;
        const int originY = glyph.y + line.ascent - glyph.bitmapTop;

        auto coverageAt = [&](int x, int y)
        {
            const int column = x - originX;
            const int row = y - originY;
            if (column < 0 || row < 0 || column >= glyph.bitmapWidth || row >= glyph.bitmapRows)
            {
                return 0.0f;
            }
            return glyph.coverage[row * glyph.bitmapWidth + column];
        };

        const int reach = static_cast<int>(std::ceil(outlineRadius));
        for (int y = cellTop; y < cellBottom; ++y)
        {
            for (int x = cellLeft; x < cellRight; ++x)
            {
                const std::size_t index = static_cast<std::size_t>(y) * size + x;
                glyphCoverage[index] = coverageAt(x, y);
                if (outlineRadius <= 0.0f)
                {
                    continue;
                }
                // A disc-shaped dilation with an anti-aliased rim.
                float ring = 0.0f;
                for (int dy = -reach; dy <= reach; ++dy)
                {
                    for (int dx = -reach; dx <= reach; ++dx)
                    {
                        const float distance = std::sqrt(static_cast<float>(dx * dx + dy * dy));
                        const float weight =
                            std::clamp(outlineRadius + 0.5f - distance, 0.0f, 1.0f);
                        if (weight > 0.0f)
                        {
                            ring = std::max(ring, weight * coverageAt(x + dx, y + dy));
                        }
                    }
                }
                outlineCoverage[index] = ring;
            }
        }
    }

    // Uncompressed 32-bit TGA, top row first: the engine's image codec reads it and it needs
    // no compression library.
    void writeTga(const std::string& path, bool outlined) const
    {
        std::vector<unsigned char> bytes(18, 0);
        bytes[2] = 2;
        bytes[12] = static_cast<unsigned char>(size & 0xFF);
        bytes[13] = static_cast<unsigned char>(size >> 8);
        bytes[14] = bytes[12];
        bytes[15] = bytes[13];
        bytes[16] = 32;
        bytes[17] = 0x28;
        bytes.reserve(bytes.size() + glyphCoverage.size() * 4);
        for (std::size_t i = 0; i < glyphCoverage.size(); ++i)
        {
            const float glyph = glyphCoverage[i];
            // Transparent texels keep the colour of what borders them (white or the outline), so
            // filtering never blends in a colour that is not there.
            float alpha = glyph;
            float shade = 1.0f;
            if (outlined)
            {
                const float ring = outlineCoverage[i] * (1.0f - glyph);
                alpha = glyph + ring;
                shade = alpha > 0.0f ? (glyph + ring * outlineShade) / alpha : outlineShade;
            }
            const auto channel = [](float value) {
                return static_cast<unsigned char>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255));
            };
            const unsigned char grey = channel(shade);
            bytes.push_back(grey);
            bytes.push_back(grey);
            bytes.push_back(grey);
            bytes.push_back(channel(alpha));
        }
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        if (!file)
        {
            throw std::runtime_error("cannot write " + path);
        }
    }

private:
    int size;
    std::vector<float> glyphCoverage;
    std::vector<float> outlineCoverage;
};

std::string baseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Glyphs are named in the "u<code>" form: a literal character cannot name a blank, and the
// engine reads a literal byte as a signed char, which breaks every code point above 127.
void writeFontDefinitions(const std::string& path, const std::vector<std::string>& fontNames,
                          const std::string& atlasName, const std::vector<Glyph>& glyphs,
                          int atlasSize, int lineHeight)
{
    std::ofstream file(path);
    file << "// Written by make_font_atlas at build time; edit cmake/FontAtlases.cmake instead.\n";
    const double size = atlasSize;
    for (const std::string& name : fontNames)
    {
        file << "\nfont " << name << "\n{\n    type image\n    source " << atlasName << "\n";
        for (const Glyph& glyph : glyphs)
        {
            char line[128];
            std::snprintf(line, sizeof(line), "    glyph u%u %.7f %.7f %.7f %.7f\n",
                          glyph.codePoint, glyph.x / size, glyph.y / size,
                          (glyph.x + glyph.advance) / size, (glyph.y + lineHeight) / size);
            file << line;
        }
        file << "}\n";
    }
    if (!file)
    {
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 7)
    {
        std::cerr << "usage: make_font_atlas <font.ttf> <line height px> <outline px> "
                     "<atlas.tga> <out.fontdef> <font name>...\n";
        return 2;
    }
    try
    {
        const std::string fontPath = argv[1];
        const int lineHeight = std::stoi(argv[2]);
        const float outlineRadius = std::stof(argv[3]);
        const std::string atlasPath = argv[4];
        const std::string fontdefPath = argv[5];
        const std::vector<std::string> fontNames(argv + 6, argv + argc);
        if (lineHeight < 4 || outlineRadius < 0.0f)
        {
            throw std::runtime_error("bad line height or outline width");
        }

        FreeTypeFace font(fontPath);
        const LineMetrics line = setLineHeight(font.face, lineHeight);
        std::vector<Glyph> glyphs = renderGlyphs(font.face);

        // Rows are never widened when sampled, so filtering and the outline only need a
        // couple of texels between them.
        const int verticalPadding = static_cast<int>(std::ceil(outlineRadius)) + extraPadding;
        int atlasSize = 64;
        while (!pack(glyphs, atlasSize, paddingFor(atlasSize), verticalPadding, line.height()))
        {
            atlasSize *= 2;
            if (atlasSize > largestAtlas)
            {
                throw std::runtime_error("the glyphs do not fit into the largest atlas");
            }
        }

        Atlas atlas(atlasSize);
        for (const Glyph& glyph : glyphs)
        {
            atlas.draw(glyph, paddingFor(atlasSize), verticalPadding, line, outlineRadius);
        }
        atlas.writeTga(atlasPath, outlineRadius > 0.0f);
        writeFontDefinitions(fontdefPath, fontNames, baseName(atlasPath), glyphs, atlasSize,
                             line.height());
        std::cout << baseName(atlasPath) << ": " << atlasSize << " x " << atlasSize << ", line "
                  << line.height() << " px, padding " << paddingFor(atlasSize) << " px\n";
    }
    catch (const std::exception& error)
    {
        std::cerr << "make_font_atlas: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
