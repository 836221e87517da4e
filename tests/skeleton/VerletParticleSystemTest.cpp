#include "skeleton/VerletParticleSystem.h"

#include <gtest/gtest.h>

using Ogre::Vector3;
using Verlet::Particle;
using Verlet::ParticleSystem;

TEST(ParticleSystem, StickReachesRestLengthInOnePass)
{
    // Stretched, compressed, with one end immovable; the skeleton's settings.
    const struct
    {
        float invMassA, startB, rest, endA, endB;
    } cases[] = {{1, 3, 1, 1, 2}, {1, 1, 3, -1, 2}, {0, 3, 1, 0, 1}};
    for (const auto& c : cases)
    {
        ParticleSystem system(1, 0.7f);
        Particle* a = system.addParticle(Vector3(0, 10, 0), c.invMassA);
        Particle* b = system.addParticle(Vector3(c.startB, 10, 0), 1.0f);
        system.addStick(a, b, c.rest);
        system.update(0.016f);
        EXPECT_NEAR(a->position.x, c.endA, 1e-5f) << "rest " << c.rest;
        EXPECT_NEAR(b->position.x, c.endB, 1e-5f) << "rest " << c.rest;
        EXPECT_EQ(a->position.y, 10.0f);
    }
}

TEST(ParticleSystem, FloorLiftsWithFrictionAndCeilingClampsWithout)
{
    ParticleSystem system(2, 0.7f);
    Particle* movable = system.addParticle(Vector3(0, -1, 0), 1.0f);
    Particle* pinned = system.addParticle(Vector3(5, -1, 0), 0.0f);
    Particle* almostPinned = system.addParticle(Vector3(6, -1, 0), 0.0001f);
    system.update(0.016f);
    EXPECT_NEAR(movable->position.y, -0.181f, 1e-6f);
    EXPECT_NEAR(movable->getVelocity().y, 0.819f, 1e-6f);
    EXPECT_FLOAT_EQ(pinned->position.y, -1.0f);
    EXPECT_FLOAT_EQ(almostPinned->position.y, -1.0f);

    // Friction acts on every axis: moved 1 along x this step and lifted 0.4, both lose 9 %.
    ParticleSystem sliding(1, 1.0f);
    Particle* slider = sliding.addParticle(Vector3(0, -0.5f, 0), 1.0f);
    slider->oldPosition = Vector3(-1, -0.5f, 0);
    sliding.update(0.016f);
    EXPECT_NEAR(slider->position.x, 0.91f, 1e-5f);
    EXPECT_NEAR(slider->position.y, -0.1f - 0.036f, 1e-5f);

    ParticleSystem high(2, 1.0f);
    Particle* above = high.addParticle(Vector3(0, 100005, 0), 1.0f);
    above->oldPosition = Vector3(-1, 100005, 0);
    Particle* pinnedAbove = high.addParticle(Vector3(0, 100005, 0), 0.0f);
    high.update(0.016f);
    EXPECT_FLOAT_EQ(above->position.y, 100000.0f);
    EXPECT_FLOAT_EQ(above->position.x, 1.0f);
    EXPECT_FLOAT_EQ(pinnedAbove->position.y, 100005.0f);
}

TEST(ParticleSystem, RestTestPutsAStillSystemToSleepOnlyWhenOn)
{
    // Steps of 0.00035 and 0.001 against a threshold of 0.0004, a zero step, and the test off.
    const struct
    {
        bool check;
        float moved, step;
        bool asleep;
    } cases[] = {{true, 0.0005f, 0.016f, true},
                 {true, 0.001f, 0.016f, false},
                 {true, 0.0f, 0.0f, false},
                 {false, 0.0f, 0.016f, false}};
    for (const auto& c : cases)
    {
        ParticleSystem system(2, 0.7f);
        system.restCheck = c.check;
        system.restThreshold = 0.0004f;
        Particle* particle = system.addParticle(Vector3(0, 1, 0), 1.0f);
        particle->oldPosition = Vector3(0, 1, -c.moved);
        system.update(c.step);
        EXPECT_EQ(system.atRest, c.asleep) << "moved " << c.moved << " in " << c.step;
        // Asleep, nothing moves, even when a particle is given velocity.
        particle->oldPosition = particle->position - Vector3(1, 0, 0);
        Vector3 before = particle->position;
        system.update(0.016f);
        EXPECT_EQ(particle->position == before, c.asleep);
    }
}
