#pragma once
// The pixel store behind ImageCodec, shared by all format codecs.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace imagecodec {

// Limits every decoder enforces before allocating.
constexpr uint32_t kMaxDimension = 30000;      // per side
constexpr uint64_t kMaxPixels = 128ull << 20;  // width × height

// True when width × height is a size a decoder may allocate.
inline bool SizeAllowed(uint64_t width, uint64_t height) {
    return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension && width * height <= kMaxPixels;
}

struct ImageData {
    uint32_t width = 0;
    uint32_t height = 0;
    // 8: one palette index per pixel; 24: B, G, R per pixel. Rows are tightly
    // packed (no padding) and stored bottom row first.
    int bpp = 24;
    std::vector<uint8_t> pixels;
    // 8-bit images: 256 or fewer entries of B, G, R, reserved.
    std::vector<uint8_t> palette;
    // Optional: one byte per pixel, same row order; empty when there is none.
    std::vector<uint8_t> alpha;

    bool Empty() const { return width == 0 || height == 0; }
    std::size_t RowBytes() const { return static_cast<std::size_t>(width) * (bpp == 24 ? 3 : 1); }
    // Allocates pixels (and the alpha plane when withAlpha) for the size; false
    // when the size is not allowed.
    bool Allocate(uint32_t w, uint32_t h, int bitsPerPixel, bool withAlpha);
    void Clear() { *this = ImageData(); }
};

// Export options handed to the encoders.
struct EncodeOptions {
    int jpegQuality = 75;     // 0..100
    int jpegOptions = 0;      // bit value 8: optimised tables; 16: progressive
    int gifCompression = 0;   // 0 LZW, 1 none, 2 RLE
    int tiffCompression = 0;  // 0 auto, 1 none, 2 CCITT RLE, 4 Group 4, 5 LZW, 7 JPEG, 32773 PackBits
    int pngInterlace = 0;     // 1: Adam7
    // Print resolution in dots per inch written into the file (PNG pHYs,
    // JFIF density, TIFF resolution); 0 leaves each format's default.
    int dpi = 0;
    int webpLossless = 0;  // 1: lossless WebP; otherwise lossy at the JPEG quality
    // ICC profile written with the pixels (JPEG, PNG, TIFF, WebP); empty
    // writes none.
    std::vector<uint8_t> iccProfile;
};

// A picture of C, M, Y, K ink amounts (0: no ink), top row first, written
// as CMYK JPEG or TIFF with its profile (options.iccProfile).
struct CmykPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    const uint8_t* samples = nullptr;  // width × height × 4 bytes
};

// The dpi as whole pixels per metre, rounded to nearest (300 → 11811), as
// PNG stores it.
inline uint32_t DotsPerMetre(int dpi) {
    return dpi <= 0 ? 0u : static_cast<uint32_t>((static_cast<uint64_t>(dpi) * 10000u + 127u) / 254u);
}

// A decoder reads a whole file held in memory. On any fault it returns false
// and leaves out empty; why (if given) names the reason.
using DecodeFn = bool (*)(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
// An encoder writes the complete file into out; false on failure.
using EncodeFn = bool (*)(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out,
                          std::string* why);

}  // namespace imagecodec
