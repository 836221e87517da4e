#include "editor/PaintToolMode.h"

#include "editor/EditorMode.h"
#include "editor/ModelViewMode.h"

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
    editor->paintVoxel(index, modelView->colour);
}
