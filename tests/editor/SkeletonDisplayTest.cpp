#include "editor/EditorMode.h"

#include "editor/QueryFlags.h"
#include "editor/ViewMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/editor/EditorTestFixture.h"

#include <OgreManualObject.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <stdexcept>

namespace
{

// Three particles in a row joined by two sticks; the hands are named as asked.
void buildArm(Skeleton* skeleton, const char* leftName, const char* rightName)
{
    skeleton->addEntry(Ogre::Vector3(-4, 10, 0), 0, leftName, 0, 1.0f);
    skeleton->addEntry(Ogre::Vector3(0, 10, 0), 1, "body", 0, 1.0f);
    skeleton->addEntry(Ogre::Vector3(4, 10, 0), 2, rightName, 0, 1.0f);
    std::vector<Verlet::Particle*>& particles = skeleton->system->particles;
    skeleton->system->addStick(particles[0], particles[1], 4.0f);
    skeleton->system->addStick(particles[1], particles[2], 4.0f);
}

} // namespace

TEST(SkeletonDisplay, ParticlesSticksAndHandsLineCarryTheirNamesFlagsAndIndices)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    Ogre::SceneManager* scene = fixture.engine.sceneManager;
    buildArm(editor->skeleton, "lefthand", "righthand");
    const size_t nodesBefore = scene->getRootSceneNode()->numChildren();

    editor->createSkeletonObjects();
    ASSERT_EQ(editor->skeletonObjects.size(), 3u + 2u + 1u);
    for (int i = 0; i < 3; ++i)
    {
        Ogre::ManualObject* particle = editor->skeletonObjects[i];
        EXPECT_EQ(particle->getName(), "boneParticle" + std::to_string(i));
        EXPECT_EQ(particle->getQueryFlags(), uint32_t(QUERY_PARTICLE));
        EXPECT_EQ(particle->getRenderQueueGroup(), 99);
        EXPECT_EQ(particle->getSection(0)->getMaterialName(), "BonePoint");
        EXPECT_EQ(
            Ogre::any_cast<int>(particle->getUserObjectBindings().getUserAny("particleIndex")), i);
        EXPECT_EQ(particle->getParentSceneNode()->getPosition(),
                  editor->skeleton->entries[i]->particle->position);
        EXPECT_EQ(particle->getBoundingBox(), Ogre::AxisAlignedBox(-1, -1, -1, 1, 1, 1));
    }
    EXPECT_EQ(editor->skeletonObjects[3]->getName(), "stick0");
    EXPECT_EQ(editor->skeletonObjects[4]->getName(), "stick1");
    EXPECT_EQ(editor->skeletonObjects[4]->getQueryFlags(), uint32_t(QUERY_BONE));
    Ogre::ManualObject* hands = editor->skeletonObjects[5];
    EXPECT_EQ(hands->getName(), "hands");
    EXPECT_EQ(hands->getQueryFlags(), uint32_t(QUERY_BONE));
    // The line runs 5 units past each hand.
    EXPECT_FLOAT_EQ(hands->getBoundingBox().getMinimum().x, -9.0f);
    EXPECT_FLOAT_EQ(hands->getBoundingBox().getMaximum().x, 9.0f);

    // A particle is picked inside its two-unit cube.
    Ogre::MovableObject* hit = nullptr;
    float distance = 0.0f;
    editor->pick(Ogre::Ray(Ogre::Vector3(3.2f, 10.9f, 20), Ogre::Vector3::NEGATIVE_UNIT_Z),
                 QUERY_PARTICLE, hit, distance);
    EXPECT_EQ(hit, editor->skeletonObjects[2]);

    // Rebuilding reuses the names once the old objects are gone, and leaves no nodes behind.
    editor->destroySkeletonObjects();
    EXPECT_TRUE(editor->skeletonObjects.empty());
    EXPECT_EQ(scene->getRootSceneNode()->numChildren(), nodesBefore);
    editor->createSkeletonObjects();
    EXPECT_EQ(editor->skeletonObjects.size(), 6u);
}

TEST(SkeletonDisplay, NoHandsLineWithoutBothHands)
{
    EditorTestFixture fixture;
    buildArm(fixture.editor->skeleton, "lefthand", "RightHand");
    fixture.editor->createSkeletonObjects();
    EXPECT_EQ(fixture.editor->skeletonObjects.size(), 5u);
    EXPECT_FALSE(fixture.engine.sceneManager->hasManualObject("hands"));
}

