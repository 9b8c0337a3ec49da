#include "image/StandardPalette.h"

#include <cstdlib>

namespace imagecodec {
namespace {

constexpr int kCubeLevels = 6;
constexpr int kCubeEntries = kCubeLevels * kCubeLevels * kCubeLevels;  // 216
constexpr int kWeightR = 3, kWeightG = 4, kWeightB = 2;
constexpr int kWeightSum = kWeightR + kWeightG + kWeightB;

// Level value of cube step i (0..5).
constexpr int CubeLevel(int i) { return i * 51; }

struct Tables {
    std::array<uint8_t, 4 * kStandardPaletteEntries> palette{};
    // Nearest cube step for each channel value.
    std::array<uint8_t, 256> cubeStep{};
    // For a weighted grey value s = 3r + 4g + 2b (0..2295): the palette index
    // of the grey (cube grey or extra grey) nearest to s / 9, and its value.
    std::array<uint8_t, 255 * kWeightSum + 1> greyIndex{};
    std::array<uint8_t, 255 * kWeightSum + 1> greyValue{};

    Tables() {
        for (int r = 0; r < kCubeLevels; ++r)
            for (int g = 0; g < kCubeLevels; ++g)
                for (int b = 0; b < kCubeLevels; ++b) {
                    const int i = r * 36 + g * 6 + b;
                    palette[4 * i + 0] = static_cast<uint8_t>(CubeLevel(b));
                    palette[4 * i + 1] = static_cast<uint8_t>(CubeLevel(g));
                    palette[4 * i + 2] = static_cast<uint8_t>(CubeLevel(r));
                }
        // Extra greys: 8 between each pair of neighbouring cube greys, 7 in
        // the darkest gap (39 in all), evenly spaced inside each gap.
        struct Grey {
            int value;
            int index;
        };
        std::array<Grey, 6 + 39> greys{};
        int count = 0;
        int next = kCubeEntries;
        for (int gap = 0; gap < kCubeLevels; ++gap) {
            const int lo = CubeLevel(gap);
            const int cubeIndex = gap * 36 + gap * 6 + gap;
            greys[count++] = {lo, cubeIndex};
            if (gap == kCubeLevels - 1) break;
            const int inside = gap == 0 ? 7 : 8;
            for (int k = 1; k <= inside; ++k) {
                const int v = lo + (51 * k + (inside + 1) / 2) / (inside + 1);
                palette[4 * next + 0] = palette[4 * next + 1] = palette[4 * next + 2] = static_cast<uint8_t>(v);
                greys[count++] = {v, next++};
            }
        }
        // next == 255 here: the reserved entry stays black and is never chosen.
        for (int v = 0; v < 256; ++v) cubeStep[v] = static_cast<uint8_t>((v + 25) / 51);
        for (int s = 0; s <= 255 * kWeightSum; ++s) {
            // Nearest grey to s / 9, compared in units of 1/9.
            int best = 0;
            int bestDist = 1 << 30;
            for (int k = 0; k < count; ++k) {
                const int d = std::abs(greys[k].value * kWeightSum - s);
                if (d < bestDist) {
                    bestDist = d;
                    best = k;
                }
            }
            greyIndex[s] = static_cast<uint8_t>(greys[best].index);
            greyValue[s] = static_cast<uint8_t>(greys[best].value);
        }
    }
};

const Tables& GetTables() {
    static const Tables tables;
    return tables;
}

inline uint8_t Nearest(const Tables& t, int r, int g, int b) {
    const int sr = t.cubeStep[r], sg = t.cubeStep[g], sb = t.cubeStep[b];
    const int dr = r - CubeLevel(sr), dg = g - CubeLevel(sg), db = b - CubeLevel(sb);
    const int cubeDist = kWeightR * dr * dr + kWeightG * dg * dg + kWeightB * db * db;
    const int s = kWeightR * r + kWeightG * g + kWeightB * b;
    const int v = t.greyValue[s];
    const int gr = r - v, gg = g - v, gb = b - v;
    const int greyDist = kWeightR * gr * gr + kWeightG * gg * gg + kWeightB * gb * gb;
    if (greyDist < cubeDist) return t.greyIndex[s];
    return static_cast<uint8_t>(sr * 36 + sg * 6 + sb);
}

}  // namespace

const std::array<uint8_t, 4 * kStandardPaletteEntries>& StandardPalette() { return GetTables().palette; }

uint8_t NearestStandardIndex(uint8_t r, uint8_t g, uint8_t b) { return Nearest(GetTables(), r, g, b); }

void MapToStandardPalette(const uint8_t* bgr, std::size_t count, uint8_t* indices) {
    const Tables& t = GetTables();
    for (std::size_t i = 0; i < count; ++i, bgr += 3) indices[i] = Nearest(t, bgr[2], bgr[1], bgr[0]);
}

}  // namespace imagecodec
