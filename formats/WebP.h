#pragma once

#include "formats/Picture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Animated WebP pictures through libwebp's animation encoder: lossless frames (the flat
// colours exactly, and alpha), looping for ever. One thread and fixed settings, so the same
// frames always give the same bytes.
class WebP
{
public:
    // Gives frame i (0 <= i < count), each asked for once; all of one size.
    using FrameSource = std::function<Picture(size_t)>;

    // `starts` holds each frame's start in milliseconds (rising), `end` the loop's length.
    // Throws std::runtime_error when the encoder refuses the frames.
    static std::vector<uint8_t> encode(const FrameSource& frames, const std::vector<int>& starts,
                                       int end);
};
