#pragma once

#include <OgreVector.h>

#include <memory>
#include <vector>

class Animation;
class Skeleton;
struct ModelDocument;

// Where the editor shows each voxel's centre: at its cell's centre in the rest pose, and in a
// pose moved with its stick as the animate view moves it (the stick's frame in the pose, times
// the voxel's offset in the stick's frame at rest). The cube itself stays upright. Voxels bound
// to no stick, and every voxel of a model without particles, stay at their cells.
class PosedVoxels
{
public:
    // Throws std::runtime_error when a voxel group is bound to a stick that is not there.
    explicit PosedVoxels(const ModelDocument& document);
    ~PosedVoxels();

    // The centres in the rest pose.
    const std::vector<Ogre::Vector3>& rest() const { return restCentres; }
    // The centres at time t of the animation. Key frames whose length differs from the number
    // of particles must have been left out; an animation without key frames shows the rest.
    void posed(const Animation& animation, float t, std::vector<Ogre::Vector3>& centres);

    // The particle count that a key frame must have to be shown.
    size_t particleCount() const { return restPose.size(); }

private:
    std::unique_ptr<Skeleton> skeleton;
    std::vector<Ogre::Vector3> restPose;    // the particles as the model file holds them
    std::vector<Ogre::Vector3> restCentres; // the cells' centres
    std::vector<int> stickOfVoxel;          // -1 for a voxel that follows no stick
    std::vector<Ogre::Vector3> offsets;     // each bound voxel in its stick's frame at rest
};
