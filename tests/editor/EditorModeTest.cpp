#include "editor/EditorMode.h"

#include "editor/QueryFlags.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticle.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/editor/EditorTestFixture.h"

#include <OgreManualObject.h>

#include <gtest/gtest.h>

TEST(VoxelList, AddRemoveAndFindKeepListOrder)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    fixture.clearVoxels();
    for (int i = 0; i < 5; ++i)
        editor->addVoxel(i, 0, 0, Ogre::ColourValue(0.1f * i, 0, 0, 1), QUERY_VOXEL);
    std::vector<Voxel*> before = editor->getVoxels();
    const unsigned counter = Voxel::boxCounter;

    // A taken cell: nothing changes, not even the box counter.
    editor->addVoxel(2, 0, 0, Ogre::ColourValue(0, 1, 0, 1), QUERY_NEW_VOXEL);
    EXPECT_EQ(editor->getVoxels(), before);
    EXPECT_EQ(Voxel::boxCounter, counter);
    EXPECT_EQ(editor->voxels[2]->colour, Ogre::ColourValue(0.2f, 0, 0, 1));
    EXPECT_EQ(editor->voxels[2]->getQueryFlags(), uint32_t(QUERY_VOXEL));

    EXPECT_EQ(editor->findVoxel(before[3]), 3);
    EXPECT_EQ(editor->findVoxel(nullptr), -1);

    editor->removeVoxels({3, 1});
    EXPECT_EQ(editor->voxels, (std::vector<Voxel*>{before[0], before[2], before[4]}));
    // The freed cell can be filled again.
    editor->addVoxel(1, 0, 0, Ogre::ColourValue::White, QUERY_VOXEL);
    EXPECT_EQ(editor->voxels.size(), 4u);
}

TEST(Pointer, PointerRayProjectsBackAndPointsBehindTheCameraGoToTheCentre)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    fixture.aimAtScreen(-1.0f, 1.0f);
    EXPECT_TRUE(editor->getPointerScreenPosition().positionEquals(Ogre::Vector3(-1, 1, -1)));
    Ogre::Vector3 projected = editor->projectToScreen(editor->getPointerRay().getPoint(30.0f));
    EXPECT_NEAR(projected.x, -1.0f, 1e-4f);
    EXPECT_NEAR(projected.y, 1.0f, 1e-4f);

    // The camera looks down -Z from z = 70.
    EXPECT_EQ(editor->projectToScreen(Ogre::Vector3(0, 15, 80)), Ogre::Vector3::ZERO);
    EXPECT_EQ(editor->projectToScreen(Ogre::Vector3(5, 15, 70)), Ogre::Vector3::ZERO);
}

TEST(EditorKeys, CameraFliesOnlyWhileFlightKeysAreHeldAndLeftControlIsNot)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    Ogre::Camera* camera = fixture.engine.camera;

    // W and S together cancel; releasing S flies forwards, 0.16 units a step.
    fixture.press(OIS::KC_W);
    fixture.press(OIS::KC_S);
    editor->update(0.016f);
    EXPECT_EQ(camera->getPosition(), Ogre::Vector3(0, 15, 70));
    fixture.release(OIS::KC_S);
    EXPECT_EQ(editor->cameraVelocity, Ogre::Vector3(0, 0, 1));
    editor->update(0.016f);
    EXPECT_TRUE(camera->getPosition().positionEquals(Ogre::Vector3(0, 15, 70 - 0.16f), 1e-4f));
    fixture.release(OIS::KC_W);

    // Whatever the order of presses and releases (Ctrl+S typed the quick way: Ctrl down, S
    // down, Ctrl up, S up), the camera ends at rest once the keys are up, and never flies while
    // left Ctrl is held. The right Control key does not count.
    using Step = std::pair<bool, OIS::KeyCode>; // pressed, key
    const std::vector<std::vector<Step>> sessions = {
        {{true, OIS::KC_LCONTROL}, {true, OIS::KC_S}, {false, OIS::KC_LCONTROL}, {false, OIS::KC_S}},
        {{true, OIS::KC_W}, {true, OIS::KC_LCONTROL}, {false, OIS::KC_W}, {false, OIS::KC_LCONTROL}},
        {{true, OIS::KC_LCONTROL}, {true, OIS::KC_D}, {false, OIS::KC_LCONTROL},
         {true, OIS::KC_A}, {false, OIS::KC_D}, {false, OIS::KC_A}},
        {{true, OIS::KC_RCONTROL}, {true, OIS::KC_S}, {false, OIS::KC_S}, {false, OIS::KC_RCONTROL}},
    };
    for (const std::vector<Step>& session : sessions)
    {
        for (const auto& [pressed, key] : session)
        {
            pressed ? fixture.press(key) : fixture.release(key);
            const auto held = [&](OIS::KeyCode code) { return float(editor->isKeyDown(code)); };
            const Ogre::Vector3 expected =
                editor->isKeyDown(OIS::KC_LCONTROL)
                    ? Ogre::Vector3::ZERO
                    : Ogre::Vector3(held(OIS::KC_D) - held(OIS::KC_A), 0,
                                    held(OIS::KC_W) - held(OIS::KC_S));
            EXPECT_EQ(editor->cameraVelocity, expected);
        }
        EXPECT_EQ(editor->cameraVelocity, Ogre::Vector3::ZERO);
        const Ogre::Vector3 before = camera->getPosition();
        editor->update(0.016f);
        EXPECT_EQ(camera->getPosition(), before);
    }
}

// M turns a model without a skeleton too, and is no step: undo and redo after it leave the whole
// model turned as it is, particles and voxels together.
TEST(EditorKeys, MTurnsEveryModelAndUndoNeverTurnsItBack)
{
    EditorTestFixture session;
    EditorMode* editor = session.editor;
    auto expectTurnedAtRest = [&](const char* when)
    {
        const Ogre::Quaternion& turn = editor->modelOrientation;
        for (Voxel* voxel : editor->voxels)
        {
            const Voxel::Cell& c = voxel->gridPosition;
            const Ogre::Vector3 centre(float(c.x) + 0.5f, float(c.y) + 0.5f, float(c.z) + 0.5f);
            ASSERT_LT(voxel->getPosition().distance(turn * centre), 0.01f) << when;
        }
        const std::vector<Ogre::Vector3>* rest = editor->baseAnimation.findFrame(0.0f);
        for (size_t i = 0; rest && i < rest->size(); ++i)
            ASSERT_LT(editor->skeleton->system->particles[i]->position.distance(turn * (*rest)[i]),
                      0.01f)
                << when;
    };
    editor->addVoxel(3, 0, 0, Ogre::ColourValue::Blue, QUERY_VOXEL);
    session.press(OIS::KC_M);
    EXPECT_NE(editor->modelOrientation, Ogre::Quaternion::IDENTITY);
    expectTurnedAtRest("a model without a skeleton");

    session.loadSample();
    session.press(OIS::KC_R);
    session.press(OIS::KC_M);
    session.press(OIS::KC_M);
    const Ogre::Quaternion turned = editor->modelOrientation;
    editor->undo();
    EXPECT_EQ(editor->modelOrientation, turned);
    expectTurnedAtRest("undo after M");
    editor->redo();
    expectTurnedAtRest("redo after M");
}
