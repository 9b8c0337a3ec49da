#include "image/SharedPalette.h"

#include <algorithm>
#include <limits>

namespace imagecodec {

namespace {

// A box of histogram bins, each bin a colour at 5 bits per channel.
struct Box {
    std::vector<uint32_t> bins;
    uint64_t weight = 0;
    int lo[3] = {31, 31, 31};
    int hi[3] = {0, 0, 0};
    int LongestAxis() const {
        int axis = 0;
        for (int c = 1; c < 3; ++c)
            if (hi[c] - lo[c] > hi[axis] - lo[axis]) axis = c;
        return axis;
    }
    int Extent() const { return hi[LongestAxis()] - lo[LongestAxis()]; }
};

int Channel(uint32_t bin, int c) { return static_cast<int>((bin >> (5 * (2 - c))) & 31); }

Box MakeBox(std::vector<uint32_t> bins, const std::vector<uint64_t>& histogram) {
    Box box;
    box.bins = std::move(bins);
    for (uint32_t bin : box.bins) {
        box.weight += histogram[bin];
        for (int c = 0; c < 3; ++c) {
            box.lo[c] = std::min(box.lo[c], Channel(bin, c));
            box.hi[c] = std::max(box.hi[c], Channel(bin, c));
        }
    }
    return box;
}

}  // namespace

void SharedPalette::Count(const uint8_t* rgba, std::size_t pixelCount) {
    for (std::size_t i = 0; i < pixelCount; ++i, rgba += 4)
        if (rgba[3] != 0) {
            const std::size_t bin = Bin(rgba[0], rgba[1], rgba[2]);
            ++histogram_[bin];
            for (int c = 0; c < 3; ++c) sums_[3 * bin + c] += rgba[c];
        }
}

void SharedPalette::Build(int maxColours) {
    maxColours = std::clamp(maxColours, 1, 256);
    std::vector<uint32_t> used;
    for (uint32_t bin = 0; bin < kBins; ++bin)
        if (histogram_[bin] > 0) used.push_back(bin);
    if (used.empty()) used.push_back(0);

    // Median cut: the box with the widest spread of colours (weighted by
    // how many pixels it holds) is halved at its pixel median until there
    // are enough boxes.
    std::vector<Box> boxes;
    boxes.push_back(MakeBox(std::move(used), histogram_));
    while (static_cast<int>(boxes.size()) < maxColours) {
        int pick = -1;
        uint64_t best = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].bins.size() < 2) continue;
            const uint64_t score = static_cast<uint64_t>(boxes[i].Extent() + 1) * (boxes[i].weight + 1);
            if (pick < 0 || score > best) pick = static_cast<int>(i), best = score;
        }
        if (pick < 0) break;
        Box& box = boxes[static_cast<std::size_t>(pick)];
        const int axis = box.LongestAxis();
        std::sort(box.bins.begin(), box.bins.end(),
                  [axis](uint32_t a, uint32_t b) { return Channel(a, axis) < Channel(b, axis); });
        uint64_t half = 0;
        std::size_t cut = 1;
        for (; cut < box.bins.size(); ++cut) {
            half += histogram_[box.bins[cut - 1]];
            if (half * 2 >= box.weight) break;
        }
        cut = std::clamp<std::size_t>(cut, 1, box.bins.size() - 1);
        std::vector<uint32_t> upper(box.bins.begin() + static_cast<std::ptrdiff_t>(cut), box.bins.end());
        box.bins.resize(cut);
        Box lower = MakeBox(std::move(box.bins), histogram_);
        boxes[static_cast<std::size_t>(pick)] = std::move(lower);
        boxes.push_back(MakeBox(std::move(upper), histogram_));
    }

    // Each box's colour is its pixels' mean.
    colours_.clear();
    for (const Box& box : boxes) {
        double sum[3] = {0, 0, 0}, weight = 0;
        for (uint32_t bin : box.bins) {
            for (int c = 0; c < 3; ++c) sum[c] += static_cast<double>(sums_[3 * bin + c]);
            weight += static_cast<double>(histogram_[bin]);
        }
        for (int c = 0; c < 3; ++c) {
            // An empty box (nothing counted at all) is black.
            const double mean = weight > 0 ? sum[c] / weight : 0.0;
            colours_.push_back(static_cast<uint8_t>(std::clamp(mean + 0.5, 0.0, 255.0)));
        }
    }

    // Every bin, counted or not, maps to its nearest entry.
    const std::size_t n = colours_.size() / 3;
    for (uint32_t bin = 0; bin < kBins; ++bin) {
        // The bin's own mean where it was counted, its middle otherwise.
        int rgb[3];
        for (int c = 0; c < 3; ++c)
            rgb[c] = histogram_[bin] ? static_cast<int>(sums_[3 * bin + c] / histogram_[bin])
                                     : Channel(bin, c) * 255 / 31 + 4;
        int bestDistance = std::numeric_limits<int>::max();
        for (std::size_t i = 0; i < n; ++i) {
            const int dr = rgb[0] - colours_[3 * i], dg = rgb[1] - colours_[3 * i + 1],
                      db = rgb[2] - colours_[3 * i + 2];
            const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (d < bestDistance) bestDistance = d, lookup_[bin] = static_cast<uint8_t>(i);
        }
    }
}

}  // namespace imagecodec
