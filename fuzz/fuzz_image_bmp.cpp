// BMP, ICO and CUR readers: any bytes decode consistently or fail cleanly;
// a decoded bitmap written as BMP reads back with the same colours.
#include "fuzz/ImageFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imagecodec::ImageData img;
    if (fuzzcheck::DecodeChecked(imagecodec::DecodeBmp, data, size, img))
        fuzzcheck::RoundTrip(img, imagecodec::EncodeBmp, imagecodec::DecodeBmp, false);
    imagecodec::ImageData icon;
    fuzzcheck::DecodeChecked(imagecodec::DecodeIco, data, size, icon);
    return 0;
}
