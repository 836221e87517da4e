#include "editor/SelectToolMode.h"

#include "editor/QueryFlags.h"
#include "editor/SculptToolMode.h"
#include "editor/UndoHistory.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

// A row of differently coloured voxels from x = -2 to 2 (list index x + 2), seen straight down
// -Z so that the centre of the voxel at (0, 0, 0) lies exactly in the middle of the screen.
class SelectWorld : public EditorTestFixture
{
public:
    SelectWorld()
    {
        clearVoxels();
        for (int x = -2; x <= 2; ++x)
        {
            colours.emplace_back(0.1f * float(x + 3), 0.2f, 0.3f, 1.0f);
            editor->addVoxel(x, 0, 0, colours.back(), QUERY_VOXEL);
        }
        lookFrom({0.5f, 0.5f, 20.0f}, {0.5f, 0.5f, 0.0f});
    }
    // Grabs a bar at a world point and moves the pointer by (dx, dy) on the screen for one step.
    void dragBar(const Ogre::Vector3& at, float dx, float dy)
    {
        aimAt(at);
        pressButton();
        ASSERT_EQ(tool->state, SelectToolMode::Dragging);
        aimAtScreen(tool->dragStart.x + dx, tool->dragStart.y + dy);
        hold();
    }
    int bars() { return shown("SelectArrowX") + shown("SelectArrowY") + shown("SelectArrowZ"); }
    // Moves the pointer from where the drag began by `cells` cells along the bar as drawn.
    void dragCells(float cells)
    {
        const float halfWidth = 0.5f * float(engine.graphics.getWindowWidth());
        const float halfHeight = 0.5f * float(engine.graphics.getWindowHeight());
        aimAtScreen(tool->dragStart.x + cells * tool->dragDirection.x / halfWidth,
                    tool->dragStart.y + cells * tool->dragDirection.y / halfHeight);
        hold();
    }

    SelectToolMode* tool = install(new SelectToolMode());
    std::vector<Ogre::ColourValue> colours;
};

const Ogre::ColourValue red(1.0f, 0.0f, 0.0f, 1.0f);

} // namespace

TEST(SelectToolMode, RectangleCatchesOnlyVoxelsStrictlyInside)
{
    SelectWorld world;
    SelectToolMode* tool = world.tool;
    Voxel* centre = world.editor->voxels[2];
    // Edges through the centre voxel's projection (the screen centre) catch nothing.
    world.dragRectangle(0.0f, 0.5f, 0.02f, -0.5f);
    EXPECT_EQ(tool->state, SelectToolMode::Idle);
    EXPECT_FALSE(world.shown("SelectRectangle"));
    world.dragRectangle(-0.02f, 0.0f, 0.02f, 0.5f);
    EXPECT_EQ(tool->state, SelectToolMode::Idle);

    // Drawn from the lower right to the upper left, the corners are sorted.
    world.dragRectangle(0.02f, -0.02f, -0.02f, 0.02f);
    EXPECT_EQ(tool->state, SelectToolMode::Selected);
    EXPECT_EQ(tool->selection, std::vector<Voxel*>{centre});
    EXPECT_TRUE(tool->rectangleMin.positionEquals(Ogre::Vector3(-0.02f, -0.02f, 0.0f), 1e-5f));
    EXPECT_EQ(centre->getColour(), red);
    EXPECT_EQ(world.bars(), 3);
    EXPECT_FALSE(world.shown("SelectRectangle"));

    // A press beside the bars ends the selection without starting a rectangle.
    world.aimAtScreen(0.9f, 0.9f);
    world.pressButton();
    EXPECT_EQ(tool->state, SelectToolMode::Idle);
    EXPECT_EQ(tool->rectangle, nullptr);
    EXPECT_EQ(world.bars(), 0);
    EXPECT_EQ(centre->getColour(), world.colours[2]);
}

