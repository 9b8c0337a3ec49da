// TIFF decoding and encoding with libtiff, on memory through
// TIFFClientOpenExt. libtiff's messages go to a per-handle handler that
// keeps the first error as the reason; nothing is printed.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include <tiffio.h>

#include "image/CodecRegistry.h"
#include "image/CodecSupport.h"
#include "image/ColourProfile.h"

namespace imagecodec {
namespace {

// Largest single allocation libtiff may make for its own buffers.
constexpr tmsize_t kMaxLibraryAlloc = tmsize_t{512} << 20;
// Target strip size when writing: large enough for LZW to find repeats.
constexpr std::size_t kStripBytes = 256u << 10;

struct Message {
    char text[200];
};

int OnTiffError(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
    auto* m = static_cast<Message*>(user);
    if (m && m->text[0] == '\0') {
        char detail[160];
        std::vsnprintf(detail, sizeof detail, fmt, ap);
        std::snprintf(m->text, sizeof m->text, "%s%s%s", module ? module : "", module ? ": " : "", detail);
    }
    return 1;  // handled: the global handler stays silent
}

int OnTiffWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// Messages raised without a handle go to the global handlers.
void SilenceGlobalHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

// Opens a TIFF on client procedures with the silent handlers and the
// allocation limit.
TIFF* OpenClient(const char* mode, thandle_t handle, Message* message, TIFFReadWriteProc read, TIFFReadWriteProc write,
                 TIFFSeekProc seek, TIFFSizeProc size, TIFFMapFileProc map, TIFFUnmapFileProc unmap) {
    SilenceGlobalHandlers();
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    if (!opts) return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts, kMaxLibraryAlloc);
    TIFFOpenOptionsSetErrorHandlerExtR(opts, OnTiffError, message);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, OnTiffWarning, nullptr);
    auto close = [](thandle_t) -> int { return 0; };
    TIFF* tif = TIFFClientOpenExt("memory", mode, handle, read, write, seek, close, size, map, unmap, opts);
    TIFFOpenOptionsFree(opts);
    return tif;
}

// ---------------------------------------------------------------- reading

struct MemoryIn {
    const uint8_t* data;
    uint64_t size;
    uint64_t pos;
};

tmsize_t InRead(thandle_t h, void* buf, tmsize_t n) {
    auto* m = static_cast<MemoryIn*>(h);
    if (n <= 0 || m->pos >= m->size) return 0;
    const uint64_t count = std::min<uint64_t>(static_cast<uint64_t>(n), m->size - m->pos);
    std::memcpy(buf, m->data + m->pos, count);
    m->pos += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t InWrite(thandle_t, void*, tmsize_t) { return -1; }

uint64_t SeekTo(uint64_t current, uint64_t size, uint64_t off, int whence, bool& ok) {
    uint64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? current : size;
    const auto delta = static_cast<int64_t>(off);
    ok = true;
    if (whence == SEEK_SET) return off;
    if (delta < 0 && static_cast<uint64_t>(-delta) > base) {
        ok = false;
        return current;
    }
    return base + static_cast<uint64_t>(delta);
}

toff_t InSeek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<MemoryIn*>(h);
    bool ok;
    const uint64_t pos = SeekTo(m->pos, m->size, off, whence, ok);
    if (!ok) return static_cast<toff_t>(-1);
    m->pos = pos;
    return pos;
}

toff_t InSize(thandle_t h) { return static_cast<MemoryIn*>(h)->size; }

int InMap(thandle_t h, void** base, toff_t* size) {
    auto* m = static_cast<MemoryIn*>(h);
    *base = const_cast<uint8_t*>(m->data);
    *size = m->size;
    return 1;
}

void InUnmap(thandle_t, void*, toff_t) {}

// Colour from premultiplied to straight alpha.
inline uint8_t Unpremultiply(uint8_t c, uint8_t a) {
    if (a == 0) return 0;
    if (a == 255) return c;
    return static_cast<uint8_t>(std::min(255, (c * 255 + a / 2) / a));
}

