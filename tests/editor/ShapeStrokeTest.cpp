// The shapes (keys 4 to 8) as the sculpt and paint tools use them, on a wall seen from the front.
#include "editor/ModelViewMode.h"
#include "editor/PaintToolMode.h"
#include "editor/QueryFlags.h"
#include "editor/SculptToolMode.h"
#include "editor/UndoHistory.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

namespace
{

const Ogre::ColourValue GREY(0.5f, 0.5f, 0.5f, 1.0f);

// A wall of x -3..3, y 0..4 on the layer z = 0, seen from the front; the start voxel is part
// of it.
struct Wall : EditorTestFixture
{
    Wall()
    {
        for (int x = -3; x <= 3; ++x)
            for (int y = 0; y <= 4; ++y)
                editor->addVoxel(x, y, 0, GREY, QUERY_VOXEL);
        lookFrom({0.5f, 2.5f, 40.0f}, {0.5f, 2.5f, 0.0f});
    }
    ModelViewMode* view() { return static_cast<ModelViewMode*>(editor->viewMode); }
    // The front face of the cell at (x, y) of the layer z.
    void aimAtFront(int x, int y, int z = 0) { aimAt({x + 0.5f, y + 0.5f, z + 1.0f}); }
    // A whole gesture as the editor gets it: one undo step.
    void drag(int x0, int y0, int x1, int y1, OIS::MouseButtonID button = OIS::MB_Left)
    {
        aimAtFront(x0, y0);
        editor->mousePressed(button);
        aimAtFront(x1, y1);
        hold(3);
        editor->mouseReleased(button);
    }
    size_t count() const { return editor->voxels.size(); }
};

} // namespace

TEST(ShapeStroke, BoxDragOnAWallAddsItsRectangleIntoEmptyCellsAsOneStepMirrored)
{
    Wall wall;
    wall.install(new SculptToolMode());
    wall.press(OIS::KC_5);
    ASSERT_EQ(wall.view()->shape, ShapeCells::Shape::Box);
    wall.editor->addVoxel(0, 1, 1, Ogre::ColourValue::Red, QUERY_VOXEL); // taken: kept as is
    const size_t before = wall.count();

    // While held, the preview shows the 4 x 3 rectangle; nothing is added before the release.
    wall.aimAtFront(-2, 0);
    wall.editor->mousePressed(OIS::MB_Left);
    wall.aimAtFront(1, 2);
    wall.hold(3);
    EXPECT_EQ(wall.count(), before);
    wall.editor->mouseReleased(OIS::MB_Left);
    ASSERT_EQ(wall.count(), before + 11);
    for (size_t i = before; i < wall.count(); ++i)
    {
        const Voxel::Cell& c = wall.editor->voxels[i]->getGridPosition();
        EXPECT_TRUE(c.x >= -2 && c.x <= 1 && c.y >= 0 && c.y <= 2 && c.z == 1);
        EXPECT_EQ(wall.editor->voxels[i]->getColour(), GREY);
    }
    EXPECT_EQ(wall.editor->voxels[size_t(wall.voxelAt(0, 1, 1))]->getColour(),
              Ogre::ColourValue::Red);
    wall.editor->undo();
    EXPECT_EQ(wall.count(), before);

    // A line with mirror editing: its cells and their mirrors, one step.
    wall.press(OIS::KC_X);
    wall.press(OIS::KC_6);
    wall.drag(0, 3, 3, 4);
    EXPECT_EQ(wall.count(), before + 8);
    for (int x : {0, 1, -1, -2})
        EXPECT_NE(wall.voxelAt(x, 3, 1), -1) << x;
    for (int x : {2, 3, -3, -4})
        EXPECT_NE(wall.voxelAt(x, 4, 1), -1) << x;
    wall.editor->undo();
    EXPECT_EQ(wall.count(), before);
}

TEST(ShapeStroke, RightDragRemovesEachVoxelPassedOverOnceAndStillRemovesOne)
{
    Wall wall;
    wall.install(new SculptToolMode());
    for (int x = -3; x <= 3; ++x) // a row behind the wall's lowest row, which must stay
        wall.editor->addVoxel(x, 0, -1, GREY, QUERY_VOXEL);
    const size_t before = wall.count();
    wall.aimAtFront(-3, 0);
    wall.editor->mousePressed(OIS::MB_Right);
    wall.hold(10); // held still: the voxel behind the hole stays
    EXPECT_EQ(wall.count(), before - 1);
    for (float x = -2.5f; x <= 3.5f; x += 0.25f)
    {
        wall.aimAt({x, 0.5f, 1.0f});
        wall.hold();
    }
    // Back over the holes: nothing more.
    wall.aimAtFront(0, 0);
    wall.hold(3);
    wall.editor->mouseReleased(OIS::MB_Right);
    EXPECT_EQ(wall.count(), before - 7);
    for (int x = -3; x <= 3; ++x)
    {
        EXPECT_EQ(wall.voxelAt(x, 0, 0), -1);
        EXPECT_NE(wall.voxelAt(x, 0, -1), -1);
    }
    wall.editor->undo();
    EXPECT_EQ(wall.count(), before);
}

TEST(ShapeStroke, FaceExtrudesAndDigsFillPaintsAndCtrlClickPicks)
{
    Wall wall;
    wall.install(new SculptToolMode());
    const size_t before = wall.count();
    // A red column splits the wall's face.
    for (int y = 0; y <= 4; ++y)
        wall.editor->paintVoxel(wall.voxelAt(1, y, 0), Ogre::ColourValue::Red);

    wall.press(OIS::KC_7); // face: the grey part left of the column, one layer out
    wall.drag(-1, 1, -1, 1);
    EXPECT_EQ(wall.count(), before + 20);
    EXPECT_NE(wall.voxelAt(-3, 4, 1), -1);
    EXPECT_EQ(wall.voxelAt(1, 0, 1), -1);
    wall.drag(-1, 1, -1, 1, OIS::MB_Right); // and dug away again: the new layer's face
    EXPECT_EQ(wall.count(), before);

    // Fill paints the connected grey to the right of the column only.
    const Ogre::ColourValue blue(0.1f, 0.2f, 0.9f, 1.0f);
    wall.install(new PaintToolMode());
    wall.view()->colour = blue;
    wall.press(OIS::KC_8);
    wall.drag(3, 0, 3, 0);
    int blues = 0;
    for (Voxel* voxel : wall.editor->voxels)
        blues += voxel->getColour() == blue;
    EXPECT_EQ(blues, 10);
    EXPECT_EQ(wall.editor->voxels[size_t(wall.voxelAt(-3, 0, 0))]->getColour(), GREY);

    // Left Ctrl + click takes the colour under the pointer and paints nothing; the tool stays.
    wall.press(OIS::KC_4);
    wall.input->held.insert(OIS::KC_LCONTROL);
    wall.drag(1, 2, -2, 2);
    wall.input->held.erase(OIS::KC_LCONTROL);
    EXPECT_EQ(wall.view()->colour, Ogre::ColourValue::Red);
    EXPECT_EQ(wall.editor->voxels[size_t(wall.voxelAt(-2, 2, 0))]->getColour(), GREY);
    EXPECT_NE(dynamic_cast<PaintToolMode*>(wall.editor->toolMode), nullptr);
}
