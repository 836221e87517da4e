#pragma once

#include <OgreAxisAlignedBox.h>
#include <OgreRay.h>

#include <cstdint>
#include <vector>

class Voxel;

// A snapshot of the voxels' pick boxes in a uniform grid, so that many rays (the sight lines of
// key O) can be picked without testing every box. Answers exactly what VoxelBatches::pick
// answers for the same voxels: the same pick box per voxel, the same intersection test, the
// nearest hit, and on equal distances the voxel whose name sorts first. The snapshot goes stale
// as soon as a voxel is added, removed, moved or re-flagged.
class RayPickIndex
{
public:
    RayPickIndex(const std::vector<Voxel*>& voxels, unsigned queryMask);

    // The index in the voxel list of the voxel hit first, or -1.
    int pick(const Ogre::Ray& ray, float& hitDistance) const;

private:
    struct Entry
    {
        Ogre::AxisAlignedBox box;
        int voxel = -1;
        int rank = 0; // place in the name order
    };

    // Keeps the better of the current best and this entry's hit, by distance then rank.
    static void consider(const Entry& entry, const Ogre::Ray& ray, int& bestRank,
                         const Entry*& best, float& bestDistance);
    int cellIndex(int x, int y, int z) const { return (z * dims[1] + y) * dims[0] + x; }

    std::vector<Entry> entries;
    Ogre::Vector3 gridOrigin = Ogre::Vector3::ZERO;
    float cellSize = 1.0f;
    int dims[3] = {0, 0, 0};
    // Cell c holds entries cellEntries[cellStart[c]] up to cellEntries[cellStart[c + 1]].
    std::vector<uint32_t> cellStart;
    std::vector<uint32_t> cellEntries;
};
