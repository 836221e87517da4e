#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// A palette of colours (0xAABBGGRR) that finds the nearest of them to any colour, and the
// reduction of many colours to a few, for the files that hold an indexed palette (.vox, GIF).
//
// The reduction is a median cut followed by a few rounds of k-means, each colour weighted (by
// its voxels or pixels). Both work on the stored sRGB values with alpha as a fourth axis.
class ColourPalette
{
public:
    struct Weighted
    {
        uint32_t colour; // 0xAABBGGRR
        double weight;
    };

    // At most `size` colours for the weighted colours, without repeats.
    static std::vector<uint32_t> reduce(const std::vector<Weighted>& colours, size_t size);

    explicit ColourPalette(const std::vector<uint32_t>& colours);
    // The index of the nearest palette colour (straight-line distance in sRGB and alpha; the
    // lower index of two as near). The palette must not be empty.
    int nearest(uint32_t colour) const;
    const std::vector<uint32_t>& colours() const { return entries; }

private:
    struct Search;
    std::vector<uint32_t> entries;
    std::shared_ptr<const Search> search;
};
