#include "skeleton/VerletParticleSystem.h"

#include <algorithm>
#include <cmath>

namespace Verlet
{

namespace
{
// Particles at or below this inverse mass count as pinned for the floor and ceiling.
const float PINNED_INV_MASS = 0.0001f;
// Sticks whose ends are this close have no usable direction.
const float MIN_STICK_LENGTH = 0.0001f;
// Share of the velocity that ground contact takes away each step.
const float FLOOR_FRICTION = 0.09f;
} // namespace

ParticleSystem::ParticleSystem(int iterations, float damping)
    : iterations(iterations), damping(damping)
{
}

ParticleSystem::~ParticleSystem() { clear(); }

Particle* ParticleSystem::addParticle(const Ogre::Vector3& position, float invMass)
{
    Particle* particle = new Particle(position, invMass);
    particles.push_back(particle);
    return particle;
}

Stick* ParticleSystem::addStick(Particle* a, Particle* b, float restLength)
{
    Stick* stick = new Stick();
    stick->a = a;
    stick->b = b;
    stick->restLength = restLength;
    stick->stiffness = 1.0f;
    sticks.push_back(stick);
    return stick;
}

void ParticleSystem::removeParticle(Particle* particle)
{
    auto found = std::find(particles.begin(), particles.end(), particle);
    if (found == particles.end())
    {
        return;
    }
    particles.erase(found);
    delete particle;
}

void ParticleSystem::clear()
{
    for (Particle* particle : particles)
    {
        delete particle;
    }
    particles.clear();
    for (Stick* stick : sticks)
    {
        delete stick;
    }
    sticks.clear();
}

void ParticleSystem::update(float dt)
{
    if (atRest)
    {
        return;
    }

    for (Particle* particle : particles)
    {
        if (!particle->simulated)
        {
            continue;
        }
        Ogre::Vector3 next =
            particle->position +
            (particle->position - particle->oldPosition) * (particle->damping * damping) +
            particle->acceleration * dt * dt;
        particle->oldPosition = particle->position;
        particle->position = next;
    }

    // Each stick sees the positions already corrected by the sticks before it, so the order of
    // the stick list shapes the result.
    for (int pass = 0; pass < iterations; ++pass)
    {
        for (Stick* stick : sticks)
        {
            Ogre::Vector3 delta = stick->b->position - stick->a->position;
            float length = delta.length();
            if (length <= MIN_STICK_LENGTH)
            {
                continue;
            }
            float wa = stick->a->invMass;
            float wb = stick->b->invMass;
            float denominator = (wa + wb) * length;
            if (denominator == 0.0f || std::isnan(denominator))
            {
                continue;
            }
            float k = (length - stick->restLength) / denominator * stick->stiffness;
            stick->a->position += delta * wa * k;
            stick->b->position -= delta * wb * k;
        }
    }

    for (Particle* particle : particles)
    {
        if (floorHeight > particle->position.y && particle->invMass > PINNED_INV_MASS)
        {
            particle->position.y = floorHeight;
            // The clamp itself counts as velocity, so friction also damps the push upwards.
            particle->move(-FLOOR_FRICTION * particle->getVelocity());
        }
        else if (particle->position.y > ceilingHeight && particle->invMass > PINNED_INV_MASS)
        {
            particle->position.y = ceilingHeight;
        }
    }

    if (restCheck && dt > 0.0f)
    {
        atRest = false;
        for (Particle* particle : particles)
        {
            Ogre::Vector3 step = particle->position - particle->oldPosition;
            if (std::fabs(step.x) > restThreshold || std::fabs(step.y) > restThreshold ||
                std::fabs(step.z) > restThreshold)
            {
                return;
            }
        }
        atRest = true;
    }
}

} // namespace Verlet
