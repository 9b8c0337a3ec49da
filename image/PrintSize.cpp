#include "image/PrintSize.h"

#include <charconv>
#include <cmath>

namespace imagecodec {

namespace {

bool ParseLength(const std::string& text, double& value) {
    if (text.empty() || text.size() > 16) return false;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    return ec == std::errc() && p == end && std::isfinite(value) && value > 0;
}

std::optional<PixelSize> Refuse(std::string* why, const char* reason) {
    if (why) *why = reason;
    return std::nullopt;
}

}  // namespace

std::optional<PixelSize> PrintPixels(const std::string& text, int dpi, int maxSide, std::string* why) {
    if (dpi <= 0) return Refuse(why, "the resolution must be positive");
    double perUnit = 0;  // inches per unit
    std::string lengths;
    if (text.size() > 2 && text.compare(text.size() - 2, 2, "mm") == 0)
        perUnit = 1.0 / 25.4;
    else if (text.size() > 2 && text.compare(text.size() - 2, 2, "in") == 0)
        perUnit = 1.0;
    else
        return Refuse(why, "the size must end in mm or in");
    lengths = text.substr(0, text.size() - 2);
    const std::size_t x = lengths.find_first_of("xX");
    double w = 0, h = 0;
    if (x == std::string::npos || !ParseLength(lengths.substr(0, x), w) || !ParseLength(lengths.substr(x + 1), h))
        return Refuse(why, "the size must be WIDTHxHEIGHT with positive lengths");
    const double pw = std::floor(w * perUnit * dpi + 0.5), ph = std::floor(h * perUnit * dpi + 0.5);
    if (pw < 1 || ph < 1 || pw > maxSide || ph > maxSide)
        return Refuse(why, "the picture would be too small or too large");
    return PixelSize{static_cast<int>(pw), static_cast<int>(ph)};
}

}  // namespace imagecodec
