// The tools' pointer operations: where a sculpt adds its voxel and which voxel the pointer is on.
#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "editor/UndoHistory.h"

#include <OgreMovableObject.h>

#include <cmath>

namespace
{

// The cell next to `cell` across the face of the cube that `d` (hit point minus cube centre)
// points through. Ties go to the later axis, so a hit exactly on an edge or corner is resolved
// the same way every time.
Voxel::Cell neighbourAcrossFace(const Voxel::Cell& cell, const Ogre::Vector3& d)
{
    float ax = std::fabs(d.x);
    float ay = std::fabs(d.y);
    float az = std::fabs(d.z);
    int axis;
    if (ax > ay)
    {
        axis = ax > az ? 0 : 2;
    }
    else
    {
        axis = ay > az ? 1 : 2;
    }
    Voxel::Cell next = cell;
    int step = d[axis] > 0 ? 1 : -1;
    if (axis == 0)
    {
        next.x += step;
    }
    else if (axis == 1)
    {
        next.y += step;
    }
    else
    {
        next.z += step;
    }
    return next;
}

} // namespace

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
        cell = neighbourAcrossFace(voxel->getGridPosition(), hitPoint - voxel->getPosition());
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