// 8-bit RGB(A), contiguous strips: read row by row, the alpha kept exactly
// as stored.
bool ReadRgbDirect(TIFF* tif, uint16_t spp, int alphaKind, ImageData& out, Message& msg) {
    const uint32_t w = out.width, h = out.height;
    const tmsize_t lineSize = TIFFScanlineSize(tif);
    if (lineSize != static_cast<tmsize_t>(w) * spp) {
        std::snprintf(msg.text, sizeof msg.text, "unexpected TIFF row size");
        return false;
    }
    std::vector<uint8_t> line(static_cast<std::size_t>(lineSize));
    for (uint32_t y = 0; y < h; ++y) {
        if (TIFFReadScanline(tif, line.data(), y, 0) < 0) return false;
        const std::size_t stored = h - 1 - y;
        uint8_t* dst = out.pixels.data() + stored * w * 3;
        uint8_t* a = alphaKind ? out.alpha.data() + stored * w : nullptr;
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* p = &line[static_cast<std::size_t>(x) * spp];
            if (!a) {
                dst[3 * x + 0] = p[2];
                dst[3 * x + 1] = p[1];
                dst[3 * x + 2] = p[0];
            } else if (alphaKind == EXTRASAMPLE_ASSOCALPHA) {
                dst[3 * x + 0] = Unpremultiply(p[2], p[3]);
                dst[3 * x + 1] = Unpremultiply(p[1], p[3]);
                dst[3 * x + 2] = Unpremultiply(p[0], p[3]);
                a[x] = p[3];
            } else {
                dst[3 * x + 0] = p[2];
                dst[3 * x + 1] = p[1];
                dst[3 * x + 2] = p[0];
                a[x] = p[3];
            }
        }
    }
    return true;
}

// libtiff's RGBA reader premultiplies unassociated alpha for RGB images.
// These replacements place the samples unchanged, so colour under
// transparent pixels survives and nothing is lost to rounding.
inline uint8_t To8(uint16_t v) { return static_cast<uint8_t>((v + 128u) / 257u); }
// The reader's pixel word: R in the low byte, then G, B, A (TIFFGetR...).
inline uint32_t PackRgba(uint32_t r, uint32_t g, uint32_t b, uint32_t a) { return r | g << 8 | b << 16 | a << 24; }

void PutStraightContig8(TIFFRGBAImage* img, uint32_t* cp, uint32_t, uint32_t, uint32_t w, uint32_t h, int32_t fromskew,
                        int32_t toskew, unsigned char* pp) {
    const int spp = img->samplesperpixel;
    fromskew *= spp;
    for (; h > 0; --h) {
        for (uint32_t x = w; x > 0; --x, pp += spp) *cp++ = PackRgba(pp[0], pp[1], pp[2], pp[3]);
        cp += toskew;
        pp += fromskew;
    }
}

void PutStraightContig16(TIFFRGBAImage* img, uint32_t* cp, uint32_t, uint32_t, uint32_t w, uint32_t h, int32_t fromskew,
                         int32_t toskew, unsigned char* pp) {
    const int spp = img->samplesperpixel;
    auto* wp = reinterpret_cast<uint16_t*>(pp);
    fromskew *= spp;
    for (; h > 0; --h) {
        for (uint32_t x = w; x > 0; --x, wp += spp) *cp++ = PackRgba(To8(wp[0]), To8(wp[1]), To8(wp[2]), To8(wp[3]));
        cp += toskew;
        wp += fromskew;
    }
}

void PutStraightSeparate8(TIFFRGBAImage*, uint32_t* cp, uint32_t, uint32_t, uint32_t w, uint32_t h, int32_t fromskew,
                          int32_t toskew, unsigned char* r, unsigned char* g, unsigned char* b, unsigned char* a) {
    for (; h > 0; --h) {
        for (uint32_t x = w; x > 0; --x) *cp++ = PackRgba(*r++, *g++, *b++, *a++);
        r += fromskew;
        g += fromskew;
        b += fromskew;
        a += fromskew;
        cp += toskew;
    }
}

void PutStraightSeparate16(TIFFRGBAImage*, uint32_t* cp, uint32_t, uint32_t, uint32_t w, uint32_t h, int32_t fromskew,
                           int32_t toskew, unsigned char* r, unsigned char* g, unsigned char* b, unsigned char* a) {
    auto *wr = reinterpret_cast<uint16_t*>(r), *wg = reinterpret_cast<uint16_t*>(g),
         *wb = reinterpret_cast<uint16_t*>(b), *wa = reinterpret_cast<uint16_t*>(a);
    for (; h > 0; --h) {
        for (uint32_t x = w; x > 0; --x) *cp++ = PackRgba(To8(*wr++), To8(*wg++), To8(*wb++), To8(*wa++));
        wr += fromskew;
        wg += fromskew;
        wb += fromskew;
        wa += fromskew;
        cp += toskew;
    }
}

