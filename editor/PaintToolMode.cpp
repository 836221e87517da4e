#include "editor/PaintToolMode.h"

#include "editor/EditorMode.h"
#include "editor/ModelViewMode.h"
#include "editor/UndoHistory.h"

void PaintToolMode::mouseHeld(const OIS::MouseButtonID*)
{
    // The colour lives in the model view; under any other view there is nothing to paint with.
    auto* modelView = dynamic_cast<ModelViewMode*>(editor->viewMode);
    if (!modelView)
    {
        return;
    }
    const int index = editor->voxelUnderPointer();
    if (index == -1)
    {
        return;
    }
    // Rebuilt on every step even when the colour is the same: nothing is cached between steps.
    // With mirror editing the voxel in the mirror cell takes the colour too.
    const int twin = editor->mirrorTwin(index);
    editor->paintVoxel(index, modelView->colour);
    if (twin != -1)
        editor->paintVoxel(twin, modelView->colour);
    if (editor->mirror.isOn())
        editor->history->markMirrored();
}
