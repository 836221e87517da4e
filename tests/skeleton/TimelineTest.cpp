#include "skeleton/Timeline.h"

#include "skeleton/Animation.h"

#include <gtest/gtest.h>

namespace
{
Animation withKeys(std::initializer_list<float> times, float end)
{
    Animation animation;
    for (float t : times)
        animation.frames[t] = {};
    animation.end = end;
    return animation;
}
} // namespace

TEST(Timeline, TrackCoversTheLaterOfEndAndLastKeyWithinItsLimits)
{
    const struct
    {
        Animation animation;
        float span;
    } cases[] = {
        {withKeys({0.0f, 0.25f, 0.5f, 0.75f, 1.0f}, 1.0f), 1.0f}, // the sample's walk
        {withKeys({0.0f, 1.5f}, 0.5f), 1.5f},                      // a key after the end
        {withKeys({0.0f}, 3.0f), 3.0f},                             // an end after the keys
        {withKeys({0.0f}, 0.02f), 0.1f},                            // never shorter than 0.1 s
        {withKeys({0.0f}, 0.0f), 2.0f},                             // a new animation
        {withKeys({}, 0.0f), 2.0f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(Timeline::span(&c.animation), c.span) << c.animation.end;
    EXPECT_FLOAT_EQ(Timeline::span(nullptr), 2.0f);
}

TEST(Timeline, DragLandsOnAKeyWithinAFewPixelsElseOnAThirtiethAndCtrlIsFree)
{
    // The walk on a track of 275 pixels: 6 pixels are about 0.0218 s.
    const Animation walk = withKeys({0.0f, 0.25f, 0.5f, 0.75f, 1.0f}, 1.0f);
    const float pixels = 275.0f;
    const struct
    {
        float pointed;
        bool free;
        float lands;
    } cases[] = {
        {0.735f, false, 0.75f},         // 4 pixels before the key: the key exactly
        {0.77f, false, 0.75f},          // 5.5 pixels after it
        {0.718f, false, 22.0f / 30.0f}, // 9 pixels away: the nearest thirtieth
        {0.4f, false, 12.0f / 30.0f},
        {0.718f, true, 0.718f},         // left Ctrl: where the pointer is
        {0.749f, true, 0.749f},
        {1.3f, false, 1.0f},            // beyond the track: its end
        {-0.2f, true, 0.0f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(Timeline::snap(&walk, c.pointed, pixels, c.free), c.lands)
            << c.pointed << (c.free ? " with Ctrl" : "");

    // Keys closer than the reach: the nearer one wins, on either side.
    const Animation dense = withKeys({0.0f, 0.02f, 0.04f}, 0.0f); // 0.1 s on 50 pixels
    EXPECT_FLOAT_EQ(Timeline::snap(&dense, 0.012f, 50.0f, false), 0.02f);
    EXPECT_FLOAT_EQ(Timeline::snap(&dense, 0.009f, 50.0f, false), 0.0f);
    // An animation with an end beyond 2 s reaches it: the track is no longer fixed at 2 s.
    const Animation longOne = withKeys({0.0f}, 3.0f);
    EXPECT_FLOAT_EQ(Timeline::snap(&longOne, 2.5f, pixels, false), 2.5f);
}
