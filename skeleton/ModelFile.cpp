// Reading and writing the model file and the animation file of EditorMode.
//
// Both are small TinyXML documents. The written text must stay byte for byte what older
// editors wrote ("%d" integers, "%f" reals, TinyXML's printed layout), and the reader must keep
// accepting the hand-edited files people have, with the same defaults for anything missing.

#include "editor/EditorMode.h"

#include "app/Log.h"
#include "app/SafeFile.h"
#include "editor/ModelViewMode.h"
#include "editor/ViewMode.h"
#include "editor/Voxel.h"
#include "menu/BarMenuView.h"
#include "menu/MenuSystem.h"
#include "skeleton/Animation.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticle.h"
#include "skeleton/VerletParticleSystem.h"

#include <OgreColourValue.h>
#include <OgreStringConverter.h>
#include <tinyxml.h>

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace
{

// --- writing values ---

std::string integerText(int value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%d", value);
    return text;
}

// TinyXML's own double formatting differs from "%f", which the files have always used.
std::string realText(float value)
{
    char text[64]; // FLT_MAX in "%f" takes 46 characters
    std::snprintf(text, sizeof(text), "%f", static_cast<double>(value));
    return text;
}

TiXmlElement* addElement(TiXmlNode* parent, const char* name)
{
    auto* element = new TiXmlElement(name);
    parent->LinkEndChild(element);
    return element;
}

void setInteger(TiXmlElement* element, const char* name, int value)
{
    element->SetAttribute(name, integerText(value).c_str());
}

void setReal(TiXmlElement* element, const char* name, float value)
{
    element->SetAttribute(name, realText(value).c_str());
}

// --- reading values ---

// The leading decimal integer of the text, 0 when it does not start with one. Values beyond the
// 32-bit range are clamped rather than wrapped, so a typo cannot turn into a far-away number
// of the opposite sign.
int leadingInteger(const char* text)
{
    if (!text)
    {
        return 0;
    }
    while (std::isspace(static_cast<unsigned char>(*text)))
    {
        ++text;
    }
    bool negative = false;
    if (*text == '+' || *text == '-')
    {
        negative = *text == '-';
        ++text;
    }
    long long value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*text)); ++text)
    {
        if (value <= static_cast<long long>(INT_MAX) + 1)
        {
            value = value * 10 + (*text - '0');
        }
    }
    if (negative)
    {
        value = -value;
    }
    if (value > INT_MAX)
    {
        return INT_MAX;
    }
    if (value < INT_MIN)
    {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

int readInteger(const TiXmlElement* element, const char* name)
{
    return leadingInteger(element->Attribute(name));
}

// No model comes anywhere near this; larger values only come from damaged files, and they
// overflow the binding geometry into NaN positions that the engine refuses.
constexpr double largestReal = 1.0e6;

// Thrown by readReal, and turned into a message that names the file by the loader.
struct UnusableNumber
{
    std::string description;
};

// Read as "%lf" reads it; text that does not start with a number counts as absent.
float readReal(const TiXmlElement* element, const char* name, float fallback)
{
    const char* text = element->Attribute(name);
    double value = 0.0;
    if (!text || std::sscanf(text, "%lf", &value) != 1)
    {
        return fallback;
    }
    if (!(std::fabs(value) <= largestReal)) // also refuses NaN
    {
        throw UnusableNumber{"\"" + std::string(name) + "\" of \"" + element->Value() +
                             "\" at row " + std::to_string(element->Row()) + " is " + text +
                             ", which is no usable number"};
    }
    return static_cast<float>(value);
}

// Runs a part of the load, naming the file in the message of a number it cannot use.
template <typename Part>
void readPart(const std::string& what, const std::string& fileName, Part part)
{
    try
    {
        part();
    }
    catch (const UnusableNumber& error)
    {
        throw TextException("couldn't read the " + what + " \"" + fileName +
                            "\": " + error.description);
    }
}

std::string readText(const TiXmlElement* element, const char* name)
{
    const char* text = element->Attribute(name);
    return text ? text : "";
}

// --- files ---

std::string quoted(const std::string& fileName) { return "\"" + fileName + "\""; }

// Parses the file into the document. Returns false when there is nothing to read (no such
// file, or an empty one); throws when a file is there but is not XML, because starting with an
// empty model would let the next save overwrite the user's work.
bool loadDocument(TiXmlDocument& document, const std::string& fileName, const std::string& what)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(fileName, error);
    if (status.type() == fs::file_type::not_found)
    {
        return false;
    }
    // A folder or a pipe would make the parser allocate nonsense or wait forever.
    if (!error && status.type() != fs::file_type::regular)
    {
        throw TextException("couldn't read the " + what + " " + quoted(fileName) +
                            ": it is not a file");
    }
    if (status.type() == fs::file_type::regular && fs::file_size(fileName, error) == 0 && !error)
    {
        return false;
    }
    if (document.LoadFile(fileName))
    {
        return true;
    }
    throw TextException("couldn't read the " + what + " " + quoted(fileName) + ": " +
                        document.ErrorDesc() + " (row " + integerText(document.ErrorRow()) +
                        ", column " + integerText(document.ErrorCol()) + ")");
}

