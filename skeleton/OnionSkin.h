#pragma once

#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <vector>

class Animation;
class EditorMode;
namespace Ogre
{
class ManualObject;
}

// Onion skins of the animation view (key K): ghosts of the key frames before and after the
// time shown, the previous one in faded violet and the next one in faded green. Each ghost is the
// skeleton (points and sticks) and a faded point at every bound voxel's centre in that pose.
// Ghosts are rebuilt only when the neighbouring key frames change, so playback stays cheap.
class OnionSkin
{
public:
    explicit OnionSkin(EditorMode& editor) : editor(editor) {}
    ~OnionSkin() { destroy(); }
    OnionSkin(const OnionSkin&) = delete;
    OnionSkin& operator=(const OnionSkin&) = delete;

    // Shows the ghosts of the keys around `time` of `animation` (none without one), or nothing
    // while off. `force` rebuilds them also when the keys look unchanged (after undo or redo,
    // which may have moved voxels or bindings).
    void show(const Animation* animation, float time, bool force = false);
    void setOn(bool on) { shownOn = on; }
    bool isOn() const { return shownOn; }
    void destroy();

    // previous and next ghost objects: skeleton points, sticks, voxel points; empty while off.
    std::vector<Ogre::ManualObject*> objects;

private:
    struct Ghost
    {
        bool exists = false;
        float time = 0.0f;
        std::vector<Ogre::Vector3> pose;
        bool operator==(const Ghost& other) const
        {
            return exists == other.exists && time == other.time && pose == other.pose;
        }
    };

    void build(const Ghost& ghost, bool previous);
    // The centres of the bound voxels with the skeleton in `pose`; the particles are put back.
    std::vector<Ogre::Vector3> voxelCentres(const std::vector<Ogre::Vector3>& pose);
    void attach(Ogre::ManualObject* object, unsigned char queue);

    EditorMode& editor; // back pointer
    bool shownOn = false;
    Ghost shownPrevious, shownNext;
    Ogre::Quaternion shownOrientation = Ogre::Quaternion::IDENTITY;
};
