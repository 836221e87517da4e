#include "formats/ColourPalette.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

// sRGB's gamma already spaces values about as the eye tells them apart, and working on the
// stored values keeps the largest change of a channel, which the .vox writer reports, small. (A
// perceptual space such as Oklab spent the palette on dark shades and moved bright saturated
// colours by up to a third.)

namespace
{

struct Point
{
    float v[4]; // red, green, blue, alpha, 0 to 1
};

Point pointOf(uint32_t abgr)
{
    return {{float(abgr & 0xff) / 255.0f, float((abgr >> 8) & 0xff) / 255.0f,
             float((abgr >> 16) & 0xff) / 255.0f, float(abgr >> 24) / 255.0f}};
}

uint32_t abgrOf(const Point& point)
{
    uint32_t abgr = 0;
    for (int k = 0; k < 4; ++k)
        abgr |= uint32_t(std::lround(std::clamp(point.v[k], 0.0f, 1.0f) * 255.0f)) << (8 * k);
    return abgr;
}

float distance2(const Point& a, const Point& b)
{
    float sum = 0.0f;
    for (int i = 0; i < 4; ++i)
        sum += (a.v[i] - b.v[i]) * (a.v[i] - b.v[i]);
    return sum;
}

struct WeightedPoint
{
    Point point;
    double weight;
};

// The weighted mean of the colours, and their weighted squared spread about it.
std::pair<Point, double> meanAndError(const std::vector<WeightedPoint>& colours,
                                    const std::vector<int>& members)
{
    double sum[4] = {0, 0, 0, 0}, total = 0;
    for (int i : members)
    {
        for (int k = 0; k < 4; ++k)
            sum[k] += colours[i].point.v[k] * colours[i].weight;
        total += colours[i].weight;
    }
    Point mean{};
    for (int k = 0; k < 4; ++k)
        mean.v[k] = float(sum[k] / total);
    double error = 0;
    for (int i : members)
        error += distance2(colours[i].point, mean) * colours[i].weight;
    return {mean, error};
}

// Finds the nearest palette colour. The palette is kept sorted by red, and the search walks out
// from the query's red in both directions until red alone is farther than the best found, which
// visits a small part of the palette for most colours.
class NearestColour
{
public:
    explicit NearestColour(const std::vector<Point>& palette) : palette(palette)
    {
        for (size_t i = 0; i < palette.size(); ++i)
            order.push_back(int(i));
        std::sort(order.begin(), order.end(),
                  [&](int a, int b) { return palette[a].v[0] < palette[b].v[0]; });
        for (int i : order)
            reds.push_back(palette[i].v[0]);
    }

