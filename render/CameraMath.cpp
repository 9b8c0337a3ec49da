#include "render/CameraMath.h"

#include <algorithm>
#include <cmath>
#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <glm/trigonometric.hpp>

#include "scene/SceneParams.h"

namespace boxora {

float FieldOfView(float perspective) { return perspective * 0.8f + 30.0f; }

float ZoomOffset(float zoom) { return (zoom * 0.1f - 10.0f) * 40.0f; }

float PerspectiveCompensation(float fovyDegrees, float referenceDistance, float zoomOffset) {
    const double halfFovy = fovyDegrees * static_cast<double>(kPi) / 180.0 / 2.0;
    const double framing =
        std::tan(static_cast<double>(kCompensationAngle)) * 2.0 * (referenceDistance - zoomOffset) / 2.0;
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

glm::dmat4 ProjectionMatrix(const CameraSetup& c) {
    return glm::perspective(glm::radians(c.fovy), c.aspect, c.zNear, c.zFar);
}

glm::dmat4 CameraMatrix(const CameraSetup& c) {
    return glm::lookAt(glm::dvec3(c.eye[0], c.eye[1], c.eye[2]), glm::dvec3(c.centre[0], c.centre[1], c.centre[2]),
                       glm::dvec3(c.up[0], c.up[1], c.up[2]));
}

glm::dmat4 SceneTransformMatrix(const CameraSetup& c) {
    glm::dmat4 m = glm::translate(glm::dmat4(1.0), glm::dvec3(0, 0, c.zoomOffset));
    m = glm::rotate(m, glm::radians(static_cast<double>(c.verticalRotation)), glm::dvec3(1, 0, 0));
    return glm::rotate(m, glm::radians(static_cast<double>(c.horizontalRotation)), glm::dvec3(0, 1, 0));
}

glm::dmat4 SceneModelview(const CameraSetup& c) { return CameraMatrix(c) * SceneTransformMatrix(c); }

bool ProjectToWindow(const glm::dvec4& point, const glm::dmat4& modelview, const glm::dmat4& projection,
                     const std::array<int, 4>& viewport, std::array<double, 3>& window) {
    const glm::dvec4 clip = projection * (modelview * point);
    if (clip.w == 0) return false;
    const glm::dvec3 ndc = glm::dvec3(clip) / clip.w;
    window[0] = viewport[0] + (ndc.x + 1) * viewport[2] / 2.0;
    window[1] = viewport[1] + (ndc.y + 1) * viewport[3] / 2.0;
    window[2] = (ndc.z + 1) / 2.0;
    return true;
}

}  // namespace boxora
