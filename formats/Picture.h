#pragma once

#include <cstdint>
#include <vector>

// A picture in memory: rows from the top, four bytes a pixel (red, green, blue, alpha), without
// gaps between rows. What the renderer draws and the picture writers take.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    Picture() = default;
    Picture(int width, int height) : width(width), height(height), rgba(size_t(width) * height * 4)
    {
    }
    uint8_t* pixel(int x, int y) { return rgba.data() + (size_t(y) * width + x) * 4; }
    const uint8_t* pixel(int x, int y) const { return rgba.data() + (size_t(y) * width + x) * 4; }
};
