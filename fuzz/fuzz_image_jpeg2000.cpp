// JPEG 2000 files and code streams (OpenJPEG): any bytes decode to a
// consistent image or to nothing, within the size the header allows.
#include <cstddef>
#include <cstdint>

#include "fuzz/ImageFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte chooses the container so both decoders see every input.
    if (size > 0 && (data[0] == 0xFF)) {
        fuzzcheck::Exercise(imagecodec::DecodeJpc, imagecodec::EncodeJpc, data, size);
    } else {
        fuzzcheck::Exercise(imagecodec::DecodeJp2, imagecodec::EncodeJp2, data, size);
    }
    return 0;
}