// Replaces the premultiplying routines; true when the colour the reader
// delivers is straight (not premultiplied).
bool UseStraightAlpha(TIFFRGBAImage& img) {
    if (img.alpha != EXTRASAMPLE_UNASSALPHA) return img.alpha == 0;
    if (img.photometric != PHOTOMETRIC_RGB) return true;  // only RGB routines premultiply
    if (img.isContig && img.samplesperpixel >= 4) {
        if (img.bitspersample == 8)
            img.put.contig = PutStraightContig8;
        else if (img.bitspersample == 16)
            img.put.contig = PutStraightContig16;
        else
            return false;
        return true;
    }
    if (!img.isContig && img.samplesperpixel >= 4) {
        if (img.bitspersample == 8)
            img.put.separate = PutStraightSeparate8;
        else if (img.bitspersample == 16)
            img.put.separate = PutStraightSeparate16;
        else
            return false;
        return true;
    }
    return false;
}

// Everything else through libtiff's RGBA reader, in bands of whole strips
// or tiles so each is decoded once.
bool ReadThroughRgba(TIFF* tif, uint32_t w, uint32_t h, ImageData& out, Message& msg) {
    char emsg[1024] = "";
    if (!TIFFRGBAImageOK(tif, emsg)) {
        std::snprintf(msg.text, sizeof msg.text, "%s", emsg[0] ? emsg : "unsupported TIFF layout");
        return false;
    }
    TIFFRGBAImage img;
    std::memset(&img, 0, sizeof img);
    if (!TIFFRGBAImageBegin(&img, tif, 0, emsg)) {
        std::snprintf(msg.text, sizeof msg.text, "%s", emsg[0] ? emsg : "unsupported TIFF layout");
        return false;
    }
    const bool alpha = img.alpha != 0;
    const bool straight = UseStraightAlpha(img);
    if (!out.Allocate(w, h, 24, alpha)) {
        TIFFRGBAImageEnd(&img);
        std::snprintf(msg.text, sizeof msg.text, "not enough memory for the image");
        return false;
    }
    uint32_t band = 0;
    if (TIFFIsTiled(tif))
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &band);
    else
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &band);
    // Whole strips or tiles per band, at least 64 rows.
    band = std::clamp<uint32_t>(band, 1, h);
    band = std::min(h, band * ((63 + band) / band));
    img.req_orientation = ORIENTATION_TOPLEFT;
    bool ok = true;
    std::vector<uint32_t> raster;
    try {
        raster.resize(static_cast<std::size_t>(w) * band);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    for (uint32_t y = 0; ok && y < h; y += band) {
        const uint32_t rows = std::min(band, h - y);
        img.row_offset = static_cast<int>(y);
        img.col_offset = 0;
        if (!TIFFRGBAImageGet(&img, raster.data(), w, rows)) {
            ok = false;
            break;
        }
        for (uint32_t r = 0; r < rows; ++r) {
            const std::size_t stored = h - 1 - (y + r);
            const uint32_t* src = &raster[static_cast<std::size_t>(r) * w];
            uint8_t* dst = out.pixels.data() + stored * w * 3;
            uint8_t* a = alpha ? out.alpha.data() + stored * w : nullptr;
            for (uint32_t x = 0; x < w; ++x) {
                const uint32_t px = src[x];
                const auto rr = static_cast<uint8_t>(TIFFGetR(px)), gg = static_cast<uint8_t>(TIFFGetG(px)),
                           bb = static_cast<uint8_t>(TIFFGetB(px)), aa = static_cast<uint8_t>(TIFFGetA(px));
                if (a && !straight) {
                    dst[3 * x + 0] = Unpremultiply(bb, aa);
                    dst[3 * x + 1] = Unpremultiply(gg, aa);
                    dst[3 * x + 2] = Unpremultiply(rr, aa);
                } else {
                    dst[3 * x + 0] = bb;
                    dst[3 * x + 1] = gg;
                    dst[3 * x + 2] = rr;
                }
                if (a) a[x] = aa;
            }
        }
    }
    TIFFRGBAImageEnd(&img);
    return ok;
}

