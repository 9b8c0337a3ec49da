#pragma once
// The height fade of the floor reflection: a mirrored vertex is the more
// transparent the higher its unmirrored original stands. With
// L = reflection length × 3 and O = reflection opacity / 100, the alpha is
// O up to 30 units below L, falls linearly to 0 at L and is 0 above it,
// never exceeding O.

#include <glm/mat4x4.hpp>

namespace boxora {

class ReflectionFade {
public:
    // Length and opacity as the user sets them (0 .. 100 each).
    ReflectionFade(float reflectionLength, float reflectionOpacity);

    // The ramp before the opacity cap: O when L − h > 30, 0 when h > L,
    // otherwise (L − h) / 30.
    float Ramp(float height) const;
    // min(Ramp(h), O): the alpha of a vertex at height h, as a float.
    float Alpha(float height) const;
    // The byte form used with glColor4ub: the integer part of
    // min(O × 255, Ramp(h) × 255), kept within 0 .. 255.
    int AlphaByte(float height) const;

    float Reach() const { return reach_; }      // L
    float Opacity() const { return opacity_; }  // O

private:
    float reach_;
    float opacity_;
};

// The height above the floor of a vertex drawn at (x, y, z) under the
// object transform m (camera excluded): the second row of m applied to
// (x, y, z, 1).
double FadeHeight(const glm::dmat4& m, double x, double y, double z);

}  // namespace boxora
