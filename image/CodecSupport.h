#pragma once
// Small helpers shared by the format codecs.
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/ImageData.h"

namespace imagecodec {

// Records why a decoder or encoder gave up and returns false.
inline bool Fail(std::string* why, const char* reason) {
    if (why) *why = reason;
    return false;
}

// 256 grey entries (B, G, R, 0), index = grey level.
void SetGreyPalette(ImageData& image);

// Stored row y (0 = bottom row) as B, G, R triples, palette images looked up.
void RowToBgr(const ImageData& image, uint32_t y, uint8_t* bgr);

// True when every pixel is pure black or pure white and there is no alpha
// plane (or it is fully opaque): the image fits a 1-bit encoding.
bool IsBilevel(const ImageData& image);

// True when the alpha plane exists and holds a value other than 255.
bool HasTransparency(const ImageData& image);

// Rows of premultiplied ARGB in native 32-bit words (cairo's and poppler's
// layout), top row first, as a 24-bit image over white, bottom row first,
// with an alpha plane that is dropped when all opaque. sizeFault is the
// reason given when w x h cannot be held.
bool PremultipliedArgbToImage(const uint8_t* base, std::size_t stride, uint32_t w, uint32_t h, ImageData& out,
                              std::string* why, const char* sizeFault);

}  // namespace imagecodec
