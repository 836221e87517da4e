#pragma once

#include <cstdint>

// Query flags carried by every manual object the editor creates; picks name a mask of them.
enum QueryFlags : uint32_t
{
    QUERY_VOXEL = 1,
    QUERY_NEW_VOXEL = 2,
    QUERY_GRID = 4,
    QUERY_ARROW = 16,
    QUERY_BONE = 32,
    QUERY_PARTICLE = 64,
    QUERY_SELECTOR = 128,
};
