#include "formats/Gltf.h"

#include "editor/EditorMode.h"
#include "editor/Voxel.h"
#include "skeleton/ModelDocument.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticle.h"
#include "tests/TempFolder.h"
#include "tests/editor/EditorTestFixture.h"

#include <OgreMatrix4.h>
#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <tuple>

namespace fs = std::filesystem;
using Ogre::Vector3;

namespace
{

ModelDocument readDocument(const fs::path& model, const fs::path& animations)
{
    ModelDocument document;
    readModelFile(model.string(), document);
    readAnimationFile(animations.string(), document);
    return document;
}

tinygltf::Model readBack(const std::string& file)
{
    tinygltf::TinyGLTF loader;
    tinygltf::Model model;
    std::string error, warning;
    const bool read = file.size() > 5 && file.substr(file.size() - 5) == ".gltf"
                          ? loader.LoadASCIIFromFile(&model, &error, &warning, file)
                          : loader.LoadBinaryFromFile(&model, &error, &warning, file);
    EXPECT_TRUE(read) << error << warning;
    return model;
}

template <typename T> const T* values(const tinygltf::Model& model, int accessorIndex)
{
    const tinygltf::Accessor& accessor = model.accessors.at(accessorIndex);
    const tinygltf::BufferView& view = model.bufferViews.at(accessor.bufferView);
    return reinterpret_cast<const T*>(model.buffers.at(view.buffer).data.data() + view.byteOffset +
                                      accessor.byteOffset);
}

const tinygltf::Primitive& primitiveOf(const tinygltf::Model& model)
{
    return model.meshes.at(0).primitives.at(0);
}

// The skin's joint matrices (world transform times inverse bind matrix) at one sample of an
// animation. The joints' parent, the root, never moves.
std::vector<Ogre::Matrix4> jointMatrices(const tinygltf::Model& model,
                                         const tinygltf::Animation& animation, size_t sample)
{
    const tinygltf::Skin& skin = model.skins.at(0);
    std::map<int, Vector3> translations;
    std::map<int, Ogre::Quaternion> rotations;
    for (const tinygltf::AnimationChannel& channel : animation.channels)
    {
        const int output = animation.samplers.at(channel.sampler).output;
        const float* value = values<float>(model, output);
        if (channel.target_path == "translation")
            translations[channel.target_node] = Vector3(value + 3 * sample);
        else
            rotations[channel.target_node] =
                Ogre::Quaternion(value[4 * sample + 3], value[4 * sample], value[4 * sample + 1],
                                 value[4 * sample + 2]);
    }
    const float* inverseBind = values<float>(model, skin.inverseBindMatrices);
    std::vector<Ogre::Matrix4> matrices;
    for (size_t j = 0; j < skin.joints.size(); ++j)
    {
        const int node = skin.joints[j];
        Ogre::Matrix4 world = Ogre::Matrix4::IDENTITY;
        if (translations.count(node))
            world.makeTransform(translations[node], Vector3::UNIT_SCALE, rotations.at(node));
        Ogre::Matrix4 bind;
        for (int column = 0; column < 4; ++column)
            for (int row = 0; row < 4; ++row)
                bind[row][column] = inverseBind[16 * j + 4 * column + row];
        matrices.push_back(world * bind);
    }
    return matrices;
}

} // namespace

