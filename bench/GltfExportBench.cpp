// glTF export of a character of 4,000 voxels with the sample's 18-particle skeleton and five
// animations (the sample's, repeated), written to a file. Every voxel is bound to a stick in
// turn, so that almost no face is hidden: the largest mesh such a character can give.
// Target: under 200 ms.

#include "formats/Gltf.h"

#include "skeleton/ModelDocument.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace
{

const std::filesystem::path EXAMPLES = std::filesystem::path(BRAMBLEWICK_SOURCE) / "examples";

ModelDocument character()
{
    ModelDocument document;
    readModelFile((EXAMPLES / "bramblewick.xml").string(), document);
    readAnimationFile((EXAMPLES / "bramblewick_animations.xml").string(), document);
    const std::vector<Animation> sampleAnimations = document.animations;
    document.animations.clear();
    for (size_t i = 0; i < 5; ++i)
    {
        document.animations.push_back(sampleAnimations[i % sampleAnimations.size()]);
    }

    document.voxels.clear();
    document.groups.assign(document.sticks.size(), ModelDocument::Group());
    for (size_t s = 0; s < document.sticks.size(); ++s)
    {
        document.groups[s].constraintIndex = static_cast<int>(s);
    }
    for (int i = 0; i < 4000; ++i) // 20 x 20 x 10 cells around the body
    {
        document.voxels.push_back({i % 20 - 10, (i / 20) % 20 + 5, i / 400 - 5,
                                   Ogre::ColourValue(0.5f, 0.25f, 0.75f, 1.0f)});
        document.groups[i % document.sticks.size()].voxels.push_back(i);
    }
    return document;
}

void exportCharacter(benchmark::State& state)
{
    const ModelDocument document = character();
    const std::string output = (std::filesystem::temp_directory_path() /
                                ("bramblewick-bench-" + std::to_string(getpid()) + ".glb"))
                                   .string();
    for (auto _ : state)
    {
        std::vector<std::string> warnings;
        exportGltf(document, output, warnings);
    }
    state.counters["bytes"] = double(std::filesystem::file_size(output));
    std::filesystem::remove(output);
}
BENCHMARK(exportCharacter)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
