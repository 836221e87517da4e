#include "formats/Png.h"

#include "app/SafeFile.h"

#include <png.h>

#include <stdexcept>

namespace
{

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

void flushNothing(png_structp) {}

// libpng reports errors by a long jump; nothing with a destructor may live in this frame.
bool encodeRows(png_structp png, png_infop info, const Picture& picture, bool alpha,
                png_bytep* rows, std::vector<uint8_t>* bytes)
{
    if (setjmp(png_jmpbuf(png)))
    {
        return false;
    }
    png_set_write_fn(png, bytes, appendBytes, flushNothing);
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 6);
    png_write_info(png, info);
    if (!alpha)
    {
        png_set_filler(png, 0, PNG_FILLER_AFTER); // rows keep their fourth byte; it is dropped
    }
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

} // namespace

std::vector<uint8_t> Png::encode(const Picture& picture)
{
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgba.size() != size_t(picture.width) * picture.height * 4)
    {
        throw std::runtime_error("a picture of no pixels cannot be written");
    }
    bool alpha = false;
    for (size_t i = 3; i < picture.rgba.size() && !alpha; i += 4)
    {
        alpha = picture.rgba[i] != 255;
    }
    std::vector<png_bytep> rows(size_t(picture.height));
    for (int y = 0; y < picture.height; ++y)
    {
        rows[size_t(y)] = const_cast<png_bytep>(picture.pixel(0, y));
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<uint8_t> bytes;
    const bool done = info && encodeRows(png, info, picture, alpha, rows.data(), &bytes);
    png_destroy_write_struct(&png, &info);
    if (!done)
    {
        throw std::runtime_error("libpng could not encode the picture");
    }
    return bytes;
}

void Png::write(const Picture& picture, const std::string& fileName)
{
    writeBytes(encode(picture), fileName);
}

void Png::writeBytes(const std::vector<uint8_t>& bytes, const std::string& fileName)
{
    const bool written = writeFileSafely(
        fileName, [&bytes](std::FILE* file)
        { return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size(); });
    if (!written)
    {
        throw std::runtime_error("couldn't write \"" + fileName + "\"");
    }
}
