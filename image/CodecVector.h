#pragma once
// SVG drawings and PDF pages (the first page) as pictures. Vector art has no
// size of its own worth keeping, so it is drawn at the size the caller asks
// for: its longest side becomes exactly `side` pixels, whatever the page
// says. librsvg and poppler run in the decoding helper process
// (image/DecodeHelper.h), so a hostile file that makes them crash, allocate
// without end or loop fails to load like any damaged file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/ImageData.h"

namespace imagecodec::vector {

enum class VectorKind { None, Svg, Pdf };

// Longest side of a drawing when the caller names no size.
constexpr uint32_t kDefaultVectorSide = 1024;
// Never drawn larger: a 16384² picture is 1 GiB of pixels already.
constexpr uint32_t kMaxVectorSide = 16384;

// What the first bytes say: "%PDF-" within the first kilobyte, or text that
// begins with a tag and names an <svg element early on.
VectorKind SniffVector(const uint8_t* data, std::size_t size);

// Draws the file in the helper with its longest side `side` (clamped to
// 1..kMaxVectorSide). False with a reason when it cannot be drawn.
bool DecodeVectorLimited(VectorKind kind, const uint8_t* data, std::size_t size, uint32_t side, ImageData& out,
                         std::string* why);
// Draws in this process: only for the helper itself.
bool DecodeSvgHere(const uint8_t* data, std::size_t size, uint32_t side, ImageData& out, std::string* why);
bool DecodePdfHere(const uint8_t* data, std::size_t size, uint32_t side, ImageData& out, std::string* why);

}  // namespace imagecodec::vector
