#include "editor/SculptToolMode.h"

#include "editor/GetColorToolMode.h"
#include "editor/ModelViewMode.h"
#include "editor/PaintToolMode.h"
#include "editor/QueryFlags.h"
#include "tests/editor/ToolTestWorld.h"

#include <OgreManualObject.h>

#include <gtest/gtest.h>

namespace
{

const Ogre::Vector3 startCentre(0.5f, 0.5f, 0.5f);

// One still left-button click over `point` on the start voxel, seen from direction `from`.
Voxel::Cell clickFrom(ToolTestWorld& world, const Ogre::Vector3& point, const Ogre::Vector3& from)
{
    world.lookFrom(point + from.normalisedCopy() * 20.0f, point);
    size_t before = world.editor->voxels.size();
    world.pressButton();
    world.hold();
    world.releaseButton();
    if (world.editor->voxels.size() != before + 1)
    {
        return Voxel::Cell{99, 99, 99};
    }
    Voxel::Cell added = world.editor->voxels.back()->getGridPosition();
    world.editor->removeVoxel(int(world.editor->voxels.size()) - 1);
    return added;
}

} // namespace

TEST(SculptToolMode, AddsAcrossTheFaceUnderThePointer)
{
    ToolTestWorld world;
    world.install(new SculptToolMode());

    // Off-centre on each face, so that the face, not a tie, decides. Straight down the Y axis the
    // camera cannot look, so the Y faces are seen slightly from the side.
    EXPECT_EQ(clickFrom(world, {1.0f, 0.6f, 0.3f}, {1, 0, 0}), (Voxel::Cell{1, 0, 0}));
    EXPECT_EQ(clickFrom(world, {0.0f, 0.6f, 0.3f}, {-1, 0, 0}), (Voxel::Cell{-1, 0, 0}));
    EXPECT_EQ(clickFrom(world, {0.3f, 1.0f, 0.6f}, {0.1f, 1, 0.2f}), (Voxel::Cell{0, 1, 0}));
    EXPECT_EQ(clickFrom(world, {0.3f, 0.0f, 0.6f}, {0.1f, -1, 0.2f}), (Voxel::Cell{0, -1, 0}));
    EXPECT_EQ(clickFrom(world, {0.6f, 0.3f, 1.0f}, {0, 0, 1}), (Voxel::Cell{0, 0, 1}));
    EXPECT_EQ(clickFrom(world, {0.6f, 0.3f, 0.0f}, {0, 0, -1}), (Voxel::Cell{0, 0, -1}));

    // Ties go to the later axis. Looking straight down -Z at a point on an edge or the corner
    // of the front face makes the offsets from the centre exactly equal: an X-Y edge goes to Y,
    // a Y-Z edge and an X-Z edge to Z, the corner to Z.
    const Ogre::Vector3 front(0, 0, 1);
    EXPECT_EQ(clickFrom(world, {1.0f, 1.0f, 0.6f}, {1, 1, 0}), (Voxel::Cell{0, 1, 0}));
    EXPECT_EQ(clickFrom(world, {0.4f, 1.0f, 1.0f}, front), (Voxel::Cell{0, 0, 1}));
    EXPECT_EQ(clickFrom(world, {1.0f, 0.6f, 1.0f}, front), (Voxel::Cell{0, 0, 1}));
    EXPECT_EQ(clickFrom(world, {0.0f, 0.0f, 1.0f}, front), (Voxel::Cell{0, 0, 1}));
    EXPECT_EQ(clickFrom(world, {1.0f, 1.0f, 1.0f}, front), (Voxel::Cell{0, 0, 1}));
    EXPECT_EQ(world.editor->voxels.size(), 1u);
}

TEST(SculptToolMode, AddsOnTheGroundCellBelowThePointer)
{
    ToolTestWorld world;
    world.install(new SculptToolMode());
    world.aimAt({-2.3f, 0.0f, 4.9f});
    world.pressButton();
    world.hold();
    ASSERT_EQ(world.editor->voxels.size(), 2u);
    EXPECT_EQ(world.editor->voxels[1]->getGridPosition(), (Voxel::Cell{-3, 0, 4}));
    EXPECT_EQ(world.editor->voxels[1]->getColour(), Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1.0f));
}