TEST(SelectToolMode, RemovedVoxelsLeaveTheSelectionAtOnce)
{
    SelectWorld world;
    SelectToolMode* tool = world.tool;
    world.dragRectangle(-0.9f, 0.5f, 0.9f, -0.5f);
    ASSERT_EQ(tool->selection.size(), 5u);

    // The second voxel goes; the others keep their own saved colour and start cell, so a drag
    // out and back and a release put each one right.
    world.editor->removeVoxel(1);
    ASSERT_EQ(tool->selection.size(), 4u);
    ASSERT_EQ(tool->startCells.size(), 4u);
    world.dragBar({7.5f, 0.5f, 0.5f}, 0.6f, 0.0f);
    world.aimAtScreen(tool->dragStart.x, tool->dragStart.y);
    world.hold();
    world.releaseButton();
    ASSERT_EQ(world.editor->voxels.size(), 4u);
    EXPECT_EQ(world.editor->voxelColour(world.editor->voxels[1]), world.colours[2]);
    EXPECT_EQ(world.editor->voxels[1]->getGridPosition(), (Voxel::Cell{0, 0, 0}));

    // Key O removes the unseen middle of a 3 x 3 x 3 block while all of it is selected.
    world.clearVoxels();
    for (int x = 2; x <= 4; ++x)
        for (int y = 0; y <= 2; ++y)
            for (int z = 0; z <= 2; ++z)
                world.editor->addVoxel(x, y, z, Ogre::ColourValue::Blue, QUERY_VOXEL);
    world.lookFrom({3.5f, 1.5f, 30.0f}, {3.5f, 1.5f, 1.5f});
    world.dragRectangle(-0.9f, 0.9f, 0.9f, -0.9f);
    ASSERT_EQ(tool->selection.size(), 27u);
    world.press(OIS::KC_O);
    EXPECT_EQ(world.voxelAt(3, 1, 1), -1);
    ASSERT_EQ(tool->selection.size(), 26u);
    EXPECT_EQ(tool->savedColours.size(), 26u);
    const std::vector<Voxel*>& live = world.editor->voxels;
    for (Voxel* voxel : tool->selection)
        EXPECT_NE(std::find(live.begin(), live.end(), voxel), live.end());

    // Another tool deselects first: colours come back and the bars go.
    world.install(new SculptToolMode());
    EXPECT_EQ(world.bars(), 0);
    for (Voxel* voxel : world.editor->voxels)
        EXPECT_EQ(voxel->getColour(), Ogre::ColourValue::Blue);
}

// The bar follows the pointer: the travel along its on-screen direction, in cells as drawn at the
// selection's centre, but never more than one cell per 8 pixels (the Z bar is seen end-on here).
TEST(SelectToolMode, DragFollowsThePointerAlongTheBarAsDrawn)
{
    SelectWorld world;
    SelectToolMode* tool = world.tool;
    world.dragRectangle(-0.9f, 0.5f, 0.9f, -0.5f);
    world.dragBar({0.5f, 7.5f, 0.5f}, 0.0f, 0.0f); // the Y bar, above the row
    ASSERT_EQ(tool->dragAxis, Ogre::Vector3(0, -1, 0));
    EXPECT_GT(tool->dragDirection.length(), 8.0f);
    world.dragCells(2.5f);
    EXPECT_EQ(world.editor->voxels[0]->gridPosition, (Voxel::Cell{-2, -2, 0}));
    world.dragCells(-1.2f);
    EXPECT_EQ(world.editor->voxels[0]->gridPosition, (Voxel::Cell{-2, 1, 0}));
    // Across the bar nothing moves: the cells come from where the drag began.
    world.aimAtScreen(tool->dragStart.x + 0.5f, tool->dragStart.y);
    world.hold();
    EXPECT_EQ(world.editor->voxels[0]->gridPosition, (Voxel::Cell{-2, 0, 0}));
    world.releaseButton();

    // Seen from a little aside, the Z bar is drawn a few pixels per cell. The row is still
    // selected.
    world.lookFrom({1.5f, 1.5f, 20.0f}, {0.5f, 0.5f, 0.5f});
    world.dragBar({0.5f, 0.5f, 8.5f}, 0.0f, 0.0f);
    ASSERT_EQ(tool->dragAxis, Ogre::Vector3::UNIT_Z);
    ASSERT_LT(tool->dragDirection.length(), 8.0f);
    world.dragCells(84.0f / tool->dragDirection.length()); // 84 pixels along the bar
    EXPECT_EQ(world.editor->voxels[0]->gridPosition.z, 10);
}

