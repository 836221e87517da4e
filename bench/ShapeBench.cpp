// The shapes of the model view at their largest: a box of 20 x 20 x 10 dragged out of the front
// of a 40,000-voxel block, and a fill that paints all of a 4,000-voxel block. Each counts the
// whole gesture as the editor runs it (press, release, the recorded undo step) and the frame
// that draws the result; the undo that sets up the next round is not counted.
#include "editor/ModelViewMode.h"
#include "editor/PaintToolMode.h"
#include "editor/QueryFlags.h"
#include "editor/SculptToolMode.h"
#include "editor/VoxelBatches.h"
#include "tests/editor/ToolTestWorld.h"

#include <OgreMaterialManager.h>

#include <benchmark/benchmark.h>

namespace
{

// A block of x -sx/2..sx/2-1, y 0..sy-1, z -sz/2..sz/2-1 in one colour.
class ShapeWorld : public ToolTestWorld
{
public:
    ShapeWorld(int sizeX, int sizeY, int sizeZ)
    {
        for (const char* name : {"Box", "MirrorPlane", "ShapePreview"})
            if (!Ogre::MaterialManager::getSingleton().resourceExists(name))
                Ogre::MaterialManager::getSingleton().create(
                    name, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
        clearVoxels();
        for (int x = -sizeX / 2; x < sizeX / 2; ++x)
            for (int y = 0; y < sizeY; ++y)
                for (int z = -sizeZ / 2; z < sizeZ / 2; ++z)
                    editor->addVoxel(x, y, z, Ogre::ColourValue(0.2f, 0.5f, 0.5f), QUERY_VOXEL);
        flush();
    }
    void flush() { editor->getVoxelBatches()->flush(); }
    void shape(ShapeCells::Shape shape)
    {
        static_cast<ModelViewMode*>(editor->viewMode)->shape = shape;
    }
};

// The block is 20 x 40 x 50 (front face at z = 25). The press is on the front face's lower left
// cell, the release on the front of a voxel standing ten cells out at the upper right of the
// box: 20 x 20 x 10 cells, all but that voxel's empty.
void boxOn40000(benchmark::State& state)
{
    ShapeWorld world(20, 40, 50);
    world.editor->addVoxel(9, 19, 33, Ogre::ColourValue::Red, QUERY_VOXEL);
    world.flush();
    world.install(new SculptToolMode());
    world.shape(ShapeCells::Shape::Box);
    const size_t before = world.editor->voxels.size();
    for (auto _ : state)
    {
        world.aimAt({-9.5f, 0.5f, 25.0f});
        world.editor->mousePressed(OIS::MB_Left);
        world.aimAt({9.5f, 19.5f, 34.0f});
        world.editor->mouseReleased(OIS::MB_Left);
        world.flush();
        state.PauseTiming();
        if (world.editor->voxels.size() != before + 3999)
            state.SkipWithError("the box did not add its 3,999 cells");
        world.editor->undo();
        world.flush();
        state.ResumeTiming();
    }
}
BENCHMARK(boxOn40000)->Unit(benchmark::kMillisecond);

// A fill over a 10 x 20 x 20 block of one colour, alternately in two colours.
void fill4000(benchmark::State& state)
{
    ShapeWorld world(10, 20, 20);
    world.install(new PaintToolMode());
    world.shape(ShapeCells::Shape::Fill);
    auto* view = static_cast<ModelViewMode*>(world.editor->viewMode);
    bool red = false;
    for (auto _ : state)
    {
        red = !red;
        view->colour = red ? Ogre::ColourValue::Red : Ogre::ColourValue::Blue;
        world.aimAt({0.5f, 10.5f, 10.0f});
        world.editor->mousePressed(OIS::MB_Left);
        world.editor->mouseReleased(OIS::MB_Left);
        world.flush();
    }
    state.counters["voxels"] = double(world.editor->voxels.size());
}
BENCHMARK(fill4000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
