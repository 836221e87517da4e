// Editor costs on a headless engine: building a model through addVoxel and removing the voxels
// that no sight line reaches.
#include "app/Application.h"
#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "editor/VoxelBatches.h"
#include "tests/HeadlessEngine.h"

#include <OgreMaterialManager.h>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace
{

// A prepared editor without menus on a fresh headless engine.
struct HeadlessEditor
{
    HeadlessEditor()
    {
        Ogre::MaterialManager::getSingleton().create(
            "Box", Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
        application.graphics = &engine.graphics;
        editor = new EditorMode(&application);
        editor->createMenus = false;
        editor->prepare({"/nonexistent-folder/bench.xml"});
    }
    ~HeadlessEditor()
    {
        editor->deactivate();
        delete editor;
        application.graphics = nullptr;
    }

    void clear()
    {
        std::vector<int> all;
        for (size_t i = 0; i < editor->voxels.size(); ++i)
            all.push_back(int(i));
        editor->removeVoxels(all);
    }

    // A solid block of sizeX x sizeY x sizeZ voxels.
    void fillBlock(int sizeX, int sizeY, int sizeZ)
    {
        for (int x = 0; x < sizeX; ++x)
            for (int y = 0; y < sizeY; ++y)
                for (int z = 0; z < sizeZ; ++z)
                    editor->addVoxel(x, y, z, Ogre::ColourValue(0.1f * (x % 10), 0.5f, 0.5f, 1),
                                     QUERY_VOXEL);
    }

    HeadlessEngine engine;
    Application application;
    EditorMode* editor = nullptr;
};

// Arguments: block size in x, y, z (10 x 10 x 10 = 1,000 voxels; 20 x 20 x 10 = 4,000).
void removeHiddenVoxels(benchmark::State& state)
{
    HeadlessEditor headless;
    std::srand(1);
    size_t removed = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        headless.clear();
        headless.fillBlock(int(state.range(0)), int(state.range(1)), int(state.range(2)));
        size_t before = headless.editor->voxels.size();
        state.ResumeTiming();
        headless.editor->removeHiddenVoxels();
        removed = before - headless.editor->voxels.size();
    }
    state.counters["voxels"] = double(state.range(0) * state.range(1) * state.range(2));
    state.counters["removed"] = double(removed);
}
BENCHMARK(removeHiddenVoxels)
    ->Args({10, 10, 10})
    ->Args({20, 20, 10})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The same 240,000 sight lines tested against every box, as a reference for the index.
void removeHiddenVoxelsBruteForce(benchmark::State& state)
{
    HeadlessEditor headless;
    headless.clear();
    headless.fillBlock(int(state.range(0)), int(state.range(1)), int(state.range(2)));
    for (auto _ : state)
    {
        std::srand(1);
        benchmark::DoNotOptimize(headless.editor->findSeenVoxels(240000, true));
    }
}
BENCHMARK(removeHiddenVoxelsBruteForce)
    ->Args({10, 10, 10})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Building a 4,000-voxel model (20 x 20 x 10) through addVoxel, drawing layer included.
void buildModelThroughAddVoxel(benchmark::State& state)
{
    HeadlessEditor headless;
    for (auto _ : state)
    {
        state.PauseTiming();
        headless.clear();
        state.ResumeTiming();
        headless.fillBlock(20, 20, 10);
        headless.editor->getVoxelBatches()->flush();
    }
}
BENCHMARK(buildModelThroughAddVoxel)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
