#pragma once
// The arithmetic of the preview window's mouse control: each function takes
// the current values and the pointer movement (dx, dy in pixels, or the
// wheel delta) and returns the new values, so that the window only maps
// events to calls. Half movements are integer divisions truncated toward
// zero (dx / 2), as C++ does.

namespace boxora {

// One step each way: a value below 0 gets 360 added, then a value of 360 or
// more gets 360 subtracted.
float WrapDegrees(float degrees);
// The same for distances in [0, 100).
float WrapDistance(float distance);

struct OrbitValues {
    float horizontal;  // camera horizontal rotation, wrapped into [0, 360)
    float vertical;    // camera vertical rotation, clamped to [0, 90]
};
// Left drag without modifiers: horizontal + dx/2, vertical + dy/2. Store the
// vertical value through the camera's vertical-rotation setter, which turns
// 0 into 0.5.
OrbitValues OrbitDrag(float horizontal, float vertical, int dx, int dy);
// What that setter stores: values not greater than 0 become 0.5.
float StoredCameraVerticalRotation(float degrees);

struct ShadowDragValues {
    float direction;  // wrapped into [0, 360)
    float length;     // clamped to [0, 100]
};
// Left drag with Alt: direction − dx/2, length − dy/2 (dragging up lengthens).
ShadowDragValues ShadowDrag(float direction, float length, int dx, int dy);

struct LightDragValues {
    float horizontal;  // wrapped into [0, 360)
    float vertical;    // clamped to [0, 90]
};
// Left drag with Ctrl (right Ctrl: light 2, otherwise light 1):
// horizontal − dx/2, vertical − dy/2.
LightDragValues LightDrag(float horizontal, float vertical, int dx, int dy);

struct PanValues {
    int targetHorizontal;  // clamped to [−100, 100]
    int targetVertical;    // clamped to [0, 100]
};
// Left drag with Shift, or the middle button held:
// (int)horizontal − dx/2, (int)vertical + dy/2.
PanValues PanDrag(float targetHorizontal, float targetVertical, int dx, int dy);

// Right button held: (int)perspective − dy/2 clamped to [0, 100].
int PerspectiveDrag(float perspective, int dy);

// Wheel without Ctrl: (int)(zoom − delta / 40) with an integer division, so
// one notch (120) is 3 zoom units and turning away from the user zooms out.
// The zoom setter clamps the result to [0, 100].
int WheelZoom(float zoom, int wheelDelta);

// Wheel with Ctrl (right Ctrl: light 2, otherwise light 1): distance −
// delta / 100 (real division), wrapped into [0, 100) by one step, truncated.
int WheelLightDistance(float distance, int wheelDelta);

}  // namespace boxora
