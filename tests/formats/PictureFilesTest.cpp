#include "formats/Gif.h"
#include "formats/Png.h"
#include "formats/WebP.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>
#include <webp/demux.h>

#include <cstring>

namespace
{

// A picture of few colours with a square of `colour` at (x, y), all opaque unless told.
Picture squares(int x, int y, uint8_t colour, uint8_t alphaOutside = 255)
{
    Picture picture(40, 30);
    for (int row = 0; row < 30; ++row)
        for (int column = 0; column < 40; ++column)
        {
            uint8_t* pixel = picture.pixel(column, row);
            const bool inside = column >= x && column < x + 8 && row >= y && row < y + 8;
            pixel[0] = inside ? colour : 30;
            pixel[1] = inside ? 255 - colour : uint8_t(column * 6);
            pixel[2] = 90;
            pixel[3] = inside ? 255 : alphaOutside;
            if (alphaOutside == 0 && !inside)
                pixel[0] = pixel[1] = pixel[2] = 0;
        }
    return picture;
}

struct Reader
{
    const std::vector<uint8_t>& bytes;
    size_t at = 0;
};

int readBytes(GifFileType* gif, GifByteType* out, int length)
{
    auto* reader = static_cast<Reader*>(gif->UserData);
    const size_t count = std::min(size_t(length), reader->bytes.size() - reader->at);
    std::memcpy(out, reader->bytes.data() + reader->at, count);
    reader->at += count;
    return int(count);
}

// The GIF's frames as a viewer shows them (each drawn over what the one before left), with
// their delays.
std::vector<Picture> playGif(const std::vector<uint8_t>& bytes, std::vector<int>& delays)
{
    Reader reader{bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, readBytes, &error);
    EXPECT_NE(gif, nullptr);
    EXPECT_EQ(DGifSlurp(gif), GIF_OK);
    std::vector<Picture> frames;
    Picture canvas(gif->SWidth, gif->SHeight);
    for (int i = 0; i < gif->ImageCount; ++i)
    {
        GraphicsControlBlock control;
        DGifSavedExtensionToGCB(gif, i, &control);
        delays.push_back(control.DelayTime);
        const SavedImage& image = gif->SavedImages[i];
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        for (int y = 0; y < image.ImageDesc.Height; ++y)
            for (int x = 0; x < image.ImageDesc.Width; ++x)
            {
                const int index = image.RasterBits[y * image.ImageDesc.Width + x];
                uint8_t* pixel = canvas.pixel(image.ImageDesc.Left + x, image.ImageDesc.Top + y);
                if (index == control.TransparentColor)
                {
                    pixel[0] = pixel[1] = pixel[2] = pixel[3] = 0;
                    continue;
                }
                pixel[0] = map->Colors[index].Red;
                pixel[1] = map->Colors[index].Green;
                pixel[2] = map->Colors[index].Blue;
                pixel[3] = 255;
            }
        frames.push_back(canvas);
        if (control.DisposalMode == DISPOSE_BACKGROUND)
            canvas = Picture(gif->SWidth, gif->SHeight);
    }
    DGifCloseFile(gif, &error);
    return frames;
}

} // namespace

// PNG: every pixel back as written, RGB when all are opaque, RGBA otherwise; the same bytes
// each time.
TEST(PictureFiles, PngKeepsEveryPixel)
{
    for (uint8_t alpha : {uint8_t(255), uint8_t(0)})
    {
        const Picture picture = squares(5, 7, 200, alpha);
        const std::vector<uint8_t> bytes = Png::encode(picture);
        EXPECT_EQ(bytes, Png::encode(picture));
        EXPECT_EQ(bytes[25], alpha == 255 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA);
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()));
        image.format = PNG_FORMAT_RGBA;
        std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
        EXPECT_EQ(pixels, picture.rgba);
    }
    EXPECT_THROW(Png::encode(Picture()), std::runtime_error);
}

