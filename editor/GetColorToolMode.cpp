#include "editor/GetColorToolMode.h"

#include "editor/EditorMode.h"
#include "editor/ModelViewMode.h"

void GetColorToolMode::mousePressed(const OIS::MouseButtonID*)
{
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
    // Alpha comes along too, although the picker's sliders show only red, green and blue.
    modelView->setColour(editor->voxels[index]->getColour());
}
