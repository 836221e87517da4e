#include "editor/EditorMode.h"

#include "editor/Voxel.h"
#include "skeleton/Animation.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/TempFolder.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

#include <set>

// The sample that ./scripts/run opens must load and pose through every key. (That it saves back
// unchanged is the next test's last step.)
TEST(SampleCharacter, LoadsAndPosesThroughEveryKey)
{
    EditorTestFixture session;
    EditorMode* editor = session.editor;
    session.loadSample();
    std::vector<Voxel*> voxels = editor->getVoxels();
    EXPECT_GE(voxels.size(), 1000u);
    EXPECT_LE(voxels.size(), 3000u);
    Skeleton* skeleton = editor->skeleton;
    EXPECT_GE(skeleton->entries.size(), 13u);
    EXPECT_GE(skeleton->system->sticks.size(), 17u);
    EXPECT_NE(skeleton->findEntry("lefthand"), nullptr);
    EXPECT_NE(skeleton->findEntry("righthand"), nullptr);
    // The creature faces the start camera: its body's forward axis is +Z.
    BodyFrame frame = skeleton->computeBodyFrame();
    EXPECT_GT(frame.baseForward.z, 0.99f);
    EXPECT_GT(frame.topForward.z, 0.99f);

    // Every voxel is bound, once.
    std::multiset<Skeleton::Element*> bound;
    for (const auto& [index, group] : skeleton->bindings)
    {
        EXPECT_LT(index, static_cast<int>(skeleton->system->sticks.size()));
        bound.insert(group.elements.begin(), group.elements.end());
    }
    EXPECT_EQ(bound, std::multiset<Skeleton::Element*>(voxels.begin(), voxels.end()));

    // At least three looping or one-shot animations, each with a comment and poses of the
    // right length, that can all be shown.
    ASSERT_GE(editor->animations.size(), 3u);
    for (const Animation& a : editor->animations)
    {
        EXPECT_FALSE(a.comment.empty());
        EXPECT_GE(a.frames.size(), 3u);
        EXPECT_GT(a.end, 0.0f);
        for (const auto& [time, pose] : a.frames)
            ASSERT_EQ(pose.size(), skeleton->entries.size()) << a.comment << " at " << time;
        std::vector<Ogre::Vector3> pose;
        for (float t = 0.0f; t <= a.end; t += 0.1f)
        {
            a.samplePose(t, pose);
            EXPECT_NO_THROW(editor->applyPose(pose));
        }
    }
    // The rest pose puts every voxel back in its cell.
    editor->applyPose(editor->baseAnimation.frames.at(0.0f));
    for (Voxel* voxel : voxels)
    {
        const Voxel::Cell& cell = voxel->getGridPosition();
        ASSERT_LT(voxel->getPosition().distance(Ogre::Vector3(cell.x, cell.y, cell.z) + 0.5f),
                  0.001f);
    }
}

// Turning the model (M), showing key frames (2, Right), the rest pose (N) and re-binding (R, B)
// in any order change what is shown, never what a save writes: the particles stay the rest pose
// the cells were laid out on, and every voxel keeps its stick.
TEST(SampleCharacter, TurningReposingAndRebindingNeverChangeTheSavedFiles)
{
    TempFolder folder("bramblewick-keys");
    const std::string saved = folder.file("model.xml"), savedAnimations = folder.file("anim.xml");

    const OIS::KeyCode keys[] = {OIS::KC_M, OIS::KC_N, OIS::KC_R,     OIS::KC_B,
                                 OIS::KC_1, OIS::KC_2, OIS::KC_RIGHT, OIS::KC_DOWN};
    for (unsigned seed : {1u, 2u, 3u})
    {
        EditorTestFixture session;
        EditorMode* editor = session.editor;
        session.loadSample();
        const Ogre::Vector3 restHand = editor->skeleton->findEntry("lefthand")->particle->position;
        unsigned state = seed;
        bool turned = false;
        for (int i = 0; i < 30; ++i)
        {
            state = state * 1103515245u + 12345u;
            const OIS::KeyCode key = keys[(state >> 16) % 8];
            turned = turned || key == OIS::KC_M;
            session.press(key);
            session.release(key);
        }
        session.press(OIS::KC_1);
        session.press(OIS::KC_N);
        if (turned)
        {
            const Ogre::Vector3& hand = editor->skeleton->findEntry("lefthand")->particle->position;
            EXPECT_GT(hand.distance(restHand), 0.01f) << "M turns the model on screen";
        }
        editor->saveModel(saved, savedAnimations);
        EXPECT_EQ(readFile(saved), readFile(EXAMPLES / "bramblewick.xml")) << "seed " << seed;
        EXPECT_EQ(readFile(savedAnimations), readFile(EXAMPLES / "bramblewick_animations.xml"))
            << "seed " << seed;
    }
}
