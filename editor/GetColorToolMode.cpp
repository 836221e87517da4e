#include "editor/GetColorToolMode.h"

#include "editor/EditorMode.h"
#include "editor/ModelViewMode.h"
#include "editor/QueryFlags.h"

#include <OgreMovableObject.h>

void GetColorToolMode::mousePressed(const OIS::MouseButtonID*)
{
    auto* modelView = dynamic_cast<ModelViewMode*>(editor->viewMode);
    if (!modelView)
    {
        return;
    }
    Ogre::MovableObject* hitObject = nullptr;
    float hitDistance = -1.0f;
    editor->pick(editor->getPointerRay(), QUERY_VOXEL, hitObject, hitDistance);
    if (!hitObject)
    {
        return;
    }
    int index = editor->findVoxel(hitObject);
    if (index == -1)
    {
        return;
    }
    // Alpha comes along too, although the picker's sliders show only red, green and blue.
    modelView->setColour(editor->voxels[index]->getColour());
}
