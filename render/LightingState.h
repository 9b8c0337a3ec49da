#pragma once
// The lighting state of the renderer. Light source 1 is GL_LIGHT0 and light
// source 2 is GL_LIGHT2.
#include <GL/gl.h>

#include <array>

struct SceneParams;

namespace boxora {

constexpr GLenum kLightSource1 = GL_LIGHT0;
constexpr GLenum kLightSource2 = GL_LIGHT2;

// Set once per context by the thread that uses it: smooth shading; front
// material specular (1, 1, 1, 1), shininess 100; GL_LIGHT0 ambient
// (0.1, 0.1, 0.1, 1) and specular white (diffuse left at its default);
// GL_LIGHT2 ambient (0.1, 0.1, 0.1, 1), diffuse and specular white; lighting,
// both lights, depth test and normalising on; colour material tracking the
// front diffuse colour; back faces culled.
void SetFixedLightingState();

// Per frame, after the scene transform so that the lights turn with the
// scene: light-model ambient (b, b, b, 1) with b = brightness / 100, the two
// light positions (w = 1), and the nicest perspective correction.
void SetFrameLighting(float globalBrightness, const std::array<float, 4>& light1, const std::array<float, 4>& light2);
void SetFrameLighting(const SceneParams& params);

// Re-specifies both light positions under the current modelview (after a
// mirror transform has been multiplied on or popped off).
void PositionLights(const std::array<float, 4>& light1, const std::array<float, 4>& light2);
void PositionLights(const SceneParams& params);

// Enables or disables the two light sources by their switches.
void EnableLights(bool light1, bool light2);

}  // namespace boxora
