#include "editor/EditorMode.h"

#include "editor/QueryFlags.h"
#include "editor/ViewMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticle.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/editor/EditorTestFixture.h"

#include <OgreManualObject.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

namespace
{

// Three particles in a row joined by two sticks, the outer ones named as hands.
void buildArm(Skeleton* skeleton)
{
    skeleton->addEntry(Ogre::Vector3(-4, 10, 0), 0, "lefthand", 0, 1.0f);
    skeleton->addEntry(Ogre::Vector3(0, 10, 0), 1, "body", 0, 1.0f);
    skeleton->addEntry(Ogre::Vector3(4, 10, 0), 2, "righthand", 0, 1.0f);
    std::vector<Verlet::Particle*>& particles = skeleton->system->particles;
    skeleton->system->addStick(particles[0], particles[1], 4.0f);
    skeleton->system->addStick(particles[1], particles[2], 4.0f);
}

} // namespace

TEST(SkeletonDisplay, ParticlesArePickedInTheirCubesAndTheHandsLineReachesPastTheHands)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    buildArm(editor->skeleton);
    const size_t nodesBefore = fixture.engine.sceneManager->getRootSceneNode()->numChildren();

    editor->createSkeletonObjects();
    ASSERT_EQ(editor->skeletonDisplay.objects.size(), 3u + 2u + 1u);
    Ogre::ManualObject* hands = editor->skeletonDisplay.objects[5];
    EXPECT_EQ(hands->getName(), "hands");
    // The line runs 5 units past each hand.
    EXPECT_FLOAT_EQ(hands->getBoundingBox().getMinimum().x, -9.0f);
    EXPECT_FLOAT_EQ(hands->getBoundingBox().getMaximum().x, 9.0f);

    // A particle is picked inside its two-unit cube.
    Ogre::MovableObject* hit = nullptr;
    float distance = 0.0f;
    editor->pick(Ogre::Ray(Ogre::Vector3(3.2f, 10.9f, 20), Ogre::Vector3::NEGATIVE_UNIT_Z),
                 QUERY_PARTICLE, hit, distance);
    EXPECT_EQ(hit, editor->skeletonDisplay.objects[2]);

    // Rebuilding reuses the names and leaves no nodes behind; the hand names are exact.
    editor->destroySkeletonObjects();
    EXPECT_TRUE(editor->skeletonDisplay.objects.empty());
    EXPECT_EQ(fixture.engine.sceneManager->getRootSceneNode()->numChildren(), nodesBefore);
    editor->skeleton->entries[2]->name = "RightHand";
    editor->createSkeletonObjects();
    EXPECT_EQ(editor->skeletonDisplay.objects.size(), 5u);
    EXPECT_TRUE(fixture.shown("boneParticle0"));
    EXPECT_FALSE(fixture.shown("hands"));

    // Chosen particles have a look of their own, also after the objects are made again.
    auto looks = [&]
    {
        std::string names;
        for (size_t i = 0; i < 3; ++i)
            names += editor->skeletonDisplay.objects[i]->getSection(0)->getMaterialName() + " ";
        return names;
    };
    editor->skeletonDisplay.setChosen({editor->skeleton->system->particles[1]});
    EXPECT_EQ(looks(), "BonePoint BonePointChosen BonePoint ");
    editor->destroySkeletonObjects();
    editor->createSkeletonObjects();
    EXPECT_EQ(looks(), "BonePoint BonePointChosen BonePoint ");
    editor->skeletonDisplay.setChosen({});
    EXPECT_EQ(looks(), "BonePoint BonePoint BonePoint ");
}

TEST(Poses, WrongLengthPoseIsLoggedNotFatalAndChangesNothing)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    fixture.press(OIS::KC_2); // no particles: the animate view stays closed
    EXPECT_EQ(editor->viewMode->name, "ModelView");

    buildArm(editor->skeleton);
    editor->resetToRestPose();
    EXPECT_THROW(editor->applyPose(std::vector<Ogre::Vector3>(2)), std::exception);
    EXPECT_EQ(editor->skeleton->system->particles[0]->position, Ogre::Vector3(-4, 10, 0));

    // A hand-edited animation file: its only frame has one position too few.
    Animation broken;
    broken.frames[0.0f] = std::vector<Ogre::Vector3>(2, Ogre::Vector3(9, 9, 9));
    editor->animations.push_back(broken);
    LogCapture log;
    fixture.press(OIS::KC_2);
    EXPECT_EQ(editor->viewMode->name, "AnimateView");
    EXPECT_TRUE(log.contains("ERROR, apply pose, pose size != particles size"));
    EXPECT_EQ(editor->skeleton->system->particles[0]->position, Ogre::Vector3(-4, 10, 0));
}
