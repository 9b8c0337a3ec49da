#pragma once
// The objects of a scene snapshot drawn on the CPU into an object-id buffer
// with the fast renderer's camera (CameraMath): which object, if any, is
// nearest at each pixel centre. It reads nothing but the snapshot, so it
// serves wherever a renderer's coverage is to be checked or a pixel of the
// picture is to be traced back to its object. No OpenGL.
#include <cstdint>
#include <vector>

#include "snapshot/SceneSnapshot.h"

namespace boxora {

struct ObjectIdImage {
    static constexpr int kNone = -1;
    int width = 0;
    int height = 0;
    // Object id per pixel, bottom row first (as OpenGL reads back); kNone
    // where no object is.
    std::vector<int> ids;
    int At(int x, int y) const { return ids[static_cast<std::size_t>(y) * width + x]; }
};

// The snapshot's objects at width × height with its settings' camera.
// Triangles reaching behind the eye are left out (no object of a framed
// scene does).
ObjectIdImage DrawObjectIds(const SceneSnapshot& snapshot, int width, int height);

}  // namespace boxora
