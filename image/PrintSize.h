#pragma once
// Picture sizes from paper sizes: "210x297mm" or "8.5x11in" at a print
// resolution in dots per inch.
#include <optional>
#include <string>

namespace imagecodec {

struct PixelSize {
    int width = 0;
    int height = 0;
};

// Each side is length in inches × dpi rounded to the nearest pixel (halves
// up): 210 mm at 300 dpi is 2480.3 → 2480, 297 mm is 3507.9 → 3508. Lengths
// are positive decimals with "mm" or "in" after the second one. Nothing
// when the text is malformed, dpi is not positive, or a side comes out
// below 1 or above maxSide pixels; why (if given) says which.
std::optional<PixelSize> PrintPixels(const std::string& text, int dpi, int maxSide, std::string* why = nullptr);

}  // namespace imagecodec
