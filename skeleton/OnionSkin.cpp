#include "skeleton/OnionSkin.h"

#include "app/Graphics.h"
#include "editor/EditorMode.h"
#include "editor/Voxel.h"
#include "skeleton/Animation.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticle.h"
#include "skeleton/VerletParticleSystem.h"

#include <OgreManualObject.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>

namespace
{
// Behind the skeleton of the time shown (99), after the voxels.
const unsigned char GHOST_QUEUE = 98;
} // namespace

void OnionSkin::show(const Animation* animation, float time, bool force)
{
    Ghost previous, next;
    const size_t particles = editor.skeleton ? editor.skeleton->system->particles.size() : 0;
    if (shownOn && animation && particles > 0)
    {
        // Only frames that fit the skeleton can be drawn; others are not shown while editing.
        auto fits = [&](const auto& entry) { return entry.second.size() == particles; };
        auto after = animation->frames.upper_bound(time);
        if (after != animation->frames.end() && fits(*after))
            next = {true, after->first, after->second};
        auto before = animation->frames.lower_bound(time);
        if (before != animation->frames.begin() && fits(*std::prev(before)))
            previous = {true, std::prev(before)->first, std::prev(before)->second};
    }
    if (!force && previous == shownPrevious && next == shownNext &&
        editor.modelOrientation == shownOrientation && (!objects.empty() || !shownOn))
        return;
    destroy();
    shownPrevious = previous;
    shownNext = next;
    shownOrientation = editor.modelOrientation;
    if (previous.exists)
        build(previous, true);
    if (next.exists)
        build(next, false);
}

void OnionSkin::build(const Ghost& ghost, bool previous)
{
    Graphics* graphics = editor.getGraphics();
    if (!graphics || !graphics->sceneManager)
        return;
    Ogre::SceneManager* sceneManager = graphics->sceneManager;
    const std::string& group = Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME;
    const std::string material = previous ? "OnionSkinPrevious" : "OnionSkinNext";
    const Ogre::Quaternion& turn = editor.modelOrientation;

    Ogre::ManualObject* points = sceneManager->createManualObject();
    points->begin(material, Ogre::RenderOperation::OT_POINT_LIST, group);
    for (const Ogre::Vector3& position : ghost.pose)
        points->position(turn * position);
    points->end();
    attach(points, GHOST_QUEUE);

    const std::vector<Verlet::Stick*>& sticks = editor.skeleton->system->sticks;
    const std::vector<Verlet::Particle*>& particles = editor.skeleton->system->particles;
    if (!sticks.empty())
    {
        auto indexOf = [&](const Verlet::Particle* particle)
        {
            return size_t(std::find(particles.begin(), particles.end(), particle) -
                          particles.begin());
        };
        Ogre::ManualObject* lines = sceneManager->createManualObject();
        lines->begin(material, Ogre::RenderOperation::OT_LINE_LIST, group);
        for (const Verlet::Stick* stick : sticks)
        {
            lines->position(turn * ghost.pose[indexOf(stick->a)]);
            lines->position(turn * ghost.pose[indexOf(stick->b)]);
        }
        lines->end();
        attach(lines, GHOST_QUEUE);
    }

    const std::vector<Ogre::Vector3> centres = voxelCentres(ghost.pose);
    if (!centres.empty())
    {
        Ogre::ManualObject* voxels = sceneManager->createManualObject();
        voxels->begin(material + "Voxels", Ogre::RenderOperation::OT_POINT_LIST, group);
        for (const Ogre::Vector3& centre : centres)
            voxels->position(centre);
        voxels->end();
        attach(voxels, GHOST_QUEUE - 1);
    }
}

std::vector<Ogre::Vector3> OnionSkin::voxelCentres(const std::vector<Ogre::Vector3>& pose)
{
    Skeleton& skeleton = *editor.skeleton;
    std::vector<Verlet::Particle*>& particles = skeleton.system->particles;
    std::vector<Ogre::Vector3> positions, oldPositions;
    for (const Verlet::Particle* particle : particles)
    {
        positions.push_back(particle->position);
        oldPositions.push_back(particle->oldPosition);
    }
    skeleton.setPose(pose, editor.modelOrientation);
    const std::vector<Skeleton::StickPlacement> placements = skeleton.placeSticks();
    for (size_t i = 0; i < particles.size(); ++i)
    {
        particles[i]->position = positions[i];
        particles[i]->oldPosition = oldPositions[i];
    }

    std::vector<Ogre::Vector3> centres;
    for (const auto& [stick, group] : skeleton.bindings)
    {
        if (size_t(group.constraintIndex) >= placements.size())
            continue;
        const Skeleton::StickPlacement& place = placements[size_t(group.constraintIndex)];
        // As a bound voxel places itself: origin + rotation * offset.
        for (Skeleton::Element* element : group.elements)
            centres.push_back(place.origin +
                              place.rotation * static_cast<Voxel*>(element)->bindOffset);
    }
    return centres;
}

void OnionSkin::attach(Ogre::ManualObject* object, unsigned char queue)
{
    Ogre::SceneManager* sceneManager = editor.getGraphics()->sceneManager;
    sceneManager->getRootSceneNode()->createChildSceneNode()->attachObject(object);
    object->setRenderQueueGroup(queue);
    // Never in the way of a pick: particles and voxels are picked through their own objects.
    object->setQueryFlags(0);
    objects.push_back(object);
}

void OnionSkin::destroy()
{
    Graphics* graphics = editor.getGraphics();
    Ogre::SceneManager* sceneManager = graphics ? graphics->sceneManager : nullptr;
    for (Ogre::ManualObject* object : objects)
    {
        if (!sceneManager)
            break;
        if (Ogre::SceneNode* node = object->getParentSceneNode())
        {
            node->detachObject(object);
            if (Ogre::Node* parent = node->getParent())
                parent->removeChild(node);
            sceneManager->destroySceneNode(node);
        }
        sceneManager->destroyManualObject(object);
    }
    objects.clear();
    shownPrevious = Ghost();
    shownNext = Ghost();
}
