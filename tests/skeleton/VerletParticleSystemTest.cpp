#include "skeleton/VerletParticleSystem.h"

#include <gtest/gtest.h>

using Ogre::Vector3;
using Verlet::Particle;
using Verlet::ParticleSystem;

namespace
{
// The skeleton's settings without its rest test.
ParticleSystem skeletonLikeSystem() { return ParticleSystem(1, 0.7f); }
} // namespace

TEST(ParticleSystem, StickReachesRestLengthInOnePass)
{
    ParticleSystem system = skeletonLikeSystem();
    system.floorHeight = -5000.0f;
    Particle* a = system.addParticle(Vector3(0, 10, 0), 1.0f);
    Particle* b = system.addParticle(Vector3(3, 10, 0), 1.0f);
    system.addStick(a, b, 1.0f);
    system.update(0.016f);
    EXPECT_NEAR(a->position.x, 1.0f, 1e-5f);
    EXPECT_NEAR(b->position.x, 2.0f, 1e-5f);

    // A compressed stick pushes its ends apart by the same rule.
    ParticleSystem pushed = skeletonLikeSystem();
    Particle* c = pushed.addParticle(Vector3(0, 10, 0), 1.0f);
    Particle* d = pushed.addParticle(Vector3(1, 10, 0), 1.0f);
    pushed.addStick(c, d, 3.0f);
    pushed.update(0.016f);
    EXPECT_NEAR(c->position.x, -1.0f, 1e-5f);
    EXPECT_NEAR(d->position.x, 2.0f, 1e-5f);
}

TEST(ParticleSystem, ImmovableEndLeavesTheWholeCorrectionToTheOther)
{
    ParticleSystem system = skeletonLikeSystem();
    Particle* pinned = system.addParticle(Vector3(0, 10, 0), 0.0f);
    Particle* free = system.addParticle(Vector3(3, 10, 0), 1.0f);
    system.addStick(pinned, free, 1.0f);
    system.update(0.016f);
    EXPECT_EQ(pinned->position, Vector3(0, 10, 0));
    EXPECT_NEAR(free->position.x, 1.0f, 1e-5f);
}

TEST(ParticleSystem, SticksThatCannotActAreSkipped)
{
    ParticleSystem system = skeletonLikeSystem();
    // Ends on top of each other: no direction to push along.
    Particle* a = system.addParticle(Vector3(1, 1, 1), 1.0f);
    Particle* b = system.addParticle(Vector3(1, 1, 1.00005f), 1.0f);
    system.addStick(a, b, 1.0f);
    // Both ends pinned: zero denominator.
    Particle* c = system.addParticle(Vector3(0, 5, 0), 0.0f);
    Particle* d = system.addParticle(Vector3(4, 5, 0), 0.0f);
    system.addStick(c, d, 1.0f);
    system.update(0.016f);
    EXPECT_EQ(a->position, Vector3(1, 1, 1));
    EXPECT_EQ(b->position, Vector3(1, 1, 1.00005f));
    EXPECT_EQ(c->position, Vector3(0, 5, 0));
    EXPECT_EQ(d->position, Vector3(4, 5, 0));
    for (Particle* particle : system.particles)
    {
        EXPECT_FALSE(std::isnan(particle->position.x));
    }
}

TEST(ParticleSystem, SticksRelaxInOrderOnMovedPositions)
{
    // A chain a-b-c, all stretched: the second stick must see b already moved by the first.
    ParticleSystem system = skeletonLikeSystem();
    Particle* a = system.addParticle(Vector3(0, 10, 0), 0.0f);
    Particle* b = system.addParticle(Vector3(2, 10, 0), 1.0f);
    Particle* c = system.addParticle(Vector3(4, 10, 0), 1.0f);
    system.addStick(a, b, 1.0f);
    system.addStick(b, c, 1.0f);
    system.update(0.016f);
    // First stick: b goes to 1. Second stick sees length 3 and splits the 2 excess evenly.
    EXPECT_NEAR(b->position.x, 2.0f, 1e-5f);
    EXPECT_NEAR(c->position.x, 3.0f, 1e-5f);
}

