#include "editor/EditorMode.h"

#include "app/Log.h"
#include "editor/ViewMode.h"
#include "editor/Voxel.h"
#include "skeleton/Animation.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using Ogre::ColourValue;
using Ogre::Vector3;

namespace
{

// A folder of its own for each test, removed afterwards.
class TempFolder
{
public:
    TempFolder()
    {
        static std::atomic<int> counter{0};
        path = fs::temp_directory_path() / ("bramblewick-modelfile-" + std::to_string(::getpid()) +
                                            "-" + std::to_string(counter++));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string file(const std::string& name) const { return (path / name).string(); }

    fs::path path;
};

std::string readFile(const std::string& name)
{
    std::ifstream stream(name, std::ios::binary);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

void writeFile(const std::string& name, const std::string& text)
{
    std::ofstream(name, std::ios::binary) << text;
}

// A prepared editor on a headless engine (without menus), started as the program starts
// without a model file: one grey voxel at the origin, an empty skeleton and no animations.
class Session : public EditorTestFixture
{
public:
    explicit Session(const TempFolder&) {}

    // Loads a model file (and an animation file) the way start-up does.
    void load(const std::string& model, const std::string& animation = "")
    {
        editor->loadModel(model, animation);
    }
};

// Fifteen particles in a standing figure laid out as binding expects (neck 1, shoulders 2 and
// 3, spine 8 above the hips 9 and 10, legs 9-11-13 and 10-12-14, hands 6 and 7) and seventeen
// sticks, each at right angles to the reference axis its index gives it, so that binding and
// placement are exact rotations. Ids are not the indices: a reader that confuses them fails.
const int figureParticles[15][3] = {{0, 14, 0}, {0, 12, 0}, {3, 11, 0}, {-3, 11, 0}, {5, 8, 0},
                                    {-5, 8, 0}, {6, 5, 0},  {-6, 5, 0}, {0, 8, 0},   {2, 5, 0},
                                    {-2, 5, 0}, {2, 3, 0},  {-2, 3, 0}, {2, 0, 0},   {-2, 0, 0}};
const int figureSticks[17][2] = {{9, 11}, {11, 13}, {8, 1}, {10, 12}, {12, 14}, {1, 0},
                                 {2, 4},  {2, 3},   {3, 5}, {4, 6},   {1, 2},   {5, 7},
                                 {1, 3},  {9, 10},  {8, 9}, {8, 10},  {1, 8}};

std::string figureSkeleton()
{
    const char* names[15] = {"head",   "neck",     "lshoulder", "rshoulder", "lelbow",
                             "relbow", "lefthand", "righthand", "spine",     "lhip",
                             "rhip",   "lknee",    "rknee",     "lfoot",     "rfoot"};
    std::string text = "<skeleton>";
    for (int i = 0; i < 15; ++i)
    {
        const int* p = figureParticles[i];
        text += "<particle x=\"" + std::to_string(p[0]) + "\" y=\"" + std::to_string(p[1]) +
                "\" z=\"" + std::to_string(p[2]) + "\" invMass=\"" + (i == 8 ? "0" : "1") +
                "\" id=\"" + std::to_string(100 + i) + "\" name=\"" + names[i] +
                "\" bodyAreaHint=\"" + std::to_string(i % 4) + "\"/>";
    }
    for (const auto& stick : figureSticks)
    {
        text += "<stick a=\"" + std::to_string(100 + stick[0]) + "\" b=\"" +
                std::to_string(100 + stick[1]) + "\"/>";
    }
    return text + "</skeleton>";
}

std::string figureModel(const std::string& extraSkeletonXml = "")
{
    std::string text = "<model><voxels>";
    for (int y = 0; y < 14; y += 2)
    {
        for (int x = -3; x <= 3; x += 3)
        {
            text += "<voxel x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
                    "\" z=\"0\" r=\"0.25\" g=\"0.5\" b=\"0.75\" a=\"1\"/>";
        }
    }
    std::string skeleton = figureSkeleton();
    skeleton.insert(skeleton.size() - std::string("</skeleton>").size(), extraSkeletonXml);
    return text + "</voxels>" + skeleton + "<skeletonVoxelBindings/></model>";
}

std::vector<Vector3> figurePose(float shift)
{
    std::vector<Vector3> pose;
    for (int i = 0; i < 15; ++i)
    {
        pose.emplace_back(i * 0.5f + shift, 1.25f * i, -shift);
    }
    return pose;
}

// Two animations that use every attribute the file carries.
std::string figureAnimations()
{
    auto frame = [](float time, float shift, const std::string& controls)
    {
        std::string text = "<frame time=\"" + std::to_string(time) + "\">";
        for (const Vector3& p : figurePose(shift))
        {
            text += "<position x=\"" + std::to_string(p.x) + "\" y=\"" + std::to_string(p.y) +
                    "\" z=\"" + std::to_string(p.z) + "\"/>";
        }
        return text + controls + "</frame>";
    };
    return "<animations>"
           "<animation loop=\"1\" end=\"2\" speed=\"1\" speed_spread=\"0.5\" comment=\"walk &amp; "
           "&lt;run&gt;\">" +
           frame(0, 0,
                 "<control key=\"step\" value=\"1 2.5 -3\"/><control key=\"n\" value=\"3\"/>") +
           frame(1, 1, "") + frame(2, 0, "<control key=\"zero\" value=\"0 0 0\"/>") +
           "</animation>"
           "<animation loop=\"0\" end=\"0\" speed=\"2\">" +
           frame(0, 0.5f, "") + "</animation></animations>";
}

} // namespace

TEST(ModelFile, SaveLoadSaveGivesIdenticalText)
{
    TempFolder folder;
    writeFile(folder.file("in.xml"), figureModel());
    writeFile(folder.file("in-anim.xml"), figureAnimations());
    {
        Session first(folder);
        first.load(folder.file("in.xml"), folder.file("in-anim.xml"));
        ASSERT_EQ(first.editor->animations.size(), 2u);
        first.editor->saveModel(folder.file("a.xml"), folder.file("a-anim.xml"));
    }
    {
        Session second(folder);
        second.load(folder.file("a.xml"), folder.file("a-anim.xml"));
        EXPECT_EQ(second.editor->voxels.size(), 21u);
        EXPECT_EQ(second.editor->skeleton->entries.size(), 15u);
        EXPECT_EQ(second.editor->skeleton->system->sticks.size(), 17u);
        EXPECT_FALSE(second.editor->skeleton->bindings.empty());
        second.editor->saveModel(folder.file("b.xml"), folder.file("b-anim.xml"));
    }
    const std::string firstModel = readFile(folder.file("a.xml"));
    const std::string firstAnimations = readFile(folder.file("a-anim.xml"));
    EXPECT_EQ(firstModel, readFile(folder.file("b.xml")));
    EXPECT_EQ(firstAnimations, readFile(folder.file("b-anim.xml")));

    // Ids, not indices, name the ends of a stick.
    EXPECT_NE(firstModel.find("        <stick a=\"109\" b=\"111\" />\n"), std::string::npos);
    // Nothing left beside the files.
    EXPECT_FALSE(fs::exists(folder.file("a.xml.tmp")));
    EXPECT_FALSE(fs::exists(folder.file("b-anim.xml.tmp")));
}

TEST(ModelFile, WritesTheExactLayout)
{
    TempFolder folder;
    Session session(folder);
    EditorMode& editor = *session.editor;
    editor.removeVoxel(0);
    editor.addVoxel(0, 0, 0, ColourValue(0.5f, 0.25f, 1.0f, 1.0f), 1);
    editor.addVoxel(-1, 2, 3, ColourValue(1.0f, 0.0f, 0.0f, 0.5f), 1);

    Animation walk;
    walk.loop = true;
    walk.end = 2.0f;
    walk.speedMin = 0.5f;
    walk.speedMax = 1.5f;
    walk.comment = "walk & <run>";
    walk.frames[0.0f] = {Vector3(1, 2, 3), Vector3(-1.25f, 0.5f, 12)};
    walk.frames[1.0f] = {};
    Animation::Control grip;
    grip.key = "grip";
    grip.vectorValue = Vector3(1, 2.5f, -3);
    Animation::Control mood;
    mood.key = "mood";
    mood.intValue = -3;
    walk.controls[0.0f] = {grip, mood};
    walk.controls[0.5f] = {mood}; // no frame there: not written
    editor.animations.push_back(walk);
    editor.animations.push_back(Animation());

    editor.saveModel(folder.file("m.xml"), folder.file("a.xml"));

    // Without particles every voxel goes to stick 0.
    EXPECT_EQ(readFile(folder.file("m.xml")),
              "<model>\n"
              "    <voxels>\n"
              "        <voxel x=\"0\" y=\"0\" z=\"0\" r=\"0.500000\" g=\"0.250000\" "
              "b=\"1.000000\" a=\"1.000000\" />\n"
              "        <voxel x=\"-1\" y=\"2\" z=\"3\" r=\"1.000000\" g=\"0.000000\" "
              "b=\"0.000000\" a=\"0.500000\" />\n"
              "    </voxels>\n"
              "    <skeleton />\n"
              "    <skeletonVoxelBindings>\n"
              "        <group constraintIndex=\"0\">\n"
              "            <voxel index=\"0\" />\n"
              "            <voxel index=\"1\" />\n"
              "        </group>\n"
              "    </skeletonVoxelBindings>\n"
              "</model>\n");
    EXPECT_EQ(readFile(folder.file("a.xml")),
              "<animations>\n"
              "    <animation loop=\"1\" end=\"2.000000\" speed=\"1.000000\" "
              "speed_spread=\"0.500000\" comment=\"walk &amp; &lt;run&gt;\">\n"
              "        <frame time=\"0.000000\">\n"
              "            <position x=\"1.000000\" y=\"2.000000\" z=\"3.000000\" />\n"
              "            <position x=\"-1.250000\" y=\"0.500000\" z=\"12.000000\" />\n"
              "            <control key=\"grip\" value=\"1 2.5 -3\" />\n"
              "            <control key=\"mood\" value=\"-3\" />\n"
              "        </frame>\n"
              "        <frame time=\"1.000000\" />\n"
              "    </animation>\n"
              "    <animation loop=\"0\" end=\"0.000000\" speed=\"1.000000\" />\n"
              "</animations>\n");
}

TEST(ModelFile, EmptyModelAndAnimationFileChoices)
{
    TempFolder folder;
    {
        Session session(folder);
        session.editor->removeVoxel(0);
        // No animation file name: only the model is written.
        session.editor->saveModel(folder.file("empty.xml"), "");
        EXPECT_EQ(readFile(folder.file("empty.xml")), "<model>\n"
                                                      "    <voxels />\n"
                                                      "    <skeleton />\n"
                                                      "    <skeletonVoxelBindings />\n"
                                                      "</model>\n");
        int files = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.path))
        {
            ++files;
        }
        EXPECT_EQ(files, 1);
        // A name but no animations: an empty list.
        session.editor->saveModel(folder.file("empty.xml"), folder.file("anim.xml"));
        EXPECT_EQ(readFile(folder.file("anim.xml")), "<animations />\n");
    }
    Session reloaded(folder);
    reloaded.load(folder.file("empty.xml"), folder.file("anim.xml"));
    EXPECT_TRUE(reloaded.editor->voxels.empty()); // the start voxel is replaced
    EXPECT_TRUE(reloaded.editor->skeleton->entries.empty());
    EXPECT_TRUE(reloaded.editor->animations.empty());
}

