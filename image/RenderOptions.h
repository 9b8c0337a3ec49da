#pragma once
// The export choices of the Rendering tab that do not depend on the widget
// toolkit: the output formats in list order, the file-name extension
// swap, the size field filtering and the keep-proportion arithmetic.
#include <array>
#include <string>
#include <string_view>

namespace boxora {

struct RenderFormatEntry {
    const char* name;        // entry of the format list
    int formatId;            // image format code of the render job
    const char* extension;   // with the leading dot
    const char* filter;      // file-dialog filter, "Description|patterns||"
    const char* captionKey;  // language key of the options caption; null: no options
};

constexpr int kRenderFormatCount = 11;
// PNG, JPG, GIF, TIFF, BMP, TGA, JP2, JPC, RAS, PNM, and WebP after them.
const std::array<RenderFormatEntry, kRenderFormatCount>& RenderFormats();

// Limits of the image width and height.
constexpr int kMinRenderSize = 1;
constexpr int kMaxRenderSize = 3000;

// The file name with its extension replaced by extension: a name longer than
// five characters (UTF-16 units) loses its last four when the fourth from the
// end is ".", its last five when the fifth from the end is "." and nothing
// otherwise, then extension is appended. Names of five characters or fewer
// stay as they are.
std::string SwapExtension(std::string_view fileName, std::string_view extension);

// Removes the first character that is not a digit 0-9; removed tells whether
// there was one.
std::string RemoveFirstNonDigit(std::string_view text, bool* removed = nullptr);

// The kept proportion width / height, held as a 32-bit float.
float ProportionRatio(int width, int height);
// The height that goes with a new width (truncated) and the width that goes
// with a new height (rounded), for a ratio taken from ProportionRatio.
int HeightForWidth(int width, float ratio);
int WidthForHeight(int height, float ratio);

}  // namespace boxora
