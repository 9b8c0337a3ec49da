#include "image/PngBlockWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <future>
#include <new>
#include <thread>

#include "image/ImageData.h"

namespace imagecodec {

namespace {

// Raw bytes per piece: small enough that a 3000-pixel picture gives every
// worker a couple of dozen pieces, large enough that starting each deflate
// afresh costs little in file size.
constexpr std::size_t kPieceBytes = 1u << 20;
constexpr int kLevel = 6;  // libpng's default level, for files of the same size

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    const uint8_t b[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                          static_cast<uint8_t>(v)};
    out.insert(out.end(), b, b + 4);
}

// One chunk: length, type, data (in up to three parts, joined), CRC.
void PutChunk(std::vector<uint8_t>& out, const char* type,
              std::initializer_list<std::pair<const uint8_t*, std::size_t>> parts) {
    std::size_t length = 0;
    for (const auto& p : parts) length += p.second;
    PutBe32(out, static_cast<uint32_t>(length));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    for (const auto& p : parts) out.insert(out.end(), p.first, p.first + p.second);
    uLong crc = crc32(0L, Z_NULL, 0);
    std::size_t at = typeAt;
    while (at < out.size()) {
        const auto step = static_cast<uInt>(std::min<std::size_t>(out.size() - at, 1u << 30));
        crc = crc32(crc, out.data() + at, step);
        at += step;
    }
    PutBe32(out, static_cast<uint32_t>(crc));
}

// Byte weight of libpng's filter choice: small signed residues are cheap.
inline unsigned Weight(uint8_t v) { return v < 128 ? v : 256u - v; }

inline uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// The residues of one filter type over a row, and their weight; gives up
// (returning at least limit) once the weight reaches limit.
template <int Type>
unsigned FilterWith(const uint8_t* cur, const uint8_t* prev, std::size_t n, int bpp, uint8_t* out, unsigned limit) {
    unsigned sum = 0;
    const auto b = static_cast<std::size_t>(bpp);
    for (std::size_t i = 0; i < n; ++i) {
        const int a = i >= b ? cur[i - b] : 0;
        const int up = prev[i];
        int pred;
        if constexpr (Type == 1)
            pred = a;
        else if constexpr (Type == 2)
            pred = up;
        else if constexpr (Type == 3)
            pred = (a + up) >> 1;
        else
            pred = Paeth(a, up, i >= b ? prev[i - b] : 0);
        const auto v = static_cast<uint8_t>(cur[i] - pred);
        out[i] = v;
        sum += Weight(v);
        // Checked every 256 bytes: often enough to stop early, seldom
        // enough to keep the loop tight.
        if ((i & 255) == 255 && sum >= limit) return sum;
    }
    return sum;
}

// Filters one row (cur; prev is the row above, zeros for the first) into
// out: the filter byte and the residues, with the filter of the smallest
// weight, as libpng chooses.
void FilterRow(const uint8_t* cur, const uint8_t* prev, std::size_t n, int bpp, uint8_t* out, uint8_t* trial) {
    unsigned best = 0;
    for (std::size_t i = 0; i < n; ++i) best += Weight(cur[i]);
    out[0] = 0;
    std::memcpy(out + 1, cur, n);
    const auto consider = [&](int type, unsigned sum) {
        if (sum >= best) return;
        best = sum;
        out[0] = static_cast<uint8_t>(type);
        std::memcpy(out + 1, trial, n);
    };
    consider(1, FilterWith<1>(cur, prev, n, bpp, trial, best));
    consider(2, FilterWith<2>(cur, prev, n, bpp, trial, best));
    consider(3, FilterWith<3>(cur, prev, n, bpp, trial, best));
    consider(4, FilterWith<4>(cur, prev, n, bpp, trial, best));
}

// A run of rows deflated on its own.
struct Piece {
    std::vector<uint8_t> rgba;  // the row above first (when any), then the rows
    bool hasAbove = false;
    uint32_t rows = 0;
    bool last = false;
    // Results.
    std::vector<uint8_t> deflated;
    uLong adler = 1;
    std::size_t rawLength = 0;
    bool ok = false;
};

void Compress(Piece& piece, uint32_t width, int channels, bool opaque) {
    const std::size_t pixelsBytes = static_cast<std::size_t>(width) * 4;
    const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
    std::vector<uint8_t> above(n, 0), cur(n), trial(n);
    std::vector<uint8_t> filtered(static_cast<std::size_t>(piece.rows) * (n + 1));
    const auto pack = [&](const uint8_t* src, uint8_t* dst) {
        if (channels == 4) {
            std::memcpy(dst, src, n);
            if (opaque)
                for (std::size_t i = 3; i < n; i += 4) dst[i] = 255;
            return;
        }
        for (uint32_t x = 0; x < width; ++x) std::memcpy(dst + 3 * x, src + 4 * x, 3);
    };
    const uint8_t* src = piece.rgba.data();
    if (piece.hasAbove) {
        pack(src, above.data());
        src += pixelsBytes;
    }
    for (uint32_t r = 0; r < piece.rows; ++r, src += pixelsBytes) {
        pack(src, cur.data());
        FilterRow(cur.data(), above.data(), n, channels, filtered.data() + r * (n + 1), trial.data());
        std::swap(cur, above);
    }
    std::vector<uint8_t>().swap(piece.rgba);
    piece.rawLength = filtered.size();
    piece.adler = adler32_z(1L, filtered.data(), filtered.size());

    z_stream z{};
    if (deflateInit2(&z, kLevel, Z_DEFLATED, -15, 8, Z_FILTERED) != Z_OK) return;
    piece.deflated.resize(deflateBound(&z, static_cast<uLong>(filtered.size())) + 64);
    z.next_in = filtered.data();
    z.avail_in = static_cast<uInt>(filtered.size());
    z.next_out = piece.deflated.data();
    z.avail_out = static_cast<uInt>(piece.deflated.size());
    const int flush = piece.last ? Z_FINISH : Z_SYNC_FLUSH;
    int status = deflate(&z, flush);
    while ((piece.last ? status != Z_STREAM_END : z.avail_out == 0) && (status == Z_OK || status == Z_BUF_ERROR)) {
        const std::size_t used = piece.deflated.size() - z.avail_out;
        piece.deflated.resize(piece.deflated.size() * 2);
        z.next_out = piece.deflated.data() + used;
        z.avail_out = static_cast<uInt>(piece.deflated.size() - used);
        status = deflate(&z, flush);
    }
    piece.ok = piece.last ? status == Z_STREAM_END : status == Z_OK || status == Z_BUF_ERROR;
    piece.deflated.resize(piece.deflated.size() - z.avail_out);
    deflateEnd(&z);
}

}  // namespace

