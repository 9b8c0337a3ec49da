#include "image/GifCodeStream.h"

#include <algorithm>
#include <array>
#include <memory>

namespace imagecodec::gif {
namespace {

constexpr int kMaxBits = 12;
constexpr unsigned kMaxCodes = 1u << kMaxBits;  // 4096

// Packs codes least significant bit first.
class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
    void Put(unsigned code, int width) {
        acc_ |= static_cast<uint64_t>(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            out_.push_back(static_cast<uint8_t>(acc_));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    void Flush() {
        if (bits_ > 0) out_.push_back(static_cast<uint8_t>(acc_));
        acc_ = 0;
        bits_ = 0;
    }

private:
    std::vector<uint8_t>& out_;
    uint64_t acc_ = 0;
    int bits_ = 0;
};

// Dictionary of (prefix code, next index) → code, open addressing.
class LzwDictionary {
public:
    LzwDictionary() { Reset(); }
    void Reset() { std::fill(std::begin(keys_), std::end(keys_), kEmpty); }
    // The code for the pair, or -1.
    int Find(unsigned prefix, unsigned index, unsigned& slot) const {
        const uint32_t key = (prefix << 8) | index;
        slot = Hash(key);
        while (keys_[slot] != kEmpty) {
            if (keys_[slot] == key) return codes_[slot];
            slot = (slot + 1) & (kSize - 1);
        }
        return -1;
    }
    void Insert(unsigned slot, unsigned prefix, unsigned index, unsigned code) {
        keys_[slot] = (prefix << 8) | index;
        codes_[slot] = static_cast<uint16_t>(code);
    }

private:
    static constexpr unsigned kSize = 8192;  // twice the most codes a table holds
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
    static unsigned Hash(uint32_t key) { return (key * 2654435761u) >> (32 - 13); }
    uint32_t keys_[kSize];
    uint16_t codes_[kSize];
};

void WriteLzw(const uint8_t* px, std::size_t count, int minCodeSize, BitWriter& bits) {
    const unsigned clear = 1u << minCodeSize, eoi = clear + 1;
    auto dict = std::make_unique<LzwDictionary>();
    int width = minCodeSize + 1;
    unsigned next = clear + 2;
    bits.Put(clear, width);
    if (count == 0) {
        bits.Put(eoi, width);
        return;
    }
    unsigned prefix = px[0];
    for (std::size_t i = 1; i < count; ++i) {
        const unsigned c = px[i];
        unsigned slot;
        const int found = dict->Find(prefix, c, slot);
        if (found >= 0) {
            prefix = static_cast<unsigned>(found);
            continue;
        }
        bits.Put(prefix, width);
        if (next < kMaxCodes) {
            dict->Insert(slot, prefix, c, next++);
            // The decoder adds its entry one code later; it needs a wider
            // code as soon as its next free code no longer fits.
            if (next > (1u << width) && width < kMaxBits) ++width;
        } else {
            bits.Put(clear, width);
            dict->Reset();
            next = clear + 2;
            width = minCodeSize + 1;
        }
        prefix = c;
    }
    bits.Put(prefix, width);
    bits.Put(eoi, width);
}

// Codes per table before a clear code keeps the decoder at the initial code
// size: after this many codes its next free code is still below
// 1 << (minCodeSize + 1).
unsigned CodesPerTable(int minCodeSize) { return (1u << minCodeSize) - 2; }

void WriteLiteral(const uint8_t* px, std::size_t count, int minCodeSize, BitWriter& bits) {
    const unsigned clear = 1u << minCodeSize, eoi = clear + 1;
    const int width = minCodeSize + 1;
    const unsigned perTable = CodesPerTable(minCodeSize);
    bits.Put(clear, width);
    unsigned used = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (used == perTable) {
            bits.Put(clear, width);
            used = 0;
        }
        bits.Put(px[i], width);
        ++used;
    }
    bits.Put(eoi, width);
}

// Run-length coding through the decoder's own dictionary. Every code sent
// stands for a run of one index (a literal is a run of one), so the entry
// the decoder adds for each code (previous string + first index of this
// one) is again a run when both codes are runs of the same index; the
// encoder mirrors those entries and reuses the longest that fits. A code
// equal to the decoder's next free code repeats the previous run one pixel
// longer, so a run grows 1, 2, 3, ... pixels per code even before anything
// is known. The code size stays fixed through regular clear codes.
class RunLengthWriter {
public:
    RunLengthWriter(int minCodeSize, BitWriter& bits)
        : clear_(1u << minCodeSize), width_(minCodeSize + 1), perTable_(CodesPerTable(minCodeSize)), bits_(bits) {
        runCode_.assign(256 * 256, 0);
        longest_.fill(0);
    }

