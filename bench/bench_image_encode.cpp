// Encode time and peak memory for one 3000 × 3000 rendered frame in every
// export format. Each format runs in a child process of its own; the peak
// resident size (VmHWM, restarted just before encoding) covers the image,
// the encoder's work memory and the finished file in memory ("+encode" is
// what encoding added on top of the image).
//
//   bench_image_encode [size] [output folder]
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "bench/MemoryUse.h"
#include "image/CodecRegistry.h"
#include "image/ImageCodec.h"
#include "platform/AtomicFile.h"

namespace {

// Not a format: only the reduction to the 8-bit standard palette.
constexpr int kReduceOnly = -1;

struct Case {
    const char* label;
    int format;
    int option;  // codec option word for the format
    const char* extension;
};

// The export formats in the Rendering tab's order with its default options
// (quality 100, baseline, not interlaced, GIF LZW, TIFF automatic), then a
// few other option values.
const Case kCases[] = {
    {"PNG", FORMAT_PNG, 0, "png"},
    {"JPG q100 baseline", FORMAT_JPG, 0, "jpg"},
    {"GIF LZW", FORMAT_GIF, 0, "gif"},
    {"TIFF auto", FORMAT_TIF, 0, "tiff"},
    {"BMP", FORMAT_BMP, 0, "bmp"},
    {"TGA", FORMAT_TGA, 0, "tga"},
    {"JP2", FORMAT_JP2, 0, "jp2"},
    {"JPC", FORMAT_JPC, 0, "jpc"},
    {"RAS", FORMAT_RAS, 0, "ras"},
    {"PNM", FORMAT_PNM, 0, "pnm"},
    {"PNG Adam7", FORMAT_PNG, 1, "png"},
    {"JPG q100 progressive+opt", FORMAT_JPG, 24, "jpg"},
    {"TIFF none", FORMAT_TIF, 1, "tiff"},
    {"TIFF PackBits", FORMAT_TIF, 32773, "tiff"},
    {"TIFF JPEG", FORMAT_TIF, 7, "tiff"},
    {"GIF uncompressed", FORMAT_GIF, 1, "gif"},
    {"GIF run-length", FORMAT_GIF, 2, "gif"},
    {"DecreaseBpp only", kReduceOnly, 0, ""},
};

// A frame as the renderer delivers it: B, G, R, A, bottom row first. A
// transparent background (alpha 0) with a soft floor shadow, a shaded box
// with printed-looking cover detail and a faded reflection below it.
std::vector<uint8_t> MakeFrame(uint32_t n) {
    std::vector<uint8_t> px(static_cast<std::size_t>(n) * n * 4);
    const double s = n / 3000.0;
    for (uint32_t y = 0; y < n; ++y) {
        for (uint32_t x = 0; x < n; ++x) {
            uint8_t* p = &px[(static_cast<std::size_t>(y) * n + x) * 4];
            const double fx = x / s, fy = y / s;  // 0..3000 coordinates, y up
            // Background: light vertical gradient, transparent.
            uint8_t b = static_cast<uint8_t>(250 - fy / 40), g = static_cast<uint8_t>(245 - fy / 50), r = 240, a = 0;
            // Shadow: soft ellipse on the floor.
            const double sx = (fx - 1700) / 1100, sy = (fy - 700) / 260;
            const double d = sx * sx + sy * sy;
            if (d < 1) {
                a = static_cast<uint8_t>(160 * (1 - d));
                b = g = r = 30;
            }
            // Reflection: faded copy of the front face below the floor line.
            const bool front = fx > 900 && fx < 2100 && fy > 900 && fy < 2600;
            const bool reflect = fx > 900 && fx < 2100 && fy > 300 && fy < 900;
            const bool side = fx >= 2100 && fx < 2500 && fy > 900 + (fx - 2100) * 0.4 && fy < 2600 + (fx - 2100) * 0.2;
            if (front || reflect || side) {
                const double u = (fx - 900) / 1200, v = front ? (fy - 900) / 1700 : (900 - fy) / 1700;
                // Cover art: diagonal colour bands, a disc and "text" bars.
                r = static_cast<uint8_t>(128 + 127 * std::sin(u * 9 + v * 4));
                g = static_cast<uint8_t>(128 + 127 * std::sin(v * 7 + 1));
                b = static_cast<uint8_t>(128 + 127 * std::cos(u * 5 - v * 3));
                const double cx = u - 0.5, cy = v - 0.6;
                if (cx * cx + cy * cy < 0.06) r = 250, g = 220, b = 40;
                if (v > 0.15 && v < 0.35 && static_cast<int>(u * 60) % 3 != 0 && static_cast<int>(v * 80) % 4 == 0)
                    r = g = b = 20;
                if (side)
                    r = static_cast<uint8_t>(r * 0.6), g = static_cast<uint8_t>(g * 0.6),
                    b = static_cast<uint8_t>(b * 0.6);
                a = 255;
                if (reflect) a = static_cast<uint8_t>(110 * (fy - 300) / 600);
            }
            p[0] = b;
            p[1] = g;
            p[2] = r;
            p[3] = a;
        }
    }
    return px;
}

using benchmemory::CurrentRssKiB;
using benchmemory::PeakRssKiB;
using benchmemory::ResetPeakRss;

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// Runs in the child: builds the frame, encodes and writes it, prints one line.
int RunCase(const Case& c, uint32_t n, const std::string& folder) {
    std::vector<uint8_t> frame = MakeFrame(n);
    ImageCodec img;
    if (!img.CreateFromArray(frame.data(), n, n, 32, static_cast<int>(n * 4), false)) return 1;
    std::vector<uint8_t>().swap(frame);  // the render job releases the array here
    img.SetJpegQuality(100);
    img.SetCodecOption(c.format == FORMAT_JPG ? c.option : 0, FORMAT_JPG);
    img.SetCodecOption(c.format == FORMAT_GIF ? c.option : 0, FORMAT_GIF);
    img.SetCodecOption(c.format == FORMAT_TIF ? c.option : 0, FORMAT_TIF);
    img.SetCodecOption(c.format == FORMAT_PNG ? c.option : 0, FORMAT_PNG);
    if (c.format == kReduceOnly) {
        const long baseKiB = CurrentRssKiB();
        ResetPeakRss();
        const auto t0 = std::chrono::steady_clock::now();
        if (!img.DecreaseBpp()) return 1;
        const auto t1 = std::chrono::steady_clock::now();
        const long peak = PeakRssKiB();
        std::printf("%-26s %8.0f %8s %7s %9s %8ld %8ld\n", c.label, Seconds(t0, t1) * 1000, "-", "-", "-", peak / 1024,
                    (peak - baseKiB) / 1024);
        return 0;
    }
    const auto* codec = imagecodec::FindCodec(static_cast<ImageFormat>(c.format));
    if (!codec || !codec->encode) {
        std::printf("%-26s unsupported\n", c.label);
        return 0;
    }
    const long baseKiB = CurrentRssKiB();
    ResetPeakRss();
    const auto t0 = std::chrono::steady_clock::now();
    if (c.format == FORMAT_GIF && !img.DecreaseBpp()) return 1;
    const auto t1 = std::chrono::steady_clock::now();
    std::vector<uint8_t> file;
    std::string why;
    if (!codec->encode(img.Data(), img.Options(), file, &why)) {
        std::printf("%-26s failed: %s\n", c.label, why.c_str());
        return 0;
    }
    const auto t2 = std::chrono::steady_clock::now();
    const std::string path = folder + "/bench_frame." + c.extension;
    if (!boxora::WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(file.data()), file.size()),
                                     &why)) {
        std::printf("%-26s write failed: %s\n", c.label, why.c_str());
        return 0;
    }
    const auto t3 = std::chrono::steady_clock::now();
    const long peak = PeakRssKiB();
    std::printf("%-26s %8.0f %8.0f %7.0f %9.2f %8ld %8ld\n", c.label, Seconds(t0, t1) * 1000, Seconds(t1, t2) * 1000,
                Seconds(t2, t3) * 1000, file.size() / 1048576.0, peak / 1024, (peak - baseKiB) / 1024);
    std::fflush(stdout);
    std::remove(path.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const uint32_t n = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) : 3000;
    const std::string folder = argc > 2 ? argv[2] : "/tmp";
    if (n == 0 || n > 10000) return 2;
    std::printf("frame %u x %u, B G R + alpha; times in ms, sizes in MiB\n", n, n);
    std::printf("%-26s %8s %8s %7s %9s %8s %8s\n", "format", "reduce", "encode", "write", "file", "peakRSS", "+encode");
    for (const Case& c : kCases) {
        std::fflush(stdout);
        const pid_t pid = fork();
        if (pid < 0) return 1;
        if (pid == 0) {
            const int rc = RunCase(c, n, folder);
            std::fflush(stdout);
            _exit(rc);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::printf("%-26s child failed\n", c.label);
    }
    return 0;
}
