#include "skeleton/Skeleton.h"

#include "skeleton/VerletParticleSystem.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace
{
// The body frame reads particles up to this index.
const size_t BODY_FRAME_PARTICLES = 13;
// Elements farther than this from every stick still go to stick 0.
const float FAR_DISTANCE = 1000.0f;
// Distances closer than this count as a tie, which the earlier stick wins. Voxels shown in the
// rest pose sit a few millionths off their cells (the stick frame's rotation there and back), so
// an element level with two sticks (most often beyond the joint they share) would otherwise
// change sticks from one save to the next.
const float TIE_TOLERANCE = 0.0001f;

Ogre::Vector3 limbReference(const Ogre::Vector3& inwards, const Ogre::Vector3& swing,
                            const Ogre::Vector3& limb, const Ogre::Vector3& outwards)
{
    // Perpendicular or inward-pointing limbs keep the inward axis; as the limb lifts outwards
    // the reference turns towards the swing axis so it never becomes parallel to the limb.
    float c = limb.normalisedCopy().dotProduct(outwards);
    float w = c > 0.0f ? c : 0.0f;
    return (inwards * (1.0f - w) + swing * w).normalisedCopy();
}
} // namespace

Skeleton::Skeleton(float damping) : system(new Verlet::ParticleSystem(2, damping))
{
    system->restCheck = true;
    system->restThreshold = 0.0004f;
}

Skeleton::~Skeleton()
{
    clearEntries();
    clearBindings();
    delete system;
}

void Skeleton::addEntry(const Ogre::Vector3& position, int id, const std::string& name,
                        int bodyAreaHint, float invMass)
{
    ParticleEntry* entry = new ParticleEntry();
    entry->particle = system->addParticle(position, invMass);
    entry->name = name;
    entry->id = id;
    entry->bodyAreaHint = bodyAreaHint;
    entries.push_back(entry);
}

void Skeleton::clearEntries()
{
    for (ParticleEntry* entry : entries)
    {
        system->removeParticle(entry->particle);
        delete entry;
    }
    entries.clear();
    for (Verlet::Stick* stick : system->sticks)
    {
        delete stick;
    }
    system->sticks.clear();
}

void Skeleton::clearBindings() { bindings.clear(); }

Skeleton::ParticleEntry* Skeleton::findEntry(const std::string& name)
{
    for (ParticleEntry* entry : entries)
    {
        if (entry->name == name)
        {
            return entry;
        }
    }
    return nullptr;
}

void Skeleton::update(float dt) { system->update(dt); }

int Skeleton::nearestStick(const Ogre::Vector3& p) const
{
    float best = FAR_DISTANCE;
    int bestIndex = 0;
    for (size_t i = 0; i < system->sticks.size(); ++i)
    {
        const Verlet::Stick* stick = system->sticks[i];
        Ogre::Vector3 a = stick->a->position;
        Ogre::Vector3 ab = stick->b->position - a;
        // A zero-length stick gives t = NaN and so a NaN distance, which never compares
        // smaller than the best so far.
        float t = ab.dotProduct(p - a) / ab.dotProduct(ab);
        t = std::min(std::max(t, 0.0f), 1.0f);
        float distance = (p - (a + ab * t)).length();
        if (best - distance > TIE_TOLERANCE)
        {
            best = distance;
            bestIndex = static_cast<int>(i);
        }
    }
    return bestIndex;
}

void Skeleton::bindElement(Element* element)
{
    if (system->sticks.empty())
        return;
    const int stickIndex = nearestStick(element->getPosition());
    BindingGroup& group = bindings[stickIndex];
    group.elements.push_back(element);
    group.constraintIndex = stickIndex;
    Ogre::Vector3 origin;
    Ogre::Quaternion rotation;
    stickOrientation(stickIndex, origin, rotation, computeBodyFrame());
    const Verlet::Stick* stick = system->sticks[size_t(stickIndex)];
    element->bind(origin, rotation.Inverse(),
                  (stick->b->position - stick->a->position).length() * 0.5f);
}

void Skeleton::bindToNearestSticks(const std::vector<Element*>& elements)
{
    clearBindings();

    // A skeleton with particles but no sticks binds nothing: putting everything under stick 0
    // would write a group that names no stick, and that file would not load again. A skeleton
    // without any particle keeps every element under stick 0, which is how such models have
    // always been stored and which loads without placing anything.
    if (!system->particles.empty() && system->sticks.empty())
    {
        return;
    }

    for (Element* element : elements)
    {
        const int bestIndex = nearestStick(element->getPosition());
        BindingGroup& group = bindings[bestIndex];
        group.elements.push_back(element);
        group.constraintIndex = bestIndex;
    }
}

BodyFrame Skeleton::computeBodyFrame()
{
    BodyFrame frame;
    if (system->particles.size() < BODY_FRAME_PARTICLES)
    {
        // Too few particles for a body: upright, facing -Z, so small skeletons still bind and
        // pose (their sticks follow their own direction; only the twist about it is fixed).
        frame.baseSide = Ogre::Vector3::UNIT_X;
        frame.baseUp = Ogre::Vector3::UNIT_Y;
        frame.baseForward = frame.baseUp.crossProduct(frame.baseSide);
        frame.limbRef10 = -frame.baseSide;
        frame.limbRef9 = -frame.baseSide;
        frame.topSide = Ogre::Vector3::UNIT_X;
        frame.topUp = Ogre::Vector3::UNIT_Y;
        frame.topForward = frame.topUp.crossProduct(frame.topSide);
        return frame;
    }

    auto at = [this](size_t index) { return system->particles[index]->position; };
    frame.baseSide = (at(9) - at(10)).normalisedCopy();
    frame.baseUp = (at(8) - (at(9) + at(10)) * 0.5f).normalisedCopy();
    frame.baseForward = frame.baseUp.crossProduct(frame.baseSide);
    frame.limbRef10 =
        limbReference(-frame.baseSide, -frame.baseForward, at(12) - at(10), -frame.baseSide);
    frame.limbRef9 =
        limbReference(-frame.baseSide, frame.baseForward, at(11) - at(9), frame.baseSide);
    frame.topSide = (at(2) - at(3)).normalisedCopy();
    frame.topUp = (at(1) - at(8)).normalisedCopy();
    frame.topForward = frame.topUp.crossProduct(frame.topSide);
    return frame;
}

