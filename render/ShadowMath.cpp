#include "render/ShadowMath.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "scene/SceneParams.h"

namespace boxora {

Plane PlaneFromPoints(const Point3& q, const Point3& r, const Point3& s) {
    const Point3 a{r[0] - q[0], r[1] - q[1], r[2] - q[2]};
    const Point3 b{s[0] - q[0], s[1] - q[1], s[2] - q[2]};
    Plane p;
    p[0] = a[1] * b[2] - a[2] * b[1];
    p[1] = -(a[0] * b[2] - a[2] * b[0]);
    p[2] = a[0] * b[1] - a[1] * b[0];
    p[3] = -(p[0] * q[0] + p[1] * q[1] + p[2] * q[2]);
    return p;
}

Plane DefaultShadowPlane() { return PlaneFromPoints({-1, 0.5f, 0}, {1, 0.5f, 0}, {0, 0.5f, -1}); }

glm::dmat4 ShadowMatrix(const Plane& p, const std::array<float, 4>& l) {
    const double dot = double(p[0]) * l[0] + double(p[1]) * l[1] + double(p[2]) * l[2] + double(p[3]) * l[3];
    glm::dmat4 m(0.0);
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) m[j][i] = (i == j ? dot : 0.0) - double(l[i]) * p[j];
    return m;
}

float ComputeShadowQuality(int w, int h, float length, int intensity) {
    return (static_cast<float>(std::max(w, h)) / 600.0f) * (length / 70.0f) * (static_cast<float>(intensity) / 70.0f);
}

float ComputeShadowQuality(const SceneParams& p) {
    return ComputeShadowQuality(p.viewportWidth, p.viewportHeight, p.ShadowLength(), p.Shadow_Intensity);
}

int ShadowPassCount(int blur, float quality, bool preview) {
    if (preview) {
        // Only the grid side is taken from the preview count; keep the
        // product of an unchecked blur inside int.
        const long long passes = static_cast<long long>(blur) * 15;
        return static_cast<int>(std::clamp<long long>(passes, 0, std::numeric_limits<int>::max()));
    }
    const double passes = static_cast<double>(blur) * 15.0 * static_cast<double>(quality);
    if (!(passes >= 1.0)) return 1;  // also NaN
    if (passes > kMaxOffscreenShadowPasses) return kMaxOffscreenShadowPasses;
    return static_cast<int>(passes);
}

int ShadowGridSide(int passes) { return passes > 0 ? static_cast<int>(std::sqrt(static_cast<double>(passes))) : 0; }

float ShadowJitterPreview(int n, int i, bool lengthAxis) {
    const float f = static_cast<float>(n) / 2.0f;
    const int e = n / 2;
    const int step = lengthAxis ? i / 2 : i % 2;
    return f * static_cast<float>(step) - static_cast<float>(e);
}

float ShadowJitterOffscreen(int n, int i, bool lengthAxis, float k, const ShadowRandom& random) {
    if (!(k > 0.0f) || n <= 0) return 0.0f;
    const float spacing = k / (std::sqrt(static_cast<float>(n * n) * k) / static_cast<float>(n));
    const int cell = lengthAxis ? i / n : i % n;
    const float r = static_cast<float>(random ? random() : 0) / 32767.0f;
    return static_cast<float>(cell - n / 2) / spacing + r / spacing;
}

int ShadowWorkEstimate(int offscreenPasses) {
    const int estimate = std::clamp(offscreenPasses, 0, kMaxOffscreenShadowPasses) * 70 / 2000;
    return std::min(estimate, kMaxShadowWorkEstimate);
}

}  // namespace boxora
