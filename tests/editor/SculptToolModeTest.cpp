#include "editor/SculptToolMode.h"

#include "editor/QueryFlags.h"
#include "tests/editor/EditorTestFixture.h"

#include <OgreManualObject.h>

#include <gtest/gtest.h>

TEST(SculptToolMode, AddsAcrossTheFaceUnderThePointerWithTiesToTheLaterAxis)
{
    EditorTestFixture world;
    world.install(new SculptToolMode());
    // Off-centre on each face, so that the face, not a tie, decides; straight down the Y axis
    // the camera cannot look, so the Y faces are seen slightly from the side. Looking straight
    // down -Z at an edge or corner of the front face makes the offsets from the centre equal.
    const Ogre::Vector3 front(0, 0, 1);
    const struct
    {
        Ogre::Vector3 point, from;
        Voxel::Cell added;
    } cases[] = {
        {{1.0f, 0.6f, 0.3f}, {1, 0, 0}, {1, 0, 0}},
        {{0.0f, 0.6f, 0.3f}, {-1, 0, 0}, {-1, 0, 0}},
        {{0.3f, 1.0f, 0.6f}, {0.1f, 1, 0.2f}, {0, 1, 0}},
        {{0.3f, 0.0f, 0.6f}, {0.1f, -1, 0.2f}, {0, -1, 0}},
        {{0.6f, 0.3f, 1.0f}, front, {0, 0, 1}},
        {{0.6f, 0.3f, 0.0f}, {0, 0, -1}, {0, 0, -1}},
        {{1.0f, 1.0f, 0.6f}, {1, 1, 0}, {0, 1, 0}}, // X-Y edge goes to Y
        {{0.4f, 1.0f, 1.0f}, front, {0, 0, 1}},     // Y-Z edge to Z
        {{1.0f, 0.6f, 1.0f}, front, {0, 0, 1}},     // X-Z edge to Z
        {{0.0f, 0.0f, 1.0f}, front, {0, 0, 1}},     // corners to Z
        {{1.0f, 1.0f, 1.0f}, front, {0, 0, 1}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "at " << c.point << " from " << c.from);
        world.lookFrom(c.point + c.from.normalisedCopy() * 20.0f, c.point);
        world.pressButton();
        world.hold();
        world.releaseButton();
        ASSERT_EQ(world.editor->voxels.size(), 2u);
        EXPECT_EQ(world.editor->voxels[1]->getGridPosition(), c.added);
        world.editor->removeVoxel(1);
    }
}

TEST(SculptToolMode, AddsOnTheGroundCellBelowThePointer)
{
    EditorTestFixture world;
    world.install(new SculptToolMode());
    world.aimAt({-2.3f, 0.0f, 4.9f});
    world.pressButton();
    world.hold();
    ASSERT_EQ(world.editor->voxels.size(), 2u);
    EXPECT_EQ(world.editor->voxels[1]->getGridPosition(), (Voxel::Cell{-3, 0, 4}));
}

TEST(SculptToolMode, StillHoldAddsOneGreyVoxelAndTheNextDragBuildsOnIt)
{
    EditorTestFixture world;
    world.install(new SculptToolMode());
    world.editor->voxels[0]->setColour(Ogre::ColourValue(0.1f, 0.2f, 0.3f, 1.0f));
    world.aimAt({0.5f, 0.5f, 1.0f}); // the start voxel's front face
    world.pressButton();
    world.hold(20);
    ASSERT_EQ(world.editor->voxels.size(), 2u);
    Voxel* added = world.editor->voxels[1];
    EXPECT_EQ(added->getGridPosition(), (Voxel::Cell{0, 0, 1}));
    // Grey whatever the surface colour, and not pickable until the release.
    EXPECT_EQ(added->getColour(), Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1.0f));
    EXPECT_EQ(added->getQueryFlags(), uint32_t(QUERY_NEW_VOXEL));
    world.releaseButton();
    EXPECT_EQ(added->getQueryFlags(), uint32_t(QUERY_VOXEL));

    world.pressButton();
    world.hold(20);
    ASSERT_EQ(world.editor->voxels.size(), 3u);
    EXPECT_EQ(world.editor->voxels[2]->getGridPosition(), (Voxel::Cell{0, 0, 2}));
}

TEST(SculptToolMode, RightClickRemovesOnceAndMiddleButtonFollowsTheLastChoice)
{
    EditorTestFixture world;
    world.install(new SculptToolMode());
    world.editor->addVoxel(0, 0, 1, Ogre::ColourValue::Red, QUERY_VOXEL);
    world.aimAt({0.5f, 0.5f, 2.0f});
    world.pressButton(OIS::MB_Right);
    world.hold(10);
    world.releaseButton(OIS::MB_Right);
    ASSERT_EQ(world.editor->voxels.size(), 1u);

    // After a right press the middle button adds nothing; after a left press it adds.
    world.aimAt({0.5f, 0.5f, 1.0f});
    world.pressButton(OIS::MB_Middle);
    world.hold(5);
    world.releaseButton(OIS::MB_Middle);
    EXPECT_EQ(world.editor->voxels.size(), 1u);
    world.pressButton(OIS::MB_Left);
    world.releaseButton(OIS::MB_Left);
    world.pressButton(OIS::MB_Middle);
    world.hold(5);
    EXPECT_EQ(world.voxelAt(0, 0, 1), 1);
}