TEST(ParticleSystem, IntegrationUsesBothDampings)
{
    ParticleSystem system(1, 0.5f);
    Particle* moving = system.addParticle(Vector3(0, 10, 0), 1.0f);
    moving->oldPosition = Vector3(-1, 10, 0);
    moving->damping = 0.5f;
    Particle* held = system.addParticle(Vector3(0, 20, 0), 1.0f);
    held->oldPosition = Vector3(-1, 20, 0);
    held->simulated = false;
    Particle* accelerated = system.addParticle(Vector3(0, 30, 0), 1.0f);
    accelerated->acceleration = Vector3(0, 0, 100);
    system.update(0.1f);
    EXPECT_NEAR(moving->position.x, 0.25f, 1e-6f);
    EXPECT_EQ(moving->oldPosition, Vector3(0, 10, 0));
    EXPECT_EQ(held->position, Vector3(0, 20, 0));
    EXPECT_NEAR(accelerated->position.z, 1.0f, 1e-5f);
}

TEST(ParticleSystem, FloorLiftsWithFrictionAndIgnoresPinnedParticles)
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

    // Friction acts on every axis of the velocity, the sideways part included.
    ParticleSystem sliding(1, 1.0f);
    Particle* slider = sliding.addParticle(Vector3(0, -0.5f, 0), 1.0f);
    slider->oldPosition = Vector3(-1, -0.5f, 0);
    sliding.update(0.016f);
    // Moved 1 along x this step and lifted 0.4: both parts lose 9 %.
    EXPECT_NEAR(slider->position.x, 0.91f, 1e-5f);
    EXPECT_NEAR(slider->position.y, -0.1f - 0.036f, 1e-5f);
}

TEST(ParticleSystem, CeilingClampsWithoutFriction)
{
    ParticleSystem system(2, 1.0f);
    Particle* high = system.addParticle(Vector3(0, 100005, 0), 1.0f);
    high->oldPosition = Vector3(-1, 100005, 0);
    Particle* pinned = system.addParticle(Vector3(0, 100005, 0), 0.0f);
    system.update(0.016f);
    EXPECT_FLOAT_EQ(high->position.y, 100000.0f);
    EXPECT_FLOAT_EQ(high->position.x, 1.0f);
    EXPECT_FLOAT_EQ(pinned->position.y, 100005.0f);
}

TEST(ParticleSystem, RestTestPutsAStillSystemToSleepOnlyWhenOn)
{
    ParticleSystem system(2, 0.7f);
    system.restCheck = true;
    system.restThreshold = 0.0004f;
    Particle* slow = system.addParticle(Vector3(0, 1, 0), 1.0f);
    slow->oldPosition = Vector3(0, 1, -0.0005f); // moves 0.00035 this step
    system.update(0.016f);
    EXPECT_TRUE(system.atRest);
    // Asleep: nothing moves, even when a particle is given velocity.
    slow->oldPosition = slow->position - Vector3(1, 0, 0);
    Vector3 before = slow->position;
    system.update(0.016f);
    EXPECT_EQ(slow->position, before);

    // A zero step never runs the test.
    ParticleSystem zeroStep(2, 0.7f);
    zeroStep.restCheck = true;
    zeroStep.addParticle(Vector3(0, 1, 0), 1.0f);
    zeroStep.update(0.0f);
    EXPECT_FALSE(zeroStep.atRest);

    // A moving particle keeps it awake, and so does switching the test off.
    ParticleSystem moving(2, 0.7f);
    moving.restCheck = true;
    moving.restThreshold = 0.0004f;
    Particle* fast = moving.addParticle(Vector3(0, 1, 0), 1.0f);
    fast->oldPosition = Vector3(0, 1, -0.001f);
    moving.update(0.016f);
    EXPECT_FALSE(moving.atRest);

    ParticleSystem off(2, 0.7f);
    off.addParticle(Vector3(0, 1, 0), 1.0f);
    off.update(0.016f);
    EXPECT_FALSE(off.atRest);
}

TEST(ParticleSystem, RemoveParticleKeepsOrderAndIgnoresStrangers)
{
    ParticleSystem system(1, 1.0f);
    Particle* a = system.addParticle(Vector3(0, 0, 0), 1.0f);
    Particle* b = system.addParticle(Vector3(1, 0, 0), 1.0f);
    Particle* c = system.addParticle(Vector3(2, 0, 0), 1.0f);
    Particle stranger(Vector3(9, 9, 9), 1.0f);
    system.removeParticle(&stranger);
    ASSERT_EQ(system.particles.size(), 3u);
    system.removeParticle(b);
    ASSERT_EQ(system.particles.size(), 2u);
    EXPECT_EQ(system.particles[0], a);
    EXPECT_EQ(system.particles[1], c);

    system.addStick(a, c, 2.0f);
    system.clear();
    EXPECT_TRUE(system.particles.empty());
    EXPECT_TRUE(system.sticks.empty());
}
