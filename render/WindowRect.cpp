#include "render/WindowRect.h"

#include <algorithm>
#include <cmath>

namespace boxora {

WindowBounds::WindowBounds(const glm::dmat4& modelview, const glm::dmat4& projection, int width, int height)
    : modelview_(modelview), projection_(projection), width_(width), height_(height) {}

void WindowBounds::AddBox(const std::array<double, 3>& lo, const std::array<double, 3>& hi,
                          const glm::dmat4& transform) {
    if (whole_) return;
    const glm::dmat4 m = modelview_ * transform;
    for (int corner = 0; corner < 8; ++corner) {
        const glm::dvec4 p{corner & 1 ? hi[0] : lo[0], corner & 2 ? hi[1] : lo[1], corner & 4 ? hi[2] : lo[2], 1};
        glm::dvec4 eye = m * p;
        if (!(std::abs(eye[3]) > 1e-12)) {
            whole_ = true;
            return;
        }
        eye /= eye[3];
        const glm::dvec4 clip = projection_ * eye;
        // At or behind the eye (or beyond what the projection can place).
        if (eye[2] > -1e-3 || !(clip[3] > 1e-9)) {
            whole_ = true;
            return;
        }
        const double wx = (clip[0] / clip[3] + 1) * width_ / 2.0;
        const double wy = (clip[1] / clip[3] + 1) * height_ / 2.0;
        if (!std::isfinite(wx) || !std::isfinite(wy)) {
            whole_ = true;
            return;
        }
        x0_ = std::min(x0_, wx), x1_ = std::max(x1_, wx), y0_ = std::min(y0_, wy), y1_ = std::max(y1_, wy);
    }
}

PixelRect WindowBounds::Pixels(int margin) const {
    if (whole_) return {0, 0, std::max(width_, 0), std::max(height_, 0)};
    if (x0_ > x1_) return {0, 0, 0, 0};
    const double w = width_, h = height_;
    const int left = static_cast<int>(std::clamp(std::floor(x0_) - margin, 0.0, w));
    const int right = static_cast<int>(std::clamp(std::ceil(x1_) + margin, 0.0, w));
    const int bottom = static_cast<int>(std::clamp(std::floor(y0_) - margin, 0.0, h));
    const int top = static_cast<int>(std::clamp(std::ceil(y1_) + margin, 0.0, h));
    if (right <= left || top <= bottom) return {0, 0, 0, 0};
    return {left, bottom, right - left, top - bottom};
}

}  // namespace boxora
