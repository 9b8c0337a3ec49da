// PCX reader: any bytes decode consistently or fail cleanly.
#include "fuzz/ImageFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imagecodec::ImageData img;
    if (fuzzcheck::DecodeChecked(imagecodec::DecodePcx, data, size, img))
        fuzzcheck::RoundTrip(img, imagecodec::EncodeBmp, imagecodec::DecodeBmp, false);
    return 0;
}
