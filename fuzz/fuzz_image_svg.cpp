// SVG face art (see VectorArtFuzz.h).
#include "fuzz/VectorArtFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzcheck::FuzzVectorArt<imagecodec::vector::VectorKind::Svg>(data, size);
}
