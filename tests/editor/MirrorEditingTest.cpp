// Mirror editing (key X): the plane x = 0 of model space; every gesture acts on both sides and
// is one undo step.
#include "editor/ModelViewMode.h"
#include "editor/PaintToolMode.h"
#include "editor/QueryFlags.h"
#include "editor/SculptToolMode.h"
#include "editor/UndoHistory.h"
#include "tests/editor/EditorTestFixture.h"

#include <OgreManualObject.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace
{

using Model = std::map<std::tuple<int, int, int>, Ogre::ColourValue>;

// Mirror editing on, grey voxels at (x, 0, 0) for the given x; gestures go through the editor,
// so that each is one step.
class MirrorWorld : public EditorTestFixture
{
public:
    explicit MirrorWorld(std::initializer_list<int> row)
    {
        press(OIS::KC_X);
        clearVoxels();
        for (int x : row)
            editor->addVoxel(x, 0, 0, Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1.0f), QUERY_VOXEL);
    }
    Model model()
    {
        Model cells;
        for (Voxel* voxel : editor->voxels)
            cells[{voxel->gridPosition.x, voxel->gridPosition.y, voxel->gridPosition.z}] =
                voxel->getColour();
        return cells;
    }
    void gesture(const Ogre::Vector3& at, OIS::MouseButtonID button = OIS::MB_Left)
    {
        aimAt(at);
        editor->mousePressed(button);
        hold(2);
        editor->mouseReleased(button);
    }

    LogCapture log;
};

} // namespace

TEST(MirrorEditing, CellsMirrorAtThePlaneAndXShowsItsLineTurnedWithTheModel)
{
    const int cases[][2] = {{0, -1}, {-1, 0}, {5, -6}, {-6, 5}};
    for (const auto& c : cases)
        EXPECT_EQ(EditorMode::mirroredCell({c[0], 3, 4}), (Voxel::Cell{c[1], 3, 4}));

    EditorTestFixture world;
    world.press(OIS::KC_X);
    ASSERT_TRUE(world.shown("mirrorPlane"));
    Ogre::ManualObject* line = world.engine.sceneManager->getManualObject("mirrorPlane");
    EXPECT_EQ(line->getQueryFlags(), 0u); // sculpting on the ground goes through it
    world.press(OIS::KC_M);
    world.editor->update(0.016f);
    EXPECT_EQ(line->getParentSceneNode()->getOrientation(), world.editor->modelOrientation);
    world.press(OIS::KC_X);
    EXPECT_FALSE(world.editor->mirror.isOn());
    EXPECT_FALSE(world.shown("mirrorPlane"));
    EXPECT_EQ(world.editor->history->size(), 0u); // neither key is a change
}

TEST(MirrorEditing, StrokesRemovalsAndPaintActOnBothSidesAsOneStepEach)
{
    MirrorWorld world({2, -3, 4});
    EditorMode* editor = world.editor;
    const Ogre::ColourValue red(1.0f, 0.0f, 0.0f, 1.0f), grey(0.5f, 0.5f, 0.5f, 1.0f);
    editor->addVoxel(-4, 0, 4, red, QUERY_VOXEL); // takes the mirror of the ground cell (3, 0, 4)
    dynamic_cast<ModelViewMode*>(editor->viewMode)->colour = red;
    Model expected = world.model();
    const struct
    {
        bool paint;
        Ogre::Vector3 at;
        OIS::MouseButtonID button;
        Model added;
        std::vector<std::tuple<int, int, int>> removed;
        const char* undone;
    } steps[] = {
        {false, {3.3f, 0.0f, 4.9f}, OIS::MB_Left, {{{3, 0, 4}, grey}}, {}, "sculpt stroke"},
        {false,
         {2.5f, 0.5f, 1.0f},
         OIS::MB_Left,
         {{{2, 0, 1}, grey}, {{-3, 0, 1}, grey}},
         {},
         "sculpt stroke"},
        {true,
         {-2.5f, 0.5f, 2.0f},
         OIS::MB_Left,
         {{{2, 0, 1}, red}, {{-3, 0, 1}, red}},
         {},
         "paint stroke"},
        {false, {4.5f, 0.5f, 1.0f}, OIS::MB_Right, {}, {{4, 0, 0}}, "voxel removal"},
        {false, {2.5f, 0.5f, 2.0f}, OIS::MB_Right, {}, {{2, 0, 1}, {-3, 0, 1}}, "voxel removal"},
    };
    std::vector<Model> before;
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.undone);
        before.push_back(expected);
        if (step.paint)
            world.install(new PaintToolMode());
        else if (!dynamic_cast<SculptToolMode*>(editor->toolMode))
            world.install(new SculptToolMode());
        world.gesture(step.at, step.button);
        for (const auto& [cell, colour] : step.added)
            expected[cell] = colour;
        for (const auto& cell : step.removed)
            expected.erase(cell);
        EXPECT_EQ(world.model(), expected);
    }
    EXPECT_EQ(editor->history->size(), 5u);
    for (size_t i = std::size(steps); i-- > 0;)
    {
        editor->undo();
        EXPECT_EQ(world.log.lines.back(), std::string("Undo: mirrored ") + steps[i].undone);
        EXPECT_EQ(world.model(), before[i]);
    }
    EXPECT_FALSE(editor->hasUnsavedChanges());
}
