#include "skeleton/SkeletonShape.h"

#include "editor/EditorMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"

#include <unordered_map>

SkeletonShape SkeletonShape::capture(EditorMode& editor)
{
    SkeletonShape shape;
    Skeleton& skeleton = *editor.skeleton;
    const std::vector<Ogre::Vector3>* rest = editor.baseAnimation.findFrame(0.0f);
    const bool haveRest = rest && rest->size() == skeleton.entries.size();
    std::unordered_map<const Verlet::Particle*, int> index;
    for (size_t i = 0; i < skeleton.entries.size(); ++i)
    {
        const Skeleton::ParticleEntry* entry = skeleton.entries[i];
        index[entry->particle] = int(i);
        shape.particles.push_back({haveRest ? (*rest)[i]
                                            : editor.toModelSpace(entry->particle->position),
                                   entry->id, entry->name, entry->bodyAreaHint,
                                   entry->particle->invMass});
    }
    for (const Verlet::Stick* stick : skeleton.system->sticks)
        shape.sticks.push_back({index[stick->a], index[stick->b], stick->restLength});
    shape.restFrames = editor.baseAnimation.frames;
    for (const Animation& animation : editor.animations)
        shape.animationFrames.push_back(animation.frames);
    return shape;
}

void SkeletonShape::restore(EditorMode& editor) const
{
    Skeleton& skeleton = *editor.skeleton;
    skeleton.clearEntries();
    for (const Particle& particle : particles)
        skeleton.addEntry(editor.modelOrientation * particle.position, particle.id, particle.name,
                          particle.bodyAreaHint, particle.invMass);
    std::vector<Verlet::Particle*>& made = skeleton.system->particles;
    for (const Stick& stick : sticks)
        skeleton.system->addStick(made[size_t(stick.a)], made[size_t(stick.b)], stick.restLength);
    editor.baseAnimation.frames = restFrames;
    for (size_t i = 0; i < animationFrames.size() && i < editor.animations.size(); ++i)
        editor.animations[i].frames = animationFrames[i];
    editor.destroySkeletonObjects();
    if (!particles.empty())
        editor.createSkeletonObjects();
}

size_t SkeletonShape::bytes() const
{
    size_t total = particles.capacity() * sizeof(Particle) + sticks.capacity() * sizeof(Stick);
    for (const Particle& particle : particles)
        total += particle.name.capacity();
    auto framesBytes = [](const Frames& frames)
    {
        size_t sum = 0;
        for (const auto& frame : frames)
            sum += 48 + frame.second.capacity() * sizeof(Ogre::Vector3);
        return sum;
    };
    total += framesBytes(restFrames);
    for (const Frames& frames : animationFrames)
        total += framesBytes(frames);
    return total;
}

int SkeletonShape::findStick(int a, int b) const
{
    for (size_t i = 0; i < sticks.size(); ++i)
        if ((sticks[i].a == a && sticks[i].b == b) || (sticks[i].a == b && sticks[i].b == a))
            return int(i);
    return -1;
}
