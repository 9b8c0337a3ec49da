#pragma once
// Bounded little-endian reading of 3DS chunk data. A read past the end of
// the current range fails and leaves the position at the end; nothing is
// ever read outside the range.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class ChunkStream {
public:
    ChunkStream(const uint8_t* data, std::size_t begin, std::size_t end) : data_(data), pos_(begin), end_(end) {}

    std::size_t Position() const { return pos_; }
    std::size_t End() const { return end_; }
    std::size_t Remaining() const { return end_ - pos_; }
    void SkipToEnd() { pos_ = end_; }
    // Moves to an offset within the range (clamped to its end).
    void Seek(std::size_t offset) { pos_ = offset < end_ ? (offset > pos_ ? offset : pos_) : end_; }

    bool U8(uint8_t& v) {
        if (Remaining() < 1) return Fail();
        v = data_[pos_++];
        return true;
    }
    bool U16(uint16_t& v) {
        if (Remaining() < 2) return Fail();
        v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return true;
    }
    bool U32(uint32_t& v) {
        if (Remaining() < 4) return Fail();
        v = static_cast<uint32_t>(data_[pos_]) | (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
            (static_cast<uint32_t>(data_[pos_ + 2]) << 16) | (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
        pos_ += 4;
        return true;
    }
    bool F32(float& v) {
        uint32_t bits;
        if (!U32(bits)) return false;
        std::memcpy(&v, &bits, 4);
        return true;
    }
    // A 0-terminated byte string: everything up to and including the 0 is
    // consumed (or up to the end of the range when there is none); at most
    // maxBytes bytes are kept.
    std::string CString(std::size_t maxBytes) {
        std::string s;
        while (pos_ < end_) {
            const char c = static_cast<char>(data_[pos_++]);
            if (c == 0) break;
            if (s.size() < maxBytes) s.push_back(c);
        }
        return s;
    }
    // The rest of the range as a string, cut at its first 0 and at maxBytes.
    std::string RestAsString(std::size_t maxBytes) {
        std::string s;
        while (pos_ < end_) {
            const char c = static_cast<char>(data_[pos_++]);
            if (c == 0) {
                pos_ = end_;
                break;
            }
            if (s.size() < maxBytes) s.push_back(c);
        }
        return s;
    }

private:
    bool Fail() {
        pos_ = end_;
        return false;
    }
    const uint8_t* data_;
    std::size_t pos_;
    std::size_t end_;
};
