#pragma once
// The scene-wide settings a user edits (camera, lights, shadow, reflection,
// background) as one value: taken from the scene parameters before and after
// a change that touches several of them at once (a drag in the preview, a
// light switch, the background choice), and put back through the engine's
// setters.
#include <cstdint>

class IEngine;
struct SceneParams;

namespace boxora {

struct SceneSettings {
    float brightness = 0;
    bool light1Enabled = true;
    float light1Horizontal = 0, light1Vertical = 0, light1Distance = 0;
    bool light2Enabled = true;
    float light2Horizontal = 0, light2Vertical = 0, light2Distance = 0;
    float shadowDirection = 0, shadowLength = 0;
    int shadowIntensity = 0, shadowBlur = 0;
    float cameraHorizontal = 0, cameraVertical = 0;
    float targetHorizontal = 0, targetVertical = 0;
    float zoom = 0, perspective = 0;
    float reflectionLength = 0, reflectionOpacity = 0;
    uint32_t backgroundColor = 0;
    bool backgroundTransparent = false;

    bool operator==(const SceneSettings&) const = default;
};

SceneSettings CaptureSceneSettings(const SceneParams& scene);

// Calls the setter of every value that differs from what the scene holds now.
// The camera's vertical rotation goes after its horizontal one, whose setter
// may lift it off the floor.
void ApplySceneSettings(IEngine& engine, const SceneParams& scene, const SceneSettings& target);

}  // namespace boxora
