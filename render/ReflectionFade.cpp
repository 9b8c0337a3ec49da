#include "render/ReflectionFade.h"

#include <algorithm>

namespace boxora {

namespace {
constexpr float kFadeBand = 30.0f;
}

ReflectionFade::ReflectionFade(float reflectionLength, float reflectionOpacity)
    : reach_(reflectionLength * 3.0f), opacity_(reflectionOpacity / 100.0f) {}

float ReflectionFade::Ramp(float height) const {
    if (reach_ - height > kFadeBand) return opacity_;
    if (height > reach_) return 0.0f;
    return (reach_ - height) / kFadeBand;
}

float ReflectionFade::Alpha(float height) const { return std::min(Ramp(height), opacity_); }

int ReflectionFade::AlphaByte(float height) const {
    // Opacities read from a scene file are not limited to 0 .. 100; keep the
    // value a colour byte.
    const float value = std::min(opacity_ * 255.0f, Ramp(height) * 255.0f);
    if (!(value > 0.0f)) return 0;  // also NaN
    if (value >= 255.0f) return 255;
    return static_cast<int>(value);
}

double FadeHeight(const glm::dmat4& m, double x, double y, double z) {
    return m[0][1] * x + m[1][1] * y + m[2][1] * z + m[3][1];
}

}  // namespace boxora
