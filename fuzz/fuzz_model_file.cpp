// Loads arbitrary bytes as a model file, and as an animation file beside a small good model,
// through the editor's real loader on a headless engine. Whatever the loader throws must be a
// std::exception; anything else (a crash, a hang, a leak, a foreign exception) is a finding.
// When a load succeeds, the model is saved and the saved files must load again.

#include "editor/EditorMode.h"

#include "skeleton/Skeleton.h"
#include "tests/HeadlessEngine.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace
{

// Fifteen particles in a standing figure with seventeen sticks laid out as binding expects, and
// a few voxels.
const char* const figureModel =
    "<model><voxels>"
    "<voxel x=\"0\" y=\"1\" z=\"0\"/><voxel x=\"0\" y=\"6\" z=\"0\"/>"
    "<voxel x=\"2\" y=\"3\" z=\"0\"/><voxel x=\"-2\" y=\"3\" z=\"0\"/>"
    "</voxels><skeleton>"
    "<particle x=\"0\" y=\"14\" z=\"0\" id=\"0\" name=\"head\"/>"
    "<particle x=\"0\" y=\"12\" z=\"0\" id=\"1\"/>"
    "<particle x=\"3\" y=\"11\" z=\"0\" id=\"2\"/>"
    "<particle x=\"-3\" y=\"11\" z=\"0\" id=\"3\"/>"
    "<particle x=\"5\" y=\"8\" z=\"0\" id=\"4\"/>"
    "<particle x=\"-5\" y=\"8\" z=\"0\" id=\"5\"/>"
    "<particle x=\"6\" y=\"5\" z=\"0\" id=\"6\" name=\"lefthand\"/>"
    "<particle x=\"-6\" y=\"5\" z=\"0\" id=\"7\" name=\"righthand\"/>"
    "<particle x=\"0\" y=\"8\" z=\"0\" id=\"8\"/>"
    "<particle x=\"2\" y=\"5\" z=\"0\" id=\"9\"/>"
    "<particle x=\"-2\" y=\"5\" z=\"0\" id=\"10\"/>"
    "<particle x=\"2\" y=\"3\" z=\"0\" id=\"11\"/>"
    "<particle x=\"-2\" y=\"3\" z=\"0\" id=\"12\"/>"
    "<particle x=\"2\" y=\"0\" z=\"0\" id=\"13\"/>"
    "<particle x=\"-2\" y=\"0\" z=\"0\" id=\"14\"/>"
    "<stick a=\"9\" b=\"11\"/><stick a=\"11\" b=\"13\"/><stick a=\"8\" b=\"1\"/>"
    "<stick a=\"10\" b=\"12\"/><stick a=\"12\" b=\"14\"/><stick a=\"1\" b=\"0\"/>"
    "<stick a=\"2\" b=\"4\"/><stick a=\"2\" b=\"3\"/><stick a=\"3\" b=\"5\"/>"
    "<stick a=\"4\" b=\"6\"/><stick a=\"1\" b=\"2\"/><stick a=\"5\" b=\"7\"/>"
    "<stick a=\"1\" b=\"3\"/><stick a=\"9\" b=\"10\"/><stick a=\"8\" b=\"9\"/>"
    "<stick a=\"8\" b=\"10\"/><stick a=\"1\" b=\"8\"/>"
    "</skeleton><skeletonVoxelBindings/></model>";

void writeBytes(const std::string& name, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(name.c_str(), "wb");
    if (!file)
    {
        std::abort();
    }
    if (size > 0)
    {
        std::fwrite(data, 1, size, file);
    }
    std::fclose(file);
}

// One editor for the whole run: building a scene per input would cost more than the load.
struct FuzzEditor
{
    FuzzEditor()
    {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        folder = std::string(base) + "/bramblewick-fuzz-" + std::to_string(getpid());
        std::filesystem::create_directories(folder);
        editor = new EditorMode(nullptr);
        editor->createMenus = false; // menus need fonts and materials, and never read files
        editor->prepare({folder + "/absent.xml"});
        figure = folder + "/figure.xml";
        writeBytes(figure, reinterpret_cast<const uint8_t*>(figureModel),
                   std::char_traits<char>::length(figureModel));
    }

    std::string file(const char* name) const { return folder + "/" + name; }

    HeadlessEngine engine;
    EditorMode* editor = nullptr; // kept for the life of the process
    std::string folder;
    std::string figure;
};

FuzzEditor& fuzzEditor()
{
    static FuzzEditor* instance = new FuzzEditor();
    return *instance;
}

// Loads; on success saves and insists that the saved pair loads again.
void loadSaveReload(EditorMode& editor, const FuzzEditor& fuzz, const std::string& model,
                    const std::string& animation)
{
    editor.animations.clear();
    try
    {
        editor.loadModel(model, animation);
    }
    catch (const std::exception&)
    {
        return; // refused with a message: fine
    }
    const std::string savedModel = fuzz.file("saved.xml");
    const std::string savedAnimation = fuzz.file("saved-anim.xml");
    editor.saveModel(savedModel, savedAnimation);
    editor.animations.clear();
    try
    {
        editor.loadModel(savedModel, savedAnimation);
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "a saved file does not load again: %s\n", error.what());
        std::abort();
    }
    editor.animations.clear();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzEditor& fuzz = fuzzEditor();
    EditorMode& editor = *fuzz.editor;

    const std::string input = fuzz.file("input.xml");
    writeBytes(input, data, size);
    loadSaveReload(editor, fuzz, input, "");
    loadSaveReload(editor, fuzz, fuzz.figure, input);
    return 0;
}
