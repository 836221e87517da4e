#include "skeleton/Animation.h"

#include <stdexcept>

const Ogre::Vector3 Animation::UNSET_VECTOR(-20000.0f, -20000.0f, -20000.0f);

void Animation::setSettings(const Settings& settings)
{
    comment = settings.comment;
    loop = settings.loop;
    end = settings.end;
    speedMin = settings.speedMin;
    speedMax = settings.speedMax;
}

std::vector<Ogre::Vector3>* Animation::findFrame(float t)
{
    auto found = frames.find(t);
    return found == frames.end() ? nullptr : &found->second;
}

float Animation::adjacentKeyTime(bool previous, float t) const
{
    if (frames.size() < 2)
    {
        return frames.empty() ? -1.0f : frames.begin()->first;
    }
    if (previous)
    {
        auto after = frames.lower_bound(t); // first key not less than t
        if (after == frames.begin())
        {
            return -1.0f;
        }
        return std::prev(after)->first;
    }
    auto after = frames.upper_bound(t); // first key greater than t
    return after == frames.end() ? -1.0f : after->first;
}

void Animation::samplePose(float t, std::vector<Ogre::Vector3>& pose) const
{
    pose.clear();
    auto exact = frames.find(t);
    if (exact != frames.end())
    {
        pose = exact->second;
        return;
    }
    if (frames.size() < 2)
    {
        if (!frames.empty())
        {
            pose = frames.begin()->second;
        }
        return;
    }

    auto next = frames.lower_bound(t);
    if (next == frames.begin())
    {
        // Before the first key (an animation from a file whose first key lies after 0): hold
        // the first pose rather than treating it as an internal error.
        pose = next->second;
        return;
    }
    auto previous = std::prev(next);
    if (next == frames.end())
    {
        pose = previous->second;
        return;
    }

    const std::vector<Ogre::Vector3>& from = previous->second;
    const std::vector<Ogre::Vector3>& to = next->second;
    if (to.size() < from.size())
    {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    float u = (t - previous->first) / (next->first - previous->first);
    pose.reserve(from.size());
    for (size_t i = 0; i < from.size(); ++i)
    {
        pose.push_back(from[i] + (to[i] - from[i]) * u);
    }
}
