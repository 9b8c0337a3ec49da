#pragma once
// One palette for many pictures: the colours of every frame of an animation
// are counted together and cut into at most 255 boxes (median cut), so that
// a colour keeps its palette entry from frame to frame and the animation
// does not flicker the way per-frame palettes make it.
#include <array>
#include <cstdint>
#include <vector>

namespace imagecodec {

class SharedPalette {
public:
    // Counts the opaque pixels of a picture: width × height × 4 bytes
    // R, G, B, A (pixels of alpha 0 are not counted).
    void Count(const uint8_t* rgba, std::size_t pixelCount);
    // Builds the palette of at most maxColours entries (1..256) from what
    // was counted; needed before Map.
    void Build(int maxColours);
    // Entries as R, G, B; size() / 3 colours.
    const std::vector<uint8_t>& Colours() const { return colours_; }
    // Palette index of a colour.
    uint8_t Map(uint8_t r, uint8_t g, uint8_t b) const { return lookup_[Bin(r, g, b)]; }

private:
    static constexpr int kBits = 5;  // per channel in the histogram
    static constexpr std::size_t kBins = std::size_t{1} << (3 * kBits);
    static std::size_t Bin(uint8_t r, uint8_t g, uint8_t b) {
        return (std::size_t{r} >> (8 - kBits) << (2 * kBits)) | (std::size_t{g} >> (8 - kBits) << kBits) |
               (std::size_t{b} >> (8 - kBits));
    }

    std::vector<uint64_t> histogram_ = std::vector<uint64_t>(kBins, 0);
    // Per bin the sums of R, G and B of its pixels, so that an entry is the
    // true mean of its colours, not the middle of its bins.
    std::vector<uint64_t> sums_ = std::vector<uint64_t>(3 * kBins, 0);
    std::vector<uint8_t> colours_;
    std::vector<uint8_t> lookup_ = std::vector<uint8_t>(kBins, 0);
};

}  // namespace imagecodec