    void Write(const uint8_t* px, std::size_t count) {
        bits_.Put(clear_, width_);
        std::size_t i = 0;
        while (i < count) {
            const uint8_t p = px[i];
            std::size_t run = 1;
            while (i + run < count && px[i + run] == p) ++run;
            i += run;
            while (run > 0) run -= Emit(p, run);
        }
        bits_.Put(clear_ + 1, width_);
    }

private:
    // Sends one code for up to `left` pixels of index p; returns the pixels covered.
    std::size_t Emit(uint8_t p, std::size_t left) {
        if (used_ == perTable_) Clear();
        unsigned code = p;
        unsigned len = 1;
        if (left > 1) {
            // The longest run of p already in the table.
            for (unsigned l = std::min<std::size_t>(left, longest_[p]); l >= 2; --l) {
                if (const uint16_t c = runCode_[p * 256 + l]) {
                    code = c;
                    len = l;
                    break;
                }
            }
            // The next free code: the previous run one longer.
            if (used_ > 0 && prevPixel_ == p && prevLen_ + 1 <= left && prevLen_ + 1 > len) {
                code = NextFree();
                len = prevLen_ + 1;
            }
        }
        bits_.Put(code, width_);
        if (used_ > 0 && prevPixel_ == p && prevLen_ + 1 < 256) Remember(p, prevLen_ + 1, NextFree());
        ++used_;
        prevPixel_ = p;
        prevLen_ = len;
        return len;
    }

    // The code the decoder gives to the entry it creates on the next code.
    unsigned NextFree() const { return clear_ + 2 + (used_ - 1); }

    void Remember(uint8_t p, unsigned len, unsigned code) {
        uint16_t& slot = runCode_[p * 256 + len];
        if (slot) return;
        slot = static_cast<uint16_t>(code);
        touched_.push_back(p * 256 + len);
        longest_[p] = std::max<uint16_t>(longest_[p], static_cast<uint16_t>(len));
    }

    void Clear() {
        bits_.Put(clear_, width_);
        for (unsigned t : touched_) {
            runCode_[t] = 0;
            longest_[t / 256] = 0;
        }
        touched_.clear();
        used_ = 0;
    }

    const unsigned clear_;
    const int width_;
    const unsigned perTable_;
    BitWriter& bits_;
    std::vector<uint16_t> runCode_;  // [index][length] → code, 0 when unknown
    std::array<uint16_t, 256> longest_;
    std::vector<unsigned> touched_;
    unsigned used_ = 0;  // codes sent since the last clear code
    uint8_t prevPixel_ = 0;
    unsigned prevLen_ = 0;
};

}  // namespace

std::vector<uint8_t> WriteCodeStream(const uint8_t* indices, std::size_t count, int minCodeSize, CodeStreamKind kind) {
    minCodeSize = std::clamp(minCodeSize, 2, 8);
    std::vector<uint8_t> out;
    out.reserve(kind == CodeStreamKind::Lzw ? count / 2 + 64 : count + count / 4 + 64);
    BitWriter bits(out);
    switch (kind) {
        case CodeStreamKind::Lzw: WriteLzw(indices, count, minCodeSize, bits); break;
        case CodeStreamKind::Literal: WriteLiteral(indices, count, minCodeSize, bits); break;
        case CodeStreamKind::RunLength: RunLengthWriter(minCodeSize, bits).Write(indices, count); break;
    }
    bits.Flush();
    return out;
}

}  // namespace imagecodec::gif
