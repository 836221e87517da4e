#include "editor/shapes/ShapePreview.h"

#include "app/Graphics.h"
#include "editor/EditorMode.h"

#include <OgreManualObject.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

ShapePreview::~ShapePreview() { destroy(); }

void ShapePreview::show(const std::vector<Voxel::Cell>& cells, const Ogre::ColourValue& colour)
{
    if (cells == shown)
        return;
    destroy();
    shown = cells;
    Graphics* graphics = editor.getGraphics();
    if (cells.empty() || !graphics || !graphics->sceneManager)
        return;
    Ogre::SceneManager* sceneManager = graphics->sceneManager;
    object = sceneManager->createManualObject();
    object->begin("ShapePreview", Ogre::RenderOperation::OT_LINE_LIST,
                  Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
    // The twelve edges of each cell, a hair larger than the cube so that they show on its
    // outline.
    const float low = -0.02f;
    const float high = 1.02f;
    for (const Voxel::Cell& cell : cells)
    {
        const Ogre::Vector3 base(float(cell.x), float(cell.y), float(cell.z));
        for (int axis = 0; axis < 3; ++axis)
        {
            for (int corner = 0; corner < 4; ++corner)
            {
                Ogre::Vector3 from(low, low, low);
                from[size_t((axis + 1) % 3)] = corner & 1 ? high : low;
                from[size_t((axis + 2) % 3)] = corner & 2 ? high : low;
                Ogre::Vector3 to = from;
                to[size_t(axis)] = high;
                object->position(editor.modelOrientation * (base + from));
                object->colour(colour);
                object->position(editor.modelOrientation * (base + to));
                object->colour(colour);
            }
        }
    }
    object->end();
    object->setQueryFlags(0);
    object->setRenderQueueGroup(Ogre::RENDER_QUEUE_OVERLAY - 1);
    sceneManager->getRootSceneNode()->createChildSceneNode()->attachObject(object);
}

void ShapePreview::destroy()
{
    shown.clear();
    Graphics* graphics = editor.getGraphics();
    if (!object || !graphics || !graphics->sceneManager)
    {
        object = nullptr;
        return;
    }
    Ogre::SceneManager* sceneManager = graphics->sceneManager;
    if (Ogre::SceneNode* node = object->getParentSceneNode())
    {
        node->detachObject(object);
        sceneManager->destroySceneNode(node);
    }
    sceneManager->destroyManualObject(object);
    object = nullptr;
}