// 8-bit contiguous CMYK strips through the picture's (or the default)
// profile; false with nothing read when there is no profile to go through
// (the caller then uses libtiff's own formula).
bool ReadCmykThroughProfile(TIFF* tif, uint32_t w, uint32_t h, ImageData& out, Message& msg, bool& done) {
    done = false;
    uint32_t iccSize = 0;
    void* icc = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_ICCPROFILE, &iccSize, &icc)) icc = nullptr, iccSize = 0;
    ToSrgbTransform toSrgb;
    if (!toSrgb.Open(static_cast<const uint8_t*>(icc), iccSize, PixelLayout::Cmyk, "TIFF")) return true;
    done = true;
    if (!out.Allocate(w, h, 24, false)) {
        std::snprintf(msg.text, sizeof msg.text, "not enough memory for the image");
        return false;
    }
    std::vector<uint8_t> line(static_cast<std::size_t>(std::max<tmsize_t>(TIFFScanlineSize(tif), 0)));
    if (line.size() < static_cast<std::size_t>(w) * 4) return false;
    for (uint32_t y = 0; y < h; ++y) {
        if (TIFFReadScanline(tif, line.data(), y, 0) < 0) return false;
        toSrgb.Row(line.data(), out.pixels.data() + static_cast<std::size_t>(h - 1 - y) * out.RowBytes(), w);
    }
    return true;
}

bool ReadTiff(TIFF* tif, std::size_t fileSize, ImageData& out, Message& msg) {
    uint32_t w = 0, h = 0;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h)) return false;
    if (!SizeAllowed(w, h)) {
        std::snprintf(msg.text, sizeof msg.text, "image size not allowed");
        return false;
    }
    uint16_t spp = 1, bps = 1, photometric = 0, planar = PLANARCONFIG_CONTIG, compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
        photometric = spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    if (spp == 0 || bps == 0) return false;
    // Uncompressed data must be in the file before anything is allocated.
    if (compression == COMPRESSION_NONE) {
        const uint64_t line =
            TIFFIsTiled(tif) ? (static_cast<uint64_t>(w) * spp * bps + 7) / 8 : TIFFScanlineSize64(tif);
        const uint64_t needed = line * h * (planar == PLANARCONFIG_SEPARATE && !TIFFIsTiled(tif) ? spp : 1);
        if (needed > fileSize) {
            std::snprintf(msg.text, sizeof msg.text, "TIFF data too short for the image size");
            return false;
        }
    }
    uint16_t extraCount = 0;
    uint16_t* extraKinds = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds);
    int alphaKind = 0;
    if (extraCount >= 1 && extraKinds) {
        alphaKind = extraKinds[0];
        // Like libtiff's reader: an unspecified fourth sample is alpha.
        if (alphaKind == EXTRASAMPLE_UNSPECIFIED) alphaKind = spp > 3 ? EXTRASAMPLE_ASSOCALPHA : 0;
    }
    const bool direct = photometric == PHOTOMETRIC_RGB && planar == PLANARCONFIG_CONTIG && bps == 8 &&
                        !TIFFIsTiled(tif) && compression != COMPRESSION_OJPEG &&
                        (spp == 3 || (spp >= 4 && alphaKind != 0));
    if (direct) {
        if (!out.Allocate(w, h, 24, spp >= 4)) {
            std::snprintf(msg.text, sizeof msg.text, "not enough memory for the image");
            return false;
        }
        return ReadRgbDirect(tif, spp, spp >= 4 ? alphaKind : 0, out, msg);
    }
    uint16_t inkSet = INKSET_CMYK;
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkSet);
    if (photometric == PHOTOMETRIC_SEPARATED && inkSet == INKSET_CMYK && spp == 4 && bps == 8 &&
        planar == PLANARCONFIG_CONTIG && !TIFFIsTiled(tif)) {
        bool done = false;
        const bool ok = ReadCmykThroughProfile(tif, w, h, out, msg, done);
        if (done || !ok) return ok;
    }
    return ReadThroughRgba(tif, w, h, out, msg);
}

// ---------------------------------------------------------------- writing

struct MemoryOut {
    std::vector<uint8_t> data;
    uint64_t pos = 0;
    bool failed = false;
};