TEST(ModelFile, ReadsMissingAndMalformedValuesWithTheirDefaults)
{
    TempFolder folder;
    // Particle 15 repeats id 105; stick 105-112 must use the earlier particle (index 5).
    // The stick naming id 999 is dropped; the one after it keeps its place.
    const std::string extra = "<particle id=\"105\"/>"
                              "<particle x=\"abc\" y=\"1.5e1\" z=\" 2\" id=\"12abc\" "
                              "invMass=\"0\" bodyAreaHint=\"-7\"/>"
                              "<stick a=\"100\" b=\"999\"/>"
                              "<stick a=\"105\" b=\"112\"/>";
    std::string model = figureModel(extra);
    model.insert(model.find("</voxels>"), "<voxel x=\"40\" y=\"1\" z=\"-2\"/>"
                                          "<voxel x=\"41\" y=\"99999999999\" r=\"oops\" g=\"0.5\"/>"
                                          "<voxel x=\"40\" y=\"1\" z=\"-2\" r=\"0\"/>");
    model.replace(model.find("<skeletonVoxelBindings/>"), 24,
                  "<skeletonVoxelBindings>"
                  "<group constraintIndex=\"3\"><voxel index=\"1\"/></group>"
                  "<group constraintIndex=\"3\"><voxel index=\"2\"/><voxel/></group>"
                  "</skeletonVoxelBindings>");
    writeFile(folder.file("m.xml"), model);
    writeFile(folder.file("a.xml"),
              "<animations>"
              "<animation loop=\"2\"><frame/></animation>"
              "<animation loop=\"yes\" speed=\"abc\" speed_spread=\"abc\"/>"
              "<animation speed=\"3\" speed_spread=\"-0.5\" end=\"x\"/>"
              "<animation><frame time=\"0.5\"><control key=\"a\" value=\"0 0 0\"/>"
              "<control key=\"b\" value=\"3\"/><control key=\"c\" value=\"1 2 3\"/>"
              "<control value=\"1 2\"/><control key=\"e\"/><control key=\"f\" value=\"x\"/>"
              "</frame><frame time=\"0.5\"><control key=\"g\" value=\"-4\"/></frame>"
              "</animation>"
              "</animations>");
    {
        Session session(folder);
        EditorMode& editor = *session.editor;
        session.load(folder.file("m.xml"));

        // Voxels: missing colour components are 1, so x/y/z only is opaque white; a taken cell
        // is dropped, so the 21 figure voxels are followed by exactly two.
        ASSERT_EQ(editor.voxels.size(), 23u);
        EXPECT_EQ(editor.voxels[21]->getColour(), ColourValue(1, 1, 1, 1));
        EXPECT_EQ(editor.voxels[21]->getGridPosition(), (Voxel::Cell{40, 1, -2}));
        EXPECT_EQ(editor.voxels[22]->getColour(), ColourValue(1, 0.5f, 1, 1));
        // An integer beyond 32 bits is clamped, not wrapped to some other number.
        EXPECT_EQ(editor.voxels[22]->getGridPosition(), (Voxel::Cell{41, INT_MAX, 0}));

        // Particles.
        Skeleton& skeleton = *editor.skeleton;
        ASSERT_EQ(skeleton.entries.size(), 17u);
        const Skeleton::ParticleEntry* bare = skeleton.entries[15];
        EXPECT_EQ(bare->particle->position, Vector3::ZERO);
        EXPECT_EQ(bare->particle->invMass, 1.0f);
        EXPECT_EQ(bare->name, "");
        EXPECT_EQ(bare->bodyAreaHint, 0);
        const Skeleton::ParticleEntry* odd = skeleton.entries[16];
        EXPECT_EQ(odd->particle->position, Vector3(0, 15, 2));
        EXPECT_EQ(odd->particle->invMass, 0.0f);
        EXPECT_EQ(odd->id, 12);
        EXPECT_EQ(odd->bodyAreaHint, -7);
        EXPECT_EQ(skeleton.entries[8]->particle->invMass, 0.0f);
        EXPECT_EQ(skeleton.entries[6]->name, "lefthand");

        // Sticks: 17 figure sticks, the dangling one dropped, the duplicate id resolved forwards.
        ASSERT_EQ(skeleton.system->sticks.size(), 18u);
        const Verlet::Stick* last = skeleton.system->sticks.back();
        EXPECT_EQ(last->a, skeleton.system->particles[5]);
        EXPECT_EQ(last->b, skeleton.system->particles[12]);
        EXPECT_FLOAT_EQ(last->restLength, Vector3(-5, 8, 0).distance(Vector3(-2, 3, 0)));

        // Bindings: the later group of the same stick wins; a voxel without index is voxel 0.
        ASSERT_EQ(skeleton.bindings.size(), 1u);
        const Skeleton::BindingGroup& group = skeleton.bindings.at(3);
        EXPECT_EQ(group.constraintIndex, 3);
        ASSERT_EQ(group.elements.size(), 2u);
        EXPECT_EQ(group.elements[0], editor.voxels[2]);
        EXPECT_EQ(group.elements[1], editor.voxels[0]);
    }

    // Animations, read against a model without particles so that empty frames fit.
    writeFile(folder.file("plain.xml"), "<model><voxels/></model>");
    Session plain(folder);
    plain.load(folder.file("plain.xml"), folder.file("a.xml"));
    const std::vector<Animation>& animations = plain.editor->animations;
    ASSERT_EQ(animations.size(), 4u);
    EXPECT_TRUE(animations[0].loop);
    EXPECT_EQ(animations[0].end, 0.0f);
    EXPECT_EQ(animations[0].speedMin, 1.0f);
    EXPECT_EQ(animations[0].speedMax, 1.0f);
    EXPECT_EQ(animations[0].comment, "");
    ASSERT_EQ(animations[0].frames.size(), 1u);
    EXPECT_EQ(animations[0].frames.begin()->first, 0.0f);
    EXPECT_FALSE(animations[1].loop);
    EXPECT_EQ(animations[1].speedMin, 1.0f);
    EXPECT_EQ(animations[1].speedMax, 1.0f);
    EXPECT_TRUE(animations[1].frames.empty());
    EXPECT_EQ(animations[2].speedMin, 3.5f);
    EXPECT_EQ(animations[2].speedMax, 2.5f);
    EXPECT_EQ(animations[2].end, 0.0f);

    const auto& controls = animations[3].controls;
    ASSERT_EQ(controls.size(), 1u);
    const std::vector<Animation::Control>& at = controls.at(0.5f);
    ASSERT_EQ(at.size(), 7u); // both frames at 0.5 add to the same list
    EXPECT_EQ(at[0].intValue, 0);
    EXPECT_EQ(at[0].vectorValue, Vector3::ZERO);
    EXPECT_EQ(at[1].intValue, 3);
    EXPECT_EQ(at[1].vectorValue, Animation::UNSET_VECTOR);
    EXPECT_EQ(at[2].intValue, 1);
    EXPECT_EQ(at[2].vectorValue, Vector3(1, 2, 3));
    EXPECT_EQ(at[3].key, "");
    EXPECT_EQ(at[3].intValue, 1);
    EXPECT_EQ(at[3].vectorValue, Animation::UNSET_VECTOR);
    EXPECT_EQ(at[4].intValue, 0);
    EXPECT_EQ(at[4].vectorValue, Animation::UNSET_VECTOR);
    EXPECT_EQ(at[5].intValue, 0);
    EXPECT_EQ(at[5].vectorValue, Animation::UNSET_VECTOR);
    EXPECT_EQ(at[6].intValue, -4);
    EXPECT_EQ(animations[3].frames.size(), 1u);
}

