// Reading and writing the model file and the animation file.
//
// Both are small TinyXML documents. The written text must stay byte for byte what older
// editors wrote ("%d" integers, "%f" reals, TinyXML's printed layout), and the reader must keep
// accepting the hand-edited files people have, with the same defaults for anything missing.

#include "skeleton/ModelDocument.h"

#include "app/Log.h"
#include "app/SafeFile.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"

#include <OgreStringConverter.h>
#include <tinyxml.h>

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <unordered_set>
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

// Prints the document in TinyXML's layout through the safe writer.
bool writeDocument(const TiXmlDocument& document, const std::string& fileName)
{
    return writeFileSafely(fileName,
                           [&document](std::FILE* file) { return document.SaveFile(file); });
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

struct CellHash
{
    size_t operator()(const ModelDocument::Voxel& voxel) const
    {
        return (size_t(uint32_t(voxel.x)) * 73856093u) ^ (size_t(uint32_t(voxel.y)) * 19349663u) ^
               (size_t(uint32_t(voxel.z)) * 83492791u);
    }
};

struct SameCell
{
    bool operator()(const ModelDocument::Voxel& a, const ModelDocument::Voxel& b) const
    {
        return a.x == b.x && a.y == b.y && a.z == b.z;
    }
};

void readModel(const TiXmlElement* model, ModelDocument& document)
{
    const TiXmlElement* voxelsElement = model->FirstChildElement("voxels");
    if (!voxelsElement)
    {
        throw std::runtime_error("voxels not found");
    }

    std::unordered_set<ModelDocument::Voxel, CellHash, SameCell> taken;
    // Per voxel of the file, its index in the kept list, or -1 when its cell was taken.
    std::vector<int> keptIndex;
    for (const TiXmlElement* element = voxelsElement->FirstChildElement("voxel"); element;
         element = element->NextSiblingElement("voxel"))
    {
        ModelDocument::Voxel voxel;
        voxel.colour =
            Ogre::ColourValue(readReal(element, "r", 1.0f), readReal(element, "g", 1.0f),
                              readReal(element, "b", 1.0f), readReal(element, "a", 1.0f));
        voxel.x = readInteger(element, "x");
        voxel.y = readInteger(element, "y");
        voxel.z = readInteger(element, "z");
        // A second voxel in a cell is dropped (older versions could write one after a move),
        // and the bindings are renumbered to the kept list.
        if (taken.insert(voxel).second)
        {
            keptIndex.push_back(static_cast<int>(document.voxels.size()));
            document.voxels.push_back(voxel);
        }
        else
        {
            keptIndex.push_back(-1);
            document.problems.push_back("2 voxels in cell (" + std::to_string(voxel.x) + ", " +
                                        std::to_string(voxel.y) + ", " + std::to_string(voxel.z) +
                                        "): the later one dropped");
        }
    }

    const TiXmlElement* skeletonElement = model->FirstChildElement("skeleton");
    if (skeletonElement && skeletonElement->FirstChildElement("particle"))
    {
        for (const TiXmlElement* element = skeletonElement->FirstChildElement("particle"); element;
             element = element->NextSiblingElement("particle"))
        {
            ModelDocument::Particle particle;
            particle.position =
                Ogre::Vector3(readReal(element, "x", 0.0f), readReal(element, "y", 0.0f),
                              readReal(element, "z", 0.0f));
            particle.invMass = readReal(element, "invMass", 1.0f);
            particle.id = readInteger(element, "id");
            particle.name = readText(element, "name");
            particle.bodyAreaHint = readInteger(element, "bodyAreaHint");
            document.particles.push_back(particle);
        }
        std::unordered_set<int> ids;
        for (const ModelDocument::Particle& particle : document.particles)
        {
            ids.insert(particle.id);
        }
        for (const TiXmlElement* element = skeletonElement->FirstChildElement("stick"); element;
             element = element->NextSiblingElement("stick"))
        {
            const ModelDocument::Stick stick{readInteger(element, "a"), readInteger(element, "b")};
            // A stick to a particle that is not there is dropped; group indices count without it.
            if (ids.count(stick.a) && ids.count(stick.b))
            {
                document.sticks.push_back(stick);
            }
        }
    }

    const TiXmlElement* bindingsElement = model->FirstChildElement("skeletonVoxelBindings");
    if (bindingsElement)
    {
        for (const TiXmlElement* groupElement = bindingsElement->FirstChildElement("group");
             groupElement; groupElement = groupElement->NextSiblingElement("group"))
        {
            ModelDocument::Group group;
            group.constraintIndex = readInteger(groupElement, "constraintIndex");
            for (const TiXmlElement* element = groupElement->FirstChildElement("voxel"); element;
                 element = element->NextSiblingElement("voxel"))
            {
                const int index = readInteger(element, "index");
                if (index < 0 || static_cast<size_t>(index) >= keptIndex.size())
                {
                    throw std::out_of_range("invalid vector<T> subscript");
                }
                // An entry that named a dropped voxel goes with it.
                if (keptIndex[static_cast<size_t>(index)] >= 0)
                {
                    group.voxels.push_back(keptIndex[static_cast<size_t>(index)]);
                }
            }
            document.groups.push_back(std::move(group));
        }
    }
}

} // namespace

