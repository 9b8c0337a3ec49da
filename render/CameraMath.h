#pragma once
// Projection and camera of every frame, computed without a rendering
// context: the field of view from the perspective setting, the zoom offset,
// the distance compensation that keeps the scene's apparent size when the
// field of view changes, the gluLookAt arguments and the scene transform
// (zoom translation, then the two orbit rotations).
#include <array>
#include <glm/mat4x4.hpp>
#include <glm/vec4.hpp>

struct SceneParams;

namespace boxora {

constexpr double kNearPlane = 10.0;
constexpr double kFarPlane = 1700.0;
// 35 degrees in radians: the field of view whose framing the compensation keeps.
constexpr float kCompensationAngle = 0.6108653f;

// fovy = perspective × 0.8 + 30 degrees (perspective 0 → 30°, 100 → 110°).
float FieldOfView(float perspective);
// zo = (zoom × 0.1 − 10) × 40 (zoom 0 → −400, zoom 100 → 0).
float ZoomOffset(float zoom);
// D = (tan(0.6108653) × 2 × (referenceDistance − zo) / 2) / tan(fovy / 2).
float PerspectiveCompensation(float fovyDegrees, float referenceDistance, float zoomOffset);

// The camera inputs, as held by the scene parameters.
struct CameraValues {
    float perspective = 1;
    float zoom = 2;
    float referenceDistance = 50;
    std::array<float, 3> eyeBase{0, 0, 50};
    float targetHorizontal = 0;
    float targetVertical = 40;
    float verticalRotation = 36;   // about X, degrees
    float horizontalRotation = 0;  // about Y, degrees
};
CameraValues CameraValuesFrom(const SceneParams& params);

// Everything the projection, gluLookAt and the scene transform take.
struct CameraSetup {
    double fovy = 30;
    double aspect = 1;
    double zNear = kNearPlane;
    double zFar = kFarPlane;
    float zoomOffset = 0;
    float compensation = 0;
    std::array<double, 3> eye{};
    std::array<double, 3> centre{};
    std::array<double, 3> up{0, 1, 0};
    float verticalRotation = 0;
    float horizontalRotation = 0;
};

// Sizes below 1 count as 1.
CameraSetup ComputeCamera(const CameraValues& values, int width, int height);
CameraSetup ComputeCamera(const SceneParams& params, int width, int height);

// gluPerspective(fovy, aspect, near, far).
glm::dmat4 ProjectionMatrix(const CameraSetup& camera);
// gluLookAt(eye, centre, up).
glm::dmat4 CameraMatrix(const CameraSetup& camera);
// The scene transform alone: translate (0, 0, zo), rotate about X by the
// vertical rotation, then about Y by the horizontal rotation.
glm::dmat4 SceneTransformMatrix(const CameraSetup& camera);
// The modelview the scene is drawn with: camera × scene transform.
glm::dmat4 SceneModelview(const CameraSetup& camera);

// Window position of an object-space point through modelview, projection and
// a viewport (x, y, width, height), as gluProject: x, y in pixels from the
// lower left corner, z the depth in [0, 1]. False when the point lies in the
// eye's plane (w = 0), where gluProject fails too.
bool ProjectToWindow(const glm::dvec4& point, const glm::dmat4& modelview, const glm::dmat4& projection,
                     const std::array<int, 4>& viewport, std::array<double, 3>& window);

}  // namespace boxora
