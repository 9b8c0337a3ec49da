#include "render/PreviewMouse.h"

#include <algorithm>

namespace boxora {

namespace {
float WrapOnce(float value, float period) {
    if (value < 0.0f) value += period;
    if (value >= period) value -= period;
    return value;
}

// (int)value, kept defined for values that do not fit an int (settings read
// from a scene file are not range-checked).
int Truncate(float value) {
    if (!(value == value)) return 0;
    if (value >= 1.0e9f) return 1000000000;
    if (value <= -1.0e9f) return -1000000000;
    return static_cast<int>(value);
}
}  // namespace

float WrapDegrees(float degrees) { return WrapOnce(degrees, 360.0f); }

float WrapDistance(float distance) { return WrapOnce(distance, 100.0f); }

OrbitValues OrbitDrag(float horizontal, float vertical, int dx, int dy) {
    return {WrapDegrees(horizontal + static_cast<float>(dx / 2)),
            std::clamp(vertical + static_cast<float>(dy / 2), 0.0f, 90.0f)};
}

float StoredCameraVerticalRotation(float degrees) { return degrees <= 0.0f ? 0.5f : degrees; }

ShadowDragValues ShadowDrag(float direction, float length, int dx, int dy) {
    return {WrapDegrees(direction - static_cast<float>(dx / 2)),
            std::clamp(length - static_cast<float>(dy / 2), 0.0f, 100.0f)};
}

LightDragValues LightDrag(float horizontal, float vertical, int dx, int dy) {
    return {WrapDegrees(horizontal - static_cast<float>(dx / 2)),
            std::clamp(vertical - static_cast<float>(dy / 2), 0.0f, 90.0f)};
}

PanValues PanDrag(float targetHorizontal, float targetVertical, int dx, int dy) {
    return {std::clamp(Truncate(targetHorizontal) - dx / 2, -100, 100),
            std::clamp(Truncate(targetVertical) + dy / 2, 0, 100)};
}

int PerspectiveDrag(float perspective, int dy) { return std::clamp(Truncate(perspective) - dy / 2, 0, 100); }

int WheelZoom(float zoom, int wheelDelta) { return Truncate(zoom - static_cast<float>(wheelDelta / 40)); }

int WheelLightDistance(float distance, int wheelDelta) {
    return Truncate(WrapDistance(distance - static_cast<float>(wheelDelta) / 100.0f));
}

}  // namespace boxora