// At samples across every animation of the sample character, the exported skin moves each
// voxel's vertices where the editor's animate view puts that voxel, turned with its stick.
TEST(GltfExport, SkinMovesVoxelsAsTheAnimateViewDoes)
{
    const fs::path modelFile = EXAMPLES / "bramblewick.xml";
    const fs::path animationFile = EXAMPLES / "bramblewick_animations.xml";
    const ModelDocument document = readDocument(modelFile, animationFile);
    TempFolder folder("bramblewick-gltf");
    std::vector<std::string> warnings;
    exportGltf(document, folder.file("sample.glb"), warnings);
    EXPECT_TRUE(warnings.empty());
    const tinygltf::Model model = readBack(folder.file("sample.glb"));

    ASSERT_EQ(model.skins.size(), 1u);
    ASSERT_EQ(model.skins[0].joints.size(), document.sticks.size() + 1);
    ASSERT_EQ(model.animations.size(), document.animations.size());

    EditorTestFixture session;
    EditorMode* editor = session.editor;
    editor->loadModel(modelFile.string(), animationFile.string());
    std::map<std::tuple<int, int, int>, Voxel*> voxelAt;
    for (Voxel* voxel : editor->getVoxels())
        voxelAt[{voxel->gridPosition.x, voxel->gridPosition.y, voxel->gridPosition.z}] = voxel;
    std::map<const Skeleton::Element*, int> jointOf; // unbound voxels follow joint 0
    for (const auto& [stick, group] : editor->skeleton->bindings)
        for (const Skeleton::Element* element : group.elements)
            jointOf[element] = stick + 1;
    const std::vector<Skeleton::StickPlacement> rest = editor->skeleton->placeSticks();

    const tinygltf::Primitive& primitive = primitiveOf(model);
    const float* positions = values<float>(model, primitive.attributes.at("POSITION"));
    const float* normals = values<float>(model, primitive.attributes.at("NORMAL"));
    const uint8_t* joints = values<uint8_t>(model, primitive.attributes.at("JOINTS_0"));
    const size_t quadCount = model.accessors[primitive.attributes.at("POSITION")].count / 4;

    float largestError = 0.0f;
    size_t checked = 0;
    for (size_t a = 0; a < model.animations.size(); ++a)
    {
        const tinygltf::Animation& animation = model.animations[a];
        const int input = animation.samplers.at(0).input;
        const size_t sampleCount = model.accessors[input].count;
        const float* times = values<float>(model, input);
        for (size_t sample : {size_t(0), sampleCount / 3, sampleCount / 2 + 1, sampleCount - 1})
        {
            std::vector<Vector3> pose;
            editor->animations[a].samplePose(times[sample], pose);
            editor->applyPose(pose);
            const std::vector<Skeleton::StickPlacement> posed = editor->skeleton->placeSticks();
            const std::vector<Ogre::Matrix4> matrices = jointMatrices(model, animation, sample);
            for (size_t quad = sample % 13; quad < quadCount; quad += 13)
            {
                // The voxel behind the face: half a cell in from the face's middle.
                const Vector3 corner(positions + 12 * quad);
                const Vector3 opposite(positions + 12 * quad + 6);
                const Vector3 centre =
                    (corner + opposite) * 0.5f - Vector3(normals + 12 * quad) * 0.5f;
                const auto found =
                    voxelAt.find({int(std::floor(centre.x)), int(std::floor(centre.y)),
                                  int(std::floor(centre.z))});
                ASSERT_NE(found, voxelAt.end()) << centre;
                Voxel* voxel = found->second;
                const int joint = joints[16 * quad];
                const auto bound = jointOf.find(voxel);
                ASSERT_EQ(joint, bound == jointOf.end() ? 0 : bound->second);

                const Ogre::Quaternion turn =
                    joint == 0 ? Ogre::Quaternion::IDENTITY
                               : posed[joint - 1].rotation * rest[joint - 1].rotation.Inverse();
                const Vector3 expected = voxel->getPosition() + turn * (corner - centre);
                largestError =
                    std::max(largestError, (matrices[joint] * corner - expected).length());
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 1000u);
    EXPECT_LT(largestError, 1.0e-4f);
}

// A small figure: faces inside one binding group are left out, unbound voxels follow the root,
// key frames that cannot be shown are left out with a warning, the settings travel in extras,
// and the JSON form writes its buffer beside it.
TEST(GltfExport, SmallFigureKeepsItsPartsAndSettings)
{
    const ModelDocument document =
        readDocument(TEST_MODELS / "figure.xml", TEST_MODELS / "figure_animations.xml");
    TempFolder folder("bramblewick-gltf");
    std::vector<std::string> warnings;
    exportGltf(document, folder.file("figure model.gltf"), warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("animation 2: the key frame at 0.5 s has 3 positions"),
              std::string::npos)
        << warnings[0];
    const tinygltf::Model model = readBack(folder.file("figure model.gltf")); // with its .bin

    // Columns of five voxels, each bound to two or three sticks, and two unbound voxels side by
    // side on top of the spine: every face between two groups stays, both ways.
    std::map<int, int> quadsPerJoint;
    const tinygltf::Primitive& primitive = primitiveOf(model);
    const uint8_t* joints = values<uint8_t>(model, primitive.attributes.at("JOINTS_0"));
    const size_t quadCount = model.accessors[primitive.attributes.at("POSITION")].count / 4;
    for (size_t quad = 0; quad < quadCount; ++quad)
        ++quadsPerJoint[joints[16 * quad]];
    EXPECT_EQ(quadsPerJoint,
              (std::map<int, int>{{0, 10}, {1, 14}, {2, 10}, {3, 22}, {4, 14}, {5, 10}}));
    EXPECT_EQ(model.accessors[primitive.indices].count, quadCount * 6);

    ASSERT_EQ(model.animations.size(), 2u);
    EXPECT_EQ(model.animations[0].name, "Kick & wave");
    EXPECT_EQ(model.animations[1].name, "animation 2");
    const tinygltf::Value& extras = model.animations[0].extras;
    EXPECT_TRUE(extras.Get("loop").Get<bool>());
    EXPECT_DOUBLE_EQ(extras.Get("speed").GetNumberAsDouble(), 1.0);
    EXPECT_DOUBLE_EQ(extras.Get("speed_spread").GetNumberAsDouble(), 0.25);
    ASSERT_EQ(extras.Get("controls").ArrayLen(), 2u);
    EXPECT_EQ(extras.Get("controls").Get(0).Get("value").GetNumberAsInt(), 3);
    EXPECT_DOUBLE_EQ(extras.Get("controls").Get(1).Get("value").Get(1).GetNumberAsDouble(), 2.5);

    // 30 samples a second over the end time, and every key time.
    const tinygltf::Accessor& times = model.accessors[model.animations[0].samplers[0].input];
    EXPECT_EQ(times.count, 31u);
    const float* time = values<float>(model, model.animations[0].samplers[0].input);
    EXPECT_FLOAT_EQ(time[12], 0.4f);
    EXPECT_FLOAT_EQ(time[30], 1.0f);
}

// Nothing is written for a model that cannot be exported, and an earlier export stays whole.
TEST(GltfExport, RefusalsLeaveTheOldFile)
{
    TempFolder folder("bramblewick-gltf");
    const std::string output = folder.file("old.glb");
    std::ofstream(output) << "earlier export";
    std::vector<std::string> warnings;

    ModelDocument empty;
    ModelDocument badGroup = readDocument(TEST_MODELS / "figure.xml", "");
    badGroup.groups.push_back({17, {0}});
    const std::pair<const ModelDocument*, const char*> cases[] = {
        {&empty, "the model has no voxels"},
        {&badGroup, "bound to stick 17, but the skeleton has 17 sticks"},
    };
    for (const auto& [document, message] : cases)
    {
        try
        {
            exportGltf(*document, output, warnings);
            ADD_FAILURE() << message;
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
        EXPECT_EQ(readFile(output), "earlier export");
    }
    // A failed write says why, as the system put it.
    for (const char* name : {"missing/folder.glb", "missing/folder.gltf"})
    {
        try
        {
            exportGltf(readDocument(TEST_MODELS / "no_skeleton.xml", ""), folder.file(name),
                       warnings);
            ADD_FAILURE() << name;
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_NE(std::string(error.what()).find(": No such file or directory"),
                      std::string::npos)
                << error.what();
        }
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 1);

    // A .gltf and its .bin change together or not at all: here the .gltf cannot be replaced
    // (a folder has its name), and the .bin of the earlier export stays as it was.
    fs::create_directory(folder.file("pair.gltf"));
    std::ofstream(folder.file("pair.bin")) << "earlier buffer";
    EXPECT_THROW(exportGltf(readDocument(TEST_MODELS / "figure.xml", ""), folder.file("pair.gltf"),
                            warnings),
                 std::runtime_error);
    EXPECT_EQ(readFile(folder.file("pair.bin")), "earlier buffer");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 3)
        << "no temporary file is left";
}

// COLOR_0 holds the linear value of each stored (sRGB, as shown on screen) colour, so that an
// importer shows what the artist saw; and the Latin-1 texts of the model (animation names,
// control keys) leave as UTF-8.
TEST(GltfExport, ColoursAreLinearAndTextsUtf8)
{
    ModelDocument document =
        readDocument(TEST_MODELS / "figure.xml", TEST_MODELS / "figure_animations.xml");
    for (size_t i = 0; i < document.voxels.size(); ++i)
        document.voxels[i].colour = Ogre::ColourValue(
            float(i * 37 % 256) / 255, float(i * 91 % 256) / 255, float(i % 11) / 255, 1.0f);
    document.voxels[0].colour = Ogre::ColourValue(0.434f, 0.2f, 0.02f, 0.5f); // the foot brown
    document.animations[0].comment = "L\xE4ufer";
    document.animations[0].controls.begin()->second.at(0).key = "Schl\xFCssel";
    TempFolder folder("bramblewick-gltf");
    std::vector<std::string> warnings;
    exportGltf(document, folder.file("figure.gltf"), warnings);
    const tinygltf::Model model = readBack(folder.file("figure.gltf"));

    EXPECT_EQ(model.animations.at(0).name, "L\u00e4ufer");
    EXPECT_EQ(model.animations[0].extras.Get("controls").Get(0).Get("key").Get<std::string>(),
              "Schl\u00fcssel");

    std::map<std::tuple<int, int, int>, Ogre::ColourValue> colourAt;
    for (const ModelDocument::Voxel& voxel : document.voxels)
        colourAt[{voxel.x, voxel.y, voxel.z}] = voxel.colour;
    const auto srgbOf = [](float linear)
    {
        return linear <= 0.0031308f ? linear * 12.92f
                                    : 1.055f * std::pow(linear, 1.0f / 2.4f) - 0.055f;
    };
    const tinygltf::Primitive& primitive = primitiveOf(model);
    const float* positions = values<float>(model, primitive.attributes.at("POSITION"));
    const float* normals = values<float>(model, primitive.attributes.at("NORMAL"));
    const float* colours = values<float>(model, primitive.attributes.at("COLOR_0"));
    const size_t vertexCount = model.accessors[primitive.attributes.at("POSITION")].count;
    float largestError = 0.0f;
    for (size_t vertex = 0; vertex < vertexCount; ++vertex)
    {
        const size_t quad = vertex / 4;
        const Vector3 centre =
            (Vector3(positions + 12 * quad) + Vector3(positions + 12 * quad + 6)) * 0.5f -
            Vector3(normals + 12 * quad) * 0.5f;
        const Ogre::ColourValue& stored = colourAt.at(
            {int(std::floor(centre.x)), int(std::floor(centre.y)), int(std::floor(centre.z))});
        const float* colour = colours + 4 * vertex;
        for (float error : {srgbOf(colour[0]) - stored.r, srgbOf(colour[1]) - stored.g,
                            srgbOf(colour[2]) - stored.b, colour[3] - stored.a})
            largestError = std::max(largestError, std::fabs(error));
    }
    EXPECT_LT(largestError, 1.0f / 255.0f);
    EXPECT_NEAR(srgbOf(0.158f), 0.434f, 0.001f) << "the conversion above is the sRGB one";
}

// Left Ctrl + E writes "<model name>.glb" beside the model file from the rest pose, whatever
// pose is shown, and changes nothing in the editor or its files.
TEST(GltfExport, ControlEWritesTheGlbBesideTheModel)
{
    TempFolder folder("bramblewick-gltf");
    fs::copy_file(TEST_MODELS / "figure.xml", folder.file("figure.xml"));
    EditorTestFixture session;
    EditorMode* editor = session.editor;
    editor->modelFileName = folder.file("figure.xml");
    editor->loadModel(editor->modelFileName, (TEST_MODELS / "figure_animations.xml").string());
    editor->applyPose(editor->animations[0].frames.at(0.4f));
    const Vector3 shownKnee = editor->skeleton->entries[11]->particle->position;

    session.input->held.insert(OIS::KC_LCONTROL);
    session.press(OIS::KC_E);
    EXPECT_EQ(editor->cameraVelocity, Vector3::ZERO);
    EXPECT_EQ(editor->skeleton->entries[11]->particle->position, shownKnee);
    EXPECT_EQ(readFile(folder.file("figure.xml")), readFile((TEST_MODELS / "figure.xml").string()));

    const tinygltf::Model model = readBack(folder.file("figure.glb"));
    ASSERT_EQ(model.animations.size(), 2u);
    // Stick 0 runs from the left hip (particle 9) to the left knee (11) at rest.
    const std::vector<double>& hip = model.nodes.at(2).translation;
    EXPECT_EQ(Vector3(float(hip[0]), float(hip[1]), float(hip[2])), Vector3(2, 5, 0));
}
