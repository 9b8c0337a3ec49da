#include "render/TextureUpload.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <fstream>
#include <iterator>

#include "image/CodecRegistry.h"

namespace {

constexpr std::size_t kMaxImageFileBytes = 512u << 20;

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<std::size_t>(size) > kMaxImageFileBytes) return {};
    std::vector<uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (in.gcount() != size) return {};
    return bytes;
}

}  // namespace

TexturePixels DecodeTexturePixels(const std::string& path, int format) {
    TexturePixels out;
    const std::vector<uint8_t> bytes = ReadFile(path);
    if (bytes.empty()) return out;
    ImageFormat f = static_cast<ImageFormat>(format);
    if (f == FORMAT_UNKNOWN) f = imagecodec::SniffFormat(bytes.data(), bytes.size());
    const imagecodec::CodecEntry* codec = imagecodec::FindCodec(f);
    if (codec == nullptr || codec->decode == nullptr) return out;
    imagecodec::ImageData image;
    if (!codec->decode(bytes.data(), bytes.size(), image, nullptr) || image.Empty()) return out;

    const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
    if (image.bpp == 24) {
        if (image.pixels.size() < pixels * 3) return out;
        out.bgr.assign(image.pixels.begin(), image.pixels.begin() + static_cast<std::ptrdiff_t>(pixels * 3));
    } else if (image.bpp == 8) {
        if (image.pixels.size() < pixels) return out;
        out.bgr.resize(pixels * 3);
        const std::size_t entries = image.palette.size() / 4;
        for (std::size_t i = 0; i < pixels; ++i) {
            const std::size_t e = image.pixels[i];
            if (e < entries) {
                out.bgr[3 * i] = image.palette[4 * e];
                out.bgr[3 * i + 1] = image.palette[4 * e + 1];
                out.bgr[3 * i + 2] = image.palette[4 * e + 2];
            } else {
                out.bgr[3 * i] = out.bgr[3 * i + 1] = out.bgr[3 * i + 2] = static_cast<uint8_t>(e);
            }
        }
    } else {
        return out;
    }
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
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