    int operator()(const Point& point) const
    {
        const size_t start = size_t(std::lower_bound(reds.begin(), reds.end(), point.v[0]) -
                                    reds.begin());
        int best = -1;
        float bestDistance = 0.0f;
        const auto consider = [&](size_t at)
        {
            const float d = distance2(palette[order[at]], point);
            if (best < 0 || d < bestDistance || (d == bestDistance && order[at] < best))
            {
                bestDistance = d;
                best = order[at];
            }
        };
        for (size_t up = start, down = start; up < reds.size() || down > 0;)
        {
            bool going = false;
            if (up < reds.size())
            {
                const float gap = reds[up] - point.v[0];
                if (best < 0 || gap * gap <= bestDistance)
                {
                    consider(up++);
                    going = true;
                }
                else
                    up = reds.size();
            }
            if (down > 0)
            {
                const float gap = point.v[0] - reds[down - 1];
                if (best < 0 || gap * gap <= bestDistance)
                {
                    consider(--down);
                    going = true;
                }
                else
                    down = 0;
            }
            if (!going)
                break;
        }
        return best;
    }

private:
    const std::vector<Point>& palette;
    std::vector<int> order;
    std::vector<float> reds;
};

// A palette of at most `size` colours for the weighted colours.
std::vector<uint32_t> reducedPalette(const std::vector<WeightedPoint>& colours, size_t size)
{
    struct Box
    {
        std::vector<int> members;
        double error;
    };
    std::vector<Box> boxes(1);
    for (size_t i = 0; i < colours.size(); ++i)
        boxes[0].members.push_back(int(i));
    boxes[0].error = meanAndError(colours, boxes[0].members).second;

    // Median cut: split the box of the largest error at the weighted median of its widest axis.
    while (boxes.size() < size)
    {
        const auto worst = std::max_element(boxes.begin(), boxes.end(),
                                            [](const Box& a, const Box& b)
                                            { return a.error < b.error; });
        if (worst->members.size() < 2 || worst->error <= 0.0)
        {
            break;
        }
        Box& box = *worst;
        int axis = 0;
        float widest = -1.0f;
        for (int k = 0; k < 4; ++k)
        {
            float low = colours[box.members[0]].point.v[k], high = low;
            for (int i : box.members)
            {
                low = std::min(low, colours[i].point.v[k]);
                high = std::max(high, colours[i].point.v[k]);
            }
            if (high - low > widest)
            {
                widest = high - low;
                axis = k;
            }
        }
        std::sort(box.members.begin(), box.members.end(), [&](int a, int b)
                  { return colours[a].point.v[axis] < colours[b].point.v[axis]; });
        double total = 0;
        for (int i : box.members)
            total += colours[i].weight;
        double running = 0;
        size_t split = 1;
        for (; split < box.members.size() - 1; ++split)
        {
            running += colours[box.members[split - 1]].weight;
            if (running >= total / 2)
                break;
        }
        Box upper;
        upper.members.assign(box.members.begin() + long(split), box.members.end());
        box.members.resize(split);
        box.error = meanAndError(colours, box.members).second;
        upper.error = meanAndError(colours, upper.members).second;
        boxes.push_back(std::move(upper));
    }

    std::vector<Point> centres;
    for (const Box& box : boxes)
        centres.push_back(meanAndError(colours, box.members).first);

    // K-means: move each centre to the mean of the colours nearest to it.
    std::vector<int> owner(colours.size());
    for (int round = 0; round < 4; ++round)
    {
        std::vector<std::array<double, 5>> sums(centres.size(), {0, 0, 0, 0, 0});
        const NearestColour nearest(centres);
        for (size_t i = 0; i < colours.size(); ++i)
        {
            owner[i] = nearest(colours[i].point);
            auto& sum = sums[size_t(owner[i])];
            for (int k = 0; k < 4; ++k)
                sum[k] += colours[i].point.v[k] * colours[i].weight;
            sum[4] += colours[i].weight;
        }
        for (size_t c = 0; c < centres.size(); ++c)
            if (sums[c][4] > 0)
                for (int k = 0; k < 4; ++k)
                    centres[c].v[k] = float(sums[c][k] / sums[c][4]);
    }

    std::vector<uint32_t> palette;
    for (const Point& centre : centres)
    {
        const uint32_t colour = abgrOf(centre);
        if (std::find(palette.begin(), palette.end(), colour) == palette.end())
            palette.push_back(colour);
    }
    return palette;
}

} // namespace

struct ColourPalette::Search
{
    std::vector<Point> points;
    NearestColour nearest; // refers to points, so a Search never moves
    explicit Search(std::vector<Point> colours) : points(std::move(colours)), nearest(points) {}
};

std::vector<uint32_t> ColourPalette::reduce(const std::vector<Weighted>& colours, size_t size)
{
    std::vector<WeightedPoint> points;
    points.reserve(colours.size());
    for (const Weighted& colour : colours)
        points.push_back({pointOf(colour.colour), colour.weight});
    return reducedPalette(points, size);
}

ColourPalette::ColourPalette(const std::vector<uint32_t>& colours) : entries(colours)
{
    std::vector<Point> points;
    for (uint32_t colour : colours)
        points.push_back(pointOf(colour));
    search = std::make_shared<const Search>(std::move(points));
}

int ColourPalette::nearest(uint32_t colour) const { return search->nearest(pointOf(colour)); }
