#include "skeleton/Animation.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Ogre::Vector3;

namespace
{
Animation twoKeys()
{
    Animation animation;
    animation.frames[0.0f] = {Vector3(0, 0, 0), Vector3(1, 1, 1)};
    animation.frames[1.0f] = {Vector3(10, 0, 0), Vector3(1, 5, 1)};
    return animation;
}
} // namespace

TEST(Animation, SamplePoseInterpolatesAndHoldsTheEnds)
{
    Animation animation = twoKeys();
    std::vector<Vector3> pose = {Vector3(99, 99, 99)}; // emptied first
    animation.samplePose(0.25f, pose);
    ASSERT_EQ(pose.size(), 2u);
    EXPECT_FLOAT_EQ(pose[0].x, 2.5f);
    EXPECT_FLOAT_EQ(pose[1].y, 2.0f);

    animation.samplePose(1.0f, pose);
    EXPECT_EQ(pose[0], Vector3(10, 0, 0));
    animation.samplePose(3.0f, pose);
    EXPECT_EQ(pose[0], Vector3(10, 0, 0));

    // Keys out of order in time of insertion still interpolate between the neighbours.
    animation.frames[0.5f] = {Vector3(4, 0, 0), Vector3(0, 0, 0)};
    animation.samplePose(0.75f, pose);
    EXPECT_FLOAT_EQ(pose[0].x, 7.0f);
}

TEST(Animation, SamplePoseBeforeTheFirstKeyGivesTheFirstFrame)
{
    Animation animation;
    animation.frames[0.5f] = {Vector3(1, 2, 3)};
    animation.frames[2.0f] = {Vector3(5, 5, 5)};
    std::vector<Vector3> pose;
    animation.samplePose(0.0f, pose);
    ASSERT_EQ(pose.size(), 1u);
    EXPECT_EQ(pose[0], Vector3(1, 2, 3));
    animation.samplePose(-4.0f, pose);
    EXPECT_EQ(pose[0], Vector3(1, 2, 3));
}

TEST(Animation, SamplePoseWithOneOrNoFrames)
{
    Animation one;
    one.frames[0.5f] = {Vector3(1, 2, 3)};
    std::vector<Vector3> pose;
    for (float t : {0.0f, 0.5f, 0.7f, 9.0f})
    {
        one.samplePose(t, pose);
        ASSERT_EQ(pose.size(), 1u);
        EXPECT_EQ(pose[0], Vector3(1, 2, 3));
    }
    Animation none;
    pose = {Vector3::ZERO};
    none.samplePose(0.0f, pose);
    EXPECT_TRUE(pose.empty());
}

TEST(Animation, InterpolatingIntoAShorterFrameThrows)
{
    Animation animation;
    animation.frames[0.0f] = {Vector3::ZERO, Vector3::ZERO};
    animation.frames[1.0f] = {Vector3::UNIT_X};
    std::vector<Vector3> pose;
    try
    {
        animation.samplePose(0.5f, pose);
        ADD_FAILURE() << "no throw";
    }
    catch (const std::out_of_range& error)
    {
        EXPECT_STREQ(error.what(), "invalid vector<T> subscript");
    }
    // The other way round only the shorter frame's particles are interpolated.
    animation.frames[0.0f] = {Vector3::ZERO};
    animation.frames[1.0f] = {Vector3::UNIT_X * 2.0f, Vector3::UNIT_Y};
    animation.samplePose(0.5f, pose);
    ASSERT_EQ(pose.size(), 1u);
    EXPECT_FLOAT_EQ(pose[0].x, 1.0f);
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

    animation.frames.clear();
    animation.frames[0.0f] = {};
    animation.frames[0.5f] = {};
    animation.frames[1.0f] = {};
    EXPECT_EQ(animation.adjacentKeyTime(true, 0.5f), 0.0f);
    EXPECT_EQ(animation.adjacentKeyTime(false, 0.5f), 1.0f);
    EXPECT_EQ(animation.adjacentKeyTime(false, 1.0f), -1.0f);
    EXPECT_EQ(animation.adjacentKeyTime(true, 0.0f), -1.0f);
    EXPECT_EQ(animation.adjacentKeyTime(true, 0.7f), 0.5f);
    EXPECT_EQ(animation.adjacentKeyTime(false, 0.7f), 1.0f);
    EXPECT_EQ(animation.adjacentKeyTime(true, 5.0f), 1.0f);
}

TEST(Animation, FindFrameIsExact)
{
    Animation animation = twoKeys();
    ASSERT_NE(animation.findFrame(1.0f), nullptr);
    EXPECT_EQ((*animation.findFrame(1.0f))[0], Vector3(10, 0, 0));
    EXPECT_EQ(animation.findFrame(0.999f), nullptr);
    EXPECT_EQ(Animation::Control().vectorValue, Vector3(-20000, -20000, -20000));
}
