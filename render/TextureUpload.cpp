#include "render/TextureUpload.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>

#include "image/SharedImage.h"

namespace {

thread_local int t_pictureSide = 0;

int PowerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n && p < (1 << 30)) p *= 2;
    return p;
}

}  // namespace

void SetTexturePictureSize(int width, int height) { t_pictureSide = std::max(0, std::max(width, height)); }

namespace {
int WithinGlLimit(int side) {
    GLint glLimit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &glLimit);
    return glLimit > 0 ? std::min(side, static_cast<int>(glLimit)) : side;
}
}  // namespace

// Large pictures shrink by whole factors while they are decoded. With twice
// the picture's power of two as the limit, art larger than the picture is
// never halved below the picture's size (a 5000-pixel cover stays whole for
// a 3000-pixel render instead of dropping to 2500).
int TextureSideLimit() {
    return WithinGlLimit(t_pictureSide > 0 ? 2 * PowerOfTwoAtLeast(t_pictureSide) : kPreviewTextureSide);
}

int VectorArtSide() {
    return WithinGlLimit(t_pictureSide > 0 ? PowerOfTwoAtLeast(t_pictureSide) : kPreviewTextureSide);
}

TexturePixels DecodeTexturePixels(const std::string& path, int format, int maxSide, int vectorSide) {
    TexturePixels out;
    imagecodec::ImageData image = boxora::DecodeBgr(path, format, maxSide, vectorSide, &out.why, kPreviewTextureSide);
    if (image.Empty()) return out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.bgr = std::move(image.pixels);
    return out;
}

std::size_t TextureBytes(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4 * 4 / 3;
}

void UploadTexture(uint32_t name, const TexturePixels& pixels) {
    const bool whole = pixels.width > 0 && pixels.height > 0 &&
                       pixels.bgr.size() >= static_cast<std::size_t>(pixels.width) * pixels.height * 3;
    UploadTexture(name, whole ? pixels.width : 0, whole ? pixels.height : 0, pixels.bgr.data());
}

void UploadTexture(uint32_t name, int width, int height, const uint8_t* bgr) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, name);
    if (width > 0 && height > 0 && bgr != nullptr)
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_BGR_EXT, GL_UNSIGNED_BYTE, bgr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void DeleteTexture(uint32_t name) {
    if (name == 0) return;
    const GLuint n = name;
    glDeleteTextures(1, &n);
}
