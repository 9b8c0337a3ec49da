#pragma once
// The numbers behind the soft drop shadow, computed without a rendering
// context: the plane the silhouettes are flattened onto, the projection
// matrix along the shadow light, the sample counts of previews and
// off-screen renders, and where each sample moves the light.
#include <array>
#include <cstdint>
#include <functional>
#include <glm/mat4x4.hpp>
#include <random>

struct SceneParams;

namespace boxora {

using Plane = std::array<float, 4>;  // A x + B y + C z + D = 0
using Point3 = std::array<float, 3>;

// The plane through Q, R and S (normal (R − Q) × (S − Q)).
Plane PlaneFromPoints(const Point3& q, const Point3& r, const Point3& s);
// The shadow plane, y = 0.5 just above the floor: (0, 2, 0, −1).
Plane DefaultShadowPlane();

// Flattens any point onto the plane along the light (w = 0: a direction, so
// the projection is parallel). Element (row i, column j) is P·L − L[i] P[j]
// on the diagonal and −L[i] P[j] elsewhere.
glm::dmat4 ShadowMatrix(const Plane& plane, const std::array<float, 4>& light);

// k = (max(w, h) / 600) × (length / 70) × (intensity / 70), real division.
float ComputeShadowQuality(int viewportWidth, int viewportHeight, float shadowLength, int shadowIntensity);
float ComputeShadowQuality(const SceneParams& params);

// Preview: blur × 15. Off-screen: trunc(blur × 15 × k), at least 1 and at
// most kMaxOffscreenShadowPasses. The settings pages cannot go beyond about
// 15300 samples (3000 × 3000, length, intensity and blur at 100); the cap
// only keeps unchecked values from a scene file from stalling a render.
constexpr int kMaxOffscreenShadowPasses = 20000;
int ShadowPassCount(int blur, float quality, bool preview);
// n = trunc(√passes), the side of the sample grid.
int ShadowGridSide(int passes);

// A random draw in 0 .. 32767 (the range the shadow spacing was tuned on).
using ShadowRandom = std::function<int()>;

// The random source of one renderer: its own generator, so that a render
// job seeded with the same number draws the same samples whatever other
// threads or processes do meanwhile.
class ShadowRandomSource {
public:
    explicit ShadowRandomSource(uint32_t seed = 1) : engine_(seed) {}
    void Seed(uint32_t seed) { engine_.seed(seed); }
    // The next draw in 0 .. 32767: the top 15 of 32 bits.
    int operator()() { return static_cast<int>(engine_() >> 17); }

private:
    std::mt19937 engine_;
};

// Offset of preview sample i (0 .. 3) on the length axis or the direction
// axis: with f = n / 2 and e = n div 2, f × (i div 2) − e or f × (i mod 2) − e.
float ShadowJitterPreview(int n, int i, bool lengthAxis);
// Offset of off-screen sample i on one axis: ((i div n) − n div 2) / F + r / F
// on the length axis, ((i mod n) − n div 2) / F + r / F on the direction
// axis, with F = √k and r = random() / 32767 (0 without a source). When k is not positive (no
// length, no intensity or an empty viewport) there is no spacing to scale
// by: the sample stays unjittered (0) and random is not called.
float ShadowJitterOffscreen(int n, int i, bool lengthAxis, float quality, const ShadowRandom& random);

// The off-screen pre-pass's share of the render progress, in percent:
// passes × 70 / 2000 in integers, at most kMaxShadowWorkEstimate so that the
// antialiasing passes keep a positive share (80 − estimate) of the bar.
constexpr int kMaxShadowWorkEstimate = 75;
int ShadowWorkEstimate(int offscreenPasses);

}  // namespace boxora