bool writeDocument(const TiXmlDocument& document, const std::string& fileName)
{
    return writeFileSafely(fileName, [&](std::FILE* file) { return document.SaveFile(file); });
}

// --- documents ---

Animation readAnimation(const TiXmlElement* element)
{
    Animation animation;
    animation.loop = readInteger(element, "loop") != 0;
    animation.end = readReal(element, "end", 0.0f);
    const float speed = readReal(element, "speed", 1.0f);
    const float spread = readReal(element, "speed_spread", 0.0f);
    animation.speedMin = speed - spread;
    animation.speedMax = speed + spread;
    animation.comment = readText(element, "comment");

    for (const TiXmlElement* frame = element->FirstChildElement("frame"); frame;
         frame = frame->NextSiblingElement("frame"))
    {
        const float time = readReal(frame, "time", 0.0f);
        std::vector<Ogre::Vector3> positions;
        for (const TiXmlElement* position = frame->FirstChildElement("position"); position;
             position = position->NextSiblingElement("position"))
        {
            positions.emplace_back(readReal(position, "x", 0.0f), readReal(position, "y", 0.0f),
                                   readReal(position, "z", 0.0f));
        }
        for (const TiXmlElement* control = frame->FirstChildElement("control"); control;
             control = control->NextSiblingElement("control"))
        {
            Animation::Control value;
            value.key = readText(control, "key");
            const char* text = control->Attribute("value");
            value.intValue = leadingInteger(text);
            value.vectorValue = Animation::UNSET_VECTOR;
            if (text && *text)
            {
                value.vectorValue =
                    Ogre::StringConverter::parseVector3(text, Animation::UNSET_VECTOR);
            }
            animation.controls[time].push_back(value);
        }
        animation.frames[time] = std::move(positions);
    }
    return animation;
}

