#pragma once

#include "formats/Picture.h"

#include <cstdint>
#include <string>
#include <vector>

// PNG pictures through libpng: 8 bits a channel, RGB when every pixel is opaque, else RGBA.
// Fixed settings and no time stamp, so the same picture always gives the same bytes.
class Png
{
public:
    // Throws std::runtime_error when libpng refuses the picture (an empty one, for instance).
    static std::vector<uint8_t> encode(const Picture& picture);
    // Writes beside the target and renames over it, so a failure leaves any old file whole.
    // Throws std::runtime_error naming the file when it cannot be written.
    static void write(const Picture& picture, const std::string& fileName);
    // Writes bytes the same way (shared by the other picture files).
    static void writeBytes(const std::vector<uint8_t>& bytes, const std::string& fileName);
};
