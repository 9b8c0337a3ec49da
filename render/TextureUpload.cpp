#include "render/TextureUpload.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include "image/ImageCodec.h"

TexturePixels DecodeTexturePixels(const std::string& path, int format) {
    TexturePixels out;
    ImageCodec image;
    if (!image.Load(path, format)) return out;
    out.bgr = image.Encode2RGB_Ex();
    const std::size_t expected = static_cast<std::size_t>(image.GetWidth()) * image.GetHeight() * 3;
    if (out.bgr.size() != expected || expected == 0) {
        out.bgr.clear();
        return out;
    }
    out.width = static_cast<int>(image.GetWidth());
    out.height = static_cast<int>(image.GetHeight());
    return out;
}

void UploadTexture(uint32_t name, const TexturePixels& pixels) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, name);
    if (pixels.width > 0 && pixels.height > 0 &&
        pixels.bgr.size() >= static_cast<std::size_t>(pixels.width) * pixels.height * 3) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, pixels.width, pixels.height, GL_BGR_EXT, GL_UNSIGNED_BYTE,
                          pixels.bgr.data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void DeleteTexture(uint32_t name) {
    if (name == 0) return;
    const GLuint n = name;
    glDeleteTextures(1, &n);
}
