#include "editor/Posing.h"

#include "editor/EditorMode.h"
#include "editor/UndoHistory.h"
#include "editor/Voxel.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"

// Stored poses are in model space; the model's orientation only turns what is shown. Captured
// positions are therefore turned back before they are kept.
Ogre::Vector3 Posing::toModelSpace(const Ogre::Vector3& shown) const
{
    if (editor.modelOrientation == Ogre::Quaternion::IDENTITY)
        return shown;
    return editor.modelOrientation.Inverse() * shown;
}

void Posing::captureRestPose()
{
    editor.baseAnimation.frames.clear();
    std::vector<Ogre::Vector3> pose;
    pose.reserve(editor.skeleton->entries.size());
    for (Skeleton::ParticleEntry* entry : editor.skeleton->entries)
        pose.push_back(toModelSpace(entry->particle->position));
    editor.baseAnimation.frames[0.0f] = pose;
}

bool Posing::hasRestPose()
{
    const std::vector<Ogre::Vector3>* restPose = editor.baseAnimation.findFrame(0.0f);
    return restPose && !restPose->empty() && restPose->size() == editor.skeleton->system->particles.size();
}

void Posing::placeAtRest(const std::vector<Ogre::Vector3>& restPose)
{
    std::vector<Verlet::Particle*>& particles = editor.skeleton->system->particles;
    for (size_t i = 0; i < particles.size() && i < restPose.size(); ++i)
    {
        const Ogre::Vector3 position = editor.modelOrientation * restPose[i];
        particles[i]->position = position;
        particles[i]->oldPosition = position;
    }
    for (Voxel* voxel : editor.voxels)
    {
        const Voxel::Cell& cell = voxel->getGridPosition();
        voxel->setPosition(editor.modelOrientation *
                           (Ogre::Vector3(float(cell.x), float(cell.y), float(cell.z)) +
                            Ogre::Vector3(0.5f, 0.5f, 0.5f)));
    }
}

void Posing::applyPose(const std::vector<Ogre::Vector3>& pose)
{
    editor.skeleton->setPose(pose, editor.modelOrientation);
    editor.destroySkeletonObjects();
    editor.createSkeletonObjects();
    editor.skeleton->updateElements(Ogre::Vector3::ZERO);
}

void Posing::resetToRestPose()
{
    if (editor.skeleton->entries.empty())
        return;
    editor.history->skeletonChanging();
    // The rest pose is the skeleton the voxels' cells were laid out on. A pose shown in the
    // animate view is never taken for it: the file would then pair that pose with cells bound
    // in another one. Only a skeleton without a rest pose yet (just loaded) takes its own.
    if (!hasRestPose())
        captureRestPose();
    const std::vector<Ogre::Vector3> restPose = *editor.baseAnimation.findFrame(0.0f);
    placeAtRest(restPose);
    editor.skeleton->computeBindOffsets();
    applyPose(restPose);
}

void Posing::setSkeletonSimulating(bool on)
{
    editor.skeletonSimulating = on;
    for (Verlet::Particle* particle : editor.skeleton->system->particles)
        particle->oldPosition = particle->position;
}

Animation* Posing::getAnimation(int index)
{
    if (size_t(unsigned(index)) < editor.animations.size())
        return &editor.animations[size_t(index)];
    return nullptr;
}

void Posing::appendBaseAnimationCopy()
{
    editor.animations.push_back(editor.baseAnimation);
    editor.history->animationAdded(editor.animations.back());
}

void Posing::setKeyFrame(int animation, float time, const std::vector<Ogre::Vector3>& positions)
{
    Animation* target = getAnimation(animation);
    if (!target)
        return;
    editor.history->frameChanging(animation, time, positions);
    target->frames[time] = positions;
}
