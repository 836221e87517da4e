#include "skeleton/AnimateToolMode.h"

#include "tests/skeleton/PoseWorld.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

// A chain of five particles along x at y = 10 (x = -8, -4, 0, 4, 8), the first pinned (invMass
// 0) and the fourth with invMass 2.5; key 1 lifts the chain by 5. The camera looks straight at
// the middle particle, which therefore lies exactly in the middle of the screen.
class AnimateToolWorld : public PoseWorld
{
public:
    AnimateToolWorld()
        : PoseWorld({"p0", "p1", "p2", "p3", "p4"},
                    {{-8, 10, 0}, {-4, 10, 0}, {0, 10, 0}, {4, 10, 0}, {8, 10, 0}},
                    {0.0f, 1.0f, 1.0f, 2.5f, 1.0f}, 4.0f, {0, 5, 0})
    {
        lookFrom({0.0f, 10.0f, 40.0f}, {0.0f, 10.0f, 0.0f});
    }

    // A rectangle just around these particles, starting clear of every pick box.
    void selectParticles(std::vector<int> indices)
    {
        Ogre::Vector3 low(1e9f, 1e9f, 0.0f), high(-1e9f, -1e9f, 0.0f);
        for (int index : indices)
        {
            low.makeFloor(editor->projectToScreen(particle(index)->position));
            high.makeCeil(editor->projectToScreen(particle(index)->position));
        }
        dragRectangle(low.x - 0.05f, high.y + 0.1f, high.x + 0.05f, low.y - 0.1f);
    }
    // Presses on a particle and moves the pointer by `by` for some editor steps, pressing
    // `keyOnTheWay` half-way; no release.
    void dragParticle(int index, const Ogre::Vector3& by,
                      OIS::KeyCode keyOnTheWay = OIS::KC_UNASSIGNED)
    {
        aimAt(particle(index)->position);
        pressButton();
        editor->mouseButtonDown = true;
        aimAt(particle(index)->position + by);
        for (int i = 0; i < 10; ++i)
        {
            if (i == 5 && keyOnTheWay != OIS::KC_UNASSIGNED)
                press(keyOnTheWay);
            editor->update(0.016f);
            editor->frameUpdate(0.016f);
        }
        editor->mouseButtonDown = false;
    }
};

} // namespace

TEST(AnimateToolMode, RectangleSelectsParticlesStrictlyInside)
{
    AnimateToolWorld world;
    // Outside the animate view the tool has no animation to pose: a press does nothing.
    AnimateToolMode* stray = world.install(new AnimateToolMode());
    world.pressButton();
    EXPECT_EQ(stray->state, AnimateToolMode::NothingSelected);
    EXPECT_FALSE(world.shown("SelectRectangle"));

    world.enterAnimateView();
    AnimateToolMode* tool = world.tool;
    // On a particle, but nothing is selected yet: a rectangle, not a drag. Empty, it goes.
    world.aimAt(world.particle(1)->position);
    world.pressButton();
    EXPECT_EQ(tool->state, AnimateToolMode::DrawingRectangle);
    EXPECT_EQ(tool->dragged, nullptr);
    world.releaseButton();
    EXPECT_EQ(tool->state, AnimateToolMode::NothingSelected);

    // The middle particle lies exactly on the screen centre: on the left edge it is left out,
    // the next one to the right is inside.
    world.dragRectangle(0.0f, 0.5f, 0.2f, -0.5f);
    EXPECT_EQ(tool->state, AnimateToolMode::Selection);
    EXPECT_EQ(tool->selected, std::vector<Verlet::Particle*>{world.particle(3)});
    // A new rectangle starts over; on its bottom edge the middle particle is left out again.
    world.dragRectangle(-0.05f, 0.0f, 0.05f, 0.5f);
    EXPECT_TRUE(tool->selected.empty());
}

