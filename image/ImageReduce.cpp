#include "image/ImageReduce.h"

#include <algorithm>

#include "image/CodecSupport.h"

namespace imagecodec {

uint32_t ReductionFactor(uint32_t width, uint32_t height, uint32_t maxSide) {
    if (maxSide == 0) return 1;
    const uint32_t longest = std::max(width, height);
    return std::max<uint32_t>(1, (longest + maxSide - 1) / maxSide);
}

bool RowReducer::Start(uint32_t width, uint32_t height, uint32_t factor, bool withAlpha, ImageData& out) {
    out_ = &out;
    width_ = width;
    height_ = height;
    factor_ = std::max<uint32_t>(1, factor);
    outWidth_ = (width + factor_ - 1) / factor_;
    const uint32_t outHeight = (height + factor_ - 1) / factor_;
    rowsIn_ = rowsInBlock_ = outRow_ = 0;
    sums_.assign(std::size_t{outWidth_} * 4, 0);
    return out.Allocate(outWidth_, outHeight, 24, withAlpha);
}

void RowReducer::AddRow(const uint8_t* samples, int channels) {
    if (rowsIn_ >= height_) return;
    for (uint32_t x = 0; x < width_; ++x) {
        uint32_t* sum = &sums_[std::size_t{x / factor_} * 4];
        const uint8_t* s = samples + std::size_t{x} * static_cast<std::size_t>(channels);
        sum[0] += s[0];
        sum[1] += s[1];
        sum[2] += s[2];
        sum[3] += channels == 4 ? s[3] : 255;
    }
    ++rowsIn_;
    if (++rowsInBlock_ == factor_ || rowsIn_ == height_) Flush();
}

void RowReducer::Flush() {
    // Rows arrive top first; ImageData keeps the bottom row first.
    const uint32_t stored = out_->height - 1 - outRow_;
    uint8_t* dst = out_->pixels.data() + std::size_t{stored} * outWidth_ * 3;
    uint8_t* alpha = out_->alpha.empty() ? nullptr : out_->alpha.data() + std::size_t{stored} * outWidth_;
    for (uint32_t x = 0; x < outWidth_; ++x) {
        const uint32_t columns = std::min(factor_, width_ - x * factor_);
        const uint32_t count = columns * rowsInBlock_;
        uint32_t* sum = &sums_[std::size_t{x} * 4];
        for (int c = 0; c < 3; ++c) dst[3 * x + c] = static_cast<uint8_t>((sum[c] + count / 2) / count);
        if (alpha) alpha[x] = static_cast<uint8_t>((sum[3] + count / 2) / count);
        sum[0] = sum[1] = sum[2] = sum[3] = 0;
    }
    rowsInBlock_ = 0;
    ++outRow_;
}

void ReduceToFit(ImageData& image, uint32_t maxSide) {
    if (image.Empty()) return;
    const uint32_t factor = ReductionFactor(image.width, image.height, maxSide);
    if (factor == 1) return;
    ImageData reduced;
    RowReducer reducer;
    const bool withAlpha = !image.alpha.empty();
    if (!reducer.Start(image.width, image.height, factor, withAlpha, reduced)) {
        image.Clear();
        return;
    }
    std::vector<uint8_t> row(std::size_t{image.width} * 4);
    for (uint32_t y = image.height; y-- > 0;) {  // top row first
        RowToBgr(image, y, row.data() + 0);
        // Spread B, G, R triples to quads, from the end so nothing is overwritten.
        for (uint32_t x = image.width; x-- > 0;) {
            row[4 * x + 2] = row[3 * x + 2];
            row[4 * x + 1] = row[3 * x + 1];
            row[4 * x + 0] = row[3 * x + 0];
            row[4 * x + 3] = withAlpha ? image.alpha[std::size_t{y} * image.width + x] : 255;
        }
        reducer.AddRow(row.data(), 4);
    }
    image = std::move(reduced);
}

}  // namespace imagecodec
