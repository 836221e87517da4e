// Mirrored poses: key F mirrors the key frame at the current time, left Ctrl + left Shift + V
// pastes mirrored. Particles pair by name; the plane is x = 0 of model space.
#include "skeleton/PoseMirror.h"

#include "editor/SculptToolMode.h"
#include "editor/UndoHistory.h"
#include "tests/skeleton/PoseWorld.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace
{

Ogre::Vector3 reflected(const Ogre::Vector3& p) { return Ogre::Vector3(-p.x, p.y, p.z); }

void expectNear(const Pose& actual, const Pose& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
        EXPECT_TRUE(actual[i].positionEquals(expected[i], 1e-4f)) << "particle " << i;
}

} // namespace

TEST(PoseMirror, PairsByNameAndReflectsEachParticleOntoItsPartner)
{
    EXPECT_EQ(PoseMirror::partners(std::vector<std::string>{"head", "lefthand", "righthand",
                                                            "leftfoot", "rightknee", "leftknee",
                                                            "Leftear", "rightear"}),
              (std::vector<int>{0, 2, 1, 3, 5, 4, 6, 7}));
    // Two particles of one name pair once each, in order; a third without a partner stays.
    EXPECT_EQ(PoseMirror::partners(std::vector<std::string>{"lefthand", "righthand", "lefthand",
                                                            "righthand", "lefthand"}),
              (std::vector<int>{1, 0, 3, 2, 4}));
    const Pose pose = {{1, 2, 3}, {4, 5, 6}, {-7, 8, 9}};
    EXPECT_EQ(PoseMirror::mirror(pose, {2, 1, 0}), (Pose{{7, 8, 9}, {-4, 5, 6}, {-1, 2, 3}}));
    // A frame shorter than the skeleton: an entry whose partner it lacks stays.
    EXPECT_EQ(PoseMirror::mirror({{1, 2, 3}, {4, 5, 6}}, {2, 1, 0}), (Pose{{1, 2, 3}, {-4, 5, 6}}));
    EXPECT_FALSE(PoseMirror::hasPairs({0, 1, 2}));
}

TEST(PoseMirror, KeyFAndMirroredPasteFollowThePasteRulesAsOneStepEach)
{
    PoseWorld world({"lefthand", "head", "righthand", "tail"},
                    {{6, 8, 1}, {0.5f, 14, 0}, {-5, 8, 2}, {1, 6, -4}}, {1, 1, 1, 1}, 1.0f,
                    {0.5f, 2.0f, -0.5f});
    world.enterAnimateView();
    EditorMode* editor = world.editor;
    const Pose& m = world.moved;
    // Copy "lefthand" and "tail" at time 0.
    world.tool->selected = {editor->skeleton->system->particles[0],
                            editor->skeleton->system->particles[3]};
    world.key(OIS::KC_C, {OIS::KC_LCONTROL});

    // Between keys there is nothing to mirror or paste into.
    world.view->setTime(0.5f);
    world.key(OIS::KC_F);
    world.key(OIS::KC_V, {OIS::KC_LCONTROL, OIS::KC_LSHIFT});
    EXPECT_EQ(editor->animations[0].frames.size(), 2u);

    // The model turned on screen (M) changes nothing: poses are mirrored in model space.
    world.press(OIS::KC_M);
    world.view->setTime(1.0f);
    world.key(OIS::KC_F);
    const Pose mirrored = {reflected(m[2]), reflected(m[1]), reflected(m[0]), reflected(m[3])};
    EXPECT_EQ(world.frame(1.0f), mirrored);
    expectNear(world.pose(), mirrored);
    world.key(OIS::KC_V, {OIS::KC_LCONTROL, OIS::KC_LSHIFT});
    const Pose pasted = {mirrored[0], mirrored[1], reflected(world.rest[0]),
                         reflected(world.rest[3])};
    EXPECT_EQ(world.frame(1.0f), pasted);
    EXPECT_FALSE(world.log.contains(PoseMirror::NO_PAIRS_NOTE));

    // A frame with room for two particles: "lefthand" would go to 2, "tail" to 3; both skipped.
    world.frame(0.0f) = {{1, 1, 1}, {2, 2, 2}};
    world.view->currentTime = 0.0f;
    world.key(OIS::KC_V, {OIS::KC_LCONTROL, OIS::KC_LSHIFT});
    EXPECT_TRUE(world.log.contains("ERROR, paste skips particle 2, the frame holds 2 positions"));
    EXPECT_EQ(world.frame(0.0f), (Pose{{1, 1, 1}, {2, 2, 2}}));
    world.view->setTime(1.0f);

    EXPECT_EQ(editor->history->size(), 2u);
    editor->undo();
    EXPECT_TRUE(world.log.contains("Undo: mirrored paste"));
    EXPECT_EQ(world.frame(1.0f), mirrored);
    editor->undo();
    EXPECT_TRUE(world.log.contains("Undo: mirrored pose"));
    EXPECT_EQ(world.frame(1.0f), m);
    expectNear(world.pose(), m);

    // Without pairs every particle is reflected onto itself, and the bar says so.
    for (Skeleton::ParticleEntry* entry : editor->skeleton->entries)
        entry->name = "p" + std::to_string(entry->id);
    world.key(OIS::KC_F);
    EXPECT_EQ(world.frame(1.0f),
              (Pose{reflected(m[0]), reflected(m[1]), reflected(m[2]), reflected(m[3])}));
    EXPECT_TRUE(world.log.contains(PoseMirror::NO_PAIRS_NOTE));
}

