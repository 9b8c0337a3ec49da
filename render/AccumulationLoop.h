#pragma once
// Averaging several renderings of a frame in the accumulation buffer: the
// soft shadow samples and the jittered antialiasing passes.
#include <functional>

namespace boxora {

// Draws samples 0 .. count − 1 with sample(i) (which clears what it needs)
// and adds each to the accumulation buffer with the given weight (the first
// one loads it), then returns the sum to the colour buffer (glAccum
// GL_RETURN, 1). A false result of a sample ends the loop after that sample;
// the sum so far is still returned. Nothing happens for count ≤ 0.
// Returns the last sample's result (true when nothing ran).
bool AccumulateSamples(int count, float weight, const std::function<bool(int)>& sample);

// The antialiasing loop around a scene pass, with the camera modelview
// current. n = 0 draws the scene once and leaves the accumulation buffer
// alone. Otherwise each of the n samples clears colour and depth, loads a
// projection of field of view fovy (degrees, aspect from the viewport,
// near 0.1, far 2000) shifted by point i of the n-point jitter table — or,
// for a count without a table, keeps the current projection — keeps the
// modelview, draws the scene and adds it with weight 1/n. The jittered
// projection stays loaded afterwards.
bool RenderJitteredSamples(int n, double fovy, const std::function<bool()>& scenePass);

// Near and far planes of the jittered projection.
constexpr double kJitterNear = 0.1;
constexpr double kJitterFar = 2000.0;

}  // namespace boxora
