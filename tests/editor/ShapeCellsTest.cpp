#include "editor/shapes/ShapeCells.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <tuple>

namespace
{

using Cell = Voxel::Cell;

// A model as a map of cells to colours.
struct Cells
{
    std::map<std::tuple<int, int, int>, Ogre::ColourValue> voxels;
    void put(const Cell& c, const Ogre::ColourValue& colour) { voxels[{c.x, c.y, c.z}] = colour; }
    ShapeCells::Lookup lookup() const
    {
        return [this](const Cell& c, Ogre::ColourValue& colour)
        {
            auto found = voxels.find({c.x, c.y, c.z});
            if (found == voxels.end())
                return false;
            colour = found->second;
            return true;
        };
    }
};

std::vector<std::tuple<int, int, int>> sorted(const std::vector<Cell>& cells)
{
    std::vector<std::tuple<int, int, int>> out;
    for (const Cell& c : cells)
        out.emplace_back(c.x, c.y, c.z);
    std::sort(out.begin(), out.end());
    return out;
}

const Ogre::ColourValue GREY(0.5f, 0.5f, 0.5f, 1.0f);
const Ogre::ColourValue RED(1.0f, 0.0f, 0.0f, 1.0f);

} // namespace

TEST(ShapeCells, BoxCoversItsCornersWhicheverWayItIsDraggedAndStaysWithinReach)
{
    // A rectangle on the layer z = 1, dragged either way, and a box off the layer.
    EXPECT_EQ(ShapeCells::box({0, 0, 1}, {2, 1, 1}).size(), 6u);
    EXPECT_EQ(sorted(ShapeCells::box({2, 1, 1}, {0, 0, 1})),
              sorted(ShapeCells::box({0, 0, 1}, {2, 1, 1})));
    const std::vector<Cell> box = ShapeCells::box({-1, 0, 0}, {1, 2, 3});
    EXPECT_EQ(box.size(), 3u * 3u * 4u);
    for (const Cell& c : box)
        EXPECT_TRUE(c.x >= -1 && c.x <= 1 && c.y >= 0 && c.y <= 2 && c.z >= 0 && c.z <= 3);
    // A drag toward the horizon asks for no more than MAX_EXTENT cells along an axis.
    EXPECT_EQ(ShapeCells::box({0, 0, 0}, {1000000, 0, -2000000000}).size(),
              size_t(ShapeCells::MAX_EXTENT) * ShapeCells::MAX_EXTENT);
}

TEST(ShapeCells, LineStepsOneCellAtATimeFromStartToEnd)
{
    // Across a wall's face: the layer z = 1 is kept, and the cells are those of the slope.
    EXPECT_EQ(sorted(ShapeCells::line({0, 0, 1}, {4, 2, 1})),
              sorted({{0, 0, 1}, {1, 1, 1}, {2, 1, 1}, {3, 2, 1}, {4, 2, 1}}));
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coordinate(-70, 70);
    for (int i = 0; i < 500; ++i)
    {
        const Cell a{coordinate(random), coordinate(random), coordinate(random)};
        const Cell b{coordinate(random), coordinate(random), coordinate(random)};
        const Cell reached = ShapeCells::limitTo(a, b);
        const std::vector<Cell> line = ShapeCells::line(a, b);
        SCOPED_TRACE(testing::Message() << a.x << "," << a.y << "," << a.z << " to " << b.x
                                        << "," << b.y << "," << b.z);
        ASSERT_EQ(line.front(), a);
        ASSERT_EQ(line.back(), reached);
        const int longest = std::max({std::abs(reached.x - a.x), std::abs(reached.y - a.y),
                                      std::abs(reached.z - a.z)});
        ASSERT_EQ(line.size(), size_t(longest) + 1);
        ASSERT_LT(longest, ShapeCells::MAX_EXTENT);
        for (size_t k = 1; k < line.size(); ++k)
        {
            const Cell& p = line[k - 1];
            const Cell& q = line[k];
            ASSERT_LE(std::max({std::abs(q.x - p.x), std::abs(q.y - p.y), std::abs(q.z - p.z)}), 1);
        }
    }
}

TEST(ShapeCells, FaceTakesTheConnectedOpenSameColouredCellsOfItsLayer)
{
    // A 5 x 3 wall at z = 0: a red column at x = 2 splits it; a grey voxel stands in front of
    // (0, 2, 0), closing that face; a grey voxel behind the wall is on another layer.
    Cells model;
    for (int x = 0; x < 5; ++x)
        for (int y = 0; y < 3; ++y)
            model.put({x, y, 0}, x == 2 ? RED : GREY);
    model.put({0, 2, 1}, GREY);
    model.put({1, 1, -1}, GREY);
    const ShapeCells::Side front{2, 1};
    EXPECT_EQ(sorted(ShapeCells::face({0, 0, 0}, front, model.lookup())),
              sorted({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 2, 0}}));
    EXPECT_EQ(ShapeCells::face({2, 1, 0}, front, model.lookup()).size(), 3u);
    // The back of the wall: (1, 1) is covered there by the voxel behind it.
    EXPECT_EQ(ShapeCells::face({0, 0, 0}, {2, -1}, model.lookup()).size(), 5u);
    EXPECT_TRUE(ShapeCells::face({9, 9, 9}, front, model.lookup()).empty());
}

TEST(ShapeCells, FillStopsAtOtherColoursAndCrossesOnlyFaces)
{
    // A grey run, a red voxel, more grey beyond it, and a grey voxel touching only by an edge.
    Cells model;
    for (int x = 0; x < 3; ++x)
        model.put({x, 0, 0}, GREY);
    model.put({3, 0, 0}, RED);
    model.put({4, 0, 0}, GREY);
    model.put({0, 1, 0}, GREY);
    model.put({1, 2, 0}, GREY); // edge-to-edge with (0, 1, 0) only
    const std::vector<Cell> filled = ShapeCells::fill({1, 0, 0}, model.lookup());
    EXPECT_EQ(filled.front(), (Cell{1, 0, 0}));
    EXPECT_EQ(sorted(filled), sorted({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}}));
    EXPECT_EQ(ShapeCells::fill({3, 0, 0}, model.lookup()).size(), 1u);

    // A solid block of 4,000 voxels fills whole.
    Cells block;
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 20; ++y)
            for (int z = 0; z < 10; ++z)
                block.put({x, y, z}, GREY);
    EXPECT_EQ(ShapeCells::fill({5, 5, 5}, block.lookup()).size(), 4000u);
}
