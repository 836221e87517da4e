#include "editor/SculptToolMode.h"

#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "editor/UndoHistory.h"

#include <OgreManualObject.h>

#include <algorithm>

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
            // With mirror editing the voxel in the mirror cell goes too; the later one in the
            // list first, so that the other keeps its index.
            const int twin = editor->mirrorTwin(index);
            editor->removeVoxel(std::max(index, twin));
            if (twin != -1)
                editor->removeVoxel(std::min(index, twin));
            if (editor->mirror.isOn())
                editor->history->markMirrored();
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
    editor->model.setQueryFlags(QUERY_VOXEL);
}
