#pragma once
// Sub-pixel sample offsets for antialiasing by accumulation: the jitter point
// tables published with the accumulation-buffer antialiasing technique of the
// OpenGL Programming Guide, with their values and order. Offsets are in
// pixels, each coordinate within (-0.5, 0.5).
#include <span>

namespace boxora {

struct JitterPoint {
    float x;
    float y;
};

// The table for a sample count of 2, 3, 4, 8, 15, 24 or 66; for 64 the first
// 64 points of the 66-point table. Any other count has no table (empty).
std::span<const JitterPoint> JitterTable(int samples);

}  // namespace boxora
