// Load and save of a character of 4,000 voxels with a 17-stick skeleton and five animations of
// ten key frames each: the size of the largest Bramblewick characters. Target: under 200 ms.

#include "editor/EditorMode.h"

#include "skeleton/Animation.h"
#include "skeleton/Skeleton.h"
#include "tests/HeadlessEngine.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace
{

// Hips 9 and 10, spine 8, shoulders 2 and 3, neck 1, legs 9-11-13 and 10-12-14.
const int figure[15][3] = {{0, 14, 0}, {0, 12, 0}, {3, 11, 0}, {-3, 11, 0}, {5, 8, 0},
                           {-5, 8, 0}, {6, 5, 0},  {-6, 5, 0}, {0, 8, 0},   {2, 5, 0},
                           {-2, 5, 0}, {2, 3, 0},  {-2, 3, 0}, {2, 0, 0},   {-2, 0, 0}};
const int sticks[17][2] = {{9, 11}, {11, 13}, {8, 1}, {10, 12}, {12, 14}, {1, 0},
                           {2, 4},  {2, 3},   {3, 5}, {4, 6},   {1, 2},   {5, 7},
                           {1, 3},  {9, 10},  {8, 9}, {8, 10},  {1, 8}};

// The character's two files, written once per process.
struct Files
{
    Files()
    {
        folder = std::filesystem::temp_directory_path() /
                 ("bramblewick-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        model = (folder / "model.xml").string();
        animation = (folder / "anim.xml").string();

        std::ofstream out(model);
        out << "<model><voxels>";
        for (int i = 0; i < 4000; ++i) // 20 x 20 x 10 cells around the figure
        {
            out << "<voxel x=\"" << i % 20 - 10 << "\" y=\"" << (i / 20) % 20 << "\" z=\""
                << i / 400 - 5 << "\" r=\"0.5\" g=\"0.25\" b=\"0.75\" a=\"1\"/>";
        }
        out << "</voxels><skeleton>";
        for (int i = 0; i < 15; ++i)
        {
            out << "<particle x=\"" << figure[i][0] << "\" y=\"" << figure[i][1] << "\" z=\""
                << figure[i][2] << "\" id=\"" << i << "\"/>";
        }
        for (const auto& stick : sticks)
        {
            out << "<stick a=\"" << stick[0] << "\" b=\"" << stick[1] << "\"/>";
        }
        out << "</skeleton><skeletonVoxelBindings/></model>";
        out.close();

        std::ofstream anim(animation);
        anim << "<animations>";
        for (int a = 0; a < 5; ++a)
        {
            anim << "<animation loop=\"1\" end=\"2\" speed=\"1\" comment=\"take " << a << "\">";
            for (int f = 0; f < 10; ++f)
            {
                anim << "<frame time=\"" << f * 0.2f << "\">";
                for (int i = 0; i < 15; ++i)
                {
                    anim << "<position x=\"" << figure[i][0] + 0.1f * f << "\" y=\"" << figure[i][1]
                         << "\" z=\"" << figure[i][2] - 0.05f * a << "\"/>";
                }
                anim << "<control key=\"step\" value=\"" << f << "\"/></frame>";
            }
            anim << "</animation>";
        }
        anim << "</animations>";
    }
    ~Files() { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    std::string model;
    std::string animation;
};

std::unique_ptr<EditorMode> preparedEditor(const Files& files)
{
    auto editor = std::make_unique<EditorMode>(nullptr);
    editor->createMenus = false; // menus need fonts and materials, and never read files
    editor->prepare({(files.folder / "absent.xml").string()});
    return editor;
}

void loadModel(benchmark::State& state)
{
    Files files;
    HeadlessEngine engine;
    auto editor = preparedEditor(files);
    for (auto _ : state)
    {
        editor->animations.clear();
        editor->loadModel(files.model, files.animation);
    }
    state.counters["voxels"] = double(editor->voxels.size());
    state.counters["animations"] = double(editor->animations.size());
}
BENCHMARK(loadModel)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void saveModel(benchmark::State& state)
{
    Files files;
    HeadlessEngine engine;
    auto editor = preparedEditor(files);
    editor->loadModel(files.model, files.animation);
    const std::string model = (files.folder / "saved.xml").string();
    const std::string animation = (files.folder / "saved-anim.xml").string();
    for (auto _ : state)
    {
        editor->saveModel(model, animation);
    }
    state.counters["bytes"] =
        double(std::filesystem::file_size(model) + std::filesystem::file_size(animation));
}
BENCHMARK(saveModel)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