TEST(SculptToolMode, StillHoldAddsOneVoxelAndTheNextDragBuildsOnIt)
{
    ToolTestWorld world;
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
    EXPECT_EQ(added->getBox()->getQueryFlags(), uint32_t(QUERY_NEW_VOXEL));

    world.releaseButton();
    EXPECT_EQ(added->getBox()->getQueryFlags(), uint32_t(QUERY_VOXEL));

    world.pressButton();
    world.hold(20);
    ASSERT_EQ(world.editor->voxels.size(), 3u);
    EXPECT_EQ(world.editor->voxels[2]->getGridPosition(), (Voxel::Cell{0, 0, 2}));
}

TEST(SculptToolMode, RightClickRemovesOnceAndMiddleButtonFollowsTheLastChoice)
{
    ToolTestWorld world;
    world.install(new SculptToolMode());
    world.editor->addVoxel(0, 0, 1, Ogre::ColourValue::Red, QUERY_VOXEL);

    // Over the ground a right click removes nothing; over a voxel it removes that one only,
    // however long it is held.
    world.aimAt({-10.5f, 0.0f, 10.5f});
    world.pressButton(OIS::MB_Right);
    world.releaseButton(OIS::MB_Right);
    EXPECT_EQ(world.editor->voxels.size(), 2u);
    world.aimAt({0.5f, 0.5f, 2.0f});
    world.pressButton(OIS::MB_Right);
    world.hold(10);
    world.releaseButton(OIS::MB_Right);
    ASSERT_EQ(world.editor->voxels.size(), 1u);
    EXPECT_EQ(world.voxelAt(0, 0, 0), 0);

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

TEST(PaintToolMode, RepaintsEveryStepKeepingFlags)
{
    ToolTestWorld world;
    world.install(new PaintToolMode());
    auto* view = dynamic_cast<ModelViewMode*>(world.editor->viewMode);
    ASSERT_NE(view, nullptr);
    view->colour = Ogre::ColourValue(0.2f, 0.4f, 0.6f, 1.0f);
    Voxel* voxel = world.editor->voxels[0];
    world.aimAt(startCentre + Ogre::Vector3(0.0f, 0.0f, 0.5f));

    world.pressButton();
    world.hold();
    std::string firstName = voxel->getBox()->getName();
    EXPECT_EQ(voxel->getColour(), view->colour);
    world.hold();
    EXPECT_NE(voxel->getBox()->getName(), firstName); // rebuilt although the colour is the same
    EXPECT_EQ(voxel->getBox()->getQueryFlags(), uint32_t(QUERY_VOXEL));

    // Over the ground nothing changes.
    world.aimAt({-10.5f, 0.0f, 10.5f});
    std::string lastName = voxel->getBox()->getName();
    world.hold();
    EXPECT_EQ(voxel->getBox()->getName(), lastName);
}

TEST(GetColorToolMode, CopiesTheVoxelColourWithItsAlpha)
{
    ToolTestWorld world;
    world.install(new GetColorToolMode());
    auto* view = dynamic_cast<ModelViewMode*>(world.editor->viewMode);
    ASSERT_NE(view, nullptr);
    const Ogre::ColourValue picked(0.25f, 0.5f, 0.75f, 0.5f);
    world.editor->voxels[0]->setColour(picked);

    world.aimAt({-10.5f, 0.0f, 10.5f});
    world.pressButton(OIS::MB_Right);
    EXPECT_EQ(view->colour, Ogre::ColourValue(1, 1, 1, 1));

    world.aimAt(startCentre + Ogre::Vector3(0.0f, 0.0f, 0.5f));
    world.pressButton(OIS::MB_Right);
    EXPECT_EQ(view->colour, picked);
    EXPECT_EQ(world.editor->toolMode->editor, world.editor); // the tool stays installed
}