tmsize_t OutWrite(thandle_t h, void* buf, tmsize_t n) {
    auto* m = static_cast<MemoryOut*>(h);
    if (n < 0) return -1;
    try {
        const uint64_t end = m->pos + static_cast<uint64_t>(n);
        if (end > m->data.size()) {
            if (end > m->data.capacity()) m->data.reserve(std::max<uint64_t>(end, m->data.capacity() * 2));
            m->data.resize(end);
        }
    } catch (...) {
        m->failed = true;
        return -1;
    }
    std::memcpy(m->data.data() + m->pos, buf, static_cast<std::size_t>(n));
    m->pos += static_cast<uint64_t>(n);
    return n;
}

tmsize_t OutRead(thandle_t h, void* buf, tmsize_t n) {
    auto* m = static_cast<MemoryOut*>(h);
    if (n <= 0 || m->pos >= m->data.size()) return 0;
    const uint64_t count = std::min<uint64_t>(static_cast<uint64_t>(n), m->data.size() - m->pos);
    std::memcpy(buf, m->data.data() + m->pos, count);
    m->pos += count;
    return static_cast<tmsize_t>(count);
}

toff_t OutSeek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<MemoryOut*>(h);
    bool ok;
    const uint64_t pos = SeekTo(m->pos, m->data.size(), off, whence, ok);
    if (!ok) return static_cast<toff_t>(-1);
    m->pos = pos;
    return pos;
}

toff_t OutSize(thandle_t h) { return static_cast<MemoryOut*>(h)->data.size(); }

int OutMap(thandle_t, void**, toff_t*) { return 0; }
void OutUnmap(thandle_t, void*, toff_t) {}

enum class Layout { Bilevel, Palette, Rgb, Rgba };

struct Plan {
    Layout layout;
    uint16_t compression;
    bool predictor;
};

// The option is the compression tag value itself. CCITT codings exist for
// 1-bit images only: a picture with other colours falls back to LZW with
// the predictor (lossless, compact, readable everywhere). Automatic: Group 4
// for black-and-white pictures, LZW otherwise.
Plan ChoosePlan(const ImageData& image, int option) {
    const bool bilevel = IsBilevel(image);
    const bool alpha = !image.alpha.empty();
    Plan plan{alpha ? Layout::Rgba : Layout::Rgb, COMPRESSION_LZW, true};
    switch (option) {
        case COMPRESSION_NONE: plan.compression = COMPRESSION_NONE; break;
        case COMPRESSION_CCITTRLE:
        case COMPRESSION_CCITTFAX4:
            if (bilevel) plan = {Layout::Bilevel, static_cast<uint16_t>(option), false};
            break;
        case COMPRESSION_LZW: break;
        case COMPRESSION_JPEG: plan.compression = COMPRESSION_JPEG; break;
        case COMPRESSION_PACKBITS: plan.compression = COMPRESSION_PACKBITS; break;
        default:
            if (bilevel) plan = {Layout::Bilevel, COMPRESSION_CCITTFAX4, false};
            break;
    }
    if (plan.layout != Layout::Bilevel && image.bpp == 8 && !alpha && plan.compression != COMPRESSION_JPEG)
        plan.layout = Layout::Palette;
    plan.predictor = plan.compression == COMPRESSION_LZW && plan.layout != Layout::Bilevel;
    return plan;
}

