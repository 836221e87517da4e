// The skeleton view's changes on a 4,000-voxel block (16 x 25 x 10) with the biped template:
// one particle added inside the model and every voxel bound again, and the template fit itself.
// Each change runs as the editor runs it, as one undo step; undo puts the model back untimed.
#include "app/Application.h"
#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "skeleton/SkeletonEditing.h"
#include "tests/HeadlessEngine.h"

#include <OgreMaterialManager.h>

#include <benchmark/benchmark.h>

namespace
{
struct SkeletonBlock
{
    SkeletonBlock()
    {
        for (const char* name : {"Box", "BonePoint", "Bones", "HandToHand"})
            Ogre::MaterialManager::getSingleton().create(
                name, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
        application.graphics = &engine.graphics;
        editor = new EditorMode(&application);
        editor->createMenus = false;
        editor->prepare({"/nonexistent-folder/bench.xml"});
        editor->removeVoxel(0);
        for (int x = -8; x < 8; ++x)
            for (int y = 0; y < 25; ++y)
                for (int z = -5; z < 5; ++z)
                    editor->addVoxel(x, y, z, Ogre::ColourValue::White, QUERY_VOXEL);
        editing = new SkeletonEditing(*editor);
        editor->asStep("", [&] { editing->applyBipedTemplate(); });
    }
    ~SkeletonBlock()
    {
        delete editing;
        editor->deactivate();
        delete editor;
        application.graphics = nullptr;
    }

    HeadlessEngine engine;
    Application application;
    EditorMode* editor = nullptr;
    SkeletonEditing* editing = nullptr;
};

void BM_AddParticleAndRebind4000(benchmark::State& state)
{
    SkeletonBlock block;
    const Ogre::Ray ray(Ogre::Vector3(4.5f, 12.5f, 40.0f), Ogre::Vector3::NEGATIVE_UNIT_Z);
    for (auto _ : state)
    {
        block.editor->asStep("", [&] {
            block.editing->addParticle(block.editing->placeUnder(ray, ray.getDirection()));
        });
        state.PauseTiming();
        block.editor->undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddParticleAndRebind4000)->Unit(benchmark::kMillisecond);

void BM_BipedTemplateFit4000(benchmark::State& state)
{
    SkeletonBlock block;
    for (auto _ : state)
    {
        block.editor->asStep("", [&] { block.editing->applyBipedTemplate(); });
        state.PauseTiming();
        block.editor->undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BipedTemplateFit4000)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