// The sample's walk (tools/make_sample.cpp) is symmetric as built: its rest pose mirrors onto
// itself, and each stride key comes from the same settings for the other leg with the head's
// tilt and the tail's wag negated (turns about Z and Y change sign in a mirror, turns about X do
// not). So the key at the start of the stride, 0, mirrors onto the one half a stride later, 0.5.
TEST(PoseMirror, OnTheSampleTheWalkMirrorsHalfAStrideOnAndMirrorSculptingKeepsTwinsPaired)
{
    EditorTestFixture session;
    EditorMode* editor = session.editor;
    session.loadSample();
    const std::vector<int> partners = PoseMirror::partners(*editor->skeleton);
    const Pose& rest = *editor->baseAnimation.findFrame(0.0f);
    expectNear(PoseMirror::mirror(rest, partners), rest);
    ASSERT_EQ(editor->animations[1].comment.substr(0, 4), "Walk");
    Animation& walk = editor->animations[1];
    expectNear(PoseMirror::mirror(walk.frames.at(0.25f), partners), walk.frames.at(0.75f));
    const Pose halfStride = walk.frames.at(0.5f);
    session.press(OIS::KC_2);
    dynamic_cast<AnimateViewMode*>(editor->viewMode)->selectAnimation(1);
    session.press(OIS::KC_F);
    expectNear(walk.frames.at(0.0f), halfStride);
    session.press(OIS::KC_1);

    // Strokes and right clicks over a grid of points on the character from the start camera.
    using Cell = std::tuple<int, int, int>;
    auto cells = [&]
    {
        std::set<Cell> result;
        for (Voxel* voxel : editor->voxels)
            result.emplace(voxel->gridPosition.x, voxel->gridPosition.y, voxel->gridPosition.z);
        return result;
    };
    auto twin = [](const Cell& c) {
        return Cell{-1 - std::get<0>(c), std::get<1>(c), std::get<2>(c)};
    };
    const std::set<Cell> before = cells();
    session.press(OIS::KC_X);
    session.install(new SculptToolMode());
    for (int i = 0; i < 63; ++i)
    {
        session.aimAtScreen(-0.3f + 0.1f * float(i % 7), -0.6f + 0.15f * float(i / 7));
        const OIS::MouseButtonID button = i % 3 == 0 ? OIS::MB_Right : OIS::MB_Left;
        editor->mousePressed(button);
        session.hold(2);
        editor->mouseReleased(button);
    }
    const std::set<Cell> after = cells();
    size_t added = 0, removed = 0;
    for (const Cell& cell : before)
        if (before.count(twin(cell)))
        {
            EXPECT_EQ(after.count(cell), after.count(twin(cell)));
            removed += !after.count(cell);
        }
    for (const Cell& cell : after)
    {
        if (before.count(cell))
            continue;
        ++added;
        EXPECT_TRUE(after.count(twin(cell)));
    }
    EXPECT_GT(added, 10u);
    EXPECT_GT(removed, 2u);
}
