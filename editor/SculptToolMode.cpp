#include "editor/SculptToolMode.h"

#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"

#include <OgreManualObject.h>

void SculptToolMode::mousePressed(const OIS::MouseButtonID* button)
{
    if (*button == OIS::MB_Left)
    {
        adding = true;
    }
    else if (*button == OIS::MB_Right)
    {
        adding = false;
        const int index = editor->voxelUnderPointer();
        if (index != -1)
        {
            editor->removeVoxel(index);
        }
    }
}

void SculptToolMode::mouseHeld(const OIS::MouseButtonID*)
{
    if (adding)
    {
        editor->addVoxelAtPointer();
    }
}

void SculptToolMode::mouseReleased(const OIS::MouseButtonID*)
{
    // The layer laid during this drag becomes pickable, so the next drag builds on top of it.
    for (Voxel* voxel : editor->voxels)
    {
        voxel->setQueryFlags(QUERY_VOXEL);
    }
}