// On release a moved voxel replaces the unmoved one it landed on; moved voxels meeting in a cell
// (a mirrored move toward the plane) leave the earliest in the list. One undo step takes all
// of it back, and the bar says how many went.
TEST(SelectToolMode, ReleaseKeepsOneVoxelPerCellInOneStep)
{
    SelectWorld world;
    SelectToolMode* tool = world.tool;
    EditorMode* editor = world.editor;
    LogCapture log;
    // The three right voxels (x = 0..2) one cell left, onto x = -1.
    editor->history->begin("");
    world.dragRectangle(-0.02f, 0.5f, 0.9f, -0.5f);
    ASSERT_EQ(tool->selection.size(), 3u);
    world.dragBar({7.5f, 0.5f, 0.5f}, 0.0f, 0.0f);
    world.dragCells(-1.5f);
    EXPECT_EQ(editor->voxels.size(), 5u); // passing over others is allowed while held
    world.releaseButton();
    editor->history->commit();
    ASSERT_EQ(editor->voxels.size(), 4u);
    EXPECT_EQ(editor->voxels[0]->colour, world.colours[0]);
    EXPECT_EQ(editor->voxelColour(editor->voxels[1]), world.colours[2]); // the moved one won
    EXPECT_EQ(editor->voxels[1]->gridPosition, (Voxel::Cell{-1, 0, 0}));
    EXPECT_TRUE(log.contains("1 voxel replaced"));
    editor->undo();
    ASSERT_EQ(editor->voxels.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(world.voxelAt(i - 2, 0, 0), i);

    // Mirrored, the whole row one cell toward the plane: -2 and 0 meet in -1, -1 and 1 in 0.
    world.press(OIS::KC_X);
    editor->history->begin("");
    world.dragRectangle(-0.9f, 0.5f, 0.9f, -0.5f);
    world.dragBar({7.5f, 0.5f, 0.5f}, 0.0f, 0.0f);
    world.dragCells(-1.5f);
    world.releaseButton();
    editor->history->commit();
    ASSERT_EQ(editor->voxels.size(), 3u);
    EXPECT_EQ(editor->voxelColour(editor->voxels[0]), world.colours[0]);
    EXPECT_EQ(editor->voxels[0]->gridPosition, (Voxel::Cell{-1, 0, 0}));
    EXPECT_EQ(editor->voxelColour(editor->voxels[1]), world.colours[1]);
    EXPECT_EQ(editor->voxels[1]->gridPosition, (Voxel::Cell{0, 0, 0}));
    EXPECT_TRUE(log.contains("2 voxels dropped"));
    editor->undo();
    ASSERT_EQ(editor->voxels.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(world.voxelAt(i - 2, 0, 0), i);
}

// From the start view all three bars can be grabbed (the Z bar points at the camera there: its
// knobs take the press). After a move the selection stays, red, with the bars at its new centre,
// and moves again along another axis; its real colours are what the file gets.
TEST(SelectToolMode, SelectionStaysAfterAMoveAndEveryBarCanBeGrabbed)
{
    SelectWorld world;
    SelectToolMode* tool = world.tool;
    EditorMode* editor = world.editor;
    editor->resetCamera();
    world.dragRectangle(-0.9f, 0.0f, 0.9f, -0.9f);
    ASSERT_EQ(tool->selection.size(), 5u);
    const struct
    {
        Ogre::Vector3 at, axis;
    } bars[] = {{{10.5f, 0.5f, 0.5f}, Ogre::Vector3::UNIT_X},
                {{0.5f, 10.5f, 0.5f}, Ogre::Vector3::NEGATIVE_UNIT_Y},
                {{0.5f, 0.5f, 10.5f}, Ogre::Vector3::UNIT_Z}};
    for (const auto& bar : bars)
    {
        world.dragBar(bar.at, 0.0f, 0.0f);
        EXPECT_EQ(tool->dragAxis, bar.axis);
        world.releaseButton();
        ASSERT_EQ(tool->state, SelectToolMode::Selected);
    }

    // Two cells up, then one cell along X: each release keeps the selection.
    world.lookFrom({0.5f, 0.5f, 20.0f}, {0.5f, 0.5f, 0.0f});
    world.dragBar({0.5f, 7.5f, 0.5f}, 0.0f, 0.0f);
    world.dragCells(-2.5f);
    world.releaseButton();
    EXPECT_EQ(tool->state, SelectToolMode::Selected);
    EXPECT_EQ(world.voxelAt(0, 2, 0), 2);
    EXPECT_EQ(editor->voxels[2]->getColour(), red);
    Ogre::SceneManager* scene = world.engine.sceneManager;
    EXPECT_TRUE(scene->getManualObject("SelectArrowX")->getParentSceneNode()->getPosition()
                    .positionEquals({0.5f, 2.5f, 0.5f}, 1e-4f));
    world.dragBar({7.5f, 2.5f, 0.5f}, 0.0f, 0.0f);
    world.dragCells(1.5f);
    world.releaseButton();
    EXPECT_EQ(world.voxelAt(1, 2, 0), 2);
    EXPECT_EQ(tool->selection.size(), 5u);
    EXPECT_EQ(editor->realColours(), world.colours);
}

// Delete, the arrow keys and left Ctrl + C / V, each one undo step through the editor's keys.
TEST(SelectToolMode, KeysDeleteNudgeCopyAndPasteTheSelection)
{
    SelectWorld world;
    SelectToolMode* tool = world.tool;
    EditorMode* editor = world.editor;
    // The arrows follow the camera's right and up, rounded to the nearest axis; a nudge onto a
    // voxel replaces it.
    const struct
    {
        Ogre::Vector3 eye;
        OIS::KeyCode key;
        Voxel::Cell to;
        size_t count;
    } nudges[] = {
        {{0.5f, 0.5f, 20.0f}, OIS::KC_RIGHT, {1, 0, 0}, 4},
        {{0.5f, 0.5f, 20.0f}, OIS::KC_LEFT, {-1, 0, 0}, 4},
        {{0.5f, 0.5f, 20.0f}, OIS::KC_UP, {0, 1, 0}, 5},
        {{8.5f, -6.0f, 20.0f}, OIS::KC_DOWN, {0, -1, 0}, 5},
        {{20.5f, 0.5f, -5.5f}, OIS::KC_RIGHT, {0, 0, -1}, 5}, // from +X, right is nearly -Z
    };
    for (const auto& nudge : nudges)
    {
        world.lookFrom(nudge.eye, {0.5f, 0.5f, 0.5f});
        world.aimAt({0.5f, 0.5f, 0.5f});
        const Ogre::Vector3 middle = world.editor->getPointerScreenPosition();
        world.dragRectangle(middle.x - 0.01f, middle.y + 0.01f, middle.x + 0.01f, middle.y - 0.01f);
        ASSERT_EQ(tool->selection.size(), 1u);
        Voxel* moved = tool->selection.front();
        world.press(nudge.key);
        EXPECT_EQ(moved->gridPosition, nudge.to) << nudge.key;
        EXPECT_EQ(editor->voxels.size(), nudge.count);
        EXPECT_EQ(tool->selection, std::vector<Voxel*>{moved});
        editor->undo();
        EXPECT_EQ(editor->realColours(), world.colours);
        EXPECT_EQ(tool->state, SelectToolMode::Idle);
    }

    // Delete takes the selection away; undo brings it back in its own colours.
    world.lookFrom({0.5f, 0.5f, 20.0f}, {0.5f, 0.5f, 0.0f});
    world.dragRectangle(-0.02f, 0.5f, 0.9f, -0.5f);
    world.press(OIS::KC_DELETE);
    EXPECT_EQ(editor->voxels.size(), 2u);
    EXPECT_EQ(world.bars(), 0);
    editor->undo();
    EXPECT_EQ(editor->realColours(), world.colours);

    // Copy x = 0 and 1; paste in front of x = 2, then in front of x = 1, where the second paste
    // replaces the first one's voxel at (2, 0, 1).
    world.dragRectangle(-0.02f, 0.5f, 0.1f, -0.5f);
    ASSERT_EQ(tool->selection.size(), 2u);
    world.input->held.insert(OIS::KC_LCONTROL);
    world.press(OIS::KC_C);
    world.aimAt({2.5f, 0.5f, 1.0f});
    world.press(OIS::KC_V);
    EXPECT_EQ(editor->voxels.size(), 7u);
    EXPECT_EQ(tool->selection.size(), 2u); // the pasted voxels
    world.aimAt({1.5f, 0.5f, 1.0f});
    world.press(OIS::KC_V);
    world.input->held.erase(OIS::KC_LCONTROL);
    ASSERT_EQ(editor->voxels.size(), 8u);
    EXPECT_EQ(editor->voxelColour(editor->voxels[size_t(world.voxelAt(1, 0, 1))]), world.colours[2]);
    EXPECT_EQ(editor->voxelColour(editor->voxels[size_t(world.voxelAt(2, 0, 1))]), world.colours[3]);
    editor->undo();
    ASSERT_EQ(editor->voxels.size(), 7u);
    EXPECT_EQ(editor->voxels[size_t(world.voxelAt(2, 0, 1))]->colour, world.colours[2]);
    EXPECT_EQ(world.voxelAt(1, 0, 1), -1);
}