TEST(Poses, WrongLengthPoseThrowsAndChangesNothing)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    buildArm(editor->skeleton, "lefthand", "righthand");
    editor->resetToRestPose();
    std::vector<Ogre::Vector3> before;
    for (Verlet::Particle* particle : editor->skeleton->system->particles)
        before.push_back(particle->position);

    std::vector<Ogre::Vector3> shortPose(2, Ogre::Vector3(1, 2, 3));
    try
    {
        editor->applyPose(shortPose);
        FAIL() << "no throw";
    }
    catch (const std::exception& error)
    {
        EXPECT_STREQ(error.what(), "apply pose, pose size != particles size");
    }
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(editor->skeleton->system->particles[i]->position, before[i]);

    // A pose of the right length lands on the particles, without velocity.
    std::vector<Ogre::Vector3> pose = {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}};
    editor->modelOrientation = Ogre::Quaternion(Ogre::Degree(90), Ogre::Vector3::UNIT_Y);
    editor->applyPose(pose);
    Verlet::Particle* first = editor->skeleton->system->particles[0];
    EXPECT_TRUE(first->position.positionEquals(Ogre::Vector3(0, 0, -1)));
    EXPECT_EQ(first->oldPosition, first->position);
    EXPECT_TRUE(editor->skeletonObjects[0]->getParentSceneNode()->getPosition().positionEquals(
        Ogre::Vector3(0, 0, -1)));
}

TEST(Poses, KeyTwoNeedsParticlesAndABadAnimationIsLoggedNotFatal)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    fixture.press(OIS::KC_2);
    EXPECT_EQ(editor->viewMode->name, "ModelView");
    EXPECT_TRUE(editor->animations.empty());

    buildArm(editor->skeleton, "lefthand", "righthand");
    editor->resetToRestPose();
    // A hand-edited animation file: its only frame has one position too few.
    Animation broken;
    broken.frames[0.0f] = std::vector<Ogre::Vector3>(2, Ogre::Vector3(9, 9, 9));
    editor->animations.push_back(broken);

    LogCapture log;
    fixture.press(OIS::KC_2);
    EXPECT_EQ(editor->viewMode->name, "AnimateView");
    EXPECT_TRUE(log.contains("ERROR, apply pose, pose size != particles size"));
    EXPECT_EQ(editor->skeleton->system->particles[0]->position, Ogre::Vector3(-4, 10, 0));

    fixture.press(OIS::KC_1);
    EXPECT_EQ(editor->viewMode->name, "ModelView");
}

TEST(Poses, RebindAndRestPoseKeepVoxelsStillAndSimulationStartsAtRest)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    // A leaning chain, so that no stick lies along the neutral side axis of a small skeleton.
    Skeleton* skeleton = editor->skeleton;
    skeleton->addEntry(Ogre::Vector3(0, 14, 0), 0, "head", 0, 1.0f);
    skeleton->addEntry(Ogre::Vector3(1, 10, 1), 1, "body", 0, 1.0f);
    skeleton->addEntry(Ogre::Vector3(0, 6, 2), 2, "foot", 0, 1.0f);
    skeleton->system->addStick(skeleton->system->particles[0], skeleton->system->particles[1], 4);
    skeleton->system->addStick(skeleton->system->particles[1], skeleton->system->particles[2], 4);
    editor->addVoxel(3, 10, 0, Ogre::ColourValue::White, QUERY_VOXEL);
    std::vector<Ogre::Vector3> where;
    for (Voxel* voxel : editor->voxels)
        where.push_back(voxel->getPosition());

    fixture.press(OIS::KC_R);
    for (size_t i = 0; i < where.size(); ++i)
        EXPECT_TRUE(editor->voxels[i]->getPosition().positionEquals(where[i], 1e-4f));
    ASSERT_NE(editor->baseAnimation.findFrame(0.0f), nullptr);
    EXPECT_EQ(editor->baseAnimation.findFrame(0.0f)->size(), 3u);

    editor->skeleton->system->particles[1]->position += Ogre::Vector3(0, 1, 0);
    editor->setSkeletonSimulating(true);
    EXPECT_EQ(editor->skeleton->system->particles[1]->getVelocity(), Ogre::Vector3::ZERO);
    editor->frameUpdate(0.016f);
    EXPECT_EQ(editor->skeletonObjects.size(), 5u);
    editor->setSkeletonSimulating(false);

    editor->appendBaseAnimationCopy();
    ASSERT_NE(editor->getAnimation(0), nullptr);
    EXPECT_EQ(editor->getAnimation(0)->frames, editor->baseAnimation.frames);
    EXPECT_EQ(editor->getAnimation(1), nullptr);
    EXPECT_EQ(editor->getAnimation(-1), nullptr);
}
