#pragma once
// The fixed 256-entry palette used when a true-colour image is reduced to
// 8 bits: a 6 × 6 × 6 colour cube (indices 0..215, index = r·36 + g·6 + b
// with the levels 0, 51, 102, 153, 204, 255) and 39 extra greys between the
// cube's own greys (indices 216..254), so that the neutral tones of shadows
// and reflections band as little as possible. Index 255 is reserved: the
// nearest-colour mapping never produces it, and the GIF encoder uses it as
// the transparent index.
#include <array>
#include <cstddef>
#include <cstdint>

namespace imagecodec {

constexpr int kStandardPaletteEntries = 256;
constexpr uint8_t kReservedPaletteIndex = 255;

// 256 entries of B, G, R, reserved (0).
const std::array<uint8_t, 4 * kStandardPaletteEntries>& StandardPalette();

// Index of the palette colour nearest to (r, g, b) in a weighted RGB
// distance (red 3, green 4, blue 2); never kReservedPaletteIndex.
uint8_t NearestStandardIndex(uint8_t r, uint8_t g, uint8_t b);

// Maps count B, G, R triples to palette indices.
void MapToStandardPalette(const uint8_t* bgr, std::size_t count, uint8_t* indices);

}  // namespace imagecodec
