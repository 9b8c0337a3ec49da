// GIF reader: any bytes decode consistently or fail cleanly; the first
// frame written back with each of the three code streams reads back with
// the same colours and the same transparent pixels.
#include "fuzz/ImageFuzzChecks.h"

using fuzzcheck::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imagecodec::ImageData img;
    if (!fuzzcheck::DecodeChecked(imagecodec::DecodeGif, data, size, img)) return 0;
    Require(img.bpp == 8);
    const std::size_t count = img.pixels.size();
    if (count > (1u << 20)) return 0;
    auto clear = [](const imagecodec::ImageData& im, std::size_t i) { return !im.alpha.empty() && im.alpha[i] == 0; };
    // Opaque pixels keep their colour unless all 256 indices are in use
    // beside transparency (then index 255 moves to its nearest colour).
    bool used[256] = {};
    int distinct = 0;
    bool anyClear = false;
    for (std::size_t i = 0; i < count; ++i) {
        if (clear(img, i))
            anyClear = true;
        else if (!used[img.pixels[i]])
            used[img.pixels[i]] = true, ++distinct;
    }
    const bool coloursKept = !anyClear || distinct < 256;
    for (int compression = 0; compression < 3; ++compression) {
        imagecodec::EncodeOptions options;
        options.gifCompression = compression;
        std::vector<uint8_t> file;
        std::string why;
        Require(imagecodec::EncodeGif(img, options, file, &why));
        imagecodec::ImageData back;
        Require(imagecodec::DecodeGif(file.data(), file.size(), back, &why));
        Require(back.width == img.width && back.height == img.height);
        for (std::size_t i = 0; i < count; ++i) {
            Require(clear(img, i) == clear(back, i));
            if (!clear(img, i) && coloursKept)
                Require((fuzzcheck::Color(img, i) & 0xFFFFFF) == (fuzzcheck::Color(back, i) & 0xFFFFFF));
        }
    }
    return 0;
}
