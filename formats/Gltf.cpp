#include "formats/Gltf.h"

#include "app/SafeFile.h"
#include "common/Latin1.h"
#include "skeleton/Animation.h"
#include "skeleton/ModelDocument.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"

#include <OgreMatrix3.h>
#include <OgreMatrix4.h>
#include <nlohmann/json.hpp>
#include <tiny_gltf.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <sstream>
#include <stdexcept>
#include <unordered_map>

namespace
{

const char* const GENERATOR = "BRAMBLEWICK Voxel Editor 0.14";
const float SAMPLES_PER_SECOND = 30.0f;
// A regular sample this close to a key time is left out: the key time stands for it, and two
// samples a hair apart only make importers interpolate over nothing.
const float SAMPLE_MERGE = 1.0e-4f;
// Files allow end times up to a million seconds; regular samples stop after ten minutes.
const float LONGEST_SAMPLED = 600.0f;

// ---------------------------------------------------------------------------------------------
// Buffer, views and accessors

// Appends bytes to the one buffer as a view of their own, 4-byte aligned.
int addView(tinygltf::Model& model, const void* data, size_t size, int target)
{
    std::vector<unsigned char>& bytes = model.buffers[0].data;
    bytes.resize((bytes.size() + 3) & ~size_t(3), 0);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = bytes.size();
    view.byteLength = size;
    view.target = target;
    const auto* begin = static_cast<const unsigned char*>(data);
    bytes.insert(bytes.end(), begin, begin + size);
    model.bufferViews.push_back(view);
    return static_cast<int>(model.bufferViews.size()) - 1;
}

template <typename T> int componentTypeOf();
template <> int componentTypeOf<float>() { return TINYGLTF_COMPONENT_TYPE_FLOAT; }
template <> int componentTypeOf<uint8_t>() { return TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE; }
template <> int componentTypeOf<uint16_t>() { return TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT; }
template <> int componentTypeOf<uint32_t>() { return TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT; }

int componentsOf(int type)
{
    switch (type)
    {
    case TINYGLTF_TYPE_SCALAR:
        return 1;
    case TINYGLTF_TYPE_VEC3:
        return 3;
    case TINYGLTF_TYPE_VEC4:
        return 4;
    default: // MAT4
        return 16;
    }
}

// Stores values (`type` elements, packed) and returns the accessor, with its bounds when asked.
template <typename T>
int addAccessor(tinygltf::Model& model, const std::vector<T>& values, int type, int target,
                bool bounds)
{
    const int components = componentsOf(type);
    tinygltf::Accessor accessor;
    accessor.bufferView = addView(model, values.data(), values.size() * sizeof(T), target);
    accessor.componentType = componentTypeOf<T>();
    accessor.count = values.size() / components;
    accessor.type = type;
    if (bounds)
    {
        accessor.minValues.assign(components, std::numeric_limits<double>::max());
        accessor.maxValues.assign(components, std::numeric_limits<double>::lowest());
        for (size_t i = 0; i < values.size(); ++i)
        {
            double& low = accessor.minValues[i % components];
            double& high = accessor.maxValues[i % components];
            low = std::min(low, double(values[i]));
            high = std::max(high, double(values[i]));
        }
    }
    model.accessors.push_back(accessor);
    return static_cast<int>(model.accessors.size()) - 1;
}

// ---------------------------------------------------------------------------------------------
// Joints

struct JointPlacement
{
    Ogre::Vector3 translation;
    Ogre::Quaternion rotation;
};

// Every stick's frame in the skeleton's current pose. A stick whose ends meet has no direction,
// and its frame may come out as no number: it stays unturned instead.
std::vector<JointPlacement> placeJoints(Skeleton& skeleton)
{
    std::vector<JointPlacement> joints;
    for (const Skeleton::StickPlacement& stick : skeleton.placeSticks())
    {
        Ogre::Quaternion rotation = stick.rotation;
        if (rotation.isNaN() || std::fabs(rotation.Norm() - 1.0f) > 1.0e-3f)
        {
            rotation = Ogre::Quaternion::IDENTITY;
        }
        joints.push_back({stick.origin, rotation});
    }
    return joints;
}

std::vector<double> quaternionValues(const Ogre::Quaternion& q) { return {q.x, q.y, q.z, q.w}; }

// The joint of each voxel in the skin: 0 (the root) for an unbound voxel, 1 + stick index for a
// bound one. Groups count in ascending stick order, a later one replacing an earlier one with
// the same index, as placement in the editor does.
std::vector<int> voxelJoints(const ModelDocument& document, size_t stickCount)
{
    std::vector<int> joints(document.voxels.size(), 0);
    // Without particles nothing is placed, whatever the groups say.
    if (document.particles.empty())
    {
        return joints;
    }
    std::map<int, const ModelDocument::Group*> groups;
    for (const ModelDocument::Group& group : document.groups)
    {
        groups[group.constraintIndex] = &group;
    }
    for (const auto& [stick, group] : groups)
    {
        if (stick < 0 || static_cast<size_t>(stick) >= stickCount)
        {
            throw std::runtime_error("a voxel group is bound to stick " + std::to_string(stick) +
                                     ", but the skeleton has " + std::to_string(stickCount) +
                                     " sticks");
        }
        for (int voxel : group->voxels)
        {
            joints.at(voxel) = stick + 1;
        }
    }
    return joints;
}

// ---------------------------------------------------------------------------------------------
// Mesh

// glTF's vertex colours are linear; the stored colours are what the editor shows on screen,
// sRGB. The sRGB transfer function takes one to the other, so an importer shows what the artist
// saw.
float linearOf(float srgb)
{
    return srgb <= 0.04045f ? srgb / 12.92f : std::pow((srgb + 0.055f) / 1.055f, 2.4f);
}

struct Cell
{
    int x, y, z;
    bool operator==(const Cell& other) const
    {
        return x == other.x && y == other.y && z == other.z;
    }
};

struct CellHash
{
    size_t operator()(const Cell& cell) const
    {
        return (size_t(uint32_t(cell.x)) * 73856093u) ^ (size_t(uint32_t(cell.y)) * 19349663u) ^
               (size_t(uint32_t(cell.z)) * 83492791u);
    }
};

// A face of the unit cube: its outward normal and the two edges from its first corner, turning
// counter-clockwise seen from outside.
struct Face
{
    int normal[3];
    int u[3];
    int v[3];
};

const Face FACES[6] = {
    {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
    {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
    {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
};

struct MeshData
{
    std::vector<float> positions, normals, colours, weights;
    std::vector<uint16_t> joints;
    std::vector<uint32_t> indices;
};

// The faces that can be seen: a face between two voxels that move together (one binding
// group, or both unbound) is inside the body in every pose.
MeshData buildMesh(const ModelDocument& document, const std::vector<int>& joints)
{
    std::unordered_map<Cell, size_t, CellHash> cells;
    cells.reserve(document.voxels.size());
    for (size_t i = 0; i < document.voxels.size(); ++i)
    {
        const ModelDocument::Voxel& voxel = document.voxels[i];
        cells.emplace(Cell{voxel.x, voxel.y, voxel.z}, i);
    }

    MeshData mesh;
    for (size_t i = 0; i < document.voxels.size(); ++i)
    {
        const ModelDocument::Voxel& voxel = document.voxels[i];
        const Ogre::ColourValue colour = voxel.colour.saturateCopy();
        for (const Face& face : FACES)
        {
            const auto neighbour = cells.find(
                Cell{voxel.x + face.normal[0], voxel.y + face.normal[1], voxel.z + face.normal[2]});
            if (neighbour != cells.end() && joints[neighbour->second] == joints[i])
            {
                continue;
            }
            // The face's first corner: the cell's low corner, moved out to the far side for a
            // face looking along a positive axis.
            const int cell[3] = {voxel.x, voxel.y, voxel.z};
            float corner[3];
            for (int axis = 0; axis < 3; ++axis)
            {
                corner[axis] = float(cell[axis] + (face.normal[axis] > 0 ? 1 : 0));
            }
            const uint32_t first = static_cast<uint32_t>(mesh.positions.size() / 3);
            for (int k = 0; k < 4; ++k)
            {
                const int du = (k == 1 || k == 2) ? 1 : 0;
                const int dv = (k == 2 || k == 3) ? 1 : 0;
                for (int axis = 0; axis < 3; ++axis)
                {
                    mesh.positions.push_back(corner[axis] + float(face.u[axis] * du) +
                                             float(face.v[axis] * dv));
                    mesh.normals.push_back(float(face.normal[axis]));
                }
                mesh.colours.insert(mesh.colours.end(), {linearOf(colour.r), linearOf(colour.g),
                                                         linearOf(colour.b), colour.a});
                mesh.joints.insert(mesh.joints.end(), {uint16_t(joints[i]), 0, 0, 0});
                mesh.weights.insert(mesh.weights.end(), {1.0f, 0.0f, 0.0f, 0.0f});
            }
            mesh.indices.insert(mesh.indices.end(),
                                {first, first + 1, first + 2, first, first + 2, first + 3});
        }
    }
    return mesh;
}

int addMesh(tinygltf::Model& model, const MeshData& data, bool skinned)
{
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.material = 0;
    primitive.attributes["POSITION"] =
        addAccessor(model, data.positions, TINYGLTF_TYPE_VEC3, TINYGLTF_TARGET_ARRAY_BUFFER, true);
    primitive.attributes["NORMAL"] =
        addAccessor(model, data.normals, TINYGLTF_TYPE_VEC3, TINYGLTF_TARGET_ARRAY_BUFFER, false);
    primitive.attributes["COLOR_0"] =
        addAccessor(model, data.colours, TINYGLTF_TYPE_VEC4, TINYGLTF_TARGET_ARRAY_BUFFER, false);
    if (skinned)
    {
        // Joint indices as small as they fit, as importers expect.
        const bool small = std::all_of(data.joints.begin(), data.joints.end(),
                                       [](uint16_t joint) { return joint < 256; });
        primitive.attributes["JOINTS_0"] =
            small ? addAccessor(model, std::vector<uint8_t>(data.joints.begin(), data.joints.end()),
                                TINYGLTF_TYPE_VEC4, TINYGLTF_TARGET_ARRAY_BUFFER, false)
                  : addAccessor(model, data.joints, TINYGLTF_TYPE_VEC4,
                                TINYGLTF_TARGET_ARRAY_BUFFER, false);
        primitive.attributes["WEIGHTS_0"] = addAccessor(model, data.weights, TINYGLTF_TYPE_VEC4,
                                                        TINYGLTF_TARGET_ARRAY_BUFFER, false);
    }
    const size_t vertexCount = data.positions.size() / 3;
    if (vertexCount <= 65535)
    {
        primitive.indices =
            addAccessor(model, std::vector<uint16_t>(data.indices.begin(), data.indices.end()),
                        TINYGLTF_TYPE_SCALAR, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER, false);
    }
    else
    {
        primitive.indices = addAccessor(model, data.indices, TINYGLTF_TYPE_SCALAR,
                                        TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER, false);
    }

    tinygltf::Mesh mesh;
    mesh.name = "voxels";
    mesh.primitives.push_back(primitive);
    model.meshes.push_back(mesh);

    // The vertex colours carry the look; the material only says how they are lit.
    tinygltf::Material material;
    material.name = "voxel colours";
    material.pbrMetallicRoughness.baseColorFactor = {1.0, 1.0, 1.0, 1.0};
    material.pbrMetallicRoughness.metallicFactor = 0.0;
    material.pbrMetallicRoughness.roughnessFactor = 1.0;
    model.materials.push_back(material);
    return static_cast<int>(model.meshes.size()) - 1;
}

// ---------------------------------------------------------------------------------------------
// Animations

// The key frames that fit the skeleton; the others cannot be shown and are left out.
Animation usableFrames(const Animation& animation, size_t particleCount, const std::string& name,
                       std::vector<std::string>& warnings)
{
    Animation usable = animation;
    for (auto frame = usable.frames.begin(); frame != usable.frames.end();)
    {
        if (frame->second.size() == particleCount)
        {
            ++frame;
            continue;
        }
        std::ostringstream text;
        text << name << ": the key frame at " << frame->first << " s has " << frame->second.size()
             << " positions, but the model has " << particleCount << " particles; it is left out";
        warnings.push_back(text.str());
        frame = usable.frames.erase(frame);
    }
    return usable;
}

// Every 30th of a second from 0 to the end (or the last key, if later), and every key time.
std::vector<float> sampleTimes(const Animation& animation, const std::string& name,
                               std::vector<std::string>& warnings)
{
    std::vector<float> keys;
    for (const auto& frame : animation.frames)
    {
        if (frame.first >= 0.0f) // glTF time starts at 0; earlier keys only shape the start
        {
            keys.push_back(frame.first);
        }
    }
    float duration = std::max(animation.end, keys.empty() ? 0.0f : keys.back());
    if (duration > LONGEST_SAMPLED)
    {
        warnings.push_back(name + " lasts " + std::to_string(duration) +
                           " s; it is sampled at 30 Hz for its first " +
                           std::to_string(int(LONGEST_SAMPLED)) + " s and at its key times");
    }
    const float sampled = std::min(duration, LONGEST_SAMPLED);
    std::vector<float> times = keys;
    const int count = static_cast<int>(std::ceil(sampled * SAMPLES_PER_SECOND));
    for (int k = 0; k <= count; ++k)
    {
        const float t = std::min(float(k) / SAMPLES_PER_SECOND, sampled);
        const auto next = std::lower_bound(keys.begin(), keys.end(), t);
        const bool nearKey = (next != keys.end() && *next - t < SAMPLE_MERGE) ||
                             (next != keys.begin() && t - *std::prev(next) < SAMPLE_MERGE);
        if (!nearKey)
        {
            times.push_back(t);
        }
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    return times;
}

tinygltf::Value animationExtras(const Animation& animation)
{
    using Value = tinygltf::Value;
    Value::Object extras;
    const float speed = (animation.speedMin + animation.speedMax) * 0.5f;
    extras["loop"] = Value(animation.loop);
    extras["end"] = Value(double(animation.end));
    extras["speed"] = Value(double(speed));
    extras["speed_spread"] = Value(double(speed - animation.speedMin));
    Value::Array controls;
    for (const auto& [time, list] : animation.controls)
    {
        for (const Animation::Control& control : list)
        {
            Value::Object entry;
            entry["time"] = Value(double(time));
            entry["key"] = Value(latin1ToUtf8(control.key));
            if (control.vectorValue != Animation::UNSET_VECTOR)
            {
                entry["value"] = Value(Value::Array{Value(double(control.vectorValue.x)),
                                                    Value(double(control.vectorValue.y)),
                                                    Value(double(control.vectorValue.z))});
            }
            else
            {
                entry["value"] = Value(control.intValue);
            }
            controls.push_back(Value(std::move(entry)));
        }
    }
    extras["controls"] = Value(std::move(controls));
    return Value(std::move(extras));
}

void addAnimation(tinygltf::Model& model, Skeleton& skeleton, const Animation& source,
                  const std::string& name, int firstJointNode,
                  const std::vector<Ogre::Vector3>& restPose, std::vector<std::string>& warnings)
{
    const size_t particleCount = skeleton.system->particles.size();
    Animation animation = usableFrames(source, particleCount, name, warnings);
    const std::vector<float> times = sampleTimes(animation, name, warnings);

    const size_t jointCount = skeleton.system->sticks.size();
    std::vector<std::vector<float>> translations(jointCount), rotations(jointCount);
    std::vector<Ogre::Vector3> pose;
    for (float t : times)
    {
        animation.samplePose(t, pose);
        skeleton.setPose(pose.empty() ? restPose : pose, Ogre::Quaternion::IDENTITY);
        const std::vector<JointPlacement> joints = placeJoints(skeleton);
        for (size_t j = 0; j < jointCount; ++j)
        {
            Ogre::Quaternion q = joints[j].rotation;
            std::vector<float>& previous = rotations[j];
            // Stay on the side of the previous sample, so that importers turn the short way.
            if (!previous.empty())
            {
                const float dot = q.x * previous[previous.size() - 4] +
                                  q.y * previous[previous.size() - 3] +
                                  q.z * previous[previous.size() - 2] + q.w * previous.back();
                if (dot < 0.0f)
                {
                    q = -q;
                }
            }
            const Ogre::Vector3& p = joints[j].translation;
            translations[j].insert(translations[j].end(), {p.x, p.y, p.z});
            rotations[j].insert(rotations[j].end(), {q.x, q.y, q.z, q.w});
        }
    }

    tinygltf::Animation result;
    result.name = latin1ToUtf8(name);
    const int input = addAccessor(model, times, TINYGLTF_TYPE_SCALAR, 0, true);
    for (size_t j = 0; j < jointCount; ++j)
    {
        const std::pair<const char*, int> channels[2] = {
            {"translation", addAccessor(model, translations[j], TINYGLTF_TYPE_VEC3, 0, false)},
            {"rotation", addAccessor(model, rotations[j], TINYGLTF_TYPE_VEC4, 0, false)}};
        for (const auto& [path, output] : channels)
        {
            tinygltf::AnimationSampler sampler;
            sampler.input = input;
            sampler.output = output;
            sampler.interpolation = "LINEAR";
            result.samplers.push_back(sampler);
            tinygltf::AnimationChannel channel;
            channel.sampler = static_cast<int>(result.samplers.size()) - 1;
            channel.target_node = firstJointNode + static_cast<int>(j);
            channel.target_path = path;
            result.channels.push_back(channel);
        }
    }
    result.extras = animationExtras(source);
    model.animations.push_back(result);
}

// ---------------------------------------------------------------------------------------------
// Files

std::function<bool(std::FILE*)> bytesWriter(const std::string& bytes)
{
    return [&bytes](std::FILE* file)
    { return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size(); };
}

// "couldn't write "name": the system's reason".
std::runtime_error writeFailure(const std::string& fileName)
{
    return std::runtime_error("couldn't write \"" + fileName + "\"" +
                              (errno ? std::string(": ") + std::strerror(errno) : ""));
}

bool endsWithGltf(const std::string& fileName)
{
    std::string tail = fileName.size() >= 5 ? fileName.substr(fileName.size() - 5) : "";
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return tail == ".gltf";
}

// A file name as a relative URI.
std::string uriOf(const std::string& name)
{
    std::string uri;
    for (unsigned char c : name)
    {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~')
        {
            uri += char(c);
        }
        else
        {
            char escaped[4];
            std::snprintf(escaped, sizeof(escaped), "%%%02X", c);
            uri += escaped;
        }
    }
    return uri;
}

} // namespace

void buildGltf(const ModelDocument& document, tinygltf::Model& model,
               std::vector<std::string>& warnings)
{
    if (document.voxels.empty())
    {
        throw std::runtime_error("the model has no voxels");
    }
    Skeleton skeleton(0.7f);
    buildSkeleton(document, skeleton);
    const size_t stickCount = skeleton.system->sticks.size();
    const bool skinned = stickCount > 0;
    const std::vector<int> joints = voxelJoints(document, stickCount);

    model = tinygltf::Model();
    model.asset.version = "2.0";
    model.asset.generator = GENERATOR;
    model.buffers.emplace_back();

    tinygltf::Node meshNode;
    meshNode.name = "model";
    meshNode.mesh = addMesh(model, buildMesh(document, joints), skinned);
    model.nodes.push_back(meshNode);
    tinygltf::Scene scene;
    scene.name = "model";
    scene.nodes.push_back(0);

    if (skinned)
    {
        // Node 1 is the root: unbound voxels follow it, and it holds the sticks' joints, which
        // are placed in its (the model's) space as the editor places its sticks.
        const int rootNode = 1;
        const int firstJointNode = 2;
        tinygltf::Node root;
        root.name = "root";
        std::vector<float> inverseBindMatrices = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        std::vector<tinygltf::Node> jointNodes;
        for (const JointPlacement& rest : placeJoints(skeleton))
        {
            tinygltf::Node node;
            node.name = "stick " + std::to_string(jointNodes.size());
            node.translation = {rest.translation.x, rest.translation.y, rest.translation.z};
            node.rotation = quaternionValues(rest.rotation);
            jointNodes.push_back(node);
            root.children.push_back(firstJointNode + static_cast<int>(jointNodes.size()) - 1);

            // The inverse of the rest placement: turned back, then moved back.
            Ogre::Matrix3 turn;
            rest.rotation.ToRotationMatrix(turn);
            const Ogre::Matrix3 turnBack = turn.Transpose();
            Ogre::Matrix4 inverse(turnBack);
            inverse.setTrans(-(turnBack * rest.translation));
            for (int column = 0; column < 4; ++column)
            {
                for (int row = 0; row < 4; ++row)
                {
                    inverseBindMatrices.push_back(inverse[row][column]);
                }
            }
        }
        model.nodes.push_back(root);
        model.nodes.insert(model.nodes.end(), jointNodes.begin(), jointNodes.end());
        scene.nodes.push_back(rootNode);

        tinygltf::Skin skin;
        skin.name = "skeleton";
        skin.skeleton = rootNode;
        skin.joints.push_back(rootNode);
        for (size_t j = 0; j < stickCount; ++j)
        {
            skin.joints.push_back(firstJointNode + static_cast<int>(j));
        }
        skin.inverseBindMatrices =
            addAccessor(model, inverseBindMatrices, TINYGLTF_TYPE_MAT4, 0, false);
        model.skins.push_back(skin);
        model.nodes[0].skin = 0;

        std::vector<Ogre::Vector3> restPose;
        for (const ModelDocument::Particle& particle : document.particles)
        {
            restPose.push_back(particle.position);
        }
        for (size_t i = 0; i < document.animations.size(); ++i)
        {
            const Animation& animation = document.animations[i];
            const std::string name = animation.comment.empty()
                                         ? "animation " + std::to_string(i + 1)
                                         : animation.comment;
            addAnimation(model, skeleton, animation, name, firstJointNode, restPose, warnings);
        }
    }
    else if (!document.animations.empty())
    {
        warnings.push_back("the skeleton has no sticks, so its " +
                           std::to_string(document.animations.size()) +
                           " animations move nothing and are left out");
    }

    model.scenes.push_back(scene);
    model.defaultScene = 0;
}

void exportGltf(const ModelDocument& document, const std::string& fileName,
                std::vector<std::string>& warnings)
{
    const auto failure = [&fileName](const std::string& why)
    { return std::runtime_error("couldn't export \"" + fileName + "\": " + why); };
    tinygltf::Model model;
    std::string bytes, text;
    const bool separate = endsWithGltf(fileName);
    try
    {
        buildGltf(document, model, warnings);
        tinygltf::TinyGLTF writer;
        std::ostringstream glb;
        if (!writer.WriteGltfSceneToStream(&model, glb, false, true))
        {
            throw std::runtime_error("the glTF writer failed");
        }
        bytes = glb.str();
        if (separate)
        {
            // The JSON text of the binary form, with the buffer moved out into a file of its own.
            uint32_t jsonLength = 0;
            std::memcpy(&jsonLength, bytes.data() + 12, sizeof(jsonLength));
            nlohmann::json json = nlohmann::json::parse(bytes.substr(20, jsonLength));
            const std::filesystem::path binary =
                std::filesystem::path(fileName).replace_extension(".bin");
            json["buffers"][0]["uri"] = uriOf(binary.filename().string());
            text = json.dump(2) + "\n";
        }
    }
    catch (const std::runtime_error& error)
    {
        throw failure(error.what());
    }
    catch (const std::bad_alloc&)
    {
        throw failure("there is not enough memory");
    }
    catch (const std::exception&)
    {
        // The JSON library's own words mean nothing to the user.
        throw failure("the glTF text could not be made from the model");
    }

    errno = 0;
    if (!separate)
    {
        if (!writeFileSafely(fileName, bytesWriter(bytes)))
        {
            throw writeFailure(fileName);
        }
        return;
    }
    // The .bin first, then the .gltf that names it; neither replaces an old one unless both can.
    const std::string binary = std::filesystem::path(fileName).replace_extension(".bin").string();
    const std::vector<unsigned char>& data = model.buffers[0].data;
    const std::string buffer(data.begin(), data.end());
    if (!writeFilePairSafely(binary, bytesWriter(buffer), fileName, bytesWriter(text)))
    {
        throw writeFailure(fileName);
    }
}
