#pragma once

#include "editor/Voxel.h"

#include <OgreColourValue.h>
#include <OgreVector.h>

#include <functional>
#include <vector>

// The cells of the model view's shapes (keys 4 to 8), worked out from cells alone: the tools
// decide where a shape starts and ends, these decide which cells it covers.
class ShapeCells
{
public:
    enum class Shape
    {
        Voxel,
        Box,
        Line,
        Face,
        Fill,
    };

    // The side of a cube a pointer is on: the axis (0 x, 1 y, 2 z) and +1 or -1 along it.
    struct Side
    {
        int axis = 1;
        int sign = 1;
        bool operator==(const Side& other) const
        {
            return axis == other.axis && sign == other.sign;
        }
    };

    // Answers whether a voxel stands in the cell and, if one does, gives its own colour.
    using Lookup = std::function<bool(const Voxel::Cell&, Ogre::ColourValue&)>;

    // A box or a line reaches at most this many cells along an axis, so that a drag toward
    // the horizon cannot ask for millions of cells.
    static constexpr int MAX_EXTENT = 64;

    // The side that `d` (a point on the cube minus its centre) points through. Ties go to the
    // later axis, so a hit exactly on an edge or corner is resolved the same way every time.
    static Side sideAt(const Ogre::Vector3& d);
    // The cell across that side.
    static Voxel::Cell across(const Voxel::Cell& cell, const Side& side);
    // `to` brought within MAX_EXTENT - 1 cells of `from` on every axis.
    static Voxel::Cell limitTo(const Voxel::Cell& from, const Voxel::Cell& to);

    // Every cell of the box with corners a and b (limited as above), x fastest, then y, then z.
    static std::vector<Voxel::Cell> box(const Voxel::Cell& a, const Voxel::Cell& b);
    // The cells of a straight line from a to b, both included, one cell a step along the
    // longest axis (limited as above).
    static std::vector<Voxel::Cell> line(const Voxel::Cell& a, const Voxel::Cell& b);
    // The voxels of a face: from `start`, every voxel connected to it across edges in the
    // layer of `side` that has the colour of `start` and whose `side` is open (no voxel
    // across it). Empty when no voxel stands at `start`.
    static std::vector<Voxel::Cell> face(const Voxel::Cell& start, const Side& side,
                                         const Lookup& lookup);
    // Every voxel connected to `start` across faces that has its colour, `start` first.
    static std::vector<Voxel::Cell> fill(const Voxel::Cell& start, const Lookup& lookup);
};
