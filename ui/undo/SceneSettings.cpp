#include "ui/undo/SceneSettings.h"

#include "engine/IEngine.h"
#include "scene/SceneParams.h"

namespace boxora {

SceneSettings CaptureSceneSettings(const SceneParams& s) {
    SceneSettings v;
    v.brightness = s.globalLightBrightness;
    v.light1Enabled = s.Light_Source_Enabled_1;
    v.light1Horizontal = s.light1HorizontalRotation;
    v.light1Vertical = s.light1VerticalRotation;
    v.light1Distance = s.light1Distance;
    v.light2Enabled = s.Light_Source_Enabled_2;
    v.light2Horizontal = s.light2HorizontalRotation;
    v.light2Vertical = s.light2VerticalRotation;
    v.light2Distance = s.light2Distance;
    v.shadowDirection = s.shadowDirection;
    v.shadowLength = s.ShadowLength();
    v.shadowIntensity = s.Shadow_Intensity;
    v.shadowBlur = s.Shadow_Blur;
    v.cameraHorizontal = s.cameraHorizontalRotation;
    v.cameraVertical = s.cameraVerticalRotation;
    v.targetHorizontal = s.cameraTarget[0];
    v.targetVertical = s.cameraTarget[1];
    v.zoom = s.cameraZoom;
    v.perspective = s.Camera_Perspective;
    v.reflectionLength = s.Reflection_Length;
    v.reflectionOpacity = s.Reflection_Opacity;
    v.backgroundColor = s.backgroundColor;
    v.backgroundTransparent = s.backgroundTransparent;
    return v;
}

void ApplySceneSettings(IEngine& e, const SceneParams& scene, const SceneSettings& t) {
    const SceneSettings now = CaptureSceneSettings(scene);
    if (t.brightness != now.brightness) e.SetGlobalLightBrightness(t.brightness);
    if (t.light1Enabled != now.light1Enabled) e.EnableLightSource1(t.light1Enabled);
    if (t.light1Horizontal != now.light1Horizontal) e.SetLightHorizontalRotation(t.light1Horizontal);
    if (t.light1Vertical != now.light1Vertical) e.SetLightVerticalRotation(t.light1Vertical);
    if (t.light1Distance != now.light1Distance) e.SetLightDistance(t.light1Distance);
    if (t.light2Enabled != now.light2Enabled) e.EnableLightSource2(t.light2Enabled);
    if (t.light2Horizontal != now.light2Horizontal) e.SetLightHorizontalRotation2(t.light2Horizontal);
    if (t.light2Vertical != now.light2Vertical) e.SetLightVerticalRotation2(t.light2Vertical);
    if (t.light2Distance != now.light2Distance) e.SetLightDistance2(t.light2Distance);
    if (t.shadowDirection != now.shadowDirection) e.SetShadowDirection(t.shadowDirection);
    if (t.shadowLength != now.shadowLength) e.SetShadowLength(t.shadowLength);
    if (t.shadowIntensity != now.shadowIntensity) e.SetShadowIntensity(t.shadowIntensity);
    if (t.shadowBlur != now.shadowBlur) e.SetShadowBlur(t.shadowBlur);
    if (t.cameraHorizontal != now.cameraHorizontal) e.SetCameraHorizontalRotation(t.cameraHorizontal);
    if (t.cameraVertical != static_cast<float>(scene.cameraVerticalRotation))
        e.SetCameraVerticalRotation(t.cameraVertical);
    if (t.targetHorizontal != now.targetHorizontal) e.SetCameraTargetHorizontal(static_cast<int>(t.targetHorizontal));
    if (t.targetVertical != now.targetVertical) e.SetCameraTargetVertical(static_cast<int>(t.targetVertical));
    if (t.zoom != now.zoom) e.SetCameraZoom(t.zoom);
    if (t.perspective != now.perspective) e.SetCameraPerspective(t.perspective);
    if (t.reflectionLength != now.reflectionLength) e.SetReflectionLength(static_cast<int>(t.reflectionLength));
    if (t.reflectionOpacity != now.reflectionOpacity) e.SetReflectionOpacity(static_cast<int>(t.reflectionOpacity));
    if (t.backgroundColor != now.backgroundColor) e.SetBackgroundColor(t.backgroundColor);
    if (t.backgroundTransparent != now.backgroundTransparent) e.SetBackgroundTransparent(t.backgroundTransparent);
}

}  // namespace boxora
