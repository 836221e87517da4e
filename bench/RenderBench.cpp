// `bramblewick render` without the files around it: a 512 x 512 still of the sample character
// (target under 100 ms), the 30-frame GIF of its walk at 512 x 512 (under 2 s), and a 512 x 512
// still of a 40,000-voxel block (under 1 s). Each is drawn and encoded in memory; reading the
// model and writing the file are left out.

#include "cli/render/Preview.h"
#include "formats/Gif.h"
#include "formats/Png.h"
#include "skeleton/ModelDocument.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{

ModelDocument sample()
{
    ModelDocument document;
    const std::string examples = std::string(BRAMBLEWICK_SOURCE_DIR) + "/examples/";
    readModelFile(examples + "bramblewick.xml", document);
    readAnimationFile(examples + "bramblewick_animations.xml", document);
    return document;
}

// 40 x 25 x 40 cells, 200 colours, no skeleton.
ModelDocument block()
{
    ModelDocument document;
    for (int i = 0; i < 40000; ++i)
    {
        ModelDocument::Voxel voxel;
        voxel.x = i % 40 - 20;
        voxel.y = i / 1600;
        voxel.z = (i / 40) % 40 - 20;
        const int shade = i % 200;
        voxel.colour = Ogre::ColourValue(float(shade % 7) / 6.0f, float(shade / 7 % 6) / 5.0f,
                                         float(shade / 42) / 4.0f, 1.0f);
        document.voxels.push_back(voxel);
    }
    return document;
}

void still(benchmark::State& state, const ModelDocument& document, Preview::View view)
{
    for (auto _ : state)
    {
        Preview preview(document, view, 512, 512);
        benchmark::DoNotOptimize(Png::encode(preview.draw(Preview::still(0.0f)[0], {})));
    }
}

void sampleStill(benchmark::State& state) { still(state, sample(), Preview::View::Front); }
BENCHMARK(sampleStill)->Unit(benchmark::kMillisecond);

void blockStill(benchmark::State& state) { still(state, block(), Preview::View::Iso); }
BENCHMARK(blockStill)->Unit(benchmark::kMillisecond);

void walkGif(benchmark::State& state)
{
    const ModelDocument document = sample();
    const Animation& walk = document.animations.at(1);
    for (auto _ : state)
    {
        Preview preview(document, Preview::View::Front, 512, 512);
        std::vector<std::string> warnings;
        preview.setAnimation(&walk, "walk", warnings);
        const std::vector<Preview::Frame> frames = Preview::loop(walk, 30.0f);
        preview.fit(frames);
        std::vector<Picture> pictures;
        std::vector<int> delays;
        for (const Preview::Frame& frame : frames)
        {
            pictures.push_back(preview.draw(frame, {}));
            delays.push_back(3);
        }
        benchmark::DoNotOptimize(
            Gif::encode([&pictures](size_t i) { return pictures[i]; }, delays));
    }
}
BENCHMARK(walkGif)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
