#pragma once
// Arithmetic of the preview's mouse control: how a drag of (dx, dy) pixels or
// a wheel turn changes camera, light and shadow values. Halves are integer
// divisions truncated toward zero; angles wrap by one step of 360.
#include <algorithm>

namespace boxora::preview {

inline float WrapDegrees(float value) {
    if (value < 0) value += 360;
    if (value >= 360) value -= 360;
    return value;
}

struct Angles {
    float horizontal;
    float vertical;
};

// Left drag, no modifier: the camera orbits with the cursor.
inline Angles OrbitDrag(float horizontal, float vertical, int dx, int dy) {
    return {WrapDegrees(horizontal + static_cast<float>(dx / 2)),
            std::clamp(vertical + static_cast<float>(dy / 2), 0.0f, 90.0f)};
}

// Left drag with Ctrl: a light moves against the cursor.
inline Angles LightDrag(float horizontal, float vertical, int dx, int dy) {
    return {WrapDegrees(horizontal - static_cast<float>(dx / 2)),
            std::clamp(vertical - static_cast<float>(dy / 2), 0.0f, 90.0f)};
}

struct ShadowValues {
    float direction;
    float length;
};

// Left drag with Alt: dragging up lengthens the shadow.
inline ShadowValues ShadowDrag(float direction, float length, int dx, int dy) {
    return {WrapDegrees(direction - static_cast<float>(dx / 2)),
            std::clamp(length - static_cast<float>(dy / 2), 0.0f, 100.0f)};
}

struct Target {
    int horizontal;
    int vertical;
};

// Left drag with Shift, or middle drag: the camera target pans.
inline Target PanDrag(float horizontal, float vertical, int dx, int dy) {
    return {std::clamp(static_cast<int>(horizontal) - dx / 2, -100, 100),
            std::clamp(static_cast<int>(vertical) + dy / 2, 0, 100)};
}

// Right drag: perspective follows the vertical movement.
inline int PerspectiveDrag(float perspective, int dy) {
    return std::clamp(static_cast<int>(perspective) - dy / 2, 0, 100);
}

// Wheel without Ctrl: one notch (120) is 3 zoom units; turning away from the
// user zooms out.
inline int WheelZoom(float zoom, int delta) { return static_cast<int>(zoom - static_cast<float>(delta / 40)); }

// Wheel with Ctrl: a light's distance, wrapped into [0, 100) by one step.
inline int WheelDistance(float distance, int delta) {
    float d = distance - static_cast<float>(delta) / 100.0f;
    if (d < 0) d += 100;
    else if (d >= 100) d -= 100;
    return static_cast<int>(d);
}

}  // namespace boxora::preview