struct PngBlockWriter::Impl {
    PngBlockSettings settings;
    int channels = 3;
    uint32_t pieceRows = 1;
    uint32_t rowsDone = 0;
    std::size_t workers = 1;
    std::string error;
    std::vector<uint8_t> file;
    std::vector<uint8_t> lastRow;  // the last row of the piece before, R G B A
    std::unique_ptr<Piece> filling;
    std::deque<std::pair<std::unique_ptr<Piece>, std::future<void>>> running;
    uLong adler = 1;
    bool headerWritten = false;

    bool Fail(const std::string& why) {
        if (error.empty()) error = why;
        return false;
    }

    // Appends the oldest piece's bytes as one IDAT chunk.
    bool Collect() {
        auto [piece, done] = std::move(running.front());
        running.pop_front();
        done.get();
        if (!piece->ok) return Fail("PNG compression failed");
        adler = adler32_combine(adler, piece->adler, static_cast<z_off_t>(piece->rawLength));
        uint8_t head[2] = {0x78, 0x9c};
        uint8_t tail[4] = {static_cast<uint8_t>(adler >> 24), static_cast<uint8_t>(adler >> 16),
                           static_cast<uint8_t>(adler >> 8), static_cast<uint8_t>(adler)};
        PutChunk(file, "IDAT",
                 {{head, headerWritten ? 0u : 2u},
                  {piece->deflated.data(), piece->deflated.size()},
                  {tail, piece->last ? 4u : 0u}});
        headerWritten = true;
        return true;
    }

    bool Launch() {
        std::unique_ptr<Piece> piece = std::move(filling);
        piece->last = rowsDone == settings.height;
        while (running.size() >= workers)
            if (!Collect()) return false;
        Piece* raw = piece.get();
        const uint32_t width = settings.width;
        const int ch = channels;
        const bool opaque = settings.opaque;
        try {
            running.emplace_back(std::move(piece), std::async(std::launch::async, [raw, width, ch, opaque] {
                                     Compress(*raw, width, ch, opaque);
                                 }));
        } catch (const std::system_error&) {
            // No thread to be had: compress here.
            Compress(*raw, width, ch, opaque);
            std::promise<void> now;
            now.set_value();
            running.emplace_back(std::move(piece), now.get_future());
        }
        return true;
    }
};

PngBlockWriter::PngBlockWriter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

