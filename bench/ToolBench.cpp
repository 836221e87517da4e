// The editing tools on a 4,000- or 40,000-voxel model, headless: one held step of sculpt and
// paint, a rectangle selection of everything moved by one cell, one step of a pose drag and one
// step of playback. Every step ends with the drawing layer brought up to date, as the next frame
// would.
#include "editor/PaintToolMode.h"
#include "editor/QueryFlags.h"
#include "editor/SculptToolMode.h"
#include "editor/SelectToolMode.h"
#include "editor/UndoHistory.h"
#include "editor/VoxelBatches.h"
#include "skeleton/AnimateToolMode.h"
#include "skeleton/AnimateViewMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/editor/ToolTestWorld.h"

#include <OgreMaterialManager.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

namespace
{

// The editor with a block of voxels and the materials the tools ask for, so that no lookup
// falls back with a log line. 4,000 voxels: 10 x 20 x 20 (x -5..4, y 0..19, z -10..9); 40,000:
// 20 x 40 x 50 (x -10..9, y 0..39, z -25..24).
class BenchWorld : public ToolTestWorld
{
public:
    explicit BenchWorld(int64_t voxels = 4000)
    {
        const int sizeX = voxels > 4000 ? 20 : 10;
        const int sizeY = voxels > 4000 ? 40 : 20;
        const int sizeZ = voxels > 4000 ? 50 : 20;
        front = float(sizeZ / 2);
        for (const char* name :
             {"Box", "Arrow", "SelectorRectangle", "BonePoint", "Bones", "MirrorPlane"})
        {
            if (!Ogre::MaterialManager::getSingleton().resourceExists(name))
            {
                Ogre::MaterialManager::getSingleton().create(
                    name, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
            }
        }
        clearVoxels();
        for (int x = -sizeX / 2; x < sizeX / 2; ++x)
            for (int y = 0; y < sizeY; ++y)
                for (int z = -sizeZ / 2; z < sizeZ / 2; ++z)
                    editor->addVoxel(x, y, z, Ogre::ColourValue(0.05f * float(x + 10), 0.5f, 0.5f),
                                     QUERY_VOXEL);
        flush();
    }

    void flush() { editor->getVoxelBatches()->flush(); }

    float front = 10.0f; // z of the block's front face

    // A thirteen-particle stick figure over the block, every voxel bound to its nearest stick.
    void addFigure()
    {
        const Ogre::Vector3 points[] = {
            {0, 30, 0}, {0, 26, 0}, {0, 22, 0},  {0, 18, 0}, {-10, 20, 0}, {10, 20, 0}, {-6, 22, 0},
            {6, 22, 0}, {0, 14, 0}, {-3, 13, 0}, {3, 13, 0}, {-3, 0, 0},   {3, 0, 0}};
        for (int i = 0; i < 13; ++i)
            editor->skeleton->addEntry(points[i], i, "p" + std::to_string(i), 0, 1.0f);
        const int sticks[][2] = {{0, 1},  {1, 2},   {2, 3}, {3, 8}, {8, 9}, {8, 10},
                                 {9, 11}, {10, 12}, {2, 6}, {6, 4}, {2, 7}, {7, 5}};
        std::vector<Verlet::Particle*>& particles = editor->skeleton->system->particles;
        for (const auto& stick : sticks)
            editor->skeleton->system->addStick(
                particles[stick[0]], particles[stick[1]],
                particles[stick[0]]->position.distance(particles[stick[1]]->position));
        editor->rebindSkeleton();
        editor->resetToRestPose();
    }
};

// The pointer sweeps the block's front face, so every step lays one new voxel.
void sculptHeldStep(benchmark::State& state)
{
    BenchWorld world(state.range(0));
    world.install(new SculptToolMode());
    world.aimAt({-4.5f, 0.5f, world.front});
    world.pressButton();
    int step = 0;
    for (auto _ : state)
    {
        world.aimAt({float(step % 9) - 4.5f, float(step / 9 % 20) + 0.5f, world.front});
        world.hold();
        world.flush();
        ++step;
    }
    state.counters["voxels"] = double(world.editor->voxels.size());
}
BENCHMARK(sculptHeldStep)->Arg(4000)->Arg(40000)->Iterations(170)->Unit(benchmark::kMillisecond);

void paintHeldStep(benchmark::State& state)
{
    BenchWorld world(state.range(0));
    world.install(new PaintToolMode());
    world.aimAt({0.0f, 10.5f, world.front});
    world.pressButton();
    for (auto _ : state)
    {
        world.hold();
        world.flush();
    }
}
BENCHMARK(paintHeldStep)->Arg(4000)->Arg(40000)->Unit(benchmark::kMillisecond);

// Mirror editing (key X) on the 4,000-voxel block, which is symmetric about x = 0 (x -5..4):
// one held sculpt step over the front face, held still (the cell and its mirror are taken after
// the first step: two picks and two cell look-ups) or adding both voxels every step (they are
// taken away again outside the timing).
void mirroredSculptHeldStep(benchmark::State& state)
{
    BenchWorld world;
    world.press(OIS::KC_X);
    world.install(new SculptToolMode());
    world.aimAt({0.5f, 10.5f, 10.0f}); // the front face of (0, 10, 9); the mirror of the new
                                       // cell (0, 10, 10) is (-1, 10, 10)
    const size_t voxels = world.editor->voxels.size();
    world.pressButton();
    if (!state.range(0))
        world.hold(); // the first step adds; the following ones find both cells taken
    for (auto _ : state)
    {
        world.hold();
        world.flush();
        if (state.range(0))
        {
            state.PauseTiming();
            while (world.editor->voxels.size() > voxels)
                world.editor->removeVoxel(int(world.editor->voxels.size()) - 1);
            state.ResumeTiming();
        }
    }
    world.releaseButton();
    state.counters["voxels"] = double(world.editor->voxels.size());
}
BENCHMARK(mirroredSculptHeldStep)
    ->ArgName("adding")
    ->DenseRange(0, 1)
    ->Unit(benchmark::kMillisecond);

// One held paint step with mirror editing: the voxel under the pointer and its twin.
void mirroredPaintHeldStep(benchmark::State& state)
{
    BenchWorld world;
    world.press(OIS::KC_X);
    world.install(new PaintToolMode());
    world.aimAt({0.5f, 10.5f, 10.0f});
    world.pressButton();
    for (auto _ : state)
    {
        world.hold();
        world.flush();
    }
    state.counters["twin"] =
        double(world.editor->mirrorTwin(world.editor->voxelUnderPointer()) >= 0);
}
BENCHMARK(mirroredPaintHeldStep)->Unit(benchmark::kMillisecond);

// Press, drag and release a rectangle around everything, grab the X bar, drag it far enough for
// one cell and release (which gives every colour back).
void selectAllAndMoveOneCell(benchmark::State& state)
{
    BenchWorld world;
    SelectToolMode* tool = world.install(new SelectToolMode());
    int moved = 0;
    for (auto _ : state)
    {
        world.aimAtScreen(-0.99f, 0.99f);
        world.pressButton();
        world.aimAtScreen(0.99f, -0.99f);
        world.hold();
        world.releaseButton();
        world.aimAt({8.0f, 10.0f, 0.0f}); // the X bar, right of the middle
        world.pressButton();
        // One and a half cells along the bar as drawn.
        world.aimAtScreen(tool->dragStart.x +
                              1.5f * tool->dragDirection.x /
                                  (0.5f * float(world.engine.graphics.getWindowWidth())),
                          tool->dragStart.y);
        int before = tool->startCells.empty() ? 0 : tool->startCells[0].x;
        world.hold();
        world.flush();
        moved = world.editor->voxels[0]->getGridPosition().x - before;
        world.releaseButton();
        world.flush();
    }
    state.counters["cellsMoved"] = double(moved);
}
BENCHMARK(selectAllAndMoveOneCell)->Unit(benchmark::kMillisecond);

// One held step of a drag of all 40,000 voxels whose pointer has not moved a cell's worth since
// the last step: nothing moves, and nothing is filed again.
void selectionDragStepThatMovesNothing(benchmark::State& state)
{
    BenchWorld world(40000);
    world.lookFrom({0.0f, 20.0f, 160.0f}, {0.0f, 20.0f, 0.0f});
    SelectToolMode* tool = world.install(new SelectToolMode());
    world.aimAtScreen(-0.99f, 0.99f);
    world.pressButton();
    world.aimAtScreen(0.99f, -0.99f);
    world.hold();
    world.releaseButton();
    world.aimAt(tool->selection.empty() ? Ogre::Vector3::ZERO
                                        : Ogre::Vector3(8.0f, 20.0f, 0.0f)); // the X bar
    world.pressButton();
    world.hold();
    world.flush();
    for (auto _ : state)
    {
        world.hold();
        world.flush();
    }
    state.counters["selected"] = double(tool->selection.size());
    state.counters["dragging"] = double(tool->state == SelectToolMode::Dragging);
    world.releaseButton();
}
BENCHMARK(selectionDragStepThatMovesNothing)->Unit(benchmark::kMillisecond);

// Key O on the 40,000-voxel block bound to a stick figure: the sight lines, then every hidden
// voxel out of the list and its group, recorded for undo.
void removeHiddenVoxelsBound(benchmark::State& state)
{
    BenchWorld world(40000);
    world.addFigure();
    std::srand(1);
    size_t before = world.editor->voxels.size();
    for (auto _ : state)
        world.press(OIS::KC_O);
    state.counters["removed"] = double(before - world.editor->voxels.size());
}
BENCHMARK(removeHiddenVoxelsBound)->Unit(benchmark::kMillisecond)->Iterations(1);

// Only the removal of key O: the same voxels (all but the outer layer) removed from the bound
// 40,000-voxel block as one recorded step, without the sight lines.
void removeInnerVoxelsBound(benchmark::State& state)
{
    BenchWorld world(40000);
    world.addFigure();
    std::vector<int> inner;
    const std::vector<Voxel*>& voxels = world.editor->voxels;
    for (size_t i = 0; i < voxels.size(); ++i)
    {
        const Voxel::Cell& c = voxels[i]->gridPosition;
        if (c.x > -10 && c.x < 9 && c.y > 0 && c.y < 39 && c.z > -25 && c.z < 24)
            inner.push_back(int(i));
    }
    for (auto _ : state)
        world.editor->asStep("hidden voxel removal", [&] { world.editor->removeVoxels(inner); });
    state.counters["removed"] = double(inner.size());
}
BENCHMARK(removeInnerVoxelsBound)->Unit(benchmark::kMillisecond)->Iterations(1);

// One dab of a mirrored paint stroke on the 40,000-voxel block: the voxel and its twin.
void mirroredPaintDab40000(benchmark::State& state)
{
    BenchWorld world(40000);
    world.press(OIS::KC_X);
    world.install(new PaintToolMode());
    world.aimAt({0.5f, 20.5f, world.front});
    world.pressButton();
    for (auto _ : state)
    {
        world.hold();
        world.flush();
    }
    world.releaseButton();
}
BENCHMARK(mirroredPaintDab40000)->Unit(benchmark::kMillisecond);

// One addVoxel beside the 40,000-voxel block, far from the origin, and the frame that draws it:
// only the blocks around the new cell are built again.
void addVoxelBesideBlock(benchmark::State& state)
{
    BenchWorld world(40000);
    const size_t builds = world.editor->getVoxelBatches()->builds;
    for (auto _ : state)
    {
        world.editor->addVoxel(30, 5, 30, Ogre::ColourValue::Red, QUERY_VOXEL);
        world.flush();
        state.PauseTiming();
        world.editor->removeVoxel(int(world.editor->voxels.size()) - 1);
        world.flush();
        state.ResumeTiming();
    }
    state.counters["blocksBuilt"] =
        double(world.editor->getVoxelBatches()->builds - builds) / double(state.iterations());
}
BENCHMARK(addVoxelBesideBlock)->Unit(benchmark::kMicrosecond);

// One fixed step and frame of a drag of a hand with the whole figure selected: the tool's held
// step, the skeleton step, the bones redrawn and 4,000 bound voxels placed.
void poseDragStep(benchmark::State& state)
{
    BenchWorld world(state.range(0));
    world.addFigure();
    world.press(OIS::KC_2);
    AnimateToolMode* tool = world.install(new AnimateToolMode());
    world.aimAtScreen(-0.99f, 0.99f);
    world.pressButton();
    world.aimAtScreen(0.99f, -0.99f);
    world.hold();
    world.releaseButton();
    const Ogre::Vector3 hand = world.editor->skeleton->system->particles[4]->position;
    world.aimAt(hand);
    world.pressButton();
    world.editor->mouseButtonDown = true;
    float phase = 0.0f;
    for (auto _ : state)
    {
        phase += 0.1f;
        world.aimAt(hand + Ogre::Vector3(0.0f, 3.0f * std::sin(phase), 0.0f));
        world.editor->update(0.016f);
        world.editor->frameUpdate(0.016f);
        world.flush();
    }
    state.counters["dragging"] = tool->dragged ? 1.0 : 0.0;
    world.editor->mouseButtonDown = false;
    world.releaseButton();
    state.counters["selected"] = double(tool->selected.size());
}
BENCHMARK(poseDragStep)->Arg(4000)->Arg(40000)->Unit(benchmark::kMillisecond);

// One playback step between two keys: sample, apply, redraw the bones, place the voxels.
void playbackStep(benchmark::State& state)
{
    BenchWorld world(state.range(0));
    world.addFigure();
    Animation animation;
    animation.frames[0.0f] = *world.editor->baseAnimation.findFrame(0.0f);
    std::vector<Ogre::Vector3> raised = animation.frames[0.0f];
    raised[4] += Ogre::Vector3(0.0f, 5.0f, 0.0f);
    animation.frames[1.0f] = raised;
    animation.end = 1.0f;
    world.editor->animations = {animation};
    world.press(OIS::KC_2);
    auto* view = dynamic_cast<AnimateViewMode*>(world.editor->viewMode);
    for (auto _ : state)
    {
        view->advancePlayback(0.016f);
        world.flush();
    }
}
BENCHMARK(playbackStep)->Arg(4000)->Arg(40000)->Unit(benchmark::kMillisecond);

} // namespace

// Undo and redo of one step that touched every one of the 4,000 voxels, per undo-redo pair:
// a paint stroke over all, a move of all by one cell, a re-binding after the skeleton moved,
// and the removal of all (bound) voxels.
void undoRedoAllVoxels(benchmark::State& state)
{
    BenchWorld world;
    world.addFigure();
    EditorMode* editor = world.editor;
    const int voxelCount = int(editor->voxels.size());
    editor->asStep("",
                   [&]
                   {
                       switch (state.range(0))
                       {
                       case 0:
                           for (int i = 0; i < voxelCount; ++i)
                               editor->paintVoxel(i, Ogre::ColourValue(1.0f, 0.2f, 0.2f));
                           break;
                       case 1:
                           for (Voxel* voxel : editor->getVoxels())
                               editor->moveVoxel(voxel, voxel->gridPosition.x + 1,
                                                 voxel->gridPosition.y, voxel->gridPosition.z);
                           break;
                       case 2:
                           editor->skeleton->system->particles[0]->position.y += 5.0f;
                           editor->rebindSkeleton();
                           editor->resetToRestPose();
                           break;
                       default:
                       {
                           std::vector<int> all(static_cast<size_t>(voxelCount));
                           for (int i = 0; i < voxelCount; ++i)
                               all[size_t(i)] = i;
                           editor->removeVoxels(all);
                       }
                       }
                   });
    for (auto _ : state)
    {
        editor->undo();
        editor->redo();
    }
    state.counters["voxels"] = double(voxelCount);
    state.counters["stepKiB"] = double(editor->history->bytes()) / 1024.0;
}
BENCHMARK(undoRedoAllVoxels)
    ->ArgName("paint0_move1_rebind2_remove3")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond);

