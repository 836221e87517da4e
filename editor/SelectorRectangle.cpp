#include "editor/SelectorRectangle.h"

#include "app/Graphics.h"
#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"

#include <OgreManualObject.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <cmath>

namespace
{

void addOutline(Ogre::ManualObject* box, float width, float depth)
{
    box->position(0.0f, -depth, 0.0f);
    box->position(width, -depth, 0.0f);
    box->position(0.0f, 0.0f, 0.0f);
    box->position(width, 0.0f, 0.0f);
    const Ogre::uint32 edges[] = {0, 1, 1, 3, 3, 2, 2, 0};
    for (Ogre::uint32 index : edges)
    {
        box->index(index);
    }
}

} // namespace

SelectorRectangle::SelectorRectangle(EditorMode* editor, const Ogre::Vector3& anchor)
    : editor(editor), anchor(anchor)
{
    Ogre::SceneManager* sceneManager = editor->getGraphics()->sceneManager;
    box = sceneManager->createManualObject("SelectRectangle");
    // Positions are screen coordinates, so the camera must not transform them.
    box->setUseIdentityProjection(true);
    box->setUseIdentityView(true);
    box->setQueryFlags(QUERY_SELECTOR);
    box->setRenderQueueGroup(99);
    box->begin("SelectorRectangle", Ogre::RenderOperation::OT_LINE_LIST,
               Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
    addOutline(box, 0.1f, 0.1f);
    box->end();
    box->setBoundingBox(Ogre::AxisAlignedBox::BOX_INFINITE);

    node = sceneManager->getRootSceneNode()->createChildSceneNode(Ogre::Vector3::ZERO,
                                                                  Ogre::Quaternion::IDENTITY);
    node->attachObject(box);
    node->setPosition(anchor);
}

SelectorRectangle::~SelectorRectangle()
{
    Ogre::SceneManager* sceneManager = editor->getGraphics()->sceneManager;
    node->detachAllObjects();
    sceneManager->destroySceneNode(node);
    sceneManager->destroyManualObject(box);
}

void SelectorRectangle::update(const Ogre::Vector3& point)
{
    float dx = point.x - anchor.x;
    float dy = point.y - anchor.y;
    box->beginUpdate(0);
    // The outline always reaches downward from the anchor, however the pointer moved.
    addOutline(box, dx, std::fabs(dy));
    box->end();
    // Rebuilding the section recomputes the bounds; keep them infinite so it is never culled.
    box->setBoundingBox(Ogre::AxisAlignedBox::BOX_INFINITE);
}
