// Reads arbitrary bytes as a .vox file. The reader may refuse them with a std::runtime_error;
// anything else (a crash, a hang, a leak, another exception) is a finding. What it accepts must
// survive being written and read again: the same cells in the same colours.

#include "formats/Vox.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace
{

using Key = std::tuple<int, int, int, uint32_t>;

std::vector<Key> keysOf(const std::vector<Vox::Voxel>& voxels)
{
    std::vector<Key> keys;
    keys.reserve(voxels.size());
    for (const Vox::Voxel& v : voxels)
        keys.emplace_back(v.x, v.y, v.z, v.colour.getAsRGBA());
    std::sort(keys.begin(), keys.end());
    return keys;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<Vox::Voxel> voxels;
    try
    {
        voxels = Vox::parse(data, size, "input.vox");
    }
    catch (const std::runtime_error&)
    {
        return 0; // refused with a message: fine
    }
    for (const Vox::Voxel& v : voxels)
    {
        // Cells this far out cannot go into a .vox file; the writer refuses them by name.
        if (std::abs(v.x) >= (1 << 24) || std::abs(v.y) >= (1 << 24) || std::abs(v.z) >= (1 << 24))
            return 0;
    }
    const std::vector<uint8_t> bytes = Vox::encode(voxels);
    std::vector<Vox::Voxel> again;
    try
    {
        again = Vox::parse(bytes.data(), bytes.size(), "written.vox");
    }
    catch (const std::runtime_error& error)
    {
        std::fprintf(stderr, "a written file does not read again: %s\n", error.what());
        std::abort();
    }
    if (keysOf(again) != keysOf(voxels))
    {
        std::fprintf(stderr, "a written file reads back different voxels\n");
        std::abort();
    }
    return 0;
}
