#pragma once
// SceneParams: the single scene-parameter record (camera, lights, shadow,
// reflection, background, render mode, accumulation passes, output format).
// Angles are in degrees; pi is taken as 3.1415927.
#include <array>
#include <cstdint>

#include "scene/SharedValue.h"

constexpr float kPi = 3.1415927f;

// RenderMode values.
constexpr int RENDER_MODE_QUICK = 0;      // quick preview frame
constexpr int RENDER_MODE_FULL = 1;       // full preview frame
constexpr int RENDER_MODE_OFFSCREEN = 2;  // offscreen render frame

struct SceneParams {
    SceneParams() { Reset(); }

    // Applies the reset values and recomputes the derived vectors.
    void Reset();
    // The same for the scene's own settings only (camera, lights, shadow,
    // reflection, background, the picture): the viewport, the render mode,
    // the accumulation passes and the output format keep their values.
    void ResetSceneSettings();

    SharedValue<int> RenderMode{1};
    SharedValue<float> cameraVerticalRotation{36};
    SharedValue<float> cameraHorizontalRotation{0};
    SharedValue<float> cameraZoom{2};
    SharedValue<int> viewportWidth{0};
    SharedValue<int> viewportHeight{0};
    SharedVec4 ShadowLightDir{0, 0, 50, 0};
    SharedVec4 eyeBase{0, 0, 50, 1};       // constant base of the eye position
    SharedVec4 cameraTarget{0, 40, 0, 1};  // [0] target horizontal, [1] target vertical
    SharedValue<float> referenceDistance{50};
    SharedValue<float> shadowElevation{30};  // stored form of the shadow length
    // The length as it was set. Computing it back from the elevation in
    // floats gives 6.99999809 for 7, which files and the Shadows tab would
    // then truncate to 6.
    SharedValue<float> shadowLength{68.75f};
    SharedValue<float> shadowDirection{0};
    SharedValue<float> globalLightBrightness{20};
    SharedValue<bool> Light_Source_Enabled_1{true};
    SharedVec4 light1Position;
    SharedValue<float> light1VerticalRotation{30};
    SharedValue<float> light1HorizontalRotation{70};
    SharedValue<float> light1Distance{50};
    SharedValue<bool> Light_Source_Enabled_2{true};
    SharedVec4 light2Position;
    SharedValue<float> light2VerticalRotation{10};
    SharedValue<float> light2HorizontalRotation{140};
    SharedValue<float> light2Distance{50};
    SharedValue<int> accumulationPasses{0};
    SharedValue<float> Camera_Perspective{1};
    SharedValue<float> Reflection_Length{20};
    SharedValue<float> Reflection_Opacity{20};
    SharedValue<int> Shadow_Intensity{20};
    SharedValue<int> Shadow_Blur{20};
    SharedValue<uint32_t> backgroundColor{0xFFFFFF};  // COLORREF: red in the low byte
    SharedValue<bool> backgroundTransparent{false};
    SharedValue<int> outputFormat{4};  // image format code of the Rendering tab's choice
    // The picture the project is made for: its size and image format code.
    SharedValue<int> pictureWidth{300};
    SharedValue<int> pictureHeight{300};
    SharedValue<int> pictureFormat{4};

    // Derived values.
    void RecomputeLight1Position();
    void RecomputeLight2Position();
    void RecomputeShadowLightDir();

    // The user-facing shadow length, (85 - elevation) * 1.25, exactly as set.
    float ShadowLength() const;
    // Plain record setters: store, recompute ShadowLightDir; nothing else.
    void SetShadowLengthPlain(float length);  // elevation = 85 - 0.8 * length
    void SetShadowDirectionPlain(float direction);
};

// Light position from angles (degrees) and distance: R = 4 * distance,
// (R cos v cos h, R sin v, R cos v sin h, 1).
std::array<float, 4> LightPosition(float verticalDeg, float horizontalDeg, float distance);
// Shadow light vector from elevation e and direction d (degrees):
// (1600 cos e cos d, 1600 sin e, 1600 sin d cos e, 0).
std::array<float, 4> ShadowLightVector(float elevationDeg, float directionDeg);
