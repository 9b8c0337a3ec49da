// WebP reader: any bytes decode consistently or fail cleanly (still and
// animated files alike); what decodes survives a lossless round trip
// through our encoder unchanged, alpha included.
#include "fuzz/ImageFuzzChecks.h"
#include "image/CodecWebp.h"

using fuzzcheck::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imagecodec::ImageData img;
    if (!fuzzcheck::DecodeChecked(imagecodec::webp::DecodeWebpHere, data, size, img)) return 0;
    Require(img.bpp == 24);
    const std::size_t count = std::size_t{img.width} * img.height;
    // WebP itself cannot be wider or taller than 16383 pixels; the decoders
    // may give more (an animation's canvas).
    if (count > (1u << 18) || img.width > 16383 || img.height > 16383) return 0;
    imagecodec::EncodeOptions options;
    options.webpLossless = 1;
    std::vector<uint8_t> file;
    std::string why;
    Require(imagecodec::EncodeWebp(img, options, file, &why));
    imagecodec::ImageData back;
    Require(imagecodec::webp::DecodeWebpHere(file.data(), file.size(), back, &why));
    Require(back.width == img.width && back.height == img.height);
    for (std::size_t i = 0; i < count; ++i) {
        const uint32_t a = fuzzcheck::Color(img, i), b = fuzzcheck::Color(back, i);
        Require((a >> 24) == (b >> 24));
        if ((a >> 24) != 0) Require((a & 0xFFFFFF) == (b & 0xFFFFFF));
    }
    return 0;
}