// GIF: the frames a viewer composes are the pictures given (exact with few colours, near with
// many), with their delays; a transparent background stays transparent in every frame.
TEST(PictureFiles, GifFramesComposeToThePicturesGiven)
{
    const std::vector<Picture> moving = {squares(0, 0, 200), squares(10, 5, 200),
                                         squares(10, 5, 200), squares(30, 20, 60)};
    const std::vector<int> delays = {3, 4, 3, 7};
    const auto source = [](const std::vector<Picture>& frames)
    { return [&frames](size_t i) { return frames.at(i); }; };
    const std::vector<uint8_t> bytes = Gif::encode(source(moving), delays);
    EXPECT_EQ(bytes, Gif::encode(source(moving), delays));
    std::vector<int> readDelays;
    const std::vector<Picture> played = playGif(bytes, readDelays);
    EXPECT_EQ(readDelays, delays);
    ASSERT_EQ(played.size(), moving.size());
    for (size_t i = 0; i < moving.size(); ++i)
        EXPECT_EQ(played[i].rgba, moving[i].rgba) << "frame " << i;

    const std::vector<Picture> clear = {squares(0, 0, 200, 0), squares(20, 10, 100, 0)};
    readDelays.clear();
    const std::vector<Picture> playedClear =
        playGif(Gif::encode(source(clear), {5, 5}), readDelays);
    for (size_t i = 0; i < clear.size(); ++i)
        EXPECT_EQ(playedClear.at(i).rgba, clear[i].rgba) << "frame " << i;

    // 1,200 colours go down to 256, each pixel staying near its own.
    Picture many(40, 30);
    for (size_t p = 0; p < many.rgba.size(); p += 4)
    {
        many.rgba[p] = uint8_t(p / 4 % 40 * 6);
        many.rgba[p + 1] = uint8_t(p / 4 / 40 * 8);
        many.rgba[p + 2] = uint8_t(p / 4 % 7 * 30);
        many.rgba[p + 3] = 255;
    }
    const std::vector<Picture> one = {many};
    readDelays.clear();
    const Picture reduced = playGif(Gif::encode(source(one), {10}), readDelays).at(0);
    int largest = 0;
    for (size_t p = 0; p < many.rgba.size(); ++p)
        largest = std::max(largest, std::abs(int(many.rgba[p]) - int(reduced.rgba[p])));
    EXPECT_LE(largest, 40);
}

// WebP: lossless frames, alpha included, at their start times.
TEST(PictureFiles, WebPKeepsFramesTimesAndAlpha)
{
    const std::vector<Picture> frames = {squares(0, 0, 200, 0), squares(12, 9, 80, 0),
                                         squares(12, 9, 80, 255)};
    const auto source = [&frames](size_t i) { return frames.at(i); };
    const std::vector<uint8_t> bytes = WebP::encode(source, {0, 33, 67}, 100);
    EXPECT_EQ(bytes, WebP::encode(source, {0, 33, 67}, 100));

    WebPData data{bytes.data(), bytes.size()};
    WebPAnimDecoderOptions options;
    ASSERT_TRUE(WebPAnimDecoderOptionsInit(&options));
    options.color_mode = MODE_RGBA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    ASSERT_NE(decoder, nullptr);
    std::vector<int> ends;
    for (size_t i = 0; WebPAnimDecoderHasMoreFrames(decoder); ++i)
    {
        uint8_t* pixels = nullptr;
        int end = 0;
        ASSERT_TRUE(WebPAnimDecoderGetNext(decoder, &pixels, &end));
        ASSERT_LT(i, frames.size());
        // Under a transparent pixel only the alpha counts.
        size_t wrong = 0;
        for (size_t p = 0; p < frames[i].rgba.size(); p += 4)
            wrong += frames[i].rgba[p + 3] == 0
                         ? pixels[p + 3] != 0
                         : std::memcmp(pixels + p, &frames[i].rgba[p], 4) != 0;
        EXPECT_EQ(wrong, 0u) << "frame " << i;
        ends.push_back(end);
    }
    WebPAnimDecoderDelete(decoder);
    EXPECT_EQ(ends, (std::vector<int>{33, 67, 100}));
}
