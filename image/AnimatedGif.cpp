#include "image/AnimatedGif.h"

#include <algorithm>
#include <new>

#include "image/CodecBytes.h"
#include "image/GifCodeStream.h"
#include "image/SharedPalette.h"

namespace imagecodec {

using bytes::PutLe16;

AnimatedGifEncoder::AnimatedGifEncoder(int width, int height, int delayCentiseconds, bool transparent)
    : width_(width), height_(height), delay_(std::clamp(delayCentiseconds, 1, 0xFFFF)), transparent_(transparent) {}

AnimatedGifEncoder::~AnimatedGifEncoder() {
    if (spool_) std::fclose(spool_);
}

void AnimatedGifEncoder::AddFrame(const uint8_t* rgba) {
    const std::size_t count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    palette_.Count(rgba, count);
    ++count_;
    if (!spoolTried_) {
        spoolTried_ = true;
        spool_ = std::tmpfile();
    }
    if (spool_) {
        if (std::fwrite(rgba, 4, count, spool_) != count) lost_ = true;
        return;
    }
    frames_.emplace_back(rgba, rgba + count * 4);
}

bool AnimatedGifEncoder::Finish(std::vector<uint8_t>& out, std::string* why) try {
    out.clear();
    auto fail = [&](const char* reason) {
        out.clear();
        if (why) *why = reason;
        return false;
    };
    if (count_ == 0) return fail("the animation has no frames");
    if (lost_ || (spool_ && std::fseek(spool_, 0, SEEK_SET) != 0)) return fail("the frames could not be kept");
    if (width_ < 1 || height_ < 1 || width_ > 0xFFFF || height_ > 0xFFFF) return fail("the image is too large for GIF");
    const std::size_t count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);

    // Index 255 stays free for the see-through pixels.
    SharedPalette& palette = palette_;
    palette.Build(transparent_ ? 255 : 256);
    const std::vector<uint8_t>& colours = palette.Colours();
    const int transparentIndex = transparent_ ? 255 : -1;

    const char* signature = "GIF89a";
    out.insert(out.end(), signature, signature + 6);
    PutLe16(out, static_cast<uint32_t>(width_));
    PutLe16(out, static_cast<uint32_t>(height_));
    out.push_back(0x80 | (7 << 4) | 7);  // a global table of 256 entries
    out.push_back(0);
    out.push_back(0);
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 3; ++c) out.push_back(std::size_t(i) * 3 + c < colours.size() ? colours[i * 3 + c] : 0);
    // Loops forever (the application extension every browser honours).
    const uint8_t loop[] = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0};
    out.insert(out.end(), loop, loop + sizeof loop);

    std::vector<uint8_t> indices(count);
    std::vector<uint8_t> frame;
    for (int f = 0; f < count_; ++f) {
        if (spool_) {
            frame.resize(count * 4);
            if (std::fread(frame.data(), 4, count, spool_) != count) return fail("the frames could not be kept");
        } else {
            frame = std::move(frames_[static_cast<std::size_t>(f)]);
        }
        for (std::size_t i = 0; i < count; ++i) {
            const uint8_t* p = frame.data() + 4 * i;
            indices[i] = transparentIndex >= 0 && p[3] == 0 ? static_cast<uint8_t>(transparentIndex)
                                                            : palette.Map(p[0], p[1], p[2]);
        }
        // A see-through frame must not show the one before it: each is
        // cleared to the background before the next is drawn.
        const uint8_t disposal = transparentIndex >= 0 ? 2 : 1;
        const uint8_t gce[] = {0x21,
                               0xF9,
                               4,
                               static_cast<uint8_t>((disposal << 2) | (transparentIndex >= 0 ? 1 : 0)),
                               static_cast<uint8_t>(delay_ & 0xFF),
                               static_cast<uint8_t>(delay_ >> 8),
                               static_cast<uint8_t>(transparentIndex >= 0 ? transparentIndex : 0),
                               0};
        out.insert(out.end(), gce, gce + sizeof gce);
        out.push_back(0x2C);
        PutLe16(out, 0);
        PutLe16(out, 0);
        PutLe16(out, static_cast<uint32_t>(width_));
        PutLe16(out, static_cast<uint32_t>(height_));
        out.push_back(0);
        out.push_back(8);
        const std::vector<uint8_t> stream = gif::WriteCodeStream(indices.data(), count, 8, gif::CodeStreamKind::Lzw);
        for (std::size_t at = 0; at < stream.size(); at += 255) {
            const std::size_t n = std::min<std::size_t>(255, stream.size() - at);
            out.push_back(static_cast<uint8_t>(n));
            out.insert(out.end(), stream.begin() + static_cast<std::ptrdiff_t>(at),
                       stream.begin() + static_cast<std::ptrdiff_t>(at + n));
        }
        out.push_back(0);
    }
    frames_.clear();
    if (spool_) std::fclose(spool_);
    spool_ = nullptr;
    spoolTried_ = false;
    count_ = 0;
    out.push_back(0x3B);
    return true;
} catch (const std::bad_alloc&) {
    out.clear();
    if (why) *why = "out of memory";
    return false;
}

}  // namespace imagecodec
