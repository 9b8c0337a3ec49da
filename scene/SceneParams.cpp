#include "scene/SceneParams.h"

#include <cmath>

#include "scene/SettingTable.h"

namespace {
float Radians(float degrees) { return degrees * kPi / 180.0f; }
}  // namespace

std::array<float, 4> LightPosition(float verticalDeg, float horizontalDeg, float distance) {
    const float r = 4.0f * distance;
    const float v = Radians(verticalDeg);
    const float h = Radians(horizontalDeg);
    return {r * std::cos(v) * std::cos(h), r * std::sin(v), r * std::cos(v) * std::sin(h), 1.0f};
}

std::array<float, 4> ShadowLightVector(float elevationDeg, float directionDeg) {
    const float e = Radians(elevationDeg);
    const float d = Radians(directionDeg);
    return {1600.0f * std::cos(e) * std::cos(d), 1600.0f * std::sin(e), 1600.0f * std::sin(d) * std::cos(e), 0.0f};
}

void SceneParams::Reset() {
    RenderMode = 1;
    viewportWidth = 0;
    viewportHeight = 0;
    accumulationPasses = 0;
    outputFormat = 4;
    ResetSceneSettings();
}

void SceneParams::ResetSceneSettings() {
    // The constants beside the settings; the settings themselves come from
    // their table, which also recomputes the lights and the shadow light.
    ShadowLightDir.Set({0, 0, 50, 0});
    eyeBase.Set({0, 0, 50, 1});
    cameraTarget.Set({0, 40, 0, 1});
    referenceDistance = 50;
    boxora::ResetSettings(*this);
    RecomputeLight1Position();
    RecomputeLight2Position();
    RecomputeShadowLightDir();
}

void SceneParams::RecomputeLight1Position() {
    light1Position.Set(LightPosition(light1VerticalRotation, light1HorizontalRotation, light1Distance));
}

void SceneParams::RecomputeLight2Position() {
    light2Position.Set(LightPosition(light2VerticalRotation, light2HorizontalRotation, light2Distance));
}

void SceneParams::RecomputeShadowLightDir() { ShadowLightDir.Set(ShadowLightVector(shadowElevation, shadowDirection)); }

float SceneParams::ShadowLength() const { return shadowLength; }

void SceneParams::SetShadowLengthPlain(float length) {
    shadowLength = length;
    shadowElevation = 85.0f - 0.8f * length;
    RecomputeShadowLightDir();
}

void SceneParams::SetShadowDirectionPlain(float direction) {
    shadowDirection = direction;
    RecomputeShadowLightDir();
}
