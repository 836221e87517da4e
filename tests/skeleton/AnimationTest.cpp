#include "skeleton/Animation.h"

#include <gtest/gtest.h>

using Ogre::Vector3;

TEST(Animation, SamplePoseInterpolatesAndHoldsTheEnds)
{
    Animation animation;
    animation.frames[0.0f] = {Vector3(0, 0, 0), Vector3(1, 1, 1)};
    animation.frames[1.0f] = {Vector3(10, 0, 0), Vector3(1, 5, 1)};
    std::vector<Vector3> pose = {Vector3(99, 99, 99)}; // emptied first
    animation.samplePose(0.25f, pose);
    ASSERT_EQ(pose.size(), 2u);
    EXPECT_FLOAT_EQ(pose[0].x, 2.5f);
    EXPECT_FLOAT_EQ(pose[1].y, 2.0f);
    animation.samplePose(1.0f, pose);
    EXPECT_EQ(pose[0], Vector3(10, 0, 0));
    animation.samplePose(3.0f, pose);
    EXPECT_EQ(pose[0], Vector3(10, 0, 0));
    // A key added later in between is a neighbour like any other.
    animation.frames[0.5f] = {Vector3(4, 0, 0), Vector3(0, 0, 0)};
    animation.samplePose(0.75f, pose);
    EXPECT_FLOAT_EQ(pose[0].x, 7.0f);
    // Before the first key the first frame answers.
    animation.frames.erase(0.0f);
    for (float t : {0.0f, -4.0f})
    {
        animation.samplePose(t, pose);
        ASSERT_EQ(pose.size(), 2u);
        EXPECT_EQ(pose[0], Vector3(4, 0, 0));
    }

    Animation none;
    none.samplePose(0.0f, pose);
    EXPECT_TRUE(pose.empty());
}

TEST(Animation, AdjacentKeyTime)
{
    Animation animation;
    EXPECT_EQ(animation.adjacentKeyTime(true, 0.5f), -1.0f);
    EXPECT_EQ(animation.adjacentKeyTime(false, 0.5f), -1.0f);
    animation.frames[0.25f] = {};
    // One key answers its own time in both directions, wherever t is.
    EXPECT_EQ(animation.adjacentKeyTime(true, 0.0f), 0.25f);
    EXPECT_EQ(animation.adjacentKeyTime(false, 3.0f), 0.25f);

    animation.frames = {{0.0f, {}}, {0.5f, {}}, {1.0f, {}}};
    const struct
    {
        bool back;
        float t, expected;
    } cases[] = {{true, 0.5f, 0.0f}, {false, 0.5f, 1.0f}, {false, 1.0f, -1.0f}, {true, 0.0f, -1.0f},
                 {true, 0.7f, 0.5f}, {false, 0.7f, 1.0f}, {true, 5.0f, 1.0f}};
    for (const auto& c : cases)
        EXPECT_EQ(animation.adjacentKeyTime(c.back, c.t), c.expected) << c.back << " " << c.t;
}
