// TGA reader: any bytes decode consistently or fail cleanly; a decoded
// picture written as TGA reads back with the same colours and alpha.
#include "fuzz/ImageFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imagecodec::ImageData img;
    if (fuzzcheck::DecodeChecked(imagecodec::DecodeTga, data, size, img)) {
        // A written alpha plane is kept unless every pixel is opaque.
        const bool alphaSurvives = !img.alpha.empty();
        fuzzcheck::RoundTrip(img, imagecodec::EncodeTga, imagecodec::DecodeTga, alphaSurvives);
    }
    return 0;
}
