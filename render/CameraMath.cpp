#include "render/CameraMath.h"

#include <algorithm>
#include <cmath>

#include "scene/SceneParams.h"

namespace boxora {

float FieldOfView(float perspective) { return perspective * 0.8f + 30.0f; }

float ZoomOffset(float zoom) { return (zoom * 0.1f - 10.0f) * 40.0f; }

float PerspectiveCompensation(float fovyDegrees, float referenceDistance, float zoomOffset) {
    const double halfFovy = fovyDegrees * static_cast<double>(kPi) / 180.0 / 2.0;
    const double framing = std::tan(static_cast<double>(kCompensationAngle)) * 2.0 * (referenceDistance - zoomOffset) / 2.0;
    return static_cast<float>(framing / std::tan(halfFovy));
}

CameraValues CameraValuesFrom(const SceneParams& p) {
    CameraValues v;
    v.perspective = p.Camera_Perspective;
    v.zoom = p.cameraZoom;
    v.referenceDistance = p.referenceDistance;
    v.eyeBase = {p.eyeBase[0], p.eyeBase[1], p.eyeBase[2]};
    v.targetHorizontal = p.cameraTarget[0];
    v.targetVertical = p.cameraTarget[1];
    v.verticalRotation = p.cameraVerticalRotation;
    v.horizontalRotation = p.cameraHorizontalRotation;
    return v;
}

CameraSetup ComputeCamera(const CameraValues& v, int width, int height) {
    CameraSetup c;
    c.fovy = FieldOfView(v.perspective);
    c.aspect = static_cast<double>(std::max(width, 1)) / static_cast<double>(std::max(height, 1));
    c.zoomOffset = ZoomOffset(v.zoom);
    c.compensation = PerspectiveCompensation(static_cast<float>(c.fovy), v.referenceDistance, c.zoomOffset);
    c.eye = {v.eyeBase[0], v.eyeBase[1], static_cast<double>(v.eyeBase[2] + c.compensation + c.zoomOffset)};
    c.centre = {v.targetHorizontal, v.targetVertical * 1.5, c.zoomOffset};
    c.up = {0, 1, 0};
    c.verticalRotation = v.verticalRotation;
    c.horizontalRotation = v.horizontalRotation;
    return c;
}

CameraSetup ComputeCamera(const SceneParams& params, int width, int height) {
    return ComputeCamera(CameraValuesFrom(params), width, height);
}

Mat4 ProjectionMatrix(const CameraSetup& c) { return Perspective(c.fovy, c.aspect, c.zNear, c.zFar); }

Mat4 CameraMatrix(const CameraSetup& c) { return LookAt(c.eye, c.centre, c.up); }

Mat4 SceneTransformMatrix(const CameraSetup& c) {
    Mat4 m = Translation(0, 0, c.zoomOffset);
    m = Multiply(m, Rotation(c.verticalRotation, 1, 0, 0));
    return Multiply(m, Rotation(c.horizontalRotation, 0, 1, 0));
}

Mat4 SceneModelview(const CameraSetup& c) { return Multiply(CameraMatrix(c), SceneTransformMatrix(c)); }

}  // namespace boxora
