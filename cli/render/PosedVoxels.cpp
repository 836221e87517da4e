#include "cli/render/PosedVoxels.h"

#include "skeleton/Animation.h"
#include "skeleton/ModelDocument.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"

#include <cmath>
#include <map>
#include <stdexcept>
#include <string>

namespace
{

// Every stick's frame in the skeleton's current pose. A stick whose ends meet has no direction
// and its frame may come out as no number: it stays unturned instead, as the glTF export does.
std::vector<Skeleton::StickPlacement> placeSticks(Skeleton& skeleton)
{
    std::vector<Skeleton::StickPlacement> sticks = skeleton.placeSticks();
    for (Skeleton::StickPlacement& stick : sticks)
    {
        if (stick.rotation.isNaN() || std::fabs(stick.rotation.Norm() - 1.0f) > 1.0e-3f)
        {
            stick.rotation = Ogre::Quaternion::IDENTITY;
        }
    }
    return sticks;
}

} // namespace

PosedVoxels::PosedVoxels(const ModelDocument& document) : skeleton(new Skeleton(0.7f))
{
    buildSkeleton(document, *skeleton);
    for (const ModelDocument::Particle& particle : document.particles)
    {
        restPose.push_back(particle.position);
    }
    for (const ModelDocument::Voxel& voxel : document.voxels)
    {
        restCentres.push_back(Ogre::Vector3(float(voxel.x), float(voxel.y), float(voxel.z)) +
                              Ogre::Vector3(0.5f, 0.5f, 0.5f));
    }
    stickOfVoxel.assign(document.voxels.size(), -1);
    offsets.assign(document.voxels.size(), Ogre::Vector3::ZERO);
    if (document.particles.empty())
    {
        return;
    }
    // Groups count in ascending stick order, a later group with the same stick replacing an
    // earlier one, as the editor places them.
    const size_t stickCount = skeleton->system->sticks.size();
    std::map<int, const ModelDocument::Group*> groups;
    for (const ModelDocument::Group& group : document.groups)
    {
        groups[group.constraintIndex] = &group;
    }
    const std::vector<Skeleton::StickPlacement> sticks = placeSticks(*skeleton);
    for (const auto& [stick, group] : groups)
    {
        if (stick < 0 || size_t(stick) >= stickCount)
        {
            throw std::runtime_error("a voxel group is bound to stick " + std::to_string(stick) +
                                     ", but the skeleton has " + std::to_string(stickCount) +
                                     " sticks");
        }
        const Ogre::Quaternion back = sticks[size_t(stick)].rotation.Inverse();
        for (int voxel : group->voxels)
        {
            stickOfVoxel.at(size_t(voxel)) = stick;
            offsets[size_t(voxel)] =
                back * (restCentres[size_t(voxel)] - sticks[size_t(stick)].origin);
        }
    }
}

PosedVoxels::~PosedVoxels() = default;

void PosedVoxels::posed(const Animation& animation, float t, std::vector<Ogre::Vector3>& centres)
{
    centres = restCentres;
    std::vector<Ogre::Vector3> pose;
    animation.samplePose(t, pose);
    if (pose.empty() || pose.size() != restPose.size() || skeleton->system->sticks.empty())
    {
        return;
    }
    skeleton->setPose(pose, Ogre::Quaternion::IDENTITY);
    const std::vector<Skeleton::StickPlacement> sticks = placeSticks(*skeleton);
    for (size_t i = 0; i < centres.size(); ++i)
    {
        if (stickOfVoxel[i] >= 0)
        {
            const Skeleton::StickPlacement& stick = sticks[size_t(stickOfVoxel[i])];
            centres[i] = stick.origin + stick.rotation * offsets[i];
        }
    }
}
