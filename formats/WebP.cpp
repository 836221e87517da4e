#include "formats/WebP.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <stdexcept>

namespace
{

// Frees the encoder and the picture however the writing ends.
struct Encoder
{
    WebPAnimEncoder* encoder = nullptr;
    WebPPicture picture;
    bool pictureMade = false;
    WebPData data;
    Encoder() { WebPDataInit(&data); }
    ~Encoder()
    {
        if (pictureMade)
            WebPPictureFree(&picture);
        if (encoder)
            WebPAnimEncoderDelete(encoder);
        WebPDataClear(&data);
    }
};

} // namespace

std::vector<uint8_t> WebP::encode(const FrameSource& frames, const std::vector<int>& starts,
                                  int end)
{
    if (starts.empty())
    {
        throw std::runtime_error("an animated WebP needs at least one frame");
    }
    WebPConfig config;
    if (!WebPConfigInit(&config))
    {
        throw std::runtime_error("libwebp does not match its headers");
    }
    config.lossless = 1;
    config.quality = 50; // effort: smaller files cost time
    config.method = 2;
    config.thread_level = 0;
    config.exact = 0;

    Encoder state;
    for (size_t i = 0; i < starts.size(); ++i)
    {
        const Picture frame = frames(i);
        if (i == 0)
        {
            WebPAnimEncoderOptions options;
            if (!WebPAnimEncoderOptionsInit(&options))
            {
                throw std::runtime_error("libwebp does not match its headers");
            }
            options.anim_params.loop_count = 0;
            options.anim_params.bgcolor = 0x00000000;
            options.allow_mixed = 0;
            options.minimize_size = 0;
            state.encoder = WebPAnimEncoderNew(frame.width, frame.height, &options);
            if (!state.encoder)
            {
                throw std::runtime_error("libwebp cannot make an animation of " +
                                         std::to_string(frame.width) + " x " +
                                         std::to_string(frame.height) + " pixels");
            }
            if (!WebPPictureInit(&state.picture))
            {
                throw std::runtime_error("libwebp does not match its headers");
            }
            state.picture.use_argb = 1;
            state.picture.width = frame.width;
            state.picture.height = frame.height;
            state.pictureMade = true;
        }
        if (frame.width != state.picture.width || frame.height != state.picture.height)
        {
            throw std::runtime_error("the frames of an animation must all have one size");
        }
        if (!WebPPictureImportRGBA(&state.picture, frame.rgba.data(), frame.width * 4) ||
            !WebPAnimEncoderAdd(state.encoder, &state.picture, starts[i], &config))
        {
            throw std::runtime_error(std::string("libwebp could not add a frame: ") +
                                     WebPAnimEncoderGetError(state.encoder));
        }
    }
    if (!WebPAnimEncoderAdd(state.encoder, nullptr, end, nullptr) ||
        !WebPAnimEncoderAssemble(state.encoder, &state.data))
    {
        throw std::runtime_error(std::string("libwebp could not finish the animation: ") +
                                 WebPAnimEncoderGetError(state.encoder));
    }
    return std::vector<uint8_t>(state.data.bytes, state.data.bytes + state.data.size);
}
