// Import and export of a 40,000-voxel model through .vox files. Target: under 200 ms each.
// Export is measured twice: with 200 colours (an exact palette) and with every voxel of its
// own colour, where the palette has to be reduced to 255. And the refusal of a hostile file, one
// full 64^3 model placed 2,000 times at one spot (1.2 MB). Target: under a second.

#include "formats/Vox.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

// A 40 x 40 x 25 block, wider than 256 cells nowhere; colours cycle or are all different.
std::vector<Vox::Voxel> model(bool everyColour)
{
    std::vector<Vox::Voxel> voxels;
    voxels.reserve(40000);
    for (int i = 0; i < 40000; ++i)
    {
        const int shade = everyColour ? i : i % 200;
        voxels.push_back({i % 40 - 20, i / 1600, (i / 40) % 40 - 20,
                          Ogre::ColourValue(float(shade % 34) / 33.0f,
                                            float((shade / 34) % 34) / 33.0f,
                                            float(shade / 1156) / 34.0f, 1.0f)});
    }
    return voxels;
}

std::string fileName(const char* name)
{
    const auto folder = std::filesystem::temp_directory_path() /
                        ("bramblewick-vox-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return (folder / name).string();
}

void exportModel(benchmark::State& state)
{
    const std::vector<Vox::Voxel> voxels = model(state.range(0) != 0);
    const std::string name = fileName("export.vox");
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(Vox::write(voxels, name));
    }
    state.SetLabel(state.range(0) ? "40,000 colours" : "200 colours");
}
BENCHMARK(exportModel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void importModel(benchmark::State& state)
{
    const std::string name = fileName("import.vox");
    Vox::write(model(false), name);
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(Vox::read(name));
    }
}
BENCHMARK(importModel)->Unit(benchmark::kMillisecond);

void appendWords(std::vector<uint8_t>& out, std::initializer_list<int32_t> words)
{
    for (int32_t word : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(uint32_t(word) >> (8 * i)));
}

void appendChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& content)
{
    out.insert(out.end(), id, id + 4);
    appendWords(out, {int32_t(content.size()), 0});
    out.insert(out.end(), content.begin(), content.end());
}

void refuseHostileFile(benchmark::State& state)
{
    std::vector<uint8_t> chunks, content;
    appendWords(content, {64, 64, 64});
    appendChunk(chunks, "SIZE", content);
    content.clear();
    appendWords(content, {64 * 64 * 64});
    for (int i = 0; i < 64 * 64 * 64; ++i)
        content.insert(content.end(),
                       {uint8_t(i % 64), uint8_t(i / 64 % 64), uint8_t(i / 4096), 1});
    appendChunk(chunks, "XYZI", content);
    content.clear();
    appendWords(content, {0, 0, 1, -1, 0, 0});
    appendChunk(chunks, "nTRN", content);
    content.clear();
    appendWords(content, {1, 0, 2000});
    for (int i = 0; i < 2000; ++i)
        appendWords(content, {2 + 2 * i});
    appendChunk(chunks, "nGRP", content);
    for (int i = 0; i < 2000; ++i)
    {
        content.clear();
        appendWords(content, {2 + 2 * i, 0, 3 + 2 * i, -1, 0, 0});
        appendChunk(chunks, "nTRN", content);
        content.clear();
        appendWords(content, {3 + 2 * i, 0, 1, 0, 0});
        appendChunk(chunks, "nSHP", content);
    }
    std::vector<uint8_t> file = {'V', 'O', 'X', ' '};
    appendWords(file, {150});
    file.insert(file.end(), {'M', 'A', 'I', 'N'});
    appendWords(file, {0, int32_t(chunks.size())});
    file.insert(file.end(), chunks.begin(), chunks.end());
    for (auto _ : state)
    {
        try
        {
            Vox::parse(file.data(), file.size(), "hostile.vox");
            state.SkipWithError("the hostile file was read");
        }
        catch (const std::runtime_error&)
        {
        }
    }
    state.SetLabel(std::to_string(file.size() / 1000) + " kB");
}
BENCHMARK(refuseHostileFile)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(std::filesystem::path(fileName("x")).parent_path());
    return 0;
}
