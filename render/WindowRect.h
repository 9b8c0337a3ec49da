#pragma once
// Where geometry lands on the screen, computed without a rendering context:
// the window rectangle that the projected corners of boxes cover. Passes
// that only matter where something is drawn use it to keep their clears,
// read-backs and pixel work to that rectangle.
#include <array>
#include <glm/mat4x4.hpp>

namespace boxora {

// A rectangle of whole pixels: x, y (lower left), width, height.
using PixelRect = std::array<int, 4>;

class WindowBounds {
public:
    // modelview and projection as OpenGL holds them; the viewport is
    // (0, 0, width, height).
    WindowBounds(const glm::dmat4& modelview, const glm::dmat4& projection, int width, int height);

    // Adds the eight corners of the box lo .. hi (after transform, which is
    // applied before the modelview). A corner at or behind the eye makes the
    // bounds the whole viewport, as nothing smaller can be promised then.
    void AddBox(const std::array<double, 3>& lo, const std::array<double, 3>& hi, const glm::dmat4& transform);

    // The pixels the bounds touch, widened by margin on every side and cut
    // to the viewport; width 0 when nothing lies in view.
    PixelRect Pixels(int margin) const;

private:
    glm::dmat4 modelview_;
    glm::dmat4 projection_;
    int width_;
    int height_;
    bool whole_ = false;
    double x0_ = 1e300, y0_ = 1e300, x1_ = -1e300, y1_ = -1e300;
};

}  // namespace boxora