bool WriteTiff(TIFF* tif, const ImageData& image, const EncodeOptions& options, const Plan& plan) {
    const uint32_t w = image.width, h = image.height;
    uint16_t spp = 3, bps = 8, photometric = PHOTOMETRIC_RGB;
    switch (plan.layout) {
        case Layout::Bilevel:
            spp = 1;
            bps = 1;
            photometric = PHOTOMETRIC_MINISWHITE;
            break;
        case Layout::Palette:
            spp = 1;
            photometric = PHOTOMETRIC_PALETTE;
            break;
        case Layout::Rgb: break;
        case Layout::Rgba: spp = 4; break;
    }
    const bool ycbcr = plan.compression == COMPRESSION_JPEG && plan.layout == Layout::Rgb;
    if (ycbcr) photometric = PHOTOMETRIC_YCBCR;
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w) && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bps) && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, plan.compression) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              TIFFSetField(tif, TIFFTAG_XRESOLUTION, options.dpi > 0 ? static_cast<double>(options.dpi) : 72.0) &&
              TIFFSetField(tif, TIFFTAG_YRESOLUTION, options.dpi > 0 ? static_cast<double>(options.dpi) : 72.0) &&
              TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) && TIFFSetField(tif, TIFFTAG_SOFTWARE, "Boxora");
    if (!ok) return false;
    if (!options.iccProfile.empty() && plan.layout != Layout::Bilevel && plan.layout != Layout::Palette &&
        !TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(options.iccProfile.size()),
                      options.iccProfile.data()))
        return false;
    if (plan.layout == Layout::Rgba) {
        const uint16_t kinds[1] = {EXTRASAMPLE_UNASSALPHA};
        if (!TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, kinds)) return false;
    }
    if (plan.layout == Layout::Palette) {
        std::vector<uint16_t> r(256, 0), g(256, 0), b(256, 0);
        const std::size_t entries = std::min<std::size_t>(image.palette.size() / 4, 256);
        for (std::size_t i = 0; i < entries; ++i) {
            b[i] = static_cast<uint16_t>(image.palette[4 * i + 0] * 257);
            g[i] = static_cast<uint16_t>(image.palette[4 * i + 1] * 257);
            r[i] = static_cast<uint16_t>(image.palette[4 * i + 2] * 257);
        }
        if (!TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data())) return false;
    }
    if (plan.predictor && !TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL)) return false;
    uint32_t rowsPerStrip;
    const std::size_t lineBytes = (static_cast<std::size_t>(w) * spp * bps + 7) / 8;
    if (plan.compression == COMPRESSION_JPEG) {
        const int quality = std::clamp(options.jpegQuality, 1, 100);
        if (!TIFFSetField(tif, TIFFTAG_JPEGQUALITY, quality)) return false;
        uint32_t multiple = 8;
        if (ycbcr) {
            // Chroma at half resolution below quality 90, as in JPEG files
            // (the strips then hold whole 16-row blocks); full resolution above.
            const int sub = quality >= 90 ? 1 : 2;
            if (!TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, sub, sub) ||
                !TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB))
                return false;
            multiple = 8 * sub;
        }
        rowsPerStrip = static_cast<uint32_t>(std::clamp<std::size_t>(kStripBytes / lineBytes, 1, h));
        rowsPerStrip = (rowsPerStrip + multiple - 1) / multiple * multiple;
    } else {
        rowsPerStrip = static_cast<uint32_t>(std::clamp<std::size_t>(kStripBytes / lineBytes, 1, h));
    }
    if (!TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip)) return false;

    std::vector<uint8_t> bgr(static_cast<std::size_t>(w) * 3);
    std::vector<uint8_t> line(std::max<std::size_t>(lineBytes, 1));
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t stored = h - 1 - y;
        switch (plan.layout) {
            case Layout::Bilevel:
                RowToBgr(image, stored, bgr.data());
                std::fill(line.begin(), line.end(), 0);
                for (uint32_t x = 0; x < w; ++x)
                    if (bgr[3 * x] == 0) line[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));  // 1 = black
                break;
            case Layout::Palette:
                std::memcpy(line.data(), image.pixels.data() + static_cast<std::size_t>(stored) * w, w);
                break;
            case Layout::Rgb:
            case Layout::Rgba: {
                RowToBgr(image, stored, bgr.data());
                const uint8_t* a =
                    plan.layout == Layout::Rgba ? image.alpha.data() + static_cast<std::size_t>(stored) * w : nullptr;
                for (uint32_t x = 0; x < w; ++x) {
                    uint8_t* p = &line[static_cast<std::size_t>(x) * spp];
                    p[0] = bgr[3 * x + 2];
                    p[1] = bgr[3 * x + 1];
                    p[2] = bgr[3 * x + 0];
                    if (a) p[3] = a[x];
                }
                break;
            }
        }
        if (TIFFWriteScanline(tif, line.data(), y, 0) < 0) return false;
    }
    return TIFFWriteDirectory(tif) != 0;
}

}  // namespace

