#include "editor/EditorMode.h"

#include "app/Log.h"
#include "editor/SelectToolMode.h"
#include "editor/ViewMode.h"
#include "editor/Voxel.h"
#include "skeleton/Animation.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/TempFolder.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Ogre::ColourValue;
using Ogre::Vector3;

namespace
{

void writeFile(const std::string& name, const std::string& text)
{
    std::ofstream(name, std::ios::binary) << text;
}

// Loads the files into a fresh editor (one grey start voxel, no skeleton) and returns what was
// thrown, or "nothing thrown".
std::string loadError(const std::string& model, const std::string& animation = "")
{
    EditorTestFixture session;
    try
    {
        session.editor->loadModel(model, animation);
    }
    catch (const std::exception& error)
    {
        return error.what();
    }
    return "nothing thrown";
}

const std::string twoParticles = "<model><voxels><voxel/></voxels><skeleton><particle id=\"0\"/>"
                                 "<particle id=\"1\" y=\"2\"/><stick a=\"0\" b=\"1\"/>"
                                 "</skeleton></model>";

} // namespace

// The small figure of the format tests: ids that are not the indices, two animations using
// every attribute the file carries (one of them with a key frame too short to show).
TEST(ModelFile, SaveLoadSaveGivesIdenticalTextAndSavingLeavesThePosingView)
{
    TempFolder folder("bramblewick-modelfile");
    {
        EditorTestFixture first;
        first.editor->loadModel((TEST_MODELS / "figure.xml").string(),
                                (TEST_MODELS / "figure_animations.xml").string());
        ASSERT_EQ(first.editor->animations.size(), 2u);
        first.editor->skeleton->system->particles[8]->invMass = 0.0f; // a pinned spine
        first.editor->saveModel(folder.file("a.xml"), folder.file("a-anim.xml"));
    }
    EditorTestFixture second;
    EditorMode& editor = *second.editor;
    editor.loadModel(folder.file("a.xml"), folder.file("a-anim.xml"));
    EXPECT_EQ(editor.voxels.size(), 17u);
    EXPECT_EQ(editor.skeleton->entries.size(), 15u);
    EXPECT_EQ(editor.skeleton->system->sticks.size(), 17u);
    EXPECT_FALSE(editor.skeleton->bindings.empty());
    editor.saveModel(folder.file("b.xml"), folder.file("b-anim.xml"));
    const std::string firstModel = readFile(folder.file("a.xml"));
    EXPECT_EQ(firstModel, readFile(folder.file("b.xml")));
    EXPECT_EQ(readFile(folder.file("a-anim.xml")), readFile(folder.file("b-anim.xml")));
    // Ids, not indices, name the ends of a stick; nothing is left beside the files.
    EXPECT_NE(firstModel.find("        <stick a=\"109\" b=\"111\" />\n"), std::string::npos);
    EXPECT_NE(firstModel.find("invMass=\"0.000000\" id=\"108\""), std::string::npos);
    EXPECT_EQ(readFile(folder.file("a-anim.xml")), readFile(TEST_MODELS / "figure_animations.xml"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 4);

    // Saving from the posing view goes back to the model view, and the bindings written are
    // made afresh at the save, never as they happen to stand.
    auto* posing = new ViewMode();
    posing->name = "AnimateView";
    editor.setViewMode(posing);
    editor.skeleton->bindings.clear();
    editor.saveModel(folder.file("c.xml"), "");
    ASSERT_NE(editor.viewMode, nullptr);
    EXPECT_EQ(editor.viewMode->name, "ModelView");
    EXPECT_EQ(readFile(folder.file("c.xml")), firstModel);
}

TEST(ModelFile, ReadsMissingAndMalformedValuesWithTheirDefaults)
{
    TempFolder folder("bramblewick-modelfile");
    // Id 1 is taken twice: the stick uses the earlier particle. The stick naming id 99 is
    // dropped and the one after it keeps its place.
    writeFile(folder.file("m.xml"),
              "<model><voxels><voxel x=\"4\" y=\"1\" z=\"-2\"/><voxel g=\"0.5\"/></voxels>"
              "<skeleton><particle id=\"1\" invMass=\"0\"/><particle id=\"2\" y=\"3\" z=\"4\"/>"
              "<particle id=\"1\" x=\"9\"/><stick a=\"1\" b=\"99\"/><stick a=\"2\" b=\"1\"/>"
              "</skeleton></model>");
    const struct
    {
        const char* attributes;
        bool loop;
        float speedMin, speedMax;
    } animationCases[] = {{"loop=\"2\"", true, 1, 1},
                          {"loop=\"yes\" speed=\"abc\" speed_spread=\"abc\"", false, 1, 1},
                          {"speed=\"3\" speed_spread=\"-0.5\"", false, 3.5f, 2.5f}};
    const struct
    {
        const char* value;
        int intValue;
        Vector3 vectorValue;
    } controlCases[] = {{"0 0 0", 0, Vector3::ZERO},
                        {"3", 3, Animation::UNSET_VECTOR},
                        {"1 2 3", 1, Vector3(1, 2, 3)},
                        {"1 2", 1, Animation::UNSET_VECTOR}};
    std::string animations = "<animations>";
    for (const auto& c : animationCases)
        animations += std::string("<animation ") + c.attributes + "/>";
    animations += "<animation><frame time=\"0.5\"><position/><position/><position/>";
    for (const auto& c : controlCases)
        animations += std::string("<control key=\"k\" value=\"") + c.value + "\"/>";
    writeFile(folder.file("a.xml"), animations + "</frame></animation></animations>");

    EditorTestFixture session;
    EditorMode& editor = *session.editor;
    editor.loadModel(folder.file("m.xml"), folder.file("a.xml"));

    // Missing colour components are 1: x, y, z only is opaque white.
    ASSERT_EQ(editor.voxels.size(), 2u);
    EXPECT_EQ(editor.voxels[0]->getColour(), ColourValue(1, 1, 1, 1));
    EXPECT_EQ(editor.voxels[0]->getGridPosition(), (Voxel::Cell{4, 1, -2}));
    EXPECT_EQ(editor.voxels[1]->getColour(), ColourValue(1, 0.5f, 1, 1));

    const Verlet::ParticleSystem& system = *editor.skeleton->system;
    ASSERT_EQ(system.particles.size(), 3u);
    EXPECT_EQ(system.particles[0]->invMass, 0.0f);
    EXPECT_EQ(system.particles[1]->invMass, 1.0f);
    ASSERT_EQ(system.sticks.size(), 1u);
    EXPECT_EQ(system.sticks[0]->a, system.particles[1]);
    EXPECT_EQ(system.sticks[0]->b, system.particles[0]);
    EXPECT_FLOAT_EQ(system.sticks[0]->restLength, 5.0f);

    ASSERT_EQ(editor.animations.size(), 4u);
    for (size_t i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(animationCases[i].attributes);
        EXPECT_EQ(editor.animations[i].loop, animationCases[i].loop);
        EXPECT_EQ(editor.animations[i].speedMin, animationCases[i].speedMin);
        EXPECT_EQ(editor.animations[i].speedMax, animationCases[i].speedMax);
    }
    const std::vector<Animation::Control>& controls = editor.animations[3].controls.at(0.5f);
    ASSERT_EQ(controls.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
    {
        SCOPED_TRACE(controlCases[i].value);
        EXPECT_EQ(controls[i].intValue, controlCases[i].intValue);
        EXPECT_EQ(controls[i].vectorValue, controlCases[i].vectorValue);
    }
}

// A file an older version wrote after a move, with two voxels in a cell, opens: the later voxel
// is dropped, the bindings are renumbered to the kept voxels, the log says so, and a save
// writes the model clean.
TEST(ModelFile, TwoVoxelsInACellOpenAndSaveClean)
{
    TempFolder folder("bramblewick-twocells");
    writeFile(folder.file("m.xml"),
              "<model><voxels><voxel r=\"0\"/><voxel x=\"1\"/><voxel g=\"0\"/><voxel x=\"2\"/>"
              "</voxels><skeleton><particle id=\"1\"/><particle id=\"2\" x=\"3\"/>"
              "<stick a=\"1\" b=\"2\"/></skeleton><skeletonVoxelBindings><group>"
              "<voxel index=\"2\"/><voxel index=\"3\"/><voxel index=\"0\"/></group>"
              "</skeletonVoxelBindings></model>");
    {
        EditorTestFixture session;
        EditorMode& editor = *session.editor;
        LogCapture log;
        editor.loadModel(folder.file("m.xml"), "");
        EXPECT_TRUE(log.contains("ERROR, " + folder.file("m.xml") +
                                 ": 2 voxels in cell (0, 0, 0): the later one dropped"));
        ASSERT_EQ(editor.voxels.size(), 3u);
        EXPECT_EQ(editor.voxels[0]->colour, ColourValue(0, 1, 1, 1));
        const std::vector<Skeleton::Element*>& group = editor.skeleton->bindings.at(0).elements;
        EXPECT_EQ(group, (std::vector<Skeleton::Element*>{editor.voxels[2], editor.voxels[0]}));

        editor.saveModel(folder.file("m.xml"), "");
    }
    EditorTestFixture reopened;
    LogCapture again;
    reopened.editor->loadModel(folder.file("m.xml"), "");
    EXPECT_EQ(reopened.editor->voxels.size(), 3u);
    for (const std::string& line : again.lines)
        EXPECT_NE(line.rfind("ERROR", 0), 0u) << line;
}

// A missing file starts a new model. Files that would otherwise fail later (or be silently
// overwritten on the next save) stop the start-up with a message saying what is wrong and, where
// the fault is in the text, naming the file.
TEST(ModelFile, MissingFileStartsNewAndBadFilesAreRefused)
{
    TempFolder folder("bramblewick-modelfile");
    {
        EditorTestFixture session;
        session.editor->loadModel(folder.file("none.xml"), folder.file("none-anim.xml"));
        EXPECT_EQ(session.editor->voxels.size(), 1u);
        EXPECT_TRUE(session.editor->animations.empty());
    }
    auto badIndex = [](const char* index)
    {
        return std::string("<model><voxels><voxel/></voxels><skeletonVoxelBindings><group>"
                           "<voxel index=\"") +
               index + "\"/></group></skeletonVoxelBindings></model>";
    };
    const struct
    {
        std::string model;
        const char* animation;
        const char* expected;
        bool named; // the message names the file at fault
    } cases[] = {
        {"<model>\n<voxels>\n</model>\n", nullptr, "row 3", true},
        {"<thing><voxels/></thing>", nullptr, "model not found", false},
        {"<!--model--><model><skeleton/></model>", nullptr, "voxels not found", false},
        {badIndex("-1"), nullptr, "invalid vector<T> subscript", false}, // a voxel index outside
        {badIndex("1"), nullptr, "invalid vector<T> subscript", false},  // the list, either way
        {"<model><voxels><voxel r=\"1e39\"/></voxels></model>", nullptr, "no usable number", true},
        {"<model><voxels><voxel/></voxels><skeleton><particle/><particle y=\"1\"/><stick a=\"0\" "
         "b=\"0\"/></skeleton><skeletonVoxelBindings><group constraintIndex=\"17\"><voxel/>"
         "</group></skeletonVoxelBindings></model>",
         nullptr, "stick 17", true},
        {twoParticles, "<animations><animation>", "row 1, column 24", true}, // ends inside
        {"\n  hello", nullptr, "(row 2, column 3)", true},                   // no element at all
    };
    const std::string model = folder.file("model.xml"), animation = folder.file("anim.xml");
    for (const auto& each : cases)
    {
        writeFile(model, each.model);
        if (each.animation)
            writeFile(animation, each.animation);
        const std::string text = loadError(model, each.animation ? animation : "");
        EXPECT_NE(text.find(each.expected), std::string::npos) << text;
        if (each.named)
            EXPECT_NE(text.find(each.animation ? animation : model), std::string::npos) << text;
    }
}

// Key frames that cannot be shown on this skeleton (empty, controls only, or any frame beside a
// model without particles) are opened and written back as they were.
TEST(ModelFile, KeyFramesOfAnotherLengthAreKeptAndWrittenBackUnchanged)
{
    TempFolder folder("bramblewick-modelfile");
    const std::string animations =
        "<animations>\n    <animation loop=\"0\" end=\"1.000000\" speed=\"1.000000\">\n"
        "        <frame time=\"0.000000\">\n"
        "            <position x=\"0.000000\" y=\"0.000000\" z=\"0.000000\" />\n"
        "        </frame>\n"
        "        <frame time=\"0.500000\" />\n"
        "        <frame time=\"1.000000\">\n"
        "            <control key=\"step\" value=\"2\" />\n"
        "        </frame>\n    </animation>\n</animations>\n";
    writeFile(folder.file("anim.xml"), animations);
    for (const std::string& model : {twoParticles, std::string("<model><voxels/></model>")})
    {
        writeFile(folder.file("model.xml"), model);
        EditorTestFixture session;
        session.editor->loadModel(folder.file("model.xml"), folder.file("anim.xml"));
        ASSERT_EQ(session.editor->animations.size(), 1u);
        session.editor->saveModel(folder.file("model.xml"), folder.file("saved.xml"));
        EXPECT_EQ(readFile(folder.file("saved.xml")), animations) << model;
    }
}

// With voxels selected (shown red), a save writes every voxel's own colour and the selection
// stays as it is on screen.
TEST(ModelFile, SavingWithASelectionWritesTheVoxelsOwnColours)
{
    TempFolder folder("bramblewick-modelfile");
    EditorTestFixture session;
    session.clearVoxels();
    const ColourValue blue(0.25f, 0.5f, 0.75f, 1.0f);
    session.editor->addVoxel(0, 0, 0, blue, 1);
    auto* tool = session.install(new SelectToolMode());
    session.lookFrom({0.5f, 0.5f, 20.0f}, {0.5f, 0.5f, 0.0f});
    session.dragRectangle(-0.5f, 0.5f, 0.5f, -0.5f);
    ASSERT_EQ(tool->selection.size(), 1u);
    session.editor->saveModel(folder.file("m.xml"), "");
    const std::string text = readFile(folder.file("m.xml"));
    EXPECT_NE(text.find("r=\"0.250000\" g=\"0.500000\" b=\"0.750000\""), std::string::npos) << text;
    EXPECT_EQ(tool->selection.size(), 1u);
    EXPECT_EQ(session.editor->voxels[0]->getColour(), ColourValue(1, 0, 0, 1));
}

TEST(ModelFile, FailedWriteKeepsTheOldFileAndStillWritesTheOther)
{
    TempFolder folder("bramblewick-modelfile");
    EditorTestFixture session;
    EditorMode& editor = *session.editor;
    editor.animations.push_back(Animation());
    editor.animations[0].controls[0.5f] = {Animation::Control()}; // no frame there: not written

    // A file-size limit that the animation file fits and the model file does not: writing the
    // model's temporary file fails halfway, even for root. The old model stays as it was, no
    // temporary file is left, and a file of the name a careless save would use is not touched.
    writeFile(folder.file("m.xml"), "old model");
    writeFile(folder.file("m.xml.tmp"), "the user's own file");
    LogCapture log;
    testing::internal::CaptureStderr();
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = 150;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    editor.saveModel(folder.file("m.xml"), folder.file("a.xml"));
    ::setrlimit(RLIMIT_FSIZE, &previous);
    ::signal(SIGXFSZ, SIG_DFL);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(readFile(folder.file("m.xml")), "old model");
    EXPECT_EQ(readFile(folder.file("m.xml.tmp")), "the user's own file");
    EXPECT_TRUE(log.contains("ERROR, couldn't write " + folder.file("m.xml")));
    EXPECT_NE(errors.find("ERROR, couldn't write " + folder.file("m.xml")), std::string::npos)
        << errors;
    EXPECT_EQ(readFile(folder.file("a.xml")), "<animations>\n    <animation loop=\"0\" "
                                              "end=\"0.000000\" speed=\"1.000000\" />\n"
                                              "</animations>\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 3);
}

// Animations made with only a model file named (key 2, a pose) count as unsaved, and a save
// writes them beside the model, where the next start finds them. Names up to the 255-byte limit
// save too: the temporary name and the animation file's name are shortened to fit, by one rule.
TEST(ModelFile, AnimationsWithoutAnAnimationFileAreSavedBesideTheModelAndFoundAgain)
{
    TempFolder folder("bramblewick-companion");
    for (const std::string& stem : {std::string("walker"), std::string(251, 'w')})
    {
        const std::string model = folder.file(stem + ".xml");
        std::string animations;
        {
            EditorTestFixture session;
            EditorMode& editor = *session.editor;
            editor.loadModel((TEST_MODELS / "figure.xml").string(), "");
            editor.modelFileName = model;
            editor.save();
            session.press(OIS::KC_2);
            editor.asStep("pose", [&] { editor.setKeyFrame(0, 0.5f, editor.animations[0].frames[0.0f]); });
            EXPECT_TRUE(editor.hasUnsavedChanges());
            LogCapture log;
            editor.save();
            EXPECT_FALSE(editor.hasUnsavedChanges()) << stem.size();
            EXPECT_FALSE(log.contains("ERROR")) << stem.size();
            animations = editor.animationFileName;
        }
        const std::string name = fs::path(animations).filename().string();
        EXPECT_EQ(fs::path(animations).parent_path(), folder.path);
        EXPECT_LE(name.size(), 255u);
        if (stem.size() < 200)
        {
            EXPECT_EQ(name, "walker_animations.xml");
        }
        ASSERT_TRUE(fs::exists(model));
        ASSERT_TRUE(fs::exists(animations));

        EditorTestFixture next;
        LogCapture log;
        next.editor->files.chooseFileNames({model});
        EXPECT_EQ(next.editor->animationFileName, animations);
        EXPECT_TRUE(log.contains("using animation file " + animations));
        next.editor->loadModel(model, next.editor->animationFileName);
        ASSERT_EQ(next.editor->animations.size(), 1u);
        EXPECT_NE(next.editor->animations[0].findFrame(0.5f), nullptr);
    }
    // Nothing but the two models and their animation files: no temporary file is left.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 4);
}