TEST(ModelFile, MissingFilesStartNewAndBrokenFilesStopWithTheirNames)
{
    TempFolder folder;
    {
        // Nothing there: the start voxel stays, no animations, nothing thrown.
        Session session(folder);
        session.load(folder.file("none.xml"), folder.file("none-anim.xml"));
        EXPECT_EQ(session.editor->voxels.size(), 1u);
        EXPECT_TRUE(session.editor->animations.empty());
        // An empty file holds nothing to lose either.
        writeFile(folder.file("zero.xml"), "");
        session.load(folder.file("zero.xml"));
        EXPECT_EQ(session.editor->voxels.size(), 1u);
    }

    auto loadError = [&](const std::string& model, const std::string& animation)
    {
        Session session(folder);
        try
        {
            session.load(model, animation);
        }
        catch (const std::exception& error)
        {
            return std::string(error.what());
        }
        return std::string("nothing thrown");
    };

    writeFile(folder.file("broken.xml"), "<model>\n<voxels>\n</model>\n");
    std::string text = loadError(folder.file("broken.xml"), "");
    EXPECT_NE(text.find(folder.file("broken.xml")), std::string::npos) << text;
    EXPECT_NE(text.find("row 3"), std::string::npos) << text;

    writeFile(folder.file("good.xml"), figureModel());
    writeFile(folder.file("broken-anim.xml"), "<animations><animation>");
    text = loadError(folder.file("good.xml"), folder.file("broken-anim.xml"));
    EXPECT_NE(text.find(folder.file("broken-anim.xml")), std::string::npos) << text;

    fs::create_directory(folder.file("folder.xml"));
    text = loadError(folder.file("folder.xml"), "");
    EXPECT_NE(text.find(folder.file("folder.xml")), std::string::npos) << text;

    writeFile(folder.file("other.xml"), "<thing><voxels/></thing>");
    EXPECT_EQ(loadError(folder.file("other.xml"), ""), "model not found");
    writeFile(folder.file("novoxels.xml"), "<!--model--><model><skeleton/></model>");
    EXPECT_EQ(loadError(folder.file("novoxels.xml"), ""), "voxels not found");

    // A voxel index outside the list, either way.
    for (const char* index : {"-1", "21"})
    {
        std::string model = figureModel();
        model.replace(model.find("<skeletonVoxelBindings/>"), 24,
                      std::string("<skeletonVoxelBindings><group><voxel index=\"") + index +
                          "\"/></group></skeletonVoxelBindings>");
        writeFile(folder.file("index.xml"), model);
        Session session(folder);
        try
        {
            session.load(folder.file("index.xml"));
            ADD_FAILURE() << "index " << index << " was accepted";
        }
        catch (const std::out_of_range& error)
        {
            EXPECT_STREQ(error.what(), "invalid vector<T> subscript");
        }
    }

    std::string model = figureModel();
    model.replace(model.find("<skeletonVoxelBindings/>"), 24,
                  "<skeletonVoxelBindings><group constraintIndex=\"17\"><voxel index=\"0\"/>"
                  "</group></skeletonVoxelBindings>");
    writeFile(folder.file("stick.xml"), model);
    text = loadError(folder.file("stick.xml"), "");
    EXPECT_NE(text.find(folder.file("stick.xml")), std::string::npos) << text;
    EXPECT_NE(text.find("17"), std::string::npos) << text;

    // Numbers the geometry cannot take: beyond a float, or far outside any model.
    for (const char* huge : {"1e39", "nan", "-2e6"})
    {
        std::string model = figureModel();
        const std::string first = "<particle x=\"0\"";
        model.replace(model.find(first), first.size(), std::string("<particle x=\"") + huge + "\"");
        writeFile(folder.file("huge.xml"), model);
        text = loadError(folder.file("huge.xml"), "");
        EXPECT_NE(text.find(folder.file("huge.xml")), std::string::npos) << text;
        EXPECT_NE(text.find(huge), std::string::npos) << text;
    }

    // A key frame with too few positions for the figure's 15 particles.
    writeFile(folder.file("short-anim.xml"),
              "<animations><animation><frame time=\"0.5\"><position/></frame></animation>"
              "</animations>");
    text = loadError(folder.file("good.xml"), folder.file("short-anim.xml"));
    EXPECT_NE(text.find(folder.file("short-anim.xml")), std::string::npos) << text;
    EXPECT_NE(text.find("15 particles"), std::string::npos) << text;
}

