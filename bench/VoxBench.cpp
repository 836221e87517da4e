// Import and export of a 40,000-voxel model through .vox files. Target: under 200 ms each.
// Export is measured twice: with 200 colours (an exact palette) and with every voxel of its
// own colour, where the palette has to be reduced to 255.

#include "formats/Vox.h"

#include <benchmark/benchmark.h>

#include <filesystem>
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

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(std::filesystem::path(fileName("x")).parent_path());
    return 0;
}
