// JPEG 2000 files (JP2) and code streams (JPC) with OpenJPEG, on memory
// streams. Written files are lossless (reversible 5/3 wavelet, one quality
// layer): the export has no quality setting for these formats, so nothing
// of the rendered frame is thrown away. The alpha plane is a fourth
// component (marked as opacity in a JP2 file).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include <openjpeg.h>

#include "image/CodecRegistry.h"
#include "image/CodecSupport.h"
#include "image/ImageReduce.h"

namespace imagecodec {
namespace {

// The decoder keeps every component sample as a 32-bit integer: the
// header's sizes must stay below this many samples in all.
constexpr uint64_t kMaxDecodedSamples = 200ull << 20;
constexpr OPJ_UINT32 kMaxComponents = 4;
// Written files are cut into tiles of this size.
constexpr uint32_t kTileSize = 1024;

struct Message {
    char text[200];
};

void OnOpjError(const char* msg, void* user) {
    auto* m = static_cast<Message*>(user);
    if (m && m->text[0] == '\0') {
        std::snprintf(m->text, sizeof m->text, "%s", msg ? msg : "JPEG 2000 error");
        // OpenJPEG's messages end with a line break.
        const std::size_t n = std::strlen(m->text);
        if (n > 0 && m->text[n - 1] == '\n') m->text[n - 1] = '\0';
    }
}

void OnOpjQuiet(const char*, void*) {}

void SilenceCodec(opj_codec_t* codec, Message* message) {
    opj_set_info_handler(codec, OnOpjQuiet, nullptr);
    opj_set_warning_handler(codec, OnOpjQuiet, nullptr);
    opj_set_error_handler(codec, OnOpjError, message);
}

int WorkerThreads() {
    const unsigned n = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(n, 1u, 8u));
}

// ---------------------------------------------------------------- reading

struct MemoryIn {
    const uint8_t* data;
    OPJ_UINT64 size;
    OPJ_UINT64 pos;
};

OPJ_SIZE_T InRead(void* buffer, OPJ_SIZE_T n, void* user) {
    auto* m = static_cast<MemoryIn*>(user);
    if (m->pos >= m->size) return static_cast<OPJ_SIZE_T>(-1);
    const OPJ_UINT64 count = std::min<OPJ_UINT64>(n, m->size - m->pos);
    std::memcpy(buffer, m->data + m->pos, count);
    m->pos += count;
    return static_cast<OPJ_SIZE_T>(count);
}

OPJ_OFF_T InSkip(OPJ_OFF_T n, void* user) {
    auto* m = static_cast<MemoryIn*>(user);
    if (n < 0) {
        if (static_cast<OPJ_UINT64>(-n) > m->pos) return -1;
        m->pos -= static_cast<OPJ_UINT64>(-n);
        return n;
    }
    if (static_cast<OPJ_UINT64>(n) > m->size - m->pos) {
        m->pos = m->size;
        return -1;
    }
    m->pos += static_cast<OPJ_UINT64>(n);
    return n;
}

OPJ_BOOL InSeek(OPJ_OFF_T to, void* user) {
    auto* m = static_cast<MemoryIn*>(user);
    if (to < 0 || static_cast<OPJ_UINT64>(to) > m->size) return OPJ_FALSE;
    m->pos = static_cast<OPJ_UINT64>(to);
    return OPJ_TRUE;
}

// One component, sampled at image pixel (x, y), scaled to 0..255. The
// sample positions of a row are looked up once per image, so subsampled
// components cost no more than full ones.
class ComponentReader {
public:
    // width and height: the picture being made (smaller than the canvas
    // when resolution levels were left out).
    void Init(const opj_image_t* image, OPJ_UINT32 index, OPJ_UINT32 width, OPJ_UINT32 height) {
        comp_ = &image->comps[index];
        reduced_ = comp_->factor > 0;
        height_ = height;
        const OPJ_UINT32 prec = comp_->prec;
        maxValue_ = (int64_t{1} << prec) - 1;
        offset_ = comp_->sgnd ? (int64_t{1} << (prec - 1)) : 0;
        plain8_ = prec == 8 && !comp_->sgnd;
        originY_ = image->y0;
        columns_.resize(width);
        for (OPJ_UINT32 x = 0; x < width; ++x) {
            // A reduced component is mapped by proportion: its origin is
            // kept differently across library versions.
            const int64_t cx =
                reduced_ ? static_cast<int64_t>(uint64_t{x} * comp_->w / width)
                         : static_cast<int64_t>((image->x0 + static_cast<uint64_t>(x)) / comp_->dx) - comp_->x0;
            columns_[x] = static_cast<uint32_t>(std::clamp<int64_t>(cx, 0, static_cast<int64_t>(comp_->w) - 1));
        }
    }
    void SetRow(OPJ_UINT32 y) {
        int64_t cy = reduced_ ? static_cast<int64_t>(uint64_t{y} * comp_->h / height_)
                              : static_cast<int64_t>((originY_ + static_cast<uint64_t>(y)) / comp_->dy) - comp_->y0;
        cy = std::clamp<int64_t>(cy, 0, static_cast<int64_t>(comp_->h) - 1);
        row_ = comp_->data + static_cast<std::size_t>(cy) * comp_->w;
    }
    uint8_t At(OPJ_UINT32 x) const {
        const int64_t raw = row_[columns_[x]];
        if (plain8_) return static_cast<uint8_t>(std::clamp<int64_t>(raw, 0, 255));
        const int64_t v = std::clamp<int64_t>(raw + offset_, 0, maxValue_);
        return static_cast<uint8_t>((v * 255 + maxValue_ / 2) / maxValue_);
    }

private:
    const opj_image_comp_t* comp_ = nullptr;
    const OPJ_INT32* row_ = nullptr;
    std::vector<uint32_t> columns_;
    int64_t offset_ = 0;
    int64_t maxValue_ = 255;
    bool plain8_ = false;
    bool reduced_ = false;
    OPJ_UINT32 originY_ = 0, height_ = 1;
};

inline uint8_t Clamp255(double v) { return static_cast<uint8_t>(std::clamp(v + 0.5, 0.0, 255.0)); }

// Checks the header's promises before anything is decoded; reduce is the
// number of resolution levels left out (each halves both sides).
bool HeaderAcceptable(const opj_image_t* image, OPJ_UINT32 reduce, Message& msg) {
    if (!image || image->numcomps == 0 || image->numcomps > kMaxComponents || image->x1 <= image->x0 ||
        image->y1 <= image->y0) {
        std::snprintf(msg.text, sizeof msg.text, "unsupported JPEG 2000 layout");
        return false;
    }
    if (!SizeAllowed(image->x1 - image->x0, image->y1 - image->y0)) {
        std::snprintf(msg.text, sizeof msg.text, "image size not allowed");
        return false;
    }
    uint64_t samples = 0;
    for (OPJ_UINT32 i = 0; i < image->numcomps; ++i) {
        const opj_image_comp_t& c = image->comps[i];
        if (c.dx == 0 || c.dy == 0 || c.prec == 0 || c.prec > 31) {
            std::snprintf(msg.text, sizeof msg.text, "unsupported JPEG 2000 component");
            return false;
        }
        const uint64_t w =
            (static_cast<uint64_t>(image->x1) + c.dx - 1) / c.dx - (static_cast<uint64_t>(image->x0) + c.dx - 1) / c.dx;
        const uint64_t h =
            (static_cast<uint64_t>(image->y1) + c.dy - 1) / c.dy - (static_cast<uint64_t>(image->y0) + c.dy - 1) / c.dy;
        samples += ((w + (1ull << reduce) - 1) >> reduce) * ((h + (1ull << reduce) - 1) >> reduce);
    }
    if (samples > kMaxDecodedSamples) {
        std::snprintf(msg.text, sizeof msg.text, "image too large to decode");
        return false;
    }
    return true;
}

bool ConvertImage(const opj_image_t* image, ImageData& out, Message& msg) {
    const OPJ_UINT32 n = image->numcomps;
    for (OPJ_UINT32 i = 0; i < n; ++i) {
        const opj_image_comp_t& c = image->comps[i];
        if (!c.data || c.w == 0 || c.h == 0 || c.dx == 0 || c.dy == 0 || c.prec == 0 || c.prec > 31) {
            std::snprintf(msg.text, sizeof msg.text, "incomplete JPEG 2000 image");
            return false;
        }
    }
    const OPJ_UINT32 reduce = image->comps[0].factor;
    const OPJ_UINT32 w = reduce ? ((image->x1 - image->x0) + (1u << reduce) - 1) >> reduce : image->x1 - image->x0;
    const OPJ_UINT32 h = reduce ? ((image->y1 - image->y0) + (1u << reduce) - 1) >> reduce : image->y1 - image->y0;
    // Which component is opacity: marked in a JP2 file; otherwise the last
    // one of a grey + alpha or colour + alpha image.
    int alphaIndex = -1;
    for (OPJ_UINT32 i = 0; i < n; ++i)
        if (image->comps[i].alpha) alphaIndex = static_cast<int>(i);
    const bool cmyk = image->color_space == OPJ_CLRSPC_CMYK && n == 4;
    if (alphaIndex < 0 && !cmyk && (n == 2 || n == 4)) alphaIndex = static_cast<int>(n - 1);
    std::vector<OPJ_UINT32> colour;
    for (OPJ_UINT32 i = 0; i < n; ++i)
        if (static_cast<int>(i) != alphaIndex) colour.push_back(i);
    const bool grey = colour.size() < 3;
    const bool ycc = !grey && (image->color_space == OPJ_CLRSPC_SYCC || image->color_space == OPJ_CLRSPC_EYCC);
    if (!out.Allocate(w, h, 24, alphaIndex >= 0)) {
        std::snprintf(msg.text, sizeof msg.text, "not enough memory for the image");
        return false;
    }
    ComponentReader c0, c1, c2, c3, ca;
    c0.Init(image, colour[0], w, h);
    if (!grey) {
        c1.Init(image, colour[1], w, h);
        c2.Init(image, colour[2], w, h);
        if (cmyk) c3.Init(image, 3, w, h);
    }
    if (alphaIndex >= 0) ca.Init(image, static_cast<OPJ_UINT32>(alphaIndex), w, h);
    for (OPJ_UINT32 y = 0; y < h; ++y) {
        const std::size_t stored = h - 1 - y;
        uint8_t* dst = out.pixels.data() + stored * w * 3;
        uint8_t* a = alphaIndex >= 0 ? out.alpha.data() + stored * w : nullptr;
        c0.SetRow(y);
        if (!grey) {
            c1.SetRow(y);
            c2.SetRow(y);
            if (cmyk) c3.SetRow(y);
        }
        if (a) ca.SetRow(y);
        for (OPJ_UINT32 x = 0; x < w; ++x) {
            uint8_t r, g, b;
            if (grey) {
                r = g = b = c0.At(x);
            } else if (ycc) {
                const double Y = c0.At(x), cb = c1.At(x) - 128.0, cr = c2.At(x) - 128.0;
                r = Clamp255(Y + 1.402 * cr);
                g = Clamp255(Y - 0.344136 * cb - 0.714136 * cr);
                b = Clamp255(Y + 1.772 * cb);
            } else if (cmyk) {
                const unsigned k = 255u - c3.At(x);
                r = static_cast<uint8_t>((255u - c0.At(x)) * k / 255u);
                g = static_cast<uint8_t>((255u - c1.At(x)) * k / 255u);
                b = static_cast<uint8_t>((255u - c2.At(x)) * k / 255u);
            } else {
                r = c0.At(x);
                g = c1.At(x);
                b = c2.At(x);
            }
            dst[3 * x + 0] = b;
            dst[3 * x + 1] = g;
            dst[3 * x + 2] = r;
            if (a) a[x] = ca.At(x);
        }
    }
    return true;
}

// The resolution levels to leave out so that the decoded picture is no
// larger than what reducing it to maxSide keeps: a file that declares a
// huge picture is then decoded at the size it is shown at.
OPJ_UINT32 ReductionFor(opj_codec_t* codec, const opj_image_t* image, uint32_t maxSide) {
    if (maxSide == 0 || !image) return 0;
    opj_codestream_info_v2_t* info = opj_get_cstr_info(codec);
    if (!info) return 0;
    OPJ_UINT32 levels = 33;
    for (OPJ_UINT32 i = 0; i < info->nbcomps && info->m_default_tile_info.tccp_info; ++i)
        levels = std::min(levels, info->m_default_tile_info.tccp_info[i].numresolutions);
    opj_destroy_cstr_info(&info);
    if (levels == 33 || levels == 0) return 0;
    const uint64_t longest = std::max(image->x1 - image->x0, image->y1 - image->y0);
    OPJ_UINT32 best = 0;
    uint64_t bestFinal = 0;
    for (OPJ_UINT32 r = 0; r < levels && r < 31; ++r) {
        const uint64_t decoded = (longest + (1ull << r) - 1) >> r;
        const uint32_t factor =
            ReductionFactor(static_cast<uint32_t>(decoded), static_cast<uint32_t>(decoded), maxSide);
        const uint64_t final = (decoded + factor - 1) / factor;
        if (final >= bestFinal) bestFinal = final, best = r;
    }
    return best;
}

bool Decode(OPJ_CODEC_FORMAT kind, const uint8_t* data, std::size_t size, ImageData& out, std::string* why,
            uint32_t maxSide) {
    out.Clear();
    MemoryIn in{data, size, 0};
    Message msg{};
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
    opj_codec_t* codec = opj_create_decompress(kind);
    opj_image_t* image = nullptr;
    bool ok = stream && codec;
    if (ok) {
        opj_stream_set_user_data(stream, &in, nullptr);
        opj_stream_set_user_data_length(stream, size);
        opj_stream_set_read_function(stream, InRead);
        opj_stream_set_skip_function(stream, InSkip);
        opj_stream_set_seek_function(stream, InSeek);
        SilenceCodec(codec, &msg);
        opj_dparameters_t params;
        opj_set_default_decoder_parameters(&params);
        ok = opj_setup_decoder(codec, &params) && opj_codec_set_threads(codec, WorkerThreads()) &&
             opj_read_header(stream, codec, &image);
        const OPJ_UINT32 reduce = ok ? ReductionFor(codec, image, maxSide) : 0;
        ok = ok && HeaderAcceptable(image, reduce, msg) &&
             (reduce == 0 || opj_set_decoded_resolution_factor(codec, reduce)) && opj_decode(codec, stream, image) &&
             opj_end_decompress(codec, stream);
    }
    if (ok) {
        try {
            ok = ConvertImage(image, out, msg);
        } catch (...) {
            ok = false;
        }
    }
    if (image) opj_image_destroy(image);
    if (codec) opj_destroy_codec(codec);
    if (stream) opj_stream_destroy(stream);
    if (!ok) {
        out.Clear();
        return Fail(why, msg.text[0] ? msg.text : "not a valid JPEG 2000 file");
    }
    return true;
}

// ---------------------------------------------------------------- writing

struct MemoryOut {
    std::vector<uint8_t> data;
    OPJ_UINT64 pos = 0;
};

bool Reach(MemoryOut& m, OPJ_UINT64 end) {
    try {
        if (end > m.data.size()) {
            if (end > m.data.capacity()) m.data.reserve(std::max<OPJ_UINT64>(end, m.data.capacity() * 2));
            m.data.resize(end);
        }
    } catch (...) {
        return false;
    }
    return true;
}

OPJ_SIZE_T OutWrite(void* buffer, OPJ_SIZE_T n, void* user) {
    auto* m = static_cast<MemoryOut*>(user);
    if (!Reach(*m, m->pos + n)) return static_cast<OPJ_SIZE_T>(-1);
    std::memcpy(m->data.data() + m->pos, buffer, n);
    m->pos += n;
    return n;
}

OPJ_OFF_T OutSkip(OPJ_OFF_T n, void* user) {
    auto* m = static_cast<MemoryOut*>(user);
    if (n < 0 && static_cast<OPJ_UINT64>(-n) > m->pos) return -1;
    const OPJ_UINT64 to = m->pos + static_cast<OPJ_UINT64>(n);
    if (!Reach(*m, to)) return -1;
    m->pos = to;
    return n;
}

OPJ_BOOL OutSeek(OPJ_OFF_T to, void* user) {
    auto* m = static_cast<MemoryOut*>(user);
    if (to < 0 || !Reach(*m, static_cast<OPJ_UINT64>(to))) return OPJ_FALSE;
    m->pos = static_cast<OPJ_UINT64>(to);
    return OPJ_TRUE;
}

// Writes tile by tile: the frame never exists as 32-bit samples in full,
// which keeps the memory for a 3000 × 3000 frame to a few megabytes.
bool Encode(OPJ_CODEC_FORMAT kind, const ImageData& source, std::vector<uint8_t>& out, std::string* why) {
    out.clear();
    if (source.Empty()) return Fail(why, "the image is empty");
    const uint32_t w = source.width, h = source.height;
    const OPJ_UINT32 n = source.alpha.empty() ? 3 : 4;
    opj_image_cmptparm_t parms[4];
    std::memset(parms, 0, sizeof parms);
    for (OPJ_UINT32 i = 0; i < n; ++i) {
        parms[i].dx = parms[i].dy = 1;
        parms[i].w = w;
        parms[i].h = h;
        parms[i].prec = 8;
        parms[i].sgnd = 0;
    }
    const uint32_t tilesX = (w + kTileSize - 1) / kTileSize, tilesY = (h + kTileSize - 1) / kTileSize;
    std::vector<uint8_t> tile(static_cast<std::size_t>(n) * std::min(w, kTileSize) * std::min(h, kTileSize));
    std::vector<uint8_t> bgr(static_cast<std::size_t>(w) * 3);

    opj_image_t* image = opj_image_tile_create(n, parms, OPJ_CLRSPC_SRGB);
    if (!image) return Fail(why, "not enough memory");
    image->x0 = image->y0 = 0;
    image->x1 = w;
    image->y1 = h;
    if (n == 4) image->comps[3].alpha = 1;

    opj_cparameters_t params;
    opj_set_default_encoder_parameters(&params);
    params.tcp_numlayers = 1;
    params.tcp_rates[0] = 0;  // lossless
    params.cp_disto_alloc = 1;
    params.irreversible = 0;
    params.tcp_mct = 1;  // reversible colour transform on R, G, B
    params.tile_size_on = OPJ_TRUE;
    params.cp_tx0 = params.cp_ty0 = 0;
    params.cp_tdx = params.cp_tdy = static_cast<int>(kTileSize);
    // The lowest resolution level of the image must still hold a pixel.
    int levels = 1;
    while (levels < 6 && (std::min(w, h) >> levels) > 0) ++levels;
    params.numresolution = levels;

    Message msg{};
    MemoryOut mem;
    opj_codec_t* codec = opj_create_compress(kind);
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE);
    bool ok = codec && stream;
    if (ok) {
        SilenceCodec(codec, &msg);
        opj_stream_set_user_data(stream, &mem, nullptr);
        opj_stream_set_write_function(stream, OutWrite);
        opj_stream_set_skip_function(stream, OutSkip);
        opj_stream_set_seek_function(stream, OutSeek);
        ok = opj_setup_encoder(codec, &params, image) && opj_codec_set_threads(codec, WorkerThreads()) &&
             opj_start_compress(codec, image, stream);
    }
    // Tiles in raster order, each as one plane per component, top row first.
    for (uint32_t ty = 0; ok && ty < tilesY; ++ty) {
        const uint32_t y0 = ty * kTileSize, th = std::min(kTileSize, h - y0);
        for (uint32_t tx = 0; ok && tx < tilesX; ++tx) {
            const uint32_t x0 = tx * kTileSize, tw = std::min(kTileSize, w - x0);
            const std::size_t plane = static_cast<std::size_t>(tw) * th;
            for (uint32_t y = 0; y < th; ++y) {
                const uint32_t stored = h - 1 - (y0 + y);
                RowToBgr(source, stored, bgr.data());
                const uint8_t* a = n == 4 ? source.alpha.data() + static_cast<std::size_t>(stored) * w : nullptr;
                const std::size_t row = static_cast<std::size_t>(y) * tw;
                for (uint32_t x = 0; x < tw; ++x) {
                    const uint8_t* p = &bgr[3 * static_cast<std::size_t>(x0 + x)];
                    tile[row + x] = p[2];
                    tile[plane + row + x] = p[1];
                    tile[2 * plane + row + x] = p[0];
                    if (a) tile[3 * plane + row + x] = a[x0 + x];
                }
            }
            ok = opj_write_tile(codec, ty * tilesX + tx, tile.data(), static_cast<OPJ_UINT32>(plane * n), stream);
        }
    }
    ok = ok && opj_end_compress(codec, stream);
    if (stream) opj_stream_destroy(stream);
    if (codec) opj_destroy_codec(codec);
    opj_image_destroy(image);
    if (!ok) return Fail(why, msg.text[0] ? msg.text : "JPEG 2000 encoding failed");
    out = std::move(mem.data);
    return true;
}

}  // namespace

