#include "skeleton/SkeletonViewMode.h"

#include "app/Graphics.h"
#include "editor/EditorMode.h"
#include "menu/MenuSystem.h"
#include "menu/SkeletonMenuView.h"
#include "skeleton/Skeleton.h"
#include "skeleton/SkeletonToolMode.h"
#include "skeleton/VerletParticle.h"

#include <OgreManualObject.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

SkeletonViewMode::~SkeletonViewMode()
{
    MenuSystem* menus = editor ? editor->menuSystem : nullptr;
    if (menus && menus->skeletonMenuView && menus->skeletonMenuView->viewMode == this)
        menus->skeletonMenuView->viewMode = nullptr;
    Graphics* graphics = editor ? editor->getGraphics() : nullptr;
    if (marker && graphics && graphics->sceneManager)
    {
        Ogre::SceneNode* node = marker->getParentSceneNode();
        node->detachObject(marker);
        graphics->sceneManager->destroySceneNode(node);
        graphics->sceneManager->destroyManualObject(marker);
    }
}

void SkeletonViewMode::activate()
{
    editing.reset(new SkeletonEditing(*editor));
    if (editor->hasRestPose())
        editor->applyPose(std::vector<Ogre::Vector3>(*editor->baseAnimation.findFrame(0.0f)));
    editor->setToolMode(new SkeletonToolMode(*editing));

    Ogre::SceneManager* scene = editor->getGraphics()->sceneManager;
    marker = scene->createManualObject();
    marker->begin("HandToHand", Ogre::RenderOperation::OT_LINE_LIST,
                  Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
    // The twelve edges of a cube 2.4 units wide, just round the particle's pick cube.
    const float h = 1.2f;
    for (int axis = 0; axis < 3; ++axis)
        for (int corner = 0; corner < 4; ++corner)
        {
            Ogre::Vector3 a, b;
            const float u = corner & 1 ? h : -h, v = corner & 2 ? h : -h;
            a[axis] = -h, b[axis] = h;
            a[(axis + 1) % 3] = b[(axis + 1) % 3] = u;
            a[(axis + 2) % 3] = b[(axis + 2) % 3] = v;
            marker->position(a);
            marker->position(b);
        }
    marker->end();
    marker->setRenderQueueGroup(99);
    marker->setQueryFlags(0);
    scene->getRootSceneNode()->createChildSceneNode()->attachObject(marker);
    showChosen();

    if (MenuSystem* menus = editor->menuSystem)
        if (SkeletonMenuView* menu = menus->skeletonMenuView)
        {
            menu->viewMode = this;
            menus->requestView(menu);
        }
}

void SkeletonViewMode::showChosen()
{
    if (!marker)
        return;
    const std::vector<Skeleton::ParticleEntry*>& entries = editor->skeleton->entries;
    if (editing->chosen >= int(entries.size()))
        editing->chosen = -1;
    marker->setVisible(editing->chosen >= 0);
    if (editing->chosen >= 0)
        marker->getParentSceneNode()->setPosition(
            entries[size_t(editing->chosen)]->particle->position);
}
