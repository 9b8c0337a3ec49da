#pragma once
// Device-independent bitmap reading, shared by the BMP reader (DIB after a
// 14-byte file header) and the ICO/CUR reader (DIB stored in an icon entry,
// followed by its AND mask).
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/ImageData.h"

namespace imagecodec::dib {

struct DibRequest {
    std::size_t headerOffset = 0;  // where the DIB header starts
    // Where the pixel bits start; 0 means right after the header, masks and
    // palette (icon entries, or a BMP whose offset field is broken).
    uint64_t pixelOffset = 0;
    // Icon entries store the height of XOR image and AND mask together.
    bool iconHeight = false;
};

struct DibResult {
    std::size_t pixelEnd = 0;  // first byte after the pixel rows (uncompressed only)
    bool topDown = false;
    bool compressed = false;
    int bitCount = 0;
};

// Decodes the DIB inside data[0, size). On a fault the image is left empty
// and false is returned.
bool DecodeDib(const uint8_t* data, std::size_t size, const DibRequest& request, ImageData& out, DibResult* result,
               std::string* why);

// Reads only the size and bit depth from a DIB header; false when the header
// does not fit or is not a DIB header.
bool PeekDib(const uint8_t* data, std::size_t size, uint32_t& width, uint32_t& height, int& bitCount);

}  // namespace imagecodec::dib
