// bramblewick render: pictures of a model without a window: a still, an animated loop, a
// turntable or a sprite sheet, drawn in software as the editor draws its voxels.

#include "cli/Commands.h"

#include "cli/render/Preview.h"
#include "formats/Gif.h"
#include "formats/Png.h"
#include "formats/WebP.h"
#include "skeleton/ModelDocument.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

namespace
{

// A picture side of at most this many pixels, and sheets of at most this many pixels in all.
const int LARGEST_SIDE = 8192;
const double LARGEST_SHEET = double(1 << 27);
// A GIF's frames are drawn twice (colours, then pixels) unless they fit in this many bytes.
const size_t KEPT_FRAME_BYTES = size_t(256) << 20;

struct Options
{
    std::string modelFile;
    std::string animationFile;
    std::string outputFile;
    std::string animation;
    float time = 0.0f;
    bool timeGiven = false;
    float fps = 30.0f;
    bool turntable = false;
    int frames = 48;
    bool sheet = false;
    std::string size = "512x512";
    std::string camera = "front";
    std::string background = "#ccb399"; // the editor's background, (0.8, 0.7, 0.6)
    bool noOutlines = false;
};

std::string lowerCase(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string extensionOf(const std::string& name)
{
    const std::string file = std::filesystem::path(name).filename().string();
    const auto dot = file.rfind('.');
    return dot == std::string::npos ? "" : lowerCase(file.substr(dot));
}

// Texts from the files are Latin-1; the terminal and JSON take UTF-8.
std::string utf8(const std::string& latin1)
{
    std::string text;
    for (unsigned char c : latin1)
    {
        if (c < 0x80)
        {
            text += char(c);
        }
        else
        {
            text += char(0xc0 | (c >> 6));
            text += char(0x80 | (c & 0x3f));
        }
    }
    return text;
}

bool parseSize(const std::string& text, int& width, int& height)
{
    char rest = 0;
    return std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &rest) == 2 && width >= 1 &&
           height >= 1 && width <= LARGEST_SIDE && height <= LARGEST_SIDE;
}

bool parseBackground(const std::string& text, uint8_t rgba[4])
{
    if (lowerCase(text) == "transparent")
    {
        rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0;
        return true;
    }
    if (text.size() != 7 || text[0] != '#' ||
        !std::all_of(text.begin() + 1, text.end(),
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
    {
        return false;
    }
    const unsigned long value = std::stoul(text.substr(1), nullptr, 16);
    rgba[0] = uint8_t(value >> 16);
    rgba[1] = uint8_t(value >> 8);
    rgba[2] = uint8_t(value);
    rgba[3] = 255;
    return true;
}

Preview::View viewOf(const std::string& name)
{
    const std::string lower = lowerCase(name);
    if (lower == "back")
        return Preview::View::Back;
    if (lower == "left")
        return Preview::View::Left;
    if (lower == "right")
        return Preview::View::Right;
    if (lower == "iso")
        return Preview::View::Iso;
    if (lower == "editor")
        return Preview::View::Editor;
    return Preview::View::Front;
}

std::string nameOf(const ModelDocument& document, size_t index)
{
    const std::string& comment = document.animations[index].comment;
    return comment.empty() ? "animation " + std::to_string(index + 1) : utf8(comment);
}

// An animation's number (from 1), or a case-insensitive beginning of its comment: the one it
// equals, else the first it begins. -1 when none matches.
int findAnimation(const ModelDocument& document, const std::string& wanted)
{
    if (!wanted.empty() &&
        std::all_of(wanted.begin(), wanted.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
    {
        const long number = wanted.size() > 9 ? 0 : std::stol(wanted);
        return number >= 1 && size_t(number) <= document.animations.size() ? int(number - 1) : -1;
    }
    const std::string prefix = lowerCase(wanted);
    int first = -1;
    for (size_t i = 0; i < document.animations.size(); ++i)
    {
        const std::string comment = lowerCase(utf8(document.animations[i].comment));
        if (comment == prefix)
            return int(i);
        if (first < 0 && !prefix.empty() && comment.compare(0, prefix.size(), prefix) == 0)
            first = int(i);
    }
    return first;
}

// Says what is wrong with the combination of options, or nothing.
std::string usageProblem(const Options& options, const std::string& extension)
{
    const bool still = extension == ".png" && !options.sheet;
    if (options.sheet && extension != ".png")
        return "--sheet writes a .png picture (and a .json file beside it)";
    if (still && options.turntable)
        return "a turntable is a sequence of pictures: write a .gif or .webp file, or add --sheet";
    if (!still && !options.turntable && options.animation.empty())
        return extension == ".png" ? "--sheet needs --animation or --turntable"
                                   : "an animated picture needs --animation or --turntable";
    if (options.timeGiven && !still)
        return "--time is for a single .png picture; a sequence plays the whole animation";
    if (options.timeGiven && options.animation.empty())
        return "--time needs --animation";
    return "";
}

// Hands out frames, keeping them while they fit in memory.
class FrameCache
{
public:
    FrameCache(Preview& preview, const std::vector<Preview::Frame>& frames,
               const CubeRasterizer::Style& style)
        : preview(preview), frames(frames), style(style),
          keep(frames.size() * size_t(preview.width()) * preview.height() * 4 <= KEPT_FRAME_BYTES)
    {
    }
    Picture operator()(size_t i)
    {
        if (!keep)
            return preview.draw(frames[i], style);
        if (kept.size() <= i)
            kept.resize(i + 1);
        if (kept[i].rgba.empty())
            kept[i] = preview.draw(frames[i], style);
        return kept[i];
    }

private:
    Preview& preview;
    const std::vector<Preview::Frame>& frames;
    const CubeRasterizer::Style& style;
    bool keep;
    std::vector<Picture> kept;
};

std::string fileNameOnly(const std::string& name)
{
    return std::filesystem::path(name).filename().string();
}

// The sheet's frames in a grid, row by row, and the JSON text that says where each is.
void writeSheet(Preview& preview, const std::vector<Preview::Frame>& frames,
                const CubeRasterizer::Style& style, const std::string& animation,
                const std::string& fileName, const std::string& jsonName)
{
    const int columns = int(std::ceil(std::sqrt(double(frames.size()))));
    const int rows = int((frames.size() + size_t(columns) - 1) / size_t(columns));
    Picture sheet(columns * preview.width(), rows * preview.height());
    nlohmann::json json;
    json["image"] = fileNameOnly(fileName);
    json["frame_width"] = preview.width();
    json["frame_height"] = preview.height();
    json["columns"] = columns;
    json["rows"] = rows;
    if (!animation.empty())
        json["animation"] = animation;
    json["frames"] = nlohmann::json::array();
    for (size_t k = 0; k < frames.size(); ++k)
    {
        const Picture picture = preview.draw(frames[k], style);
        const int left = int(k % size_t(columns)) * preview.width();
        const int top = int(k / size_t(columns)) * preview.height();
        for (int y = 0; y < picture.height; ++y)
        {
            std::copy(picture.pixel(0, y), picture.pixel(0, y) + picture.width * 4,
                      sheet.pixel(left, top + y));
        }
        // Times to the microsecond and angles to the millionth of a degree read better than
        // the float noise under them.
        const auto rounded = [](double value) { return std::round(value * 1.0e6) / 1.0e6; };
        json["frames"].push_back({{"x", left},
                                  {"y", top},
                                  {"time", rounded(frames[k].time)},
                                  {"angle", rounded(frames[k].angle * 180.0 / M_PI)},
                                  {"start", rounded(frames[k].start)},
                                  {"duration", rounded(frames[k].duration)}});
    }
    // Transparent sheets keep the space after the last frame transparent too.
    Png::write(sheet, fileName);
    const std::string text =
        json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    Png::writeBytes(std::vector<uint8_t>(text.begin(), text.end()), jsonName);
}

int render(const Options& options)
{
    const std::string extension = extensionOf(options.outputFile);
    const std::string problem = usageProblem(options, extension);
    if (!problem.empty())
    {
        std::cerr << "bramblewick: " << problem << "\n";
        return STATUS_USAGE;
    }
    int width = 0, height = 0;
    parseSize(options.size, width, height);
    CubeRasterizer::Style style;
    parseBackground(options.background, style.background);
    style.outlines = !options.noOutlines;

    ModelDocument document;
    if (!readDocument(options.modelFile, options.animationFile, document))
    {
        return STATUS_UNREADABLE;
    }
    const Animation* animation = nullptr;
    std::string animationName;
    if (!options.animation.empty())
    {
        const int index = findAnimation(document, options.animation);
        if (index < 0)
        {
            std::cerr << "bramblewick: no animation \"" << options.animation << "\"; ";
            if (document.animations.empty())
            {
                std::cerr << "the model has no animations\n";
            }
            else
            {
                std::cerr << "the animations are:\n";
                for (size_t i = 0; i < document.animations.size(); ++i)
                    std::cerr << "  " << i + 1 << ": " << nameOf(document, i) << "\n";
            }
            return STATUS_USAGE;
        }
        animation = &document.animations[size_t(index)];
        animationName = nameOf(document, size_t(index));
    }

    std::vector<std::string> warnings; // UTF-8, as the names in them
    if (document.voxels.empty())
        warnings.push_back("the model has no voxels: the picture shows only the background");
    if (animation && (animation->speedMin + animation->speedMax) * 0.5f <= 0.0f)
        warnings.push_back(animationName + ": its speed is not above 0; it plays at speed 1");
    try
    {
        Preview preview(document, viewOf(options.camera), width, height);
        preview.setAnimation(animation, animationName, warnings);
        for (const std::string& warning : warnings)
            std::cerr << "bramblewick: warning: " << warning << "\n";
        warnings.clear();
        const bool still = extension == ".png" && !options.sheet;
        const std::vector<Preview::Frame> frames =
            still               ? Preview::still(options.time)
            : options.turntable ? Preview::turntable(options.frames, animation, options.fps)
                                : Preview::loop(*animation, options.fps);
        if (frames.size() > Preview::MOST_FRAMES)
        {
            std::cerr << "bramblewick: " << animationName << " would need more than "
                      << Preview::MOST_FRAMES << " frames at " << options.fps
                      << " frames a second; give a lower --fps\n";
            return STATUS_PROBLEM;
        }
        if (options.sheet)
        {
            const double columns = std::ceil(std::sqrt(double(frames.size())));
            const double rows = std::ceil(double(frames.size()) / columns);
            if (columns * width * rows * height > LARGEST_SHEET || columns * width > 65535 ||
                rows * height > 65535)
            {
                std::cerr << "bramblewick: a sheet of " << frames.size() << " frames of " << width
                          << " x " << height
                          << " pixels is too large; give a smaller --size or fewer frames\n";
                return STATUS_USAGE;
            }
        }
        preview.fit(frames);

        if (still)
        {
            Png::write(preview.draw(frames[0], style), options.outputFile);
            std::cout << "wrote " << options.outputFile << "\n";
            return 0;
        }
        if (options.sheet)
        {
            const std::string jsonName =
                std::filesystem::path(options.outputFile).replace_extension(".json").string();
            writeSheet(preview, frames, style, animationName, options.outputFile, jsonName);
            std::cout << "wrote " << options.outputFile << " (" << frames.size() << " frames) and "
                      << jsonName << "\n";
            return 0;
        }
        FrameCache cache(preview, frames, style);
        std::vector<uint8_t> bytes;
        const Preview::Frame& last = frames.back();
        if (extension == ".gif")
        {
            std::vector<int> delays;
            for (const Preview::Frame& frame : frames)
            {
                delays.push_back(int(std::lround((frame.start + frame.duration) * 100.0) -
                                     std::lround(frame.start * 100.0)));
            }
            bytes = Gif::encode(std::ref(cache), delays);
        }
        else
        {
            std::vector<int> starts;
            for (const Preview::Frame& frame : frames)
                starts.push_back(int(std::lround(frame.start * 1000.0)));
            bytes = WebP::encode(std::ref(cache), starts,
                                 int(std::lround((last.start + last.duration) * 1000.0)));
        }
        Png::writeBytes(bytes, options.outputFile);
        std::cout << "wrote " << options.outputFile << " (" << frames.size() << " frames)\n";
        return 0;
    }
    catch (const std::exception& error)
    {
        for (const std::string& warning : warnings)
            std::cerr << "bramblewick: warning: " << warning << "\n";
        std::cerr << "bramblewick: couldn't render \"" << options.outputFile
                  << "\": " << error.what() << "\n";
        return STATUS_PROBLEM;
    }
}

} // namespace

void addRenderCommand(CLI::App& app, int& status)
{
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "render",
        "Draw pictures of a model without a display, as the editor shows it: a .png of the rest "
        "pose or of one moment of an animation; a looping .gif or .webp of an animation or of "
        "a turntable; with --sheet a .png sprite sheet of those frames and a .json file beside "
        "it. An existing output file is replaced only by a complete one. Exit status: 0 "
        "written, 1 not written, 2 a file could not be read, 64 bad arguments.");
    command->add_option("MODEL", options->modelFile, "the model file (.xml)")->required();
    command->add_option("ANIMATIONS", options->animationFile, "the animation file (.xml)");
    command->add_option("-o,--output", options->outputFile, "the file to write: .png, .gif, .webp")
        ->required()
        ->check(
            [](const std::string& name)
            {
                const std::string extension = extensionOf(name);
                return extension == ".png" || extension == ".gif" || extension == ".webp"
                           ? std::string()
                           : "the output file must end in .png, .gif or .webp";
            });
    command->add_option("--animation", options->animation,
                        "the animation: its number (from 1), or the beginning of its comment");
    command->add_option("--time", options->time, "the moment of the animation for a .png, s")
        ->check(CLI::Range(0.0f, 1.0e6f));
    command->add_option("--fps", options->fps, "frames a second of an animation (default 30)")
        ->check(CLI::Range(1.0f, 100.0f));
    command->add_flag(
        "--turntable", options->turntable,
        "one full turn about the vertical axis (of the animation, when one is given)");
    command->add_option("--frames", options->frames, "frames of a turntable (default 48)")
        ->check(CLI::Range(1, int(Preview::MOST_FRAMES)));
    command->add_flag("--sheet", options->sheet,
                      "a .png sprite sheet of the frames, with their places in a .json file");
    command->add_option("--size", options->size, "WxH in pixels (default 512x512)")
        ->check(
            [](const std::string& text)
            {
                int width = 0, height = 0;
                return parseSize(text, width, height)
                           ? std::string()
                           : "the size must be WxH, each 1 to " + std::to_string(LARGEST_SIDE);
            });
    command
        ->add_option("--camera", options->camera,
                     "front, back, left, right, iso, or editor (the editor's start camera)")
        ->check(
            CLI::IsMember({"front", "back", "left", "right", "iso", "editor"}, CLI::ignore_case));
    command
        ->add_option("--background", options->background,
                     "#rrggbb, or transparent (default #ccb399, the editor's)")
        ->check(
            [](const std::string& text)
            {
                uint8_t rgba[4];
                return parseBackground(text, rgba) ? std::string()
                                                   : "the background must be #rrggbb or "
                                                     "transparent";
            });
    command->add_flag("--no-outlines", options->noOutlines, "leave out the white cube outlines");
    command->callback(
        [options, command, &status]
        {
            options->timeGiven = command->count("--time") > 0;
            status = render(*options);
        });
}
