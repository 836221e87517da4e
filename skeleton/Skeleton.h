#pragma once

#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <map>
#include <string>
#include <vector>

namespace Verlet
{
class Particle;
class ParticleSystem;
}

// Reference axes of the body, taken from the particles at indices 1, 2, 3, 8, 9, 10, 11 and 12.
struct BodyFrame
{
    Ogre::Vector3 baseSide = Ogre::Vector3::ZERO;
    Ogre::Vector3 baseUp = Ogre::Vector3::ZERO;
    Ogre::Vector3 baseForward = Ogre::Vector3::ZERO;
    Ogre::Vector3 limbRef10 = Ogre::Vector3::ZERO;
    Ogre::Vector3 limbRef9 = Ogre::Vector3::ZERO;
    Ogre::Vector3 topSide = Ogre::Vector3::ZERO;
    Ogre::Vector3 topUp = Ogre::Vector3::ZERO;
    Ogre::Vector3 topForward = Ogre::Vector3::ZERO;
};

// Named particles joined by sticks, and the map of which elements follow which stick.
class Skeleton
{
public:
    // Something that follows a stick rigidly (a voxel).
    class Element
    {
    public:
        virtual const Ogre::Vector3& getPosition() = 0;
        // Stores the offset rotation * (getPosition() - origin).
        virtual void bind(const Ogre::Vector3& origin, const Ogre::Quaternion& rotation,
                          float halfLength) = 0;
        // Moves the element to origin + rotation * stored offset.
        virtual void update(const Ogre::Vector3& origin, const Ogre::Quaternion& rotation) = 0;
        virtual ~Element() = default;
    };

    struct ParticleEntry
    {
        std::string name;
        int id = 0;
        Verlet::Particle* particle = nullptr; // owned by the system
        int bodyAreaHint = 0;
    };

    // Where a stick's frame sits: at its first particle, turned by its rotation.
    struct StickPlacement
    {
        Ogre::Vector3 origin = Ogre::Vector3::ZERO;
        Ogre::Quaternion rotation = Ogre::Quaternion::IDENTITY;
    };

    struct BindingGroup
    {
        std::vector<Element*> elements; // not owned
        int constraintIndex = 0;
    };

    explicit Skeleton(float damping);
    // Owns its particles (and entries) through plain pointers: not copyable.
    Skeleton(const Skeleton&) = delete;
    Skeleton& operator=(const Skeleton&) = delete;
    virtual ~Skeleton();

    void addEntry(const Ogre::Vector3& position, int id, const std::string& name, int bodyAreaHint,
                  float invMass);
    void clearEntries();
    void clearBindings();
    ParticleEntry* findEntry(const std::string& name);
    void update(float dt);

    // Binding (every element to its nearest stick), frames and placement.
    void bindToNearestSticks(const std::vector<Element*>& elements);
    // The stick nearest to p (0 when none is within reach); the earlier stick wins a tie.
    int nearestStick(const Ogre::Vector3& p) const;
    // Binds one more element to its nearest stick, with its offset from that stick where the
    // particles are now. Nothing without sticks.
    void bindElement(Element* element);
    BodyFrame computeBodyFrame();
    void stickOrientation(int stickIndex, Ogre::Vector3& origin, Ogre::Quaternion& rotation,
                          const BodyFrame& frame);
    // Every stick's frame for the current particle positions (the body frame computed once).
    std::vector<StickPlacement> placeSticks();
    // Puts particle i at orientation * pose[i], without velocity. Throws std::runtime_error
    // "apply pose, pose size != particles size", changing nothing, when the lengths differ.
    void setPose(const std::vector<Ogre::Vector3>& pose, const Ogre::Quaternion& orientation);
    void computeBindOffsets();
    void updateElements(const Ogre::Vector3& offset);
    // Takes an element out of whatever group holds it (for removed voxels).
    void unbindElement(Element* element);

    std::vector<ParticleEntry*> entries; // owned, in model-file order
    Verlet::ParticleSystem* system;      // owned
    std::map<int, BindingGroup> bindings;
};
