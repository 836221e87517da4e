#include "editor/RayPickIndex.h"

#include "editor/Voxel.h"
#include "editor/VoxelBatches.h"

#include <OgreMath.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

// Boxes are entered into every cell they come this close to, so that a ray whose cell walk
// rounds to a neighbouring cell near a corner still meets every box it really touches.
const float insertMargin = 1e-3f;
// The walk stops once the next cell starts this far beyond the best hit found.
const float stopMargin = 1e-2f;

} // namespace

RayPickIndex::RayPickIndex(const std::vector<Voxel*>& voxels, unsigned queryMask)
{
    std::vector<int> byName(voxels.size());
    for (size_t i = 0; i < voxels.size(); ++i)
        byName[i] = int(i);
    std::sort(byName.begin(), byName.end(), [&](int a, int b)
              { return VoxelBatches::nameBefore(voxels[size_t(a)]->getBoxNumber(),
                                                voxels[size_t(b)]->getBoxNumber()); });
    std::vector<int> rankOf(voxels.size());
    for (size_t r = 0; r < byName.size(); ++r)
        rankOf[size_t(byName[r])] = int(r);

    Ogre::AxisAlignedBox bounds;
    for (size_t i = 0; i < voxels.size(); ++i)
    {
        if ((voxels[i]->getQueryFlags() & queryMask) != queryMask)
            continue;
        Entry entry;
        entry.box = VoxelBatches::pickBox(*voxels[i]);
        entry.voxel = int(i);
        entry.rank = rankOf[i];
        bounds.merge(entry.box);
        entries.push_back(entry);
    }
    if (bounds.isNull())
        return;

    // One-unit cells, shifted by half a cell so that voxel faces (on whole numbers) lie in the
    // middle of cells rather than on their borders. Sparse models get larger cells.
    const Ogre::Vector3 extent = bounds.getSize();
    const double cellLimit = std::max(65536.0, 32.0 * double(entries.size()));
    auto cellsFor = [&](float size)
    {
        double cells = 1.0;
        for (int axis = 0; axis < 3; ++axis)
            cells *= std::floor(extent[axis] / size + 1.0) + 1.0;
        return cells;
    };
    while (cellsFor(cellSize) > cellLimit)
        cellSize *= 2.0f;
    gridOrigin = bounds.getMinimum() - Ogre::Vector3(0.5f * cellSize);
    for (int axis = 0; axis < 3; ++axis)
        dims[axis] = int(std::floor((bounds.getMaximum()[axis] - gridOrigin[axis]) / cellSize)) + 1;

    auto cellRange = [&](const Ogre::AxisAlignedBox& box, int low[3], int high[3])
    {
        for (int axis = 0; axis < 3; ++axis)
        {
            low[axis] = int(
                std::floor((box.getMinimum()[axis] - insertMargin - gridOrigin[axis]) / cellSize));
            high[axis] = int(
                std::floor((box.getMaximum()[axis] + insertMargin - gridOrigin[axis]) / cellSize));
            low[axis] = std::max(low[axis], 0);
            high[axis] = std::min(high[axis], dims[axis] - 1);
        }
    };

    // Two passes: count per cell, then fill, so each cell's entries sit side by side.
    const size_t cellCount = size_t(dims[0]) * dims[1] * dims[2];
    cellStart.assign(cellCount + 1, 0);
    for (int pass = 0; pass < 2; ++pass)
    {
        std::vector<uint32_t> fill;
        if (pass == 1)
        {
            for (size_t c = 0; c < cellCount; ++c)
                cellStart[c + 1] += cellStart[c];
            cellEntries.resize(cellStart[cellCount]);
            fill.assign(cellStart.begin(), cellStart.end() - 1);
        }
        for (uint32_t e = 0; e < entries.size(); ++e)
        {
            int low[3], high[3];
            cellRange(entries[e].box, low, high);
            for (int z = low[2]; z <= high[2]; ++z)
                for (int y = low[1]; y <= high[1]; ++y)
                    for (int x = low[0]; x <= high[0]; ++x)
                    {
                        int c = cellIndex(x, y, z);
                        if (pass == 0)
                            ++cellStart[c + 1];
                        else
                            cellEntries[fill[c]++] = e;
                    }
        }
    }
}