bool DecodeJp2(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) {
    return DecodeJp2Reduced(data, size, out, why, 0);
}

bool DecodeJp2Reduced(const uint8_t* data, std::size_t size, ImageData& out, std::string* why, uint32_t maxSide) {
    if (!data || size < 12 || std::memcmp(data, "\0\0\0\x0CjP  \r\n\x87\n", 12) != 0) {
        out.Clear();
        return Fail(why, "not a JP2 file");
    }
    return Decode(OPJ_CODEC_JP2, data, size, out, why, maxSide);
}

bool DecodeJpc(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) {
    return DecodeJpcReduced(data, size, out, why, 0);
}

bool DecodeJpcReduced(const uint8_t* data, std::size_t size, ImageData& out, std::string* why, uint32_t maxSide) {
    if (!data || size < 4 || std::memcmp(data, "\xFF\x4F\xFF\x51", 4) != 0) {
        out.Clear();
        return Fail(why, "not a JPEG 2000 code stream");
    }
    return Decode(OPJ_CODEC_J2K, data, size, out, why, maxSide);
}

bool EncodeJp2(const ImageData& image, const EncodeOptions&, std::vector<uint8_t>& out, std::string* why) {
    return Encode(OPJ_CODEC_JP2, image, out, why);
}

bool EncodeJpc(const ImageData& image, const EncodeOptions&, std::vector<uint8_t>& out, std::string* why) {
    return Encode(OPJ_CODEC_J2K, image, out, why);
}

}  // namespace imagecodec
