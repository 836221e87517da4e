#pragma once

#include <OgreAxisAlignedBox.h>
#include <OgreRay.h>

#include <cstdint>
#include <vector>

namespace Ogre
{
class MovableObject;
class SceneManager;
} // namespace Ogre

// A snapshot of the scene's pickable manual objects in a uniform grid, so that many rays can be
// picked without testing every box. Answers exactly what Graphics::pickManualObject answers for
// the same scene: the same pick box per object, the same intersection test, the nearest hit, and
// on equal distances the object that comes first in the engine's name order. The snapshot goes
// stale as soon as an object is created, destroyed, moved or re-flagged.
class RayPickIndex
{
public:
    RayPickIndex(Ogre::SceneManager* sceneManager, unsigned queryMask);

    void pick(const Ogre::Ray& ray, Ogre::MovableObject*& hitObject, float& hitDistance) const;

    // The box a pick tests for an attached object: its local box turned by its node's own
    // orientation and moved by the node's own position (the node's scale is ignored).
    static Ogre::AxisAlignedBox pickBox(Ogre::MovableObject* object);

private:
    struct Entry
    {
        Ogre::AxisAlignedBox box;
        Ogre::MovableObject* object = nullptr;
        int rank = 0; // place in the engine's name order
    };

    // Keeps the better of the current best and this entry's hit, by distance then rank.
    static void consider(const Entry& entry, const Ogre::Ray& ray, int& bestRank,
                         const Entry*& best, float& bestDistance);
    int cellIndex(int x, int y, int z) const { return (z * dims[1] + y) * dims[0] + x; }

    std::vector<Entry> entries;
    // Entries with infinite boxes; every ray tests them.
    std::vector<int> unbounded;
    Ogre::Vector3 gridOrigin = Ogre::Vector3::ZERO;
    float cellSize = 1.0f;
    int dims[3] = {0, 0, 0};
    // Cell c holds entries cellEntries[cellStart[c]] up to cellEntries[cellStart[c + 1]].
    std::vector<uint32_t> cellStart;
    std::vector<uint32_t> cellEntries;
};
