#pragma once
// The OpenGL side of textures: decoding an image file into packed
// blue-green-red rows and building its mipmaps under a texture name in the
// current context. Call only on a thread with a current context.
//
// A texture never gets far more texels than the picture drawn in the
// context can show: its longest side is at most twice the picture's longest
// side rounded up to a power of two (and the OpenGL limit), whatever size
// the file claims. Large pictures are shrunk while they are decoded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TexturePixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;  // width x height x 3, bottom row first, no padding
    std::string why;           // when bgr is empty: why the file could not be decoded
};

// Longest texture side for contexts whose picture size is not known (the
// preview window can grow up to about a screen).
constexpr int kPreviewTextureSide = 2048;

// The size of the picture the calling thread draws next (for the render
// thread: the job's image size). Per thread; unset means the preview.
void SetTexturePictureSize(int width, int height);
// The longest side a texture may have on the calling thread.
int TextureSideLimit();
// The longest side SVG and PDF art is drawn at on the calling thread: at
// least the picture's longest side, so a face that covers N pixels of the
// picture gets N pixels of art or more; the preview gets a smaller copy.
int VectorArtSide();

// Decodes the file (format code 0: by content), shrunk until both sides fit
// maxSide (0: no limit); drawings are drawn with vectorSide as their longest
// side (0: maxSide). An undecodable file gives an empty image.
TexturePixels DecodeTexturePixels(const std::string& path, int format, int maxSide, int vectorSide = 0);

// Memory the texture takes in OpenGL: four bytes a texel and its mipmaps.
std::size_t TextureBytes(int width, int height);

// Binds name and builds its mipmaps from the image (3 components,
// GL_BGR_EXT, unpack alignment 1, GL_LINEAR filters). An empty image leaves
// the texture without pixels.
void UploadTexture(uint32_t name, const TexturePixels& pixels);
void UploadTexture(uint32_t name, int width, int height, const uint8_t* bgr);
void DeleteTexture(uint32_t name);
