// Cost of one fixed step of the menus with all three views built: the frame panels, the side
// view (hit test, focus) and the bar view, and the same with the mode's particle step that
// moves them.
#include "editor/EditorMode.h"
#include "menu/AnimMenuView.h"
#include "menu/MenuSystem.h"
#include "menu/ModelMenuView.h"
#include "tests/menu/MenuTestEngine.h"

#include <benchmark/benchmark.h>

namespace
{

struct Menus
{
    Menus()
    {
        editor.ApplicationMode::prepare(Ogre::StringVector());
        editor.menuSystem = new MenuSystem();
        editor.menuSystem->create(&editor);
        editor.menuSystem->show();
        for (int i = 0; i < 300; ++i)
        {
            step();
        }
        // Over a button, so that the hit test runs its full course.
        test.setPointer(100, 30);
    }

    void step()
    {
        editor.particleSystem->update(Application::fixedStep);
        editor.menuSystem->update(Application::fixedStep);
    }

    MenuTestEngine test;
    EditorMode editor{&test.application};
};

void menuUpdateAtRest(benchmark::State& state)
{
    Menus menus;
    MenuSystem* system = menus.editor.menuSystem;
    for (auto _ : state)
    {
        system->update(Application::fixedStep);
    }
}
BENCHMARK(menuUpdateAtRest)->Unit(benchmark::kMicrosecond);

void menuStepWithParticles(benchmark::State& state)
{
    Menus menus;
    for (auto _ : state)
    {
        menus.step();
    }
}
BENCHMARK(menuStepWithParticles)->Unit(benchmark::kMicrosecond);

// Switching between the two side menus over and over: every step is a sliding one.
void menuStepWhileSwitching(benchmark::State& state)
{
    Menus menus;
    MenuSystem* system = menus.editor.menuSystem;
    int count = 0;
    for (auto _ : state)
    {
        if (++count % 60 == 0)
        {
            system->requestView(system->currentView == system->modelMenuView
                                    ? static_cast<MenuView*>(system->animMenuView)
                                    : static_cast<MenuView*>(system->modelMenuView));
        }
        menus.step();
    }
}
BENCHMARK(menuStepWhileSwitching)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
