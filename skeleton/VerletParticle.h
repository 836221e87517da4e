#pragma once

#include <OgreVector.h>

namespace Verlet
{

// What the particle system and its users may ask of a particle.
class ParticleInterface
{
public:
    virtual ~ParticleInterface() = default;
    virtual Ogre::Vector3 getPosition() = 0;
    // The displacement of the last step: position - oldPosition.
    virtual Ogre::Vector3 getVelocity() = 0;
    // Adds delta to the position only, so the particle also gains that much velocity.
    virtual void move(const Ogre::Vector3& delta) = 0;
    virtual bool isEnabled() = 0;
};

// A point mass integrated by position Verlet.
class Particle : public ParticleInterface
{
public:
    Particle(const Ogre::Vector3& position, float invMass)
        : position(position), oldPosition(position), invMass(invMass)
    {
    }

    Ogre::Vector3 getPosition() override { return position; }
    Ogre::Vector3 getVelocity() override { return position - oldPosition; }
    void move(const Ogre::Vector3& delta) override { position += delta; }
    bool isEnabled() override { return enabled; }

    Ogre::Vector3 position;
    Ogre::Vector3 oldPosition;
    Ogre::Vector3 acceleration = Ogre::Vector3::ZERO;
    float invMass;          // 0: immovable by sticks
    bool simulated = true;  // integration moves the particle only while true
    bool enabled = true;
    float damping = 1.0f;   // multiplied with the system's damping
};

} // namespace Verlet
