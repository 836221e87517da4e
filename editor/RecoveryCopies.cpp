#include "editor/RecoveryCopies.h"

#include "app/Log.h"
#include "app/SafeFile.h"
#include "editor/EditorMode.h"
#include "editor/Voxel.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticle.h"
#include "skeleton/VerletParticleSystem.h"

#include <OgreStringConverter.h>
#include <tinyxml.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <unordered_map>

namespace fs = std::filesystem;

namespace
{

std::string integerText(int value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%d", value);
    return text;
}

std::string realText(float value)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%f", static_cast<double>(value));
    return text;
}

TiXmlElement* addElement(TiXmlNode* parent, const char* name)
{
    auto* element = new TiXmlElement(name);
    parent->LinkEndChild(element);
    return element;
}

void setReals(TiXmlElement* element, const Ogre::Vector3& v)
{
    element->SetAttribute("x", realText(v.x).c_str());
    element->SetAttribute("y", realText(v.y).c_str());
    element->SetAttribute("z", realText(v.z).c_str());
}

// The model as a save would write it, but without re-binding or touching what is shown: the
// skeleton in its rest pose, every voxel in its own colour, the bindings as they stand.
void buildModel(EditorMode& editor, TiXmlDocument& document)
{
    TiXmlElement* model = addElement(&document, "model");
    TiXmlElement* voxelsElement = addElement(model, "voxels");
    std::unordered_map<const Skeleton::Element*, int> voxelIndices;
    const std::vector<Ogre::ColourValue> colours = editor.realColours();
    for (size_t i = 0; i < editor.voxels.size(); ++i)
    {
        const Voxel* voxel = editor.voxels[i];
        voxelIndices.emplace(voxel, int(i));
        TiXmlElement* element = addElement(voxelsElement, "voxel");
        element->SetAttribute("x", integerText(voxel->gridPosition.x).c_str());
        element->SetAttribute("y", integerText(voxel->gridPosition.y).c_str());
        element->SetAttribute("z", integerText(voxel->gridPosition.z).c_str());
        const Ogre::ColourValue& colour = colours[i];
        element->SetAttribute("r", realText(colour.r).c_str());
        element->SetAttribute("g", realText(colour.g).c_str());
        element->SetAttribute("b", realText(colour.b).c_str());
        element->SetAttribute("a", realText(colour.a).c_str());
    }

    Skeleton* skeleton = editor.skeleton;
    const std::vector<Ogre::Vector3>* rest = editor.baseAnimation.findFrame(0.0f);
    if (rest && rest->size() != skeleton->entries.size())
        rest = nullptr;
    TiXmlElement* skeletonElement = addElement(model, "skeleton");
    std::unordered_map<const Verlet::Particle*, int> particleIds;
    for (size_t i = 0; i < skeleton->entries.size(); ++i)
    {
        const Skeleton::ParticleEntry* entry = skeleton->entries[i];
        particleIds.emplace(entry->particle, entry->id);
        TiXmlElement* element = addElement(skeletonElement, "particle");
        // The rest pose, also while an animation pose is on show.
        setReals(element, rest ? (*rest)[i] : entry->particle->position);
        element->SetAttribute("invMass", realText(entry->particle->invMass).c_str());
        element->SetAttribute("id", integerText(entry->id).c_str());
        element->SetAttribute("name", entry->name.c_str());
        element->SetAttribute("bodyAreaHint", integerText(entry->bodyAreaHint).c_str());
    }
    for (const Verlet::Stick* stick : skeleton->system->sticks)
    {
        TiXmlElement* element = addElement(skeletonElement, "stick");
        const auto a = particleIds.find(stick->a);
        const auto b = particleIds.find(stick->b);
        element->SetAttribute("a", integerText(a != particleIds.end() ? a->second : 0).c_str());
        element->SetAttribute("b", integerText(b != particleIds.end() ? b->second : 0).c_str());
    }

    TiXmlElement* bindingsElement = addElement(model, "skeletonVoxelBindings");
    for (const auto& [stickIndex, group] : skeleton->bindings)
    {
        TiXmlElement* groupElement = addElement(bindingsElement, "group");
        groupElement->SetAttribute("constraintIndex", integerText(stickIndex).c_str());
        for (const Skeleton::Element* element : group.elements)
        {
            const auto index = voxelIndices.find(element);
            if (index != voxelIndices.end())
                addElement(groupElement, "voxel")
                    ->SetAttribute("index", integerText(index->second).c_str());
        }
    }
}

