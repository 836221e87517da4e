#include "editor/PaintToolMode.h"

#include "editor/EditorMode.h"
#include "editor/ModelViewMode.h"
#include "editor/UndoHistory.h"

#include <OIS/OISKeyboard.h>

void PaintToolMode::mousePressed(const OIS::MouseButtonID*)
{
    stroke.reset();
    shaped = picking = painted = false;
    auto* modelView = dynamic_cast<ModelViewMode*>(editor->viewMode);
    if (!modelView)
        return;
    if (editor->isKeyDown(OIS::KC_LCONTROL))
    {
        // A quick pick while painting, as the "Pick color" tool would, without leaving.
        picking = true;
        const int index = editor->voxelUnderPointer();
        if (index != -1)
            modelView->setColour(editor->voxelColour(editor->voxels[size_t(index)]));
        return;
    }
    if (modelView->shape == ShapeCells::Shape::Voxel)
        return;
    shaped = true;
    stroke = std::make_unique<ShapeStroke>(*editor, modelView->shape, ShapeStroke::Action::Paint,
                                           modelView->colour);
    painted = stroke->press();
    if (!painted)
        stroke.reset();
}

void PaintToolMode::mouseHeld(const OIS::MouseButtonID*)
{
    // The colour lives in the model view; under any other view there is nothing to paint with.
    auto* modelView = dynamic_cast<ModelViewMode*>(editor->viewMode);
    if (!modelView || picking)
        return;
    if (stroke)
    {
        stroke->hold();
        return;
    }
    if (shaped)
        return;
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
    painted = true;
}

void PaintToolMode::mouseReleased(const OIS::MouseButtonID*)
{
    if (stroke)
        stroke->release();
    stroke.reset();
    auto* modelView = dynamic_cast<ModelViewMode*>(editor->viewMode);
    if (modelView && painted)
        modelView->colourUsed(modelView->colour);
    shaped = picking = painted = false;
}
