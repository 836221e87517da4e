#include "editor/PaintToolMode.h"

#include "editor/EditorMode.h"
#include "editor/ModelViewMode.h"
#include "editor/QueryFlags.h"

#include <OgreMovableObject.h>

void PaintToolMode::mouseHeld(const OIS::MouseButtonID*)
{
    // The colour lives in the model view; under any other view there is nothing to paint with.
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
    // Rebuilt on every step even when the colour is the same: nothing is cached between steps.
    editor->voxels[index]->setColour(modelView->colour);
}