// What recording adds to a held step: one paint dab and one sculpted voxel, each with the
// history's step open (recorded) and closed (not recorded).
void paintDab(benchmark::State& state)
{
    BenchWorld world;
    EditorMode* editor = world.editor;
    if (state.range(0))
        editor->history->begin("");
    int index = 0;
    for (auto _ : state)
    {
        editor->paintVoxel(index, Ogre::ColourValue(float(index % 2), 0.5f, 0.5f));
        index = (index + 1) % 64;
    }
    if (state.range(0))
        editor->history->commit();
}
BENCHMARK(paintDab)->ArgName("recorded")->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

void sculptAdd(benchmark::State& state)
{
    BenchWorld world;
    EditorMode* editor = world.editor;
    if (state.range(0))
        editor->history->begin("");
    int layer = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        if (editor->voxels.size() > 4500) // keep the model near 4,000 voxels
        {
            editor->history->commit();
            for (int i = int(editor->voxels.size()) - 1; i >= 4000; --i)
                editor->removeVoxel(i);
            if (state.range(0))
                editor->history->begin("");
        }
        state.ResumeTiming();
        editor->addVoxel(layer % 40 - 20, 30 + layer / 40 % 20, 20,
                         Ogre::ColourValue(0.5f, 0.5f, 0.5f), QUERY_NEW_VOXEL);
        ++layer;
    }
    if (state.range(0))
        editor->history->commit();
}
BENCHMARK(sculptAdd)->ArgName("recorded")->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
