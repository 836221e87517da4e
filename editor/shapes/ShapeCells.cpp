#include "editor/shapes/ShapeCells.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unordered_set>

namespace
{

int& at(Voxel::Cell& cell, int axis) { return axis == 0 ? cell.x : axis == 1 ? cell.y : cell.z; }

int get(const Voxel::Cell& cell, int axis)
{
    return axis == 0 ? cell.x : axis == 1 ? cell.y : cell.z;
}

struct CellHash
{
    size_t operator()(const Voxel::Cell& c) const
    {
        return size_t(unsigned(c.x)) * 73856093u ^ size_t(unsigned(c.y)) * 19349663u ^
               size_t(unsigned(c.z)) * 83492791u;
    }
};

// Walks from `start` to every connected cell that `accept` takes, through the given steps.
std::vector<Voxel::Cell> flood(const Voxel::Cell& start, const std::vector<Voxel::Cell>& steps,
                               const std::function<bool(const Voxel::Cell&)>& accept)
{
    std::vector<Voxel::Cell> found;
    if (!accept(start))
        return found;
    std::unordered_set<Voxel::Cell, CellHash> seen{start};
    found.push_back(start);
    for (size_t next = 0; next < found.size(); ++next)
    {
        const Voxel::Cell here = found[next];
        for (const Voxel::Cell& step : steps)
        {
            const Voxel::Cell cell{here.x + step.x, here.y + step.y, here.z + step.z};
            if (seen.insert(cell).second && accept(cell))
                found.push_back(cell);
        }
    }
    return found;
}

} // namespace

ShapeCells::Side ShapeCells::sideAt(const Ogre::Vector3& d)
{
    const float ax = std::fabs(d.x);
    const float ay = std::fabs(d.y);
    const float az = std::fabs(d.z);
    Side side;
    if (ax > ay)
        side.axis = ax > az ? 0 : 2;
    else
        side.axis = ay > az ? 1 : 2;
    side.sign = d[size_t(side.axis)] > 0 ? 1 : -1;
    return side;
}

Voxel::Cell ShapeCells::across(const Voxel::Cell& cell, const Side& side)
{
    Voxel::Cell next = cell;
    at(next, side.axis) += side.sign;
    return next;
}

Voxel::Cell ShapeCells::limitTo(const Voxel::Cell& from, const Voxel::Cell& to)
{
    Voxel::Cell limited = to;
    for (int axis = 0; axis < 3; ++axis)
    {
        const long long start = get(from, axis);
        const long long wanted = get(to, axis);
        at(limited, axis) =
            int(std::clamp(wanted, start - (MAX_EXTENT - 1), start + (MAX_EXTENT - 1)));
    }
    return limited;
}

std::vector<Voxel::Cell> ShapeCells::box(const Voxel::Cell& a, const Voxel::Cell& b)
{
    const Voxel::Cell c = limitTo(a, b);
    const Voxel::Cell low{std::min(a.x, c.x), std::min(a.y, c.y), std::min(a.z, c.z)};
    const Voxel::Cell high{std::max(a.x, c.x), std::max(a.y, c.y), std::max(a.z, c.z)};
    std::vector<Voxel::Cell> cells;
    cells.reserve(size_t(high.x - low.x + 1) * size_t(high.y - low.y + 1) *
                  size_t(high.z - low.z + 1));
    for (int z = low.z; z <= high.z; ++z)
        for (int y = low.y; y <= high.y; ++y)
            for (int x = low.x; x <= high.x; ++x)
                cells.push_back({x, y, z});
    return cells;
}

std::vector<Voxel::Cell> ShapeCells::line(const Voxel::Cell& a, const Voxel::Cell& b)
{
    const Voxel::Cell c = limitTo(a, b);
    const int delta[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
    const int steps = std::max({std::abs(delta[0]), std::abs(delta[1]), std::abs(delta[2])});
    std::vector<Voxel::Cell> cells;
    cells.reserve(size_t(steps) + 1);
    for (int i = 0; i <= steps; ++i)
    {
        Voxel::Cell cell = a;
        for (int axis = 0; axis < 3; ++axis)
        {
            // Rounded to the nearest cell, halves away from the start.
            const long long num = 2LL * delta[axis] * i + (delta[axis] >= 0 ? steps : -steps);
            const long long den = 2LL * (steps == 0 ? 1 : steps);
            const long long offset = steps == 0 ? 0 : (num >= 0 ? num / den : -((-num) / den));
            at(cell, axis) += int(offset);
        }
        cells.push_back(cell);
    }
    return cells;
}

std::vector<Voxel::Cell> ShapeCells::face(const Voxel::Cell& start, const Side& side,
                                          const Lookup& lookup)
{
    Ogre::ColourValue colour;
    if (!lookup(start, colour))
        return {};
    std::vector<Voxel::Cell> steps;
    for (int axis = 0; axis < 3; ++axis)
    {
        if (axis == side.axis)
            continue;
        for (int sign : {-1, 1})
        {
            Voxel::Cell step;
            at(step, axis) = sign;
            steps.push_back(step);
        }
    }
    Ogre::ColourValue other;
    return flood(start, steps,
                 [&](const Voxel::Cell& cell)
                 {
                     Ogre::ColourValue here;
                     return lookup(cell, here) && here == colour &&
                            !lookup(across(cell, side), other);
                 });
}

std::vector<Voxel::Cell> ShapeCells::fill(const Voxel::Cell& start, const Lookup& lookup)
{
    Ogre::ColourValue colour;
    if (!lookup(start, colour))
        return {};
    const std::vector<Voxel::Cell> steps{{1, 0, 0}, {-1, 0, 0}, {0, 1, 0},
                                         {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    return flood(start, steps,
                 [&](const Voxel::Cell& cell)
                 {
                     Ogre::ColourValue here;
                     return lookup(cell, here) && here == colour;
                 });
}
