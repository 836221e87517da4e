#include "formats/Gif.h"

#include "formats/ColourPalette.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <unordered_map>

namespace
{

const int TRANSPARENT_INDEX = 255;

uint32_t colourOf(const uint8_t* pixel)
{
    return uint32_t(pixel[0]) | uint32_t(pixel[1]) << 8 | uint32_t(pixel[2]) << 16 | 0xff000000u;
}

int appendBytes(GifFileType* gif, const GifByteType* data, int length)
{
    auto* bytes = static_cast<std::vector<uint8_t>*>(gif->UserData);
    bytes->insert(bytes->end(), data, data + length);
    return length;
}

void check(int result, const char* what)
{
    if (result != GIF_OK)
    {
        throw std::runtime_error(std::string("giflib could not write the ") + what);
    }
}

// Closes the encoder however the writing ends.
struct Encoder
{
    GifFileType* gif = nullptr;
    ~Encoder()
    {
        if (gif)
        {
            int error = 0;
            EGifCloseFile(gif, &error);
        }
    }
};

} // namespace

std::vector<uint8_t> Gif::encode(const FrameSource& frames, const std::vector<int>& delays)
{
    if (delays.empty())
    {
        throw std::runtime_error("an animated GIF needs at least one frame");
    }

    // The palette: every opaque colour, weighted by its pixels over all frames.
    std::unordered_map<uint32_t, double> counts;
    bool transparent = false;
    int width = 0, height = 0;
    for (size_t i = 0; i < delays.size(); ++i)
    {
        const Picture picture = frames(i);
        if (i == 0)
        {
            width = picture.width;
            height = picture.height;
            if (width <= 0 || height <= 0 || width > 65535 || height > 65535)
            {
                throw std::runtime_error("a GIF holds pictures of 1 to 65,535 pixels a side");
            }
        }
        for (size_t p = 0; p < picture.rgba.size(); p += 4)
        {
            if (picture.rgba[p + 3] < 255)
            {
                transparent = true;
                continue;
            }
            counts[colourOf(&picture.rgba[p])] += 1.0;
        }
    }
    const size_t room = transparent ? 255 : 256;
    std::vector<ColourPalette::Weighted> weighted;
    for (const auto& [colour, count] : counts)
        weighted.push_back({colour, count});
    // In a fixed order, so that the same frames give the same bytes.
    std::sort(weighted.begin(), weighted.end(),
              [](const ColourPalette::Weighted& a, const ColourPalette::Weighted& b)
              { return a.colour < b.colour; });
    std::vector<uint32_t> colours;
    if (weighted.size() <= room)
    {
        for (const ColourPalette::Weighted& colour : weighted)
            colours.push_back(colour.colour);
    }
    else
    {
        colours = ColourPalette::reduce(weighted, room);
    }
    if (colours.empty())
    {
        colours.push_back(0xff000000u);
    }
    const ColourPalette palette(colours);
    std::unordered_map<uint32_t, uint8_t> indexOf;
    for (const auto& [colour, count] : counts)
        indexOf.emplace(colour, uint8_t(palette.nearest(colour)));

    GifColorType map[256] = {};
    for (size_t i = 0; i < colours.size(); ++i)
    {
        map[i].Red = GifByteType(colours[i] & 0xff);
        map[i].Green = GifByteType((colours[i] >> 8) & 0xff);
        map[i].Blue = GifByteType((colours[i] >> 16) & 0xff);
    }
    ColorMapObject* colourMap = GifMakeMapObject(256, map);
    if (!colourMap)
    {
        throw std::runtime_error("giflib could not make the palette");
    }

    std::vector<uint8_t> bytes;
    Encoder encoder;
    int error = 0;
    encoder.gif = EGifOpen(&bytes, appendBytes, &error);
    if (!encoder.gif)
    {
        GifFreeMapObject(colourMap);
        throw std::runtime_error("giflib could not start the file");
    }
    EGifSetGifVersion(encoder.gif, true);
    const int described = EGifPutScreenDesc(encoder.gif, width, height, 8, 0, colourMap);
    GifFreeMapObject(colourMap);
    check(described, "screen description");

    // Loop for ever.
    const GifByteType application[] = "NETSCAPE2.0";
    const GifByteType loop[] = {1, 0, 0};
    check(EGifPutExtensionLeader(encoder.gif, APPLICATION_EXT_FUNC_CODE), "loop");
    check(EGifPutExtensionBlock(encoder.gif, 11, application), "loop");
    check(EGifPutExtensionBlock(encoder.gif, 3, loop), "loop");
    check(EGifPutExtensionTrailer(encoder.gif), "loop");

    std::vector<uint8_t> previous, indices(size_t(width) * height);
    std::vector<GifPixelType> row(static_cast<size_t>(width));
    for (size_t i = 0; i < delays.size(); ++i)
    {
        const Picture picture = frames(i);
        if (picture.width != width || picture.height != height)
        {
            throw std::runtime_error("the frames of a GIF must all have one size");
        }
        for (size_t p = 0; p < indices.size(); ++p)
        {
            const uint8_t* pixel = &picture.rgba[p * 4];
            indices[p] = pixel[3] < 255 ? uint8_t(TRANSPARENT_INDEX) : indexOf[colourOf(pixel)];
        }
        // On an opaque background only the rectangle that changed is stored; the rest stays
        // from the frame before. A transparent background clears each frame instead.
        int left = 0, top = 0, right = width - 1, bottom = height - 1;
        if (!transparent && !previous.empty())
        {
            left = width;
            top = height;
            right = bottom = -1;
            for (int y = 0; y < height; ++y)
            {
                for (int x = 0; x < width; ++x)
                {
                    const size_t p = size_t(y) * width + x;
                    if (indices[p] != previous[p])
                    {
                        left = std::min(left, x);
                        right = std::max(right, x);
                        top = std::min(top, y);
                        bottom = std::max(bottom, y);
                    }
                }
            }
            if (right < 0) // nothing changed: one pixel keeps the frame
            {
                left = right = top = bottom = 0;
            }
        }

        GraphicsControlBlock control;
        control.DisposalMode = transparent ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT;
        control.UserInputFlag = false;
        control.DelayTime = std::max(1, delays[i]);
        control.TransparentColor = transparent ? TRANSPARENT_INDEX : NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&control, extension);
        check(EGifPutExtension(encoder.gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension),
              "frame timing");
        check(EGifPutImageDesc(encoder.gif, left, top, right - left + 1, bottom - top + 1, false,
                               nullptr),
              "frame");
        for (int y = top; y <= bottom; ++y)
        {
            std::memcpy(row.data(), &indices[size_t(y) * width + left], size_t(right - left + 1));
            check(EGifPutLine(encoder.gif, row.data(), right - left + 1), "frame");
        }
        previous = indices;
    }
    const int closed = EGifCloseFile(encoder.gif, &error);
    encoder.gif = nullptr;
    check(closed, "end of the file");
    return bytes;
}
