#include "image/RenderOptions.h"

#include <cmath>
#include <limits>

#include "platform/TextUtil.h"

namespace boxora {

const std::array<RenderFormatEntry, kRenderFormatCount>& RenderFormats() {
    static const std::array<RenderFormatEntry, kRenderFormatCount> formats = {{
        {"PNG", 4, ".png", "PNG Files (*.png)|*.png||", "pngprop"},
        {"JPG", 3, ".jpg", "JPG Files (*.jpg;*.jpeg)|*.jpg;*.jpeg||", "jpegprop"},
        {"GIF", 2, ".gif", "GIF Files (*.gif)|*.gif||", "gifprop"},
        {"TIFF", 6, ".tiff", "TIFF Files (*.tif;*.tiff)|*.tif;*.tiff||", "tiffprop"},
        {"BMP", 1, ".bmp", "BMP Files (*.bmp)|*.bmp||", nullptr},
        {"TGA", 7, ".tga", "TGA Files (*.tga)|*.tga||", nullptr},
        {"JP2", 11, ".jp2", "JP2 Files (*.jp2)|*.jp2||", nullptr},
        {"JPC", 12, ".jpc", "JPC Files (*.jpc)|*.jpc||", nullptr},
        {"RAS", 15, ".ras", "RAS Files (*.ras)|*.ras||", nullptr},
        {"PNM", 14, ".pnm", "PNM Files (*.pnm)|*.pnm||", nullptr},
        {"WebP", 20, ".webp", "WebP Files (*.webp)|*.webp||", "webpprop"},
    }};
    return formats;
}

std::string SwapExtension(std::string_view fileName, std::string_view extension) {
    std::u16string name = Utf8ToUtf16(fileName);
    if (name.size() <= 5) return std::string(fileName);
    std::size_t cut = 0;
    if (name[name.size() - 4] == u'.')
        cut = 4;
    else if (name[name.size() - 5] == u'.')
        cut = 5;
    name.resize(name.size() - cut);
    return Utf16ToUtf8(name) + std::string(extension);
}

std::string RemoveFirstNonDigit(std::string_view text, bool* removed) {
    std::string result(text);
    for (std::size_t i = 0; i < result.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(result[i]);
        if (c >= '0' && c <= '9') continue;
        // A whole UTF-8 sequence counts as one character.
        std::size_t length = 1;
        while (i + length < result.size() && (static_cast<unsigned char>(result[i + length]) & 0xC0) == 0x80) ++length;
        result.erase(i, length);
        if (removed) *removed = true;
        return result;
    }
    if (removed) *removed = false;
    return result;
}

float ProportionRatio(int width, int height) {
    if (height <= 0) return 1.0f;
    return static_cast<float>(width) / static_cast<float>(height);
}

namespace {
int SaturatedInt(double value) {
    if (!(value == value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}
}  // namespace

// The quotient is formed in double precision: 400 / 1.3333334f is just below
// 300 and must stay there (single precision would round it up to 300).
int HeightForWidth(int width, float ratio) {
    if (ratio <= 0.0f) return width;
    return SaturatedInt(static_cast<double>(width) / static_cast<double>(ratio));
}

int WidthForHeight(int height, float ratio) {
    return SaturatedInt(static_cast<double>(height) * static_cast<double>(ratio) + 0.5);
}

}  // namespace boxora