int ModelDocument::findParticle(int id) const
{
    for (size_t i = 0; i < particles.size(); ++i)
    {
        if (particles[i].id == id)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool readModelFile(const std::string& fileName, ModelDocument& document)
{
    TiXmlDocument xml;
    if (!loadDocument(xml, fileName, "model file"))
    {
        document.voxels.clear(); // a new model
        document.particles.clear();
        document.sticks.clear();
        document.groups.clear();
        document.problems.clear();
        return false;
    }
    const TiXmlElement* model = xml.FirstChildElement("model");
    if (!model)
    {
        throw std::runtime_error("model not found");
    }
    ModelDocument read;
    readPart("model file", fileName, [&] { readModel(model, read); });
    read.animations = std::move(document.animations);
    document = std::move(read);
    return true;
}

void readAnimationFile(const std::string& fileName, ModelDocument& document)
{
    TiXmlDocument xml;
    if (fileName.empty() || !loadDocument(xml, fileName, "animation file"))
    {
        return;
    }
    const TiXmlElement* animationsElement = xml.FirstChildElement("animations");
    if (!animationsElement)
    {
        return;
    }
    std::vector<Animation> read;
    readPart("animation file", fileName,
             [&]
             {
                 for (const TiXmlElement* element =
                          animationsElement->FirstChildElement("animation");
                      element; element = element->NextSiblingElement("animation"))
                 {
                     read.push_back(readAnimation(element));
                 }
             });
    for (Animation& animation : read)
    {
        document.animations.push_back(std::move(animation));
    }
}

bool writeModelFile(const ModelDocument& document, const std::string& fileName)
{
    TiXmlDocument xml;
    TiXmlElement* model = addElement(&xml, "model");

    TiXmlElement* voxelsElement = addElement(model, "voxels");
    for (const ModelDocument::Voxel& voxel : document.voxels)
    {
        TiXmlElement* element = addElement(voxelsElement, "voxel");
        setInteger(element, "x", voxel.x);
        setInteger(element, "y", voxel.y);
        setInteger(element, "z", voxel.z);
        setReal(element, "r", voxel.colour.r);
        setReal(element, "g", voxel.colour.g);
        setReal(element, "b", voxel.colour.b);
        setReal(element, "a", voxel.colour.a);
    }

    TiXmlElement* skeletonElement = addElement(model, "skeleton");
    for (const ModelDocument::Particle& particle : document.particles)
    {
        TiXmlElement* element = addElement(skeletonElement, "particle");
        setReal(element, "x", particle.position.x);
        setReal(element, "y", particle.position.y);
        setReal(element, "z", particle.position.z);
        setReal(element, "invMass", particle.invMass);
        setInteger(element, "id", particle.id);
        element->SetAttribute("name", particle.name.c_str());
        setInteger(element, "bodyAreaHint", particle.bodyAreaHint);
    }
    for (const ModelDocument::Stick& stick : document.sticks)
    {
        TiXmlElement* element = addElement(skeletonElement, "stick");
        setInteger(element, "a", stick.a);
        setInteger(element, "b", stick.b);
    }

    TiXmlElement* bindingsElement = addElement(model, "skeletonVoxelBindings");
    for (const ModelDocument::Group& group : document.groups)
    {
        TiXmlElement* groupElement = addElement(bindingsElement, "group");
        setInteger(groupElement, "constraintIndex", group.constraintIndex);
        for (int index : group.voxels)
        {
            setInteger(addElement(groupElement, "voxel"), "index", index);
        }
    }
    return writeDocument(xml, fileName);
}

bool writeAnimationFile(const ModelDocument& document, const std::string& fileName)
{
    TiXmlDocument xml;
    TiXmlElement* animationsElement = addElement(&xml, "animations");
    for (const Animation& animation : document.animations)
    {
        writeAnimation(animationsElement, animation);
    }
    return writeDocument(xml, fileName);
}

void buildSkeleton(const ModelDocument& document, Skeleton& skeleton)
{
    for (const ModelDocument::Particle& particle : document.particles)
    {
        skeleton.addEntry(particle.position, particle.id, particle.name, particle.bodyAreaHint,
                          particle.invMass);
    }
    // Ids need not be unique: a stick names the first particle with its id.
    std::unordered_map<int, Verlet::Particle*> particlesById;
    for (const Skeleton::ParticleEntry* entry : skeleton.entries)
    {
        particlesById.emplace(entry->id, entry->particle);
    }
    for (const ModelDocument::Stick& stick : document.sticks)
    {
        const auto a = particlesById.find(stick.a);
        const auto b = particlesById.find(stick.b);
        if (a == particlesById.end() || b == particlesById.end())
        {
            continue;
        }
        skeleton.system->addStick(a->second, b->second,
                                  a->second->position.distance(b->second->position));
    }
}
