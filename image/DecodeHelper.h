#pragma once
// Decoding in a helper process. Some format libraries (librsvg, libemf2svg,
// libwmf) abort, panic or run away on hostile input; they run in a
// short-lived process, boxora-decode, started beside the programs with
// limits on processor time, memory and wall-clock time. Whatever happens
// there, the caller gets either the pixels or a failure with a reason.
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/ImageData.h"

namespace imagecodec::helper {

// What the helper can decode; the decoder in the helper is chosen by it.
enum class Job : uint32_t {
    Metafile = 1,
    Webp = 4,
    // SVG drawings and the first page of PDF files; MAXSIDE is the side drawn.
    Svg = 16,
    Pdf = 17,
};

// File name of the helper executable.
constexpr char kHelperName[] = "boxora-decode";
// Wall-clock limit of one decode (the helper's own processor-time limit is
// a little shorter).
constexpr int kWallSeconds = 30;
constexpr int kCpuSeconds = 25;
// Address-space limit of the helper.
constexpr uint64_t kMemoryBytes = uint64_t{2} << 30;

// Runs the decoder of `job` on the bytes in the helper; the result's sides
// never exceed maxSide. False with a reason when the helper is missing,
// fails, crashes or takes too long.
bool DecodeInHelper(Job job, const uint8_t* data, std::size_t size, uint32_t maxSide, ImageData& out, std::string* why);

// The helper's side: arguments JOB MAXSIDE [PARENT] (it dies with PARENT, the
// process that started it); reads the file from standard
// input and writes the result to standard output. Returns the exit status.
int RunDecodeHelper(int argc, char** argv);

}  // namespace imagecodec::helper
