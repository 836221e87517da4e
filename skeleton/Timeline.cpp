#include "skeleton/Timeline.h"

#include "skeleton/Animation.h"

#include <algorithm>
#include <cmath>

float Timeline::span(const Animation* animation)
{
    if (!animation)
        return EMPTY_SPAN;
    const float lastKey = animation->frames.empty() ? 0.0f : animation->frames.rbegin()->first;
    const float latest = std::max(animation->end, lastKey);
    if (!(latest > 0.0f)) // also a NaN that a hand-edited file could not have brought in
        return EMPTY_SPAN;
    return std::max(latest, MIN_SPAN);
}

float Timeline::snap(const Animation* animation, float rawTime, float trackPixels, bool free)
{
    const float length = span(animation);
    const float clamped = std::min(std::max(rawTime, 0.0f), length);
    if (free)
        return clamped;
    if (animation && trackPixels > 0.0f)
    {
        // The nearest key on either side of the pointer.
        const float secondsPerPixel = length / trackPixels;
        float best = SNAP_PIXELS * secondsPerPixel;
        float key = -1.0f;
        auto after = animation->frames.lower_bound(clamped);
        if (after != animation->frames.end() && after->first - clamped <= best)
        {
            best = after->first - clamped;
            key = after->first;
        }
        if (after != animation->frames.begin() && clamped - std::prev(after)->first <= best)
            key = std::prev(after)->first;
        if (key >= 0.0f)
            return key;
    }
    const float stepped = std::round(clamped * STEPS_PER_SECOND) / STEPS_PER_SECOND;
    return std::min(stepped, length);
}
