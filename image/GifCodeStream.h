#pragma once
// GIF image data: the variable-length LZW code stream of a run of palette
// indices, produced in one of three ways. All three are ordinary GIF code
// streams that any GIF decoder reads.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace imagecodec::gif {

enum class CodeStreamKind {
    Lzw = 0,        // LZW with a dictionary that grows to 12-bit codes
    Literal = 1,    // every pixel its own code; clear codes keep the code size fixed
    RunLength = 2,  // runs of equal pixels coded through the dictionary the decoder builds
};

// Codes the indices (each below 1 << minCodeSize; minCodeSize 2..8) and
// returns the packed bytes, least significant bit first, without the
// sub-block framing: starts with a clear code, ends with end-of-information.
std::vector<uint8_t> WriteCodeStream(const uint8_t* indices, std::size_t count, int minCodeSize, CodeStreamKind kind);

}  // namespace imagecodec::gif
