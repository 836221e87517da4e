#pragma once

#include "skeleton/VerletParticle.h"

#include <vector>

namespace Verlet
{

// A rigid distance constraint between two particles.
struct Stick
{
    Particle* a = nullptr; // not owned
    Particle* b = nullptr; // not owned
    float restLength = 0.0f;
    float stiffness = 1.0f;
};

// Particles and sticks simulated by position-based Verlet integration.
class ParticleSystem
{
public:
    ParticleSystem(int iterations, float damping);
    // Owns its particles (and entries) through plain pointers: not copyable.
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;
    virtual ~ParticleSystem();

    Particle* addParticle(const Ogre::Vector3& position, float invMass);
    Stick* addStick(Particle* a, Particle* b, float restLength);
    // Erases and destroys the particle; sticks are not looked at.
    void removeParticle(Particle* particle);
    void clear();
    // One simulation step of dt seconds.
    void update(float dt);

    std::vector<Particle*> particles; // owned, in insertion order
    std::vector<Stick*> sticks;       // owned, in insertion order
    int iterations;
    float damping;
    bool atRest = false;
    bool restCheck = false;
    float restThreshold = 0.0001f;
    float floorHeight = -0.1f;
    float ceilingHeight = 100000.0f;
};

} // namespace Verlet
