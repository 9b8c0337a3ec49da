#pragma once
// What the framebuffer of the current context offers, and whether that is
// enough for the frames the renderer draws: colour with alpha, depth,
// stencil (mirror masks) and an accumulation buffer with an alpha component
// (soft shadows, antialiasing, averaged coverage alpha).
#include <string>

namespace boxora {

struct FramebufferBits {
    int red = 0, green = 0, blue = 0, alpha = 0;
    int depth = 0;
    int stencil = 0;
    int accumRed = 0, accumGreen = 0, accumBlue = 0, accumAlpha = 0;
};

// Minimum sizes in bits.
constexpr int kRequiredColorBits = 8;  // each of R, G, B, A
constexpr int kRequiredDepthBits = 24;
constexpr int kRequiredStencilBits = 8;
constexpr int kRequiredAccumBits = 16;  // each of R, G, B, A

// glGetIntegerv on the current context.
FramebufferBits QueryFramebufferBits();

// Empty when bits meets the minimum sizes, otherwise a readable list of what
// is missing, e.g. "stencil 0 bits (need 8); accumulation alpha 0 bits (need 16)".
std::string MissingFramebufferFeatures(const FramebufferBits& bits);

}  // namespace boxora