TEST(ModelFile, FailedWriteKeepsTheOldFileAndStillWritesTheOther)
{
    TempFolder folder;
    Session session(folder);
    EditorMode& editor = *session.editor;
    editor.animations.push_back(Animation());

    // The temporary file cannot be made: the old model stays as it was.
    writeFile(folder.file("m.xml"), "old model");
    fs::create_directory(folder.file("m.xml.tmp"));
    LogCapture log;
    testing::internal::CaptureStderr();
    editor.saveModel(folder.file("m.xml"), folder.file("a.xml"));
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(readFile(folder.file("m.xml")), "old model");
    EXPECT_TRUE(log.contains("ERROR, couldn't write " + folder.file("m.xml")));
    EXPECT_NE(errors.find("ERROR, couldn't write " + folder.file("m.xml")), std::string::npos)
        << errors;
    EXPECT_EQ(readFile(folder.file("a.xml")), "<animations>\n"
                                              "    <animation loop=\"0\" end=\"0.000000\" "
                                              "speed=\"1.000000\" />\n"
                                              "</animations>\n");

    // A folder where the animation file should be, and a model in a folder that does not
    // exist: neither is touched and each is reported.
    fs::create_directory(folder.file("anim-folder.xml"));
    writeFile(folder.file("anim-folder.xml/keep"), "keep");
    testing::internal::CaptureStderr();
    editor.saveModel(folder.file("no/such/m.xml"), folder.file("anim-folder.xml"));
    errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("couldn't write " + folder.file("no/such/m.xml")), std::string::npos);
    EXPECT_NE(errors.find("couldn't write " + folder.file("anim-folder.xml")), std::string::npos);
    EXPECT_EQ(readFile(folder.file("anim-folder.xml/keep")), "keep");
    EXPECT_FALSE(fs::exists(folder.file("anim-folder.xml.tmp")));

    // A good save replaces the old file whole.
    fs::remove(folder.file("m.xml.tmp"));
    editor.saveModel(folder.file("m.xml"), "");
    EXPECT_EQ(readFile(folder.file("m.xml")).rfind("<model>\n", 0), 0u);
}

TEST(ModelFile, SavingLeavesThePosingViewAndWritesTheRestPose)
{
    TempFolder folder;
    writeFile(folder.file("in.xml"), figureModel());
    Session session(folder);
    EditorMode& editor = *session.editor;
    session.load(folder.file("in.xml"));
    editor.saveModel(folder.file("rest.xml"), "");

    auto* posing = new ViewMode();
    posing->name = "AnimateView";
    editor.setViewMode(posing);
    // Bindings are written as made afresh at the save, never as they happen to stand.
    editor.skeleton->bindings.clear();
    editor.saveModel(folder.file("again.xml"), "");
    ASSERT_NE(editor.viewMode, nullptr);
    EXPECT_EQ(editor.viewMode->name, "ModelView");
    EXPECT_EQ(readFile(folder.file("again.xml")), readFile(folder.file("rest.xml")));
}
