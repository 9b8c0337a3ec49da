#pragma once
// WebP reading and writing (libwebp). Reading runs in the decoding helper:
// a face image may be hostile, and the helper's limits hold whatever the
// library does with it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/ImageData.h"

namespace imagecodec::webp {

// A WebP file larger than this is refused unread.
constexpr std::size_t kMaxWebpBytes = std::size_t{256} << 20;

// True when the bytes start like a WebP file (RIFF ... WEBP).
bool LooksLikeWebp(const uint8_t* data, std::size_t size);

// Decodes in this process: a still picture, or the first frame of an
// animation. 24-bit result, with an alpha plane when the file has one.
bool DecodeWebpHere(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);

// Checks the header in this process and decodes in the helper.
bool DecodeWebpLimited(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);

// Width × height × 4 bytes R, G, B, A, top row first, from an image (alpha
// 255 without a plane).
std::vector<uint8_t> ToRgbaTopDown(const ImageData& image);

}  // namespace imagecodec::webp
