#pragma once
// The small coloured spheres that show the two light sources in previews:
// light 1 yellow, light 2 orange, radius 3, drawn unlit at the light
// positions under the current (scene) modelview.
#include <array>

struct GLUquadric;

namespace boxora {

class LightMarkers {
public:
    LightMarkers() = default;
    ~LightMarkers();
    LightMarkers(const LightMarkers&) = delete;
    LightMarkers& operator=(const LightMarkers&) = delete;

    static constexpr float kLight1Color[4] = {1.0f, 1.0f, 0.0f, 1.0f};
    static constexpr float kLight2Color[4] = {1.0f, 0.5f, 0.0f, 1.0f};
    static constexpr double kRadius = 3.0;

    // Draws a marker for each enabled light, lighting disabled meanwhile and
    // enabled again afterwards. The quadric is created on first use.
    void Draw(bool light1Enabled, const std::array<float, 4>& light1, bool light2Enabled,
              const std::array<float, 4>& light2);

private:
    GLUquadric* quadric_ = nullptr;
};

}  // namespace boxora
