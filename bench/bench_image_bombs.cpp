// Small files that declare huge pictures, decoded as a face is (at most
// 2048 pixels a side): seconds and peak memory of each. Each should stay
// within about a second and 300 MB, refused or decoded at the size shown.
//
//   bench_image_bombs
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/MemoryUse.h"
#include "image/ImageCodec.h"
#include "tests/image/DecompressionBombs.h"

namespace {

void Measure(const char* name, const bombs::Bytes& file, int format) {
    benchmemory::ResetPeakRss();
    const long before = benchmemory::CurrentRssKiB();
    const auto start = std::chrono::steady_clock::now();
    ImageCodec image;
    const bool loaded = image.LoadFromMemory(file.data(), file.size(), format, 2048);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "%-44s %8zu %8.3f %8ld  %s\n", name, file.size(), seconds, (benchmemory::PeakRssKiB() - before) / 1024,
        loaded ? ("decoded " + std::to_string(image.GetWidth()) + " x " + std::to_string(image.GetHeight())).c_str()
               : ("refused: " + image.LastError()).c_str());
    std::fflush(stdout);
}

}  // namespace

int main() {
    std::printf("%-44s %8s %8s %8s  %s\n", "file", "bytes", "seconds", "peak MiB", "outcome");
    Measure("JPEG declaring 11000 x 11000", bombs::JpegDeclaring(11000), FORMAT_JPG);
    Measure("JPEG 2000 declaring 8000 x 8000", bombs::Jpeg2000Declaring(8000), FORMAT_JPC);
    std::printf("(making a progressive JPEG of 499 scans, 4000 x 4000 ...)\n");
    Measure("progressive JPEG, 4000 x 4000, 499 scans", bombs::ManyScanJpeg(4000, 499), FORMAT_JPG);
    return 0;
}
