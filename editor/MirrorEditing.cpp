#include "editor/MirrorEditing.h"

#include "app/Graphics.h"
#include "app/Log.h"
#include "editor/EditorMode.h"
#include "editor/VoxelModel.h"
#include "menu/BarMenuView.h"
#include "menu/MenuSystem.h"

#include <OgreManualObject.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

MirrorEditing::~MirrorEditing() { destroyLine(); }

void MirrorEditing::set(bool newOn)
{
    if (newOn == on)
        return;
    on = newOn;
    writeLog(on ? "mirror editing on" : "mirror editing off");
    if (on)
        createLine();
    else
        destroyLine();
    if (editor.menuSystem && editor.menuSystem->barMenuView)
        editor.menuSystem->barMenuView->showMirror(on);
}

int MirrorEditing::twin(int index) const
{
    const std::vector<Voxel*>& voxels = editor.model.getVoxels();
    if (!on || index < 0 || size_t(index) >= voxels.size())
        return -1;
    return editor.model.voxelAtCell(mirroredCell(voxels[size_t(index)]->gridPosition));
}

void MirrorEditing::update()
{
    if (line && line->getParentSceneNode())
        line->getParentSceneNode()->setOrientation(editor.modelOrientation);
}

void MirrorEditing::createLine()
{
    Graphics* graphics = editor.getGraphics();
    if (line || !graphics || !graphics->sceneManager)
        return;
    Ogre::SceneManager* sceneManager = graphics->sceneManager;
    line = sceneManager->createManualObject("mirrorPlane");
    line->begin("MirrorPlane", Ogre::RenderOperation::OT_LINE_LIST,
                Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
    // Over the grid's own line at x = 0, as long as the grid.
    line->position(0.0f, 0.0f, -50.0f);
    line->position(0.0f, 0.0f, 50.0f);
    line->end();
    line->setQueryFlags(0); // never picked: sculpting on the ground goes through it
    // Drawn after the grid, so that it wins where the two lines lie on each other.
    line->setRenderQueueGroup(Ogre::RENDER_QUEUE_MAIN + 1);
    Ogre::SceneNode* node = sceneManager->getRootSceneNode()->createChildSceneNode(
        Ogre::Vector3::ZERO, editor.modelOrientation);
    node->attachObject(line);
}

void MirrorEditing::destroyLine()
{
    Graphics* graphics = editor.getGraphics();
    if (!line || !graphics || !graphics->sceneManager)
    {
        line = nullptr;
        return;
    }
    Ogre::SceneManager* sceneManager = graphics->sceneManager;
    if (Ogre::SceneNode* node = line->getParentSceneNode())
    {
        node->detachObject(line);
        sceneManager->destroySceneNode(node);
    }
    sceneManager->destroyManualObject(line);
    line = nullptr;
}
