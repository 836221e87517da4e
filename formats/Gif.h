#pragma once

#include "formats/Picture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Animated GIF pictures through giflib: one palette for every frame (the colours exactly when
// there are at most 256 of them, else reduced as the .vox writer reduces them, without
// dithering, so flat faces stay flat), looping for ever. A pixel that is not opaque becomes the
// transparent colour. A frame on an opaque background holds only the rectangle that changed.
class Gif
{
public:
    // Gives frame i (0 <= i < count); it may be asked for each frame twice: once for the
    // palette, once for the pixels. Every frame has the first one's size.
    using FrameSource = std::function<Picture(size_t)>;

    // `delays` holds each frame's time in hundredths of a second. Throws std::runtime_error
    // when giflib refuses the frames (a picture larger than 65,535 pixels a side, for instance).
    static std::vector<uint8_t> encode(const FrameSource& frames, const std::vector<int>& delays);
};
