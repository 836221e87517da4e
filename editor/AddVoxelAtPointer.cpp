// The tools' pointer operations: where a sculpt adds its voxel and which voxel the pointer is on.
#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "editor/UndoHistory.h"
#include "editor/shapes/ShapeCells.h"

#include <OgreMovableObject.h>

#include <cmath>

bool EditorMode::cellAtPointer(Voxel::Cell& cell)
{
    Ogre::Ray ray = getPointerRay();
    Ogre::MovableObject* hitObject = nullptr;
    float hitDistance = -1.0f;

    const int index = pickVoxel(ray, QUERY_VOXEL, hitDistance);
    if (index >= 0)
    {
        Voxel* voxel = voxels[size_t(index)];
        Ogre::Vector3 hitPoint = ray.getOrigin() + ray.getDirection() * hitDistance;
        // The cell across the face the pointer is on; ties go to the later axis.
        cell = ShapeCells::across(voxel->getGridPosition(),
                                  ShapeCells::sideAt(hitPoint - voxel->getPosition()));
    }
    else
    {
        pick(ray, QUERY_GRID, hitObject, hitDistance);
        if (!hitObject)
        {
            return false;
        }
        Ogre::Vector3 hitPoint = ray.getOrigin() + ray.getDirection() * hitDistance;
        cell.x = static_cast<int>(std::floor(hitPoint.x));
        cell.y = 0;
        cell.z = static_cast<int>(std::floor(hitPoint.z));
    }
    return true;
}

void EditorMode::addVoxelAtPointer()
{
    Voxel::Cell cell;
    if (!cellAtPointer(cell))
    {
        return;
    }
    // New voxels are always grey and stay unpickable until the button is released.
    addVoxel(cell.x, cell.y, cell.z, Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1.0f), QUERY_NEW_VOXEL);
    if (mirror.isOn())
    {
        // The mirror cell too; one that is taken keeps its voxel.
        const Voxel::Cell twin = mirroredCell(cell);
        addVoxel(twin.x, twin.y, twin.z, Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1.0f),
                 QUERY_NEW_VOXEL);
        history->markMirrored();
    }
}

int EditorMode::voxelUnderPointer()
{
    float hitDistance = -1.0f;
    return pickVoxel(getPointerRay(), QUERY_VOXEL, hitDistance);
}