void writeAnimation(TiXmlElement* parent, const Animation& animation)
{
    TiXmlElement* element = addElement(parent, "animation");
    setInteger(element, "loop", animation.loop ? 1 : 0);
    setReal(element, "end", animation.end);
    const float speed = (animation.speedMin + animation.speedMax) * 0.5f;
    setReal(element, "speed", speed);
    const float spread = speed - animation.speedMin;
    if (std::fabs(spread) > 0.0001f)
    {
        setReal(element, "speed_spread", spread);
    }
    if (!animation.comment.empty())
    {
        element->SetAttribute("comment", animation.comment.c_str());
    }
    for (const auto& [time, positions] : animation.frames)
    {
        TiXmlElement* frame = addElement(element, "frame");
        setReal(frame, "time", time);
        for (const Ogre::Vector3& position : positions)
        {
            TiXmlElement* positionElement = addElement(frame, "position");
            setReal(positionElement, "x", position.x);
            setReal(positionElement, "y", position.y);
            setReal(positionElement, "z", position.z);
        }
        const auto controls = animation.controls.find(time);
        if (controls == animation.controls.end())
        {
            continue;
        }
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

} // namespace

void EditorMode::saveModel(const std::string& modelFile, const std::string& animationFile)
{
    // Poses are never saved: the skeleton goes back to its rest pose and every voxel to its
    // nearest stick, so the file always holds fresh bindings of voxels that exist.
    if (!viewMode || viewMode->name != "ModelView")
    {
        setViewMode(new ModelViewMode());
    }
    rebindSkeleton();
    resetToRestPose();
    // A failure shown for an earlier save must not outlive a save that works.
    if (menuSystem && menuSystem->barMenuView)
    {
        menuSystem->barMenuView->clearMessage();
    }

    TiXmlDocument modelDocument;
    TiXmlElement* model = addElement(&modelDocument, "model");

    TiXmlElement* voxelsElement = addElement(model, "voxels");
    std::unordered_map<const Skeleton::Element*, int> voxelIndices;
    voxelIndices.reserve(voxels.size());
    const std::vector<Ogre::ColourValue> colours = realColours();
    for (size_t i = 0; i < voxels.size(); ++i)
    {
        const Voxel* voxel = voxels[i];
        voxelIndices.emplace(voxel, static_cast<int>(i)); // the first one wins, as a scan would
        TiXmlElement* element = addElement(voxelsElement, "voxel");
        const Voxel::Cell& cell = voxel->getGridPosition();
        setInteger(element, "x", cell.x);
        setInteger(element, "y", cell.y);
        setInteger(element, "z", cell.z);
        const Ogre::ColourValue& colour = colours[i];
        setReal(element, "r", colour.r);
        setReal(element, "g", colour.g);
        setReal(element, "b", colour.b);
        setReal(element, "a", colour.a);
    }

    TiXmlElement* skeletonElement = addElement(model, "skeleton");
    std::unordered_map<const Verlet::Particle*, int> particleIds;
    // The rest pose in model space: the particles on screen are turned by modelOrientation.
    const std::vector<Ogre::Vector3>* restPose = baseAnimation.findFrame(0.0f);
    for (size_t i = 0; i < skeleton->entries.size(); ++i)
    {
        const Skeleton::ParticleEntry* entry = skeleton->entries[i];
        const Ogre::Vector3 position = restPose && restPose->size() == skeleton->entries.size()
                                           ? (*restPose)[i]
                                           : entry->particle->position;
        particleIds.emplace(entry->particle, entry->id); // sticks name the first entry
        TiXmlElement* element = addElement(skeletonElement, "particle");
        setReal(element, "x", position.x);
        setReal(element, "y", position.y);
        setReal(element, "z", position.z);
        setReal(element, "invMass", entry->particle->invMass);
        setInteger(element, "id", entry->id);
        element->SetAttribute("name", entry->name.c_str());
        setInteger(element, "bodyAreaHint", entry->bodyAreaHint);
    }
    for (const Verlet::Stick* stick : skeleton->system->sticks)
    {
        TiXmlElement* element = addElement(skeletonElement, "stick");
        const auto a = particleIds.find(stick->a);
        const auto b = particleIds.find(stick->b);
        setInteger(element, "a", a != particleIds.end() ? a->second : 0);
        setInteger(element, "b", b != particleIds.end() ? b->second : 0);
    }

    TiXmlElement* bindingsElement = addElement(model, "skeletonVoxelBindings");
    for (const auto& [stickIndex, group] : skeleton->bindings)
    {
        TiXmlElement* groupElement = addElement(bindingsElement, "group");
        setInteger(groupElement, "constraintIndex", stickIndex);
        for (const Skeleton::Element* element : group.elements)
        {
            const auto index = voxelIndices.find(element);
            if (index == voxelIndices.end())
            {
                // Only a voxel that is no longer in the list; writing it would make the
                // file unreadable.
                writeLog("ERROR, bound voxel not in the voxel list, left out of the file");
                continue;
            }
            setInteger(addElement(groupElement, "voxel"), "index", index->second);
        }
    }

    if (!writeDocument(modelDocument, modelFile))
    {
        reportSaveFailure(modelFile);
    }

    if (animationFile.empty())
    {
        return;
    }
    TiXmlDocument animationDocument;
    TiXmlElement* animationsElement = addElement(&animationDocument, "animations");
    for (const Animation& animation : animations)
    {
        writeAnimation(animationsElement, animation);
    }
    if (!writeDocument(animationDocument, animationFile))
    {
        reportSaveFailure(animationFile);
    }
}

void EditorMode::loadModel(const std::string& modelFile, const std::string& animationFile)
{
    TiXmlDocument modelDocument;
    if (!loadDocument(modelDocument, modelFile, "model file"))
    {
        return; // a new model
    }

    // Bindings first: the voxels then go without a search through every group.
    skeleton->clearBindings();
    std::vector<int> allVoxels(voxels.size());
    for (size_t i = 0; i < allVoxels.size(); ++i)
    {
        allVoxels[i] = static_cast<int>(i);
    }
    removeVoxels(allVoxels);
    skeleton->clearEntries();
    destroySkeletonObjects();
    skeleton->clearBindings();
    baseAnimation.frames.clear(); // the loaded particles become the rest pose

    const TiXmlElement* model = modelDocument.FirstChildElement("model");
    if (!model)
    {
        throw std::runtime_error("model not found");
    }
    const TiXmlElement* voxelsElement = model->FirstChildElement("voxels");
    if (!voxelsElement)
    {
        throw std::runtime_error("voxels not found");
    }

    readPart(
        "model file", modelFile,
        [&]
        {
            for (const TiXmlElement* element = voxelsElement->FirstChildElement("voxel"); element;
                 element = element->NextSiblingElement("voxel"))
            {
                const Ogre::ColourValue colour(
                    readReal(element, "r", 1.0f), readReal(element, "g", 1.0f),
                    readReal(element, "b", 1.0f), readReal(element, "a", 1.0f));
                addVoxel(readInteger(element, "x"), readInteger(element, "y"),
                         readInteger(element, "z"), colour, 1);
            }

            const TiXmlElement* skeletonElement = model->FirstChildElement("skeleton");
            if (skeletonElement && skeletonElement->FirstChildElement("particle"))
            {
                for (const TiXmlElement* element = skeletonElement->FirstChildElement("particle");
                     element; element = element->NextSiblingElement("particle"))
                {
                    const Ogre::Vector3 position(readReal(element, "x", 0.0f),
                                                 readReal(element, "y", 0.0f),
                                                 readReal(element, "z", 0.0f));
                    skeleton->addEntry(
                        position, readInteger(element, "id"), readText(element, "name"),
                        readInteger(element, "bodyAreaHint"), readReal(element, "invMass", 1.0f));
                }
                // Ids need not be unique: a stick names the first particle with its id.
                std::unordered_map<int, Verlet::Particle*> particlesById;
                for (const Skeleton::ParticleEntry* entry : skeleton->entries)
                {
                    particlesById.emplace(entry->id, entry->particle);
                }
                for (const TiXmlElement* element = skeletonElement->FirstChildElement("stick");
                     element; element = element->NextSiblingElement("stick"))
                {
                    const auto a = particlesById.find(readInteger(element, "a"));
                    const auto b = particlesById.find(readInteger(element, "b"));
                    if (a == particlesById.end() || b == particlesById.end())
                    {
                        continue;
                    }
                    skeleton->system->addStick(a->second, b->second,
                                               a->second->position.distance(b->second->position));
                }
                createSkeletonObjects();
            }

            const TiXmlElement* bindingsElement = model->FirstChildElement("skeletonVoxelBindings");
            if (bindingsElement)
            {
                for (const TiXmlElement* groupElement = bindingsElement->FirstChildElement("group");
                     groupElement; groupElement = groupElement->NextSiblingElement("group"))
                {
                    Skeleton::BindingGroup group;
                    group.constraintIndex = readInteger(groupElement, "constraintIndex");
                    for (const TiXmlElement* element = groupElement->FirstChildElement("voxel");
                         element; element = element->NextSiblingElement("voxel"))
                    {
                        const int index = readInteger(element, "index");
                        if (index < 0 || static_cast<size_t>(index) >= voxels.size())
                        {
                            throw std::out_of_range("invalid vector<T> subscript");
                        }
                        group.elements.push_back(voxels[index]);
                    }
                    skeleton->bindings[group.constraintIndex] = std::move(group);
                }
            }
        });

    readPart("animation file", animationFile,
             [&]
             {
                 if (!animationFile.empty())
                 {
                     TiXmlDocument animationDocument;
                     const TiXmlElement* animationsElement = nullptr;
                     if (loadDocument(animationDocument, animationFile, "animation file"))
                     {
                         animationsElement = animationDocument.FirstChildElement("animations");
                     }
                     const size_t particleCount = skeleton->system->particles.size();
                     int number = 0;
                     for (const TiXmlElement* element =
                              animationsElement ? animationsElement->FirstChildElement("animation")
                                                : nullptr;
                          element; element = element->NextSiblingElement("animation"))
                     {
                         ++number;
                         Animation animation = readAnimation(element);
                         // A key frame of another length (an empty one, one holding only
                         // controls, or any frame beside a model without particles) is kept as
                         // it is and written back unchanged; it is only never shown.
                         for (const auto& [time, positions] : animation.frames)
                         {
                             if (positions.size() != particleCount)
                             {
                                 writeLog("animation " + integerText(number) +
                                          " has a key frame at time " + realText(time) + " with " +
                                          integerText(int(positions.size())) + " positions for " +
                                          integerText(int(particleCount)) +
                                          " particles; it is kept but not shown");
                             }
                         }
                         animations.push_back(std::move(animation));
                     }
                 }
             });

    try
    {
        resetToRestPose();
    }
    catch (const std::out_of_range& error)
    {
        const size_t stickCount = skeleton->system->sticks.size();
        for (const auto& [stickIndex, group] : skeleton->bindings)
        {
            if (stickIndex < 0 || static_cast<size_t>(stickIndex) >= stickCount)
            {
                throw std::out_of_range("couldn't read the model file " + quoted(modelFile) +
                                        ": a voxel group is bound to stick " +
                                        integerText(stickIndex) + ", but the skeleton has " +
                                        integerText(int(stickCount)) + " sticks");
            }
        }
        throw std::out_of_range("couldn't read the model file " + quoted(modelFile) + ": " +
                                error.what());
    }
}

void EditorMode::reportSaveFailure(const std::string& fileName)
{
    ++saveFailures;
    writeLog("ERROR, couldn't write " + fileName);
    std::cerr << "ERROR, couldn't write " << fileName << std::endl;
    // In the bar too: a user who never sees the terminal must not believe the work is safe.
    if (menuSystem && menuSystem->barMenuView)
    {
        menuSystem->barMenuView->showMessage("couldn't write " + fileName);
    }
}