PngBlockWriter::~PngBlockWriter() {
    for (auto& r : impl_->running) r.second.wait();
}

const std::string& PngBlockWriter::Error() const { return impl_->error; }

std::unique_ptr<PngBlockWriter> PngBlockWriter::Create(const PngBlockSettings& settings, std::string* why) {
    if (settings.width == 0 || settings.height == 0 || settings.width > kMaxDimension ||
        settings.height > kMaxDimension) {
        if (why) *why = "picture size not allowed";
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->settings = settings;
    impl->channels = settings.alpha ? 4 : 3;
    const std::size_t rowBytes = static_cast<std::size_t>(settings.width) * impl->channels;
    impl->pieceRows = static_cast<uint32_t>(std::clamp<std::size_t>(kPieceBytes / rowBytes, 1, settings.height));
    const unsigned cpus = std::max(1u, std::thread::hardware_concurrency());
    impl->workers = settings.threads > 0 ? static_cast<std::size_t>(settings.threads) : std::min(cpus, 4u);

    std::vector<uint8_t>& f = impl->file;
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    f.assign(kSignature, kSignature + 8);
    std::vector<uint8_t> ihdr;
    PutBe32(ihdr, settings.width);
    PutBe32(ihdr, settings.height);
    const uint8_t rest[5] = {8, static_cast<uint8_t>(settings.alpha ? 6 : 2), 0, 0, 0};
    ihdr.insert(ihdr.end(), rest, rest + 5);
    PutChunk(f, "IHDR", {{ihdr.data(), ihdr.size()}});
    if (!settings.iccProfile.empty()) {
        uLongf size = compressBound(static_cast<uLong>(settings.iccProfile.size()));
        std::vector<uint8_t> packed(size);
        if (compress2(packed.data(), &size, settings.iccProfile.data(), static_cast<uLong>(settings.iccProfile.size()),
                      Z_BEST_COMPRESSION) != Z_OK) {
            if (why) *why = "cannot compress the colour profile";
            return nullptr;
        }
        static const uint8_t kName[] = "ICC profile\0";  // name, terminator, method 0
        PutChunk(f, "iCCP", {{kName, sizeof kName}, {packed.data(), size}});
    }
    if (settings.dpi > 0) {
        std::vector<uint8_t> phys;
        const uint32_t ppm = DotsPerMetre(settings.dpi);
        PutBe32(phys, ppm);
        PutBe32(phys, ppm);
        phys.push_back(1);
        PutChunk(f, "pHYs", {{phys.data(), phys.size()}});
    }
    return std::unique_ptr<PngBlockWriter>(new PngBlockWriter(std::move(impl)));
}

bool PngBlockWriter::WriteRows(const uint8_t* rgba, std::ptrdiff_t stride, uint32_t count) {
    Impl& s = *impl_;
    if (!s.error.empty()) return false;
    if (count > s.settings.height - s.rowsDone) return s.Fail("more rows than the picture has");
    const std::size_t rowBytes = static_cast<std::size_t>(s.settings.width) * 4;
    try {
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* row = rgba + static_cast<std::ptrdiff_t>(i) * stride;
            if (!s.filling) {
                s.filling = std::make_unique<Piece>();
                const uint32_t rows = std::min(s.pieceRows, s.settings.height - s.rowsDone);
                s.filling->hasAbove = !s.lastRow.empty();
                s.filling->rgba.reserve((rows + (s.filling->hasAbove ? 1 : 0)) * rowBytes);
                s.filling->rgba.insert(s.filling->rgba.end(), s.lastRow.begin(), s.lastRow.end());
            }
            s.filling->rgba.insert(s.filling->rgba.end(), row, row + rowBytes);
            ++s.filling->rows;
            ++s.rowsDone;
            if (s.filling->rows == s.pieceRows || s.rowsDone == s.settings.height) {
                s.lastRow.assign(row, row + rowBytes);
                if (!s.Launch()) return false;
            }
        }
    } catch (const std::bad_alloc&) {
        return s.Fail("not enough memory");
    }
    return true;
}

bool PngBlockWriter::Finish(std::vector<uint8_t>& file) {
    Impl& s = *impl_;
    if (!s.error.empty()) return false;
    if (s.rowsDone != s.settings.height) return s.Fail("the picture is incomplete");
    try {
        while (!s.running.empty())
            if (!s.Collect()) return false;
        PutChunk(s.file, "IEND", {});
    } catch (const std::bad_alloc&) {
        return s.Fail("not enough memory");
    }
    file = std::move(s.file);
    return true;
}

}  // namespace imagecodec
