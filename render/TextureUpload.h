#pragma once
// The OpenGL side of textures: decoding an image file into packed
// blue-green-red rows and building its mipmaps under a texture name in the
// current context. Call only on a thread with a current context.
#include <cstdint>
#include <string>
#include <vector>

struct TexturePixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;  // width x height x 3, bottom row first, no padding
};

// Decodes the file (format code 0: by content). An undecodable file gives
// an empty image.
TexturePixels DecodeTexturePixels(const std::string& path, int format);

// Binds name and builds its mipmaps from the image (3 components,
// GL_BGR_EXT, unpack alignment 1, GL_LINEAR filters). An empty image leaves
// the texture without pixels.
void UploadTexture(uint32_t name, const TexturePixels& pixels);
void DeleteTexture(uint32_t name);
