#include "editor/SkeletonDisplay.h"

#include "app/Graphics.h"
#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticle.h"
#include "skeleton/VerletParticleSystem.h"

#include <OgreManualObject.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>
#include <string>

void SkeletonDisplay::create()
{
    Ogre::SceneManager* sceneManager = editor.getGraphics()->sceneManager;
    const std::string& group = Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME;
    auto attach = [&](Ogre::ManualObject* object)
    {
        Ogre::SceneNode* node = sceneManager->getRootSceneNode()->createChildSceneNode(
            Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY);
        node->attachObject(object);
        object->setRenderQueueGroup(99);
        objects.push_back(object);
        return node;
    };

    for (size_t i = 0; i < editor.skeleton->entries.size(); ++i)
    {
        Ogre::ManualObject* object =
            sceneManager->createManualObject("boneParticle" + std::to_string(i));
        object->begin(particleMaterial(i), Ogre::RenderOperation::OT_POINT_LIST, group);
        object->position(Ogre::Vector3::ZERO);
        object->end();
        // A two-unit cube around the point, so that the particle is easy to hit.
        object->setBoundingBox(Ogre::AxisAlignedBox(-1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f));
        Ogre::SceneNode* node = attach(object);
        node->setPosition(editor.skeleton->entries[i]->particle->position);
        object->setQueryFlags(QUERY_PARTICLE);
        object->getUserObjectBindings().setUserAny("particleIndex", Ogre::Any(int(i)));
    }

    const std::vector<Verlet::Stick*>& sticks = editor.skeleton->system->sticks;
    for (size_t i = 0; i < sticks.size(); ++i)
    {
        Ogre::ManualObject* object = sceneManager->createManualObject("stick" + std::to_string(i));
        object->begin("Bones", Ogre::RenderOperation::OT_LINE_LIST, group);
        object->position(sticks[i]->a->position);
        object->position(sticks[i]->b->position);
        object->end();
        attach(object);
        object->setQueryFlags(QUERY_BONE);
    }

    Skeleton::ParticleEntry* left = editor.skeleton->findEntry("lefthand");
    Skeleton::ParticleEntry* right = editor.skeleton->findEntry("righthand");
    if (left && right)
    {
        const Ogre::Vector3& l = left->particle->position;
        const Ogre::Vector3& r = right->particle->position;
        Ogre::Vector3 along = (r - l).normalisedCopy();
        Ogre::ManualObject* object = sceneManager->createManualObject("hands");
        object->begin("HandToHand", Ogre::RenderOperation::OT_LINE_LIST, group);
        object->position(l - along * 5.0f);
        object->position(r + along * 5.0f);
        object->end();
        attach(object);
        object->setQueryFlags(QUERY_BONE);
    }
}

const char* SkeletonDisplay::particleMaterial(size_t index) const
{
    const Verlet::Particle* particle = editor.skeleton->entries[index]->particle;
    const bool isChosen = std::find(chosen.begin(), chosen.end(), particle) != chosen.end();
    return isChosen ? "BonePointChosen" : "BonePoint";
}

void SkeletonDisplay::setChosen(const std::vector<Verlet::Particle*>& particles)
{
    chosen = particles;
    // The particle objects come first, one per entry.
    const size_t count = std::min(objects.size(), editor.skeleton->entries.size());
    for (size_t i = 0; i < count; ++i)
        objects[i]->setMaterialName(0, particleMaterial(i));
}

void SkeletonDisplay::destroy()
{
    Graphics* graphics = editor.getGraphics();
    Ogre::SceneManager* sceneManager = graphics ? graphics->sceneManager : nullptr;
    if (!sceneManager)
    {
        objects.clear();
        return;
    }
    for (Ogre::ManualObject* object : objects)
    {
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
}