void RayPickIndex::consider(const Entry& entry, const Ogre::Ray& ray, int& bestRank,
                            const Entry*& best, float& bestDistance)
{
    std::pair<bool, Ogre::Real> hit = Ogre::Math::intersects(ray, entry.box);
    if (!hit.first)
        return;
    float distance = hit.second;
    if (!best || distance < bestDistance || (distance == bestDistance && entry.rank < bestRank))
    {
        best = &entry;
        bestDistance = distance;
        bestRank = entry.rank;
    }
}

int RayPickIndex::pick(const Ogre::Ray& ray, float& hitDistance) const
{
    hitDistance = -1.0f;
    const Entry* best = nullptr;
    float bestDistance = 0.0f;
    int bestRank = 0;

    if (!cellStart.empty())
    {
        const Ogre::Vector3& origin = ray.getOrigin();
        const Ogre::Vector3& direction = ray.getDirection();
        const float infinity = std::numeric_limits<float>::infinity();

        // Clip the ray to the grid.
        float tEnter = 0.0f;
        float tExit = infinity;
        bool inside = true;
        for (int axis = 0; axis < 3 && inside; ++axis)
        {
            float low = gridOrigin[axis];
            float high = gridOrigin[axis] + dims[axis] * cellSize;
            if (direction[axis] == 0.0f)
            {
                inside = origin[axis] >= low && origin[axis] <= high;
                continue;
            }
            float t0 = (low - origin[axis]) / direction[axis];
            float t1 = (high - origin[axis]) / direction[axis];
            if (t0 > t1)
                std::swap(t0, t1);
            tEnter = std::max(tEnter, t0);
            tExit = std::min(tExit, t1);
            inside = tEnter <= tExit;
        }

        if (inside)
        {
            // Walk the cells along the ray.
            Ogre::Vector3 start = origin + direction * tEnter;
            int cell[3], step[3];
            float tMax[3], tDelta[3];
            for (int axis = 0; axis < 3; ++axis)
            {
                int c = int(std::floor((start[axis] - gridOrigin[axis]) / cellSize));
                cell[axis] = std::min(std::max(c, 0), dims[axis] - 1);
                if (direction[axis] > 0.0f)
                {
                    step[axis] = 1;
                    tMax[axis] = (gridOrigin[axis] + (cell[axis] + 1) * cellSize - origin[axis]) /
                                 direction[axis];
                    tDelta[axis] = cellSize / direction[axis];
                }
                else if (direction[axis] < 0.0f)
                {
                    step[axis] = -1;
                    tMax[axis] =
                        (gridOrigin[axis] + cell[axis] * cellSize - origin[axis]) / direction[axis];
                    tDelta[axis] = -cellSize / direction[axis];
                }
                else
                {
                    step[axis] = 0;
                    tMax[axis] = infinity;
                    tDelta[axis] = infinity;
                }
            }

            for (;;)
            {
                int c = cellIndex(cell[0], cell[1], cell[2]);
                for (uint32_t i = cellStart[c]; i < cellStart[c + 1]; ++i)
                    consider(entries[cellEntries[i]], ray, bestRank, best, bestDistance);

                int axis =
                    tMax[0] < tMax[1] ? (tMax[0] < tMax[2] ? 0 : 2) : (tMax[1] < tMax[2] ? 1 : 2);
                float tNext = tMax[axis];
                if (tNext == infinity)
                    break;
                if (best && tNext > bestDistance + stopMargin * (1.0f + bestDistance))
                    break;
                cell[axis] += step[axis];
                if (cell[axis] < 0 || cell[axis] >= dims[axis])
                    break;
                tMax[axis] += tDelta[axis];
            }
        }
    }

    if (!best)
        return -1;
    hitDistance = bestDistance;
    return best->voxel;
}