void buildAnimations(EditorMode& editor, TiXmlDocument& document)
{
    TiXmlElement* root = addElement(&document, "animations");
    for (const Animation& animation : editor.animations)
    {
        TiXmlElement* element = addElement(root, "animation");
        element->SetAttribute("loop", animation.loop ? "1" : "0");
        element->SetAttribute("end", realText(animation.end).c_str());
        const float speed = (animation.speedMin + animation.speedMax) * 0.5f;
        element->SetAttribute("speed", realText(speed).c_str());
        if (std::fabs(speed - animation.speedMin) > 0.0001f)
            element->SetAttribute("speed_spread", realText(speed - animation.speedMin).c_str());
        if (!animation.comment.empty())
            element->SetAttribute("comment", animation.comment.c_str());
        for (const auto& [time, positions] : animation.frames)
        {
            TiXmlElement* frame = addElement(element, "frame");
            frame->SetAttribute("time", realText(time).c_str());
            for (const Ogre::Vector3& position : positions)
                setReals(addElement(frame, "position"), position);
            const auto controls = animation.controls.find(time);
            if (controls == animation.controls.end())
                continue;
            for (const Animation::Control& control : controls->second)
            {
                TiXmlElement* controlElement = addElement(frame, "control");
                controlElement->SetAttribute("key", control.key.c_str());
                const std::string value = control.vectorValue != Animation::UNSET_VECTOR
                                              ? Ogre::StringConverter::toString(control.vectorValue)
                                              : integerText(control.intValue);
                controlElement->SetAttribute("value", value.c_str());
            }
        }
    }
}

// A copy is either the old one or the new one, never half of one.
bool writeSafely(const TiXmlDocument& document, const std::string& path)
{
    return writeFileSafely(path, [&](std::FILE* file) { return document.SaveFile(file); });
}

// FNV-1a: short, stable across runs and machines.
std::string hashText(const std::string& text)
{
    uint32_t hash = 2166136261u;
    for (unsigned char c : text)
        hash = (hash ^ c) * 16777619u;
    char out[9];
    std::snprintf(out, sizeof(out), "%08x", hash);
    return out;
}

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return fs::exists(a, error) && fs::exists(b, error) && fs::equivalent(a, b, error);
}

} // namespace

RecoveryCopies::RecoveryCopies(const std::string& userFolder, const std::string& modelFile,
                               const std::string& animationFile)
    : folder(userFolder + "recovery/"), modelFile(modelFile), animationFile(animationFile)
{
    std::error_code error;
    modelHash = hashText(fs::absolute(modelFile, error).lexically_normal().string());
}

double RecoveryCopies::period()
{
    const char* text = std::getenv("BRAMBLEWICK_RECOVERY_SECONDS");
    const double seconds = text ? std::atof(text) : 0.0;
    return seconds > 0.0 ? seconds : 60.0;
}

std::string RecoveryCopies::copyName(const std::string& fileName, const char* ending) const
{
    return folder + fs::path(fileName).stem().string() + "-" + stamp + "-" + modelHash + ending;
}

bool RecoveryCopies::write(EditorMode& editor)
{
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
    {
        writeLog("ERROR, couldn't create " + folder + ": " + error.message());
        return false;
    }
    if (stamp.empty())
    {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        char text[32];
        std::strftime(text, sizeof(text), "%Y-%m-%d_%H-%M-%S", &local);
        stamp = text;
        modelCopy = copyName(modelFile, ".xml");
        animationCopy = animationFile.empty() ? "" : copyName(animationFile, ".animations.xml");
    }
    // Opened from the recovery folder and copied in the same second: never over the original.
    if (sameFile(modelCopy, modelFile) ||
        (!animationCopy.empty() && sameFile(animationCopy, animationFile)))
    {
        writeLog("ERROR, recovery copy would replace the file it copies, not written");
        return false;
    }

    TiXmlDocument model;
    buildModel(editor, model);
    bool written = writeSafely(model, modelCopy);
    if (written && !animationCopy.empty())
    {
        TiXmlDocument animations;
        buildAnimations(editor, animations);
        written = writeSafely(animations, animationCopy);
    }
    if (!written)
        writeLog("ERROR, couldn't write recovery copy " + modelCopy + ": " + std::strerror(errno));
    return written;
}

void RecoveryCopies::discard()
{
    std::error_code error;
    for (const std::string& copy : {modelCopy, animationCopy})
        if (!copy.empty())
            fs::remove(copy, error);
}

std::string RecoveryCopies::findNewer() const
{
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return "";
    const std::string prefix = fs::path(modelFile).stem().string() + "-";
    const std::string suffix = "-" + modelHash + ".xml";
    fs::file_time_type newest = fs::file_time_type::min();
    if (fs::exists(modelFile, error))
        newest = fs::last_write_time(modelFile, error);
    std::string found;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
    {
        const std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix))
            continue;
        const fs::file_time_type written = entry.last_write_time(error);
        if (!error && written > newest)
        {
            newest = written;
            found = entry.path().string();
        }
    }
    return found;
}
