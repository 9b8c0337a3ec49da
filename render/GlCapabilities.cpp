#include "render/GlCapabilities.h"

#include <GL/gl.h>

namespace boxora {

namespace {
int GetInt(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

void Check(std::string& out, const char* what, int have, int need) {
    if (have >= need) return;
    if (!out.empty()) out += "; ";
    out += what;
    out += " " + std::to_string(have) + " bits (need " + std::to_string(need) + ")";
}
}  // namespace

FramebufferBits QueryFramebufferBits() {
    FramebufferBits b;
    b.red = GetInt(GL_RED_BITS);
    b.green = GetInt(GL_GREEN_BITS);
    b.blue = GetInt(GL_BLUE_BITS);
    b.alpha = GetInt(GL_ALPHA_BITS);
    b.depth = GetInt(GL_DEPTH_BITS);
    b.stencil = GetInt(GL_STENCIL_BITS);
    b.accumRed = GetInt(GL_ACCUM_RED_BITS);
    b.accumGreen = GetInt(GL_ACCUM_GREEN_BITS);
    b.accumBlue = GetInt(GL_ACCUM_BLUE_BITS);
    b.accumAlpha = GetInt(GL_ACCUM_ALPHA_BITS);
    return b;
}

std::string MissingFramebufferFeatures(const FramebufferBits& b) {
    std::string out;
    Check(out, "red", b.red, kRequiredColorBits);
    Check(out, "green", b.green, kRequiredColorBits);
    Check(out, "blue", b.blue, kRequiredColorBits);
    Check(out, "alpha", b.alpha, kRequiredColorBits);
    Check(out, "depth", b.depth, kRequiredDepthBits);
    Check(out, "stencil", b.stencil, kRequiredStencilBits);
    Check(out, "accumulation red", b.accumRed, kRequiredAccumBits);
    Check(out, "accumulation green", b.accumGreen, kRequiredAccumBits);
    Check(out, "accumulation blue", b.accumBlue, kRequiredAccumBits);
    Check(out, "accumulation alpha", b.accumAlpha, kRequiredAccumBits);
    return out;
}

}  // namespace boxora
