#pragma once
// PNG pictures (not interlaced) written quickly: the rows are filtered and
// deflated in independent pieces on worker threads while further rows are
// still arriving, and the pieces are joined into the one zlib stream a PNG
// holds (each piece but the last ends on a byte boundary without closing
// the stream; the checksums of the pieces are combined). The file decodes
// to the same pixels as one made by libpng; only the compressed bytes
// differ.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace imagecodec {

struct PngBlockSettings {
    uint32_t width = 0;
    uint32_t height = 0;
    bool alpha = false;   // RGBA; otherwise RGB and the A bytes are dropped
    bool opaque = false;  // with alpha: every A byte is written as 255
    int dpi = 0;          // written as pHYs; 0 writes none
    // An ICC profile written as iCCP (named "ICC profile"); empty writes none.
    std::vector<uint8_t> iccProfile;
    // Worker threads; 0 takes one per processor (at most 4).
    int threads = 0;
};

class PngBlockWriter {
public:
    // Null (why says so) when the size cannot be written.
    static std::unique_ptr<PngBlockWriter> Create(const PngBlockSettings& settings, std::string* why);
    ~PngBlockWriter();

    // count rows, top down, each width × 4 bytes R, G, B, A; row i starts
    // at rgba + i × stride (a negative stride reads rows stored bottom up).
    // False once anything failed; later calls do nothing.
    bool WriteRows(const uint8_t* rgba, std::ptrdiff_t stride, uint32_t count);
    // After every row: the whole file, in memory.
    bool Finish(std::vector<uint8_t>& file);
    const std::string& Error() const;

    PngBlockWriter(const PngBlockWriter&) = delete;
    PngBlockWriter& operator=(const PngBlockWriter&) = delete;

private:
    struct Impl;
    explicit PngBlockWriter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace imagecodec