void Skeleton::stickOrientation(int stickIndex, Ogre::Vector3& origin, Ogre::Quaternion& rotation,
                                const BodyFrame& frame)
{
    if (stickIndex < 0 || static_cast<size_t>(stickIndex) >= system->sticks.size())
    {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    const Verlet::Stick* stick = system->sticks[stickIndex];
    Ogre::Vector3 a = stick->a->position;
    Ogre::Vector3 d = (stick->b->position - a).normalisedCopy();
    origin = a;

    // Each stick is twisted about its own direction by the body axis that suits its place in
    // the body. The axes go in as they are; when a stick is not perpendicular to its reference
    // axis they are not orthonormal and the quaternion comes out longer or shorter than 1, which
    // would scale and skew the voxels (and move them on every re-binding), so every rotation is
    // normalised at the end.
    auto fromX = [&d](const Ogre::Vector3& x) { return Ogre::Quaternion(x, d.crossProduct(x), d); };
    auto fromY = [&d](const Ogre::Vector3& y) { return Ogre::Quaternion(y.crossProduct(d), y, d); };

    switch (stickIndex)
    {
    case 0:
    case 1:
        rotation = fromX(frame.limbRef9);
        break;
    case 2:
        rotation = fromX(-frame.baseForward);
        break;
    case 3:
    case 4:
        rotation = fromX(frame.limbRef10);
        break;
    case 5:
    case 8:
        rotation = fromX(frame.baseForward);
        break;
    case 6:
    case 9:
        rotation = fromY(frame.topForward);
        break;
    case 7:
        rotation = fromY(frame.topUp);
        break;
    case 10:
    case 12:
    {
        // Arms: the side axis, turned towards forward as the arm swings along the side axis.
        float c = frame.topSide.dotProduct(d);
        Ogre::Vector3 r =
            (frame.topSide * (1.0f - std::fabs(c)) - frame.topForward * c).normalisedCopy();
        rotation = fromX(r);
        break;
    }
    case 14:
    case 15:
        rotation = fromX(frame.topForward);
        break;
    case 16:
        rotation = fromX(-frame.topSide);
        break;
    default: // 11, 13 and every stick from 17 on
        rotation = Ogre::Vector3::UNIT_Z.getRotationTo(d, Ogre::Vector3::UNIT_Y);
        break;
    }
    rotation.normalise();
}

std::vector<Skeleton::StickPlacement> Skeleton::placeSticks()
{
    BodyFrame frame = computeBodyFrame();
    std::vector<StickPlacement> placements(system->sticks.size());
    for (size_t i = 0; i < placements.size(); ++i)
    {
        stickOrientation(static_cast<int>(i), placements[i].origin, placements[i].rotation, frame);
    }
    return placements;
}

void Skeleton::setPose(const std::vector<Ogre::Vector3>& pose, const Ogre::Quaternion& orientation)
{
    std::vector<Verlet::Particle*>& particles = system->particles;
    if (pose.size() != particles.size())
    {
        throw std::runtime_error("apply pose, pose size != particles size");
    }
    for (size_t i = 0; i < particles.size(); ++i)
    {
        Ogre::Vector3 position = orientation * pose[i];
        particles[i]->position = position;
        particles[i]->oldPosition = position;
    }
}

void Skeleton::computeBindOffsets()
{
    BodyFrame frame = computeBodyFrame();
    for (auto& [index, group] : bindings)
    {
        Ogre::Vector3 origin;
        Ogre::Quaternion rotation;
        stickOrientation(group.constraintIndex, origin, rotation, frame);
        const Verlet::Stick* stick = system->sticks[group.constraintIndex];
        float half = (stick->b->position - stick->a->position).length() * 0.5f;
        Ogre::Quaternion inverse = rotation.Inverse();
        for (Element* element : group.elements)
        {
            element->bind(origin, inverse, half);
        }
    }
}

void Skeleton::updateElements(const Ogre::Vector3& offset)
{
    BodyFrame frame = computeBodyFrame();
    for (auto& [index, group] : bindings)
    {
        Ogre::Vector3 origin;
        Ogre::Quaternion rotation;
        stickOrientation(group.constraintIndex, origin, rotation, frame);
        origin += offset;
        for (Element* element : group.elements)
        {
            element->update(origin, rotation);
        }
    }
}

void Skeleton::unbindElement(Element* element)
{
    // A group this empties is dropped, so the map looks as a fresh binding of the remaining
    // elements would (no group without elements).
    for (auto group = bindings.begin(); group != bindings.end();)
    {
        std::vector<Element*>& elements = group->second.elements;
        auto kept = std::remove(elements.begin(), elements.end(), element);
        if (kept == elements.end())
        {
            ++group;
            continue;
        }
        elements.erase(kept, elements.end());
        if (elements.empty())
        {
            group = bindings.erase(group);
        }
        else
        {
            ++group;
        }
    }
}
