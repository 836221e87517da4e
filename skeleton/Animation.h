#pragma once

#include <OgreVector.h>

#include <map>
#include <string>
#include <vector>

// Key poses of the skeleton (one position per particle at each key time), with the playback
// settings and named control values that the file carries.
class Animation
{
public:
    // Marks a control that holds no vector.
    static const Ogre::Vector3 UNSET_VECTOR;

    struct Control
    {
        std::string key;
        int intValue = 0;
        Ogre::Vector3 vectorValue = UNSET_VECTOR;
    };

    // The playback settings and the comment: what the animation menu's settings rows edit.
    struct Settings
    {
        std::string comment;
        bool loop = false;
        float end = 0.0f;
        float speedMin = 1.0f;
        float speedMax = 1.0f;

        bool operator==(const Settings& other) const
        {
            return comment == other.comment && loop == other.loop && end == other.end &&
                   speedMin == other.speedMin && speedMax == other.speedMax;
        }
        bool operator!=(const Settings& other) const { return !(*this == other); }
    };

    virtual ~Animation() = default;

    Settings settings() const { return {comment, loop, end, speedMin, speedMax}; }
    void setSettings(const Settings& settings);

    // The positions at exactly t, or null.
    std::vector<Ogre::Vector3>* findFrame(float t);
    // The neighbouring key time before (previous) or after t, or -1 when there is none.
    float adjacentKeyTime(bool previous, float t) const;
    // The pose at t, interpolated linearly between the neighbouring keys.
    void samplePose(float t, std::vector<Ogre::Vector3>& pose) const;

    std::map<float, std::vector<Ogre::Vector3>> frames;
    std::map<float, std::vector<Control>> controls;
    float speedMin = 1.0f;
    float speedMax = 1.0f;
    float end = 0.0f;
    bool loop = false;
    std::string comment;
};
