#include "editor/SculptToolMode.h"

#include "editor/EditorMode.h"
#include "editor/ModelViewMode.h"
#include "editor/QueryFlags.h"
#include "editor/UndoHistory.h"

#include <OgreAxisAlignedBox.h>
#include <OgreMath.h>

#include <algorithm>

namespace
{

ShapeCells::Shape currentShape(EditorMode* editor)
{
    auto* modelView = dynamic_cast<ModelViewMode*>(editor->viewMode);
    return modelView ? modelView->shape : ShapeCells::Shape::Voxel;
}

} // namespace

void SculptToolMode::mousePressed(const OIS::MouseButtonID* button)
{
    if (*button != OIS::MB_Left && *button != OIS::MB_Right)
        return;
    adding = *button == OIS::MB_Left;
    stroke.reset();
    holes.clear();
    shaped = false;
    ShapeCells::Shape shape = currentShape(editor);
    // Fill is a paint: a left press with it sculpts as the voxel does.
    if (adding && shape == ShapeCells::Shape::Fill)
        shape = ShapeCells::Shape::Voxel;
    if (shape != ShapeCells::Shape::Voxel)
    {
        // A press on nothing starts no shape, and the drag after it does nothing either.
        shaped = true;
        stroke = std::make_unique<ShapeStroke>(
            *editor, shape, adding ? ShapeStroke::Action::Add : ShapeStroke::Action::Remove);
        if (!stroke->press())
            stroke.reset();
        return;
    }
    if (!adding)
    {
        removing = true;
        removeUnderPointer();
    }
}

void SculptToolMode::mouseHeld(const OIS::MouseButtonID*)
{
    if (stroke)
        stroke->hold();
    else if (shaped)
        return;
    else if (adding)
        editor->addVoxelAtPointer();
    else if (removing)
        removeUnderPointer();
}

void SculptToolMode::mouseReleased(const OIS::MouseButtonID*)
{
    if (stroke)
        stroke->release();
    stroke.reset();
    holes.clear();
    shaped = false;
    removing = false;
    // The layer laid during this drag becomes pickable, so the next drag builds on top of it.
    editor->model.setQueryFlags(QUERY_VOXEL);
}

void SculptToolMode::letGo()
{
    stroke.reset();
    holes.clear();
}

void SculptToolMode::removeUnderPointer()
{
    const Ogre::Ray ray = editor->getPointerRay();
    float distance = -1.0f;
    const int index = editor->pickVoxel(ray, QUERY_VOXEL, distance);
    if (index == -1)
        return;
    for (const Ogre::Vector3& hole : holes)
    {
        const Ogre::AxisAlignedBox box(hole - Ogre::Vector3(0.5f), hole + Ogre::Vector3(0.5f));
        const std::pair<bool, Ogre::Real> hit = Ogre::Math::intersects(ray, box);
        if (hit.first && hit.second <= distance)
            return;
    }
    // With mirror editing the voxel in the mirror cell goes too; the later one in the list
    // first, so that the other keeps its index.
    const int twin = editor->mirrorTwin(index);
    holes.push_back(editor->voxels[size_t(index)]->getPosition());
    if (twin != -1)
        holes.push_back(editor->voxels[size_t(twin)]->getPosition());
    editor->removeVoxel(std::max(index, twin));
    if (twin != -1)
        editor->removeVoxel(std::min(index, twin));
    if (editor->mirror.isOn())
        editor->history->markMirrored();
}
