// ICC profiles embedded in artwork: any bytes, taken as the profile of RGB,
// grey and CMYK pixels, either convert them or are refused; never a crash.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/ColourProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using imagecodec::PixelLayout;
    std::vector<uint8_t> in(64 * 4);
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint8_t>(i * 37);
    std::vector<uint8_t> out(64 * 3);
    for (PixelLayout layout : {PixelLayout::Bgr, PixelLayout::Grey, PixelLayout::Cmyk, PixelLayout::CmykInverted}) {
        imagecodec::ToSrgbTransform t;
        if (t.Open(data, size, layout, "fuzz")) t.Row(in.data(), out.data(), 64);
    }
    imagecodec::ImageData image;
    if (image.Allocate(8, 8, 24, false)) {
        std::copy_n(in.begin(), image.pixels.size(), image.pixels.begin());
        imagecodec::ConvertToSrgb(image, data, size, "fuzz");
    }
    return 0;
}
