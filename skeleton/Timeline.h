#pragma once

class Animation;

// What the time slider covers and where a drag along it lands. A drag comes to rest on a key
// time when the pointer is within SNAP_PIXELS of it, otherwise on the nearest step of 1/30 s,
// so that a key lands where the animator aimed and new keys fall on frames of a 30 Hz game.
class Timeline
{
public:
    static constexpr float SNAP_PIXELS = 6.0f;
    static constexpr float STEPS_PER_SECOND = 30.0f;
    // The span of an animation whose end and keys are all at 0.
    static constexpr float EMPTY_SPAN = 2.0f;
    static constexpr float MIN_SPAN = 0.1f;

    // The track covers 0 to this: the later of the end and the last key, at least MIN_SPAN,
    // EMPTY_SPAN when both are 0 (a new animation).
    static float span(const Animation* animation);
    // The time a pointer at `rawTime` picks on a track `trackPixels` long: a key time within
    // SNAP_PIXELS, else the nearest 1/30 s step, never beyond 0 or the span. `free` (left Ctrl
    // held) takes rawTime as it is, within the same limits.
    static float snap(const Animation* animation, float rawTime, float trackPixels, bool free);
};
