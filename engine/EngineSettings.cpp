// Scene-wide settings: lights, shadow, camera, reflection, background, and
// the viewport size. The values are stored without the engine lock (they
// are atomics); every setter ends with a redraw request.
#include "engine/Engine.h"

void CEngine::Resize(int width, int height) {
    std::lock_guard lock(lock_);
    if (height == 0) height = 1;
    params_.viewportWidth = width;
    params_.viewportHeight = height;
    sides_.Resize(width, height);
    renderer_->ApplySize(width, height);
}

void CEngine::SetPreviewSize(int width, int height) {
    previewWidth_ = width;
    previewHeight_ = height;
}

void CEngine::SetGlobalLightBrightness(float value) {
    params_.globalLightBrightness = value;
    Redraw();
}

void CEngine::EnableLightSource1(bool enabled) {
    params_.Light_Source_Enabled_1 = enabled;
    Redraw();
}

void CEngine::SetLightHorizontalRotation(float value) {
    params_.light1HorizontalRotation = value;
    params_.RecomputeLight1Position();
    Redraw();
}

void CEngine::SetLightVerticalRotation(float value) {
    params_.light1VerticalRotation = value;
    params_.RecomputeLight1Position();
    Redraw();
}

void CEngine::SetLightDistance(float value) {
    params_.light1Distance = value;
    params_.RecomputeLight1Position();
    Redraw();
}

void CEngine::EnableLightSource2(bool enabled) {
    params_.Light_Source_Enabled_2 = enabled;
    Redraw();
}

void CEngine::SetLightHorizontalRotation2(float value) {
    params_.light2HorizontalRotation = value;
    params_.RecomputeLight2Position();
    Redraw();
}

void CEngine::SetLightVerticalRotation2(float value) {
    params_.light2VerticalRotation = value;
    params_.RecomputeLight2Position();
    Redraw();
}

void CEngine::SetLightDistance2(float value) {
    params_.light2Distance = value;
    params_.RecomputeLight2Position();
    Redraw();
}

void CEngine::SetShadowDirection(float value) {
    params_.SetShadowDirectionPlain(value);
    renderer_->InvalidateShadowList();
    Redraw();
}

void CEngine::SetShadowLength(float value) {
    params_.SetShadowLengthPlain(value);
    renderer_->InvalidateShadowList();
    Redraw();
}

void CEngine::SetShadowIntensity(int value) {
    params_.Shadow_Intensity = value;
    renderer_->InvalidateShadowList();
    Redraw();
}

void CEngine::SetShadowBlur(int value) {
    params_.Shadow_Blur = value;
    renderer_->InvalidateShadowList();
    Redraw();
}

void CEngine::SetCameraHorizontalRotation(float value) {
    params_.cameraHorizontalRotation = value;
    if (params_.cameraVerticalRotation <= 0.0f) params_.cameraVerticalRotation = 0.5f;
    Redraw();
}

void CEngine::SetCameraVerticalRotation(float value) {
    params_.cameraVerticalRotation = value <= 0.0f ? 0.5f : value;
    Redraw();
}

void CEngine::SetCameraTargetHorizontal(int value) {
    params_.cameraTarget.SetAt(0, static_cast<float>(value));
    Redraw();
}

void CEngine::SetCameraTargetVertical(int value) {
    params_.cameraTarget.SetAt(1, static_cast<float>(value));
    Redraw();
}

void CEngine::SetCameraZoom(float value) {
    params_.cameraZoom = value < 0.0f ? 0.0f : (value > 100.0f ? 100.0f : value);
    Redraw();
}

void CEngine::SetCameraPerspective(float value) {
    params_.Camera_Perspective = value;
    Redraw();
}

void CEngine::SetReflectionOpacity(int value) {
    params_.Reflection_Opacity = static_cast<float>(value);
    // The faded reflection is baked into the side lists.
    RunLockedOrQueued([this] {
        sides_.InvalidateSideLists();
        return false;
    });
    Redraw();
}

void CEngine::SetReflectionLength(int value) {
    params_.Reflection_Length = static_cast<float>(value);
    RunLockedOrQueued([this] {
        sides_.InvalidateSideLists();
        return false;
    });
    Redraw();
}

void CEngine::SetBackgroundColor(unsigned int colorref) {
    params_.backgroundColor = colorref;
    Redraw();
}

void CEngine::SetBackgroundTransparent(bool transparent) {
    params_.backgroundTransparent = transparent;
    Redraw();
}

void CEngine::ResetSceneSettings() {
    params_.ResetSceneSettings();
    // The reflection is baked into the side lists, the shadow geometry into
    // the shadow's list.
    RunLockedOrQueued([this] {
        sides_.InvalidateSideLists();
        renderer_->InvalidateShadowList();
        return false;
    });
    Redraw();
}