TEST(AnimateToolMode, DragHoldsUnselectedParticlesAndGivesBackTheirInvMass)
{
    AnimateToolWorld world;
    world.enterAnimateView();
    AnimateToolMode* tool = world.tool;
    world.selectParticles({2, 3});
    ASSERT_EQ(tool->selected.size(), 2u);

    world.dragParticle(3, Ogre::Vector3(0.0f, 3.0f, 0.0f));
    EXPECT_TRUE(world.editor->skeletonSimulating);
    const float held[] = {0.0f, 0.0f, 1.0f, 2.5f, 0.0f};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(world.particle(i)->invMass, held[i]) << "particle " << i;
    world.releaseButton();

    EXPECT_FALSE(world.editor->skeletonSimulating);
    for (int i = 0; i < 5; ++i) // the pinned first one included
        EXPECT_EQ(world.particle(i)->invMass, world.invMasses[i]) << "particle " << i;
    const Pose posed = world.pose();
    for (int i : {0, 1, 4})
        EXPECT_EQ(posed[i], world.rest[i]) << "particle " << i;
    EXPECT_GT(posed[3].y, world.rest[3].y + 0.5f);
    EXPECT_NE(posed[2], world.rest[2]); // pulled along
}

TEST(AnimateToolMode, ReleaseCreatesTheKeyAtTheCurrentTimeOrReplacesIt)
{
    AnimateToolWorld world;
    world.enterAnimateView();
    Animation& animation = world.editor->animations[0];
    world.view->setTime(0.5f);
    world.selectParticles({3, 4});
    // Time and animation keys wait while the button is held: the pose never lands in the key
    // at 0 (Left) or in another animation (Up, Down).
    const std::pair<float, OIS::KeyCode> drags[] = {
        {2.0f, OIS::KC_UNASSIGNED}, {-4.0f, OIS::KC_LEFT}, {1.0f, OIS::KC_DOWN}};
    for (const auto& [dy, key] : drags)
    {
        world.dragParticle(4, Ogre::Vector3(0.0f, dy, 0.0f), key);
        world.releaseButton();
        world.release(key);
        EXPECT_FLOAT_EQ(world.view->currentTime, 0.5f);
        ASSERT_EQ(animation.frames.size(), 3u);
        ASSERT_NE(animation.findFrame(0.5f), nullptr);
        EXPECT_EQ(*animation.findFrame(0.5f), world.pose());
        EXPECT_EQ(animation.frames[0.0f], world.rest);
        EXPECT_EQ(animation.frames[1.0f], world.moved);
    }
    EXPECT_LT(world.pose()[4].y, world.moved[4].y);
}

TEST(AnimateToolMode, PasteWritesCopiedPositionsIntoAnotherKeyAndLogsBadIndices)
{
    AnimateToolWorld world;
    world.enterAnimateView();
    Animation& animation = world.editor->animations[0];
    Pose expected = world.rest;
    for (Ogre::Vector3& position : expected)
        position.z += 3.0f;
    animation.frames[2.0f] = expected;

    world.selectParticles({3, 4});
    world.tool->copy();
    world.view->setTime(1.0f);
    world.selectParticles({2, 3});
    world.tool->copy();
    world.view->setTime(2.0f);
    world.tool->paste();
    expected[2] = world.moved[2];
    expected[3] = world.moved[3]; // the later copy wins
    expected[4] = world.rest[4];
    EXPECT_EQ(animation.frames[2.0f], expected);
    EXPECT_EQ(world.pose(), expected); // and it is shown

    // A key frame read from a file that holds fewer positions than the skeleton has particles.
    animation.frames[3.0f] = {Ogre::Vector3(1, 1, 1), Ogre::Vector3(2, 2, 2),
                              Ogre::Vector3(3, 3, 3)};
    world.view->setTime(0.0f);
    world.tool->clipboard.clear();
    world.selectParticles({1, 4});
    world.tool->copy();
    ASSERT_EQ(world.tool->clipboard.size(), 4u);
    world.view->currentTime = 3.0f;
    const Pose shownBefore = world.pose();
    const long logged = long(world.log.lines.size());
    EXPECT_NO_THROW(world.tool->paste());
    EXPECT_EQ(animation.frames[3.0f], (Pose{{1, 1, 1}, world.rest[1], world.rest[2]}));
    EXPECT_EQ(world.pose(), shownBefore);
    EXPECT_GE(std::count_if(world.log.lines.begin() + logged, world.log.lines.end(),
                            [](const std::string& line) { return line.rfind("ERROR, ", 0) == 0; }),
              3);
}