bool DecodeTiff(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) {
    out.Clear();
    if (!data || size < 8 || !(std::memcmp(data, "II", 2) == 0 || std::memcmp(data, "MM", 2) == 0))
        return Fail(why, "not a TIFF file");
    MemoryIn in{data, size, 0};
    Message msg{};
    TIFF* tif = OpenClient("r", &in, &msg, InRead, InWrite, InSeek, InSize, InMap, InUnmap);
    if (!tif) return Fail(why, msg.text[0] ? msg.text : "not a valid TIFF file");
    bool ok = false;
    try {
        ok = ReadTiff(tif, size, out, msg);
        uint32_t iccSize = 0;
        void* icc = nullptr;
        uint16_t photometric = 0;
        TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
        if (ok && photometric != PHOTOMETRIC_SEPARATED && TIFFGetField(tif, TIFFTAG_ICCPROFILE, &iccSize, &icc))
            ConvertToSrgb(out, static_cast<const uint8_t*>(icc), iccSize, "TIFF");
    } catch (const std::bad_alloc&) {
        std::snprintf(msg.text, sizeof msg.text, "not enough memory");
    }
    TIFFClose(tif);
    if (!ok) {
        out.Clear();
        return Fail(why, msg.text[0] ? msg.text : "not a valid TIFF file");
    }
    return true;
}

bool EncodeTiff(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why) {
    out.clear();
    if (image.Empty()) return Fail(why, "the image is empty");
    MemoryOut mem;
    Message msg{};
    TIFF* tif = OpenClient("w", &mem, &msg, OutRead, OutWrite, OutSeek, OutSize, OutMap, OutUnmap);
    if (!tif) return Fail(why, msg.text[0] ? msg.text : "cannot start a TIFF file");
    bool ok = false;
    try {
        ok = WriteTiff(tif, image, options, ChoosePlan(image, options.tiffCompression));
    } catch (const std::bad_alloc&) {
        std::snprintf(msg.text, sizeof msg.text, "not enough memory");
    }
    TIFFClose(tif);
    if (!ok || mem.failed) return Fail(why, msg.text[0] ? msg.text : "TIFF encoding failed");
    out = std::move(mem.data);
    return true;
}

bool EncodeCmykTiff(const CmykPicture& picture, const EncodeOptions& options, std::vector<uint8_t>& out,
                    std::string* why) {
    out.clear();
    if (!picture.samples || !SizeAllowed(picture.width, picture.height))
        return Fail(why, "the picture is empty or too large");
    MemoryOut mem;
    Message msg{};
    TIFF* tif = OpenClient("w", &mem, &msg, OutRead, OutWrite, OutSeek, OutSize, OutMap, OutUnmap);
    if (!tif) return Fail(why, msg.text[0] ? msg.text : "cannot start a TIFF file");
    const uint32_t w = picture.width, h = picture.height;
    const std::size_t lineBytes = static_cast<std::size_t>(w) * 4;
    // Print workflows take LZW or no compression; JPEG and fax do not apply.
    const uint16_t compression = options.tiffCompression == 1       ? COMPRESSION_NONE
                                 : options.tiffCompression == 32773 ? COMPRESSION_PACKBITS
                                                                    : COMPRESSION_LZW;
    const double dpi = options.dpi > 0 ? static_cast<double>(options.dpi) : 72.0;
    bool ok = false;
    try {
        ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w) && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h) &&
             TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4) &&
             TIFFSetField(tif, TIFFTAG_COMPRESSION, compression) &&
             TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED) &&
             TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK) &&
             TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
             TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
             TIFFSetField(tif, TIFFTAG_XRESOLUTION, dpi) && TIFFSetField(tif, TIFFTAG_YRESOLUTION, dpi) &&
             TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) && TIFFSetField(tif, TIFFTAG_SOFTWARE, "Boxora") &&
             TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP,
                          static_cast<uint32_t>(std::clamp<std::size_t>(kStripBytes / lineBytes, 1, h)));
        if (ok && compression == COMPRESSION_LZW) ok = TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        if (ok && !options.iccProfile.empty())
            ok = TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(options.iccProfile.size()),
                              options.iccProfile.data());
        std::vector<uint8_t> line(lineBytes);
        for (uint32_t y = 0; ok && y < h; ++y) {
            std::memcpy(line.data(), picture.samples + y * lineBytes, lineBytes);
            ok = TIFFWriteScanline(tif, line.data(), y, 0) >= 0;
        }
        ok = ok && TIFFWriteDirectory(tif) != 0;
    } catch (const std::bad_alloc&) {
        std::snprintf(msg.text, sizeof msg.text, "not enough memory");
        ok = false;
    }
    TIFFClose(tif);
    if (!ok || mem.failed) return Fail(why, msg.text[0] ? msg.text : "TIFF encoding failed");
    out = std::move(mem.data);
    return true;
}

}  // namespace imagecodec
