// PNG decoding and encoding with libpng.
//
// libpng reports errors by longjmp to the setjmp of png_jmpbuf. All libpng
// calls run inside the "phase" functions below, which hold no C++ objects;
// the C++ callers own the buffers and always destroy the libpng structs.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <png.h>

#include "image/CodecRegistry.h"
#include "image/CodecSupport.h"
#include "image/ColourProfile.h"
#include "image/ImageReduce.h"

namespace imagecodec {
namespace {

// Largest ancillary chunk libpng may buffer (text, ICC profiles, ...).
constexpr png_alloc_size_t kMaxChunkBytes = 16u << 20;
constexpr uint64_t kMaxDeflateRatio = 1032;

struct Message {
    char text[200];
};

void OnPngError(png_structp png, png_const_charp msg) {
    auto* m = static_cast<Message*>(png_get_error_ptr(png));
    if (m && m->text[0] == '\0') std::snprintf(m->text, sizeof m->text, "%s", msg ? msg : "PNG error");
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// ---------------------------------------------------------------- decoding

struct ReadState {
    png_structp png;
    png_infop info;
    Message message;
    const uint8_t* data;
    std::size_t size;
    std::size_t pos;
    png_uint_32 width;
    png_uint_32 height;
    int channels;  // 3 (B, G, R) or 4 (B, G, R, A) after the transformations
    int passes;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t n) {
    auto* s = static_cast<ReadState*>(png_get_io_ptr(png));
    if (n > s->size - s->pos) png_error(png, "file truncated");
    std::memcpy(out, s->data + s->pos, n);
    s->pos += n;
}

// libpng allocates a chunk's buffer by its stated length before reading it
// (a text chunk claiming 2 GB took that much memory); the chunks read with
// the header, up to the first image data, must lie inside the file.
bool HeaderChunksFit(const uint8_t* data, std::size_t size) {
    std::size_t pos = 8;
    while (pos + 8 <= size) {
        const uint32_t length = (uint32_t{data[pos]} << 24) | (uint32_t{data[pos + 1]} << 16) |
                                (uint32_t{data[pos + 2]} << 8) | data[pos + 3];
        if (std::memcmp(data + pos + 4, "IDAT", 4) == 0) return true;
        if (length > size - pos - 8 || size - pos - 8 - length < 4) return false;  // data and CRC
        pos += std::size_t{length} + 12;
    }
    return false;
}

bool ReadHeader(ReadState* s) {
    if (!HeaderChunksFit(s->data, s->size)) {
        std::snprintf(s->message.text, sizeof s->message.text, "file truncated (a chunk runs past its end)");
        return false;
    }
    if (setjmp(png_jmpbuf(s->png))) return false;
    png_set_read_fn(s->png, s, ReadFromMemory);
    png_set_user_limits(s->png, kMaxDimension, kMaxDimension);
    png_set_chunk_malloc_max(s->png, kMaxChunkBytes);
    png_read_info(s->png, s->info);
    png_uint_32 w = 0, h = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(s->png, s->info, &w, &h, &depth, &colorType, &interlace, nullptr, nullptr);
    if (!SizeAllowed(w, h)) {
        std::snprintf(s->message.text, sizeof s->message.text, "image size not allowed");
        return false;
    }
    // Deflate expands at most 1032 times: a file too short for the declared
    // size is refused before the pixels are allocated.
    const uint64_t rawBytes =
        static_cast<uint64_t>(h) * ((static_cast<uint64_t>(w) * png_get_channels(s->png, s->info) * depth + 7) / 8);
    if (rawBytes / kMaxDeflateRatio > s->size) {
        std::snprintf(s->message.text, sizeof s->message.text, "image data too short for the image size");
        return false;
    }
    png_set_expand(s->png);  // palette to RGB, low bit depths to 8, tRNS to alpha
    if (depth == 16) png_set_scale_16(s->png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(s->png);
    png_set_bgr(s->png);
    s->passes = png_set_interlace_handling(s->png);
    png_read_update_info(s->png, s->info);
    s->width = w;
    s->height = h;
    s->channels = png_get_channels(s->png, s->info);
    if ((s->channels != 3 && s->channels != 4) || png_get_bit_depth(s->png, s->info) != 8 ||
        png_get_rowbytes(s->png, s->info) != static_cast<png_size_t>(w) * s->channels) {
        std::snprintf(s->message.text, sizeof s->message.text, "unsupported PNG layout");
        return false;
    }
    return true;
}

// Non-interlaced: row by row. Rows arrive top first; each goes to the
// matching stored row (bottom first). With alpha, rowBuffer takes one row.
bool ReadRows(ReadState* s, uint8_t* pixels, uint8_t* alpha, uint8_t* rowBuffer) {
    if (setjmp(png_jmpbuf(s->png))) return false;
    const std::size_t w = s->width;
    for (png_uint_32 y = 0; y < s->height; ++y) {
        const std::size_t stored = s->height - 1 - y;
        uint8_t* dst = pixels + stored * w * 3;
        if (s->channels == 3) {
            png_read_row(s->png, dst, nullptr);
        } else {
            png_read_row(s->png, rowBuffer, nullptr);
            uint8_t* a = alpha + stored * w;
            for (std::size_t x = 0; x < w; ++x) {
                dst[3 * x + 0] = rowBuffer[4 * x + 0];
                dst[3 * x + 1] = rowBuffer[4 * x + 1];
                dst[3 * x + 2] = rowBuffer[4 * x + 2];
                a[x] = rowBuffer[4 * x + 3];
            }
        }
    }
    return true;
}

// Non-interlaced, reduced while reading: only one source row is held.
bool ReadRowsReduced(ReadState* s, RowReducer* reducer, uint8_t* rowBuffer) {
    if (setjmp(png_jmpbuf(s->png))) return false;
    for (png_uint_32 y = 0; y < s->height; ++y) {
        png_read_row(s->png, rowBuffer, nullptr);
        reducer->AddRow(rowBuffer, s->channels);
    }
    return true;
}

// Interlaced: the whole image at once through row pointers.
bool ReadImage(ReadState* s, png_bytepp rows) {
    if (setjmp(png_jmpbuf(s->png))) return false;
    png_read_image(s->png, rows);
    return true;
}

// ---------------------------------------------------------------- encoding

struct WriteState {
    png_structp png;
    png_infop info;
    Message message;
    unsigned char* data;  // malloc'ed, grows
    std::size_t size;
    std::size_t capacity;
};

void WriteToMemory(png_structp png, png_bytep in, png_size_t n) {
    auto* s = static_cast<WriteState*>(png_get_io_ptr(png));
    if (n > s->capacity - s->size) {
        std::size_t cap = s->capacity ? s->capacity : 65536;
        while (cap - s->size < n) {
            if (cap > (SIZE_MAX >> 1)) png_error(png, "out of memory");
            cap *= 2;
        }
        auto* grown = static_cast<unsigned char*>(std::realloc(s->data, cap));
        if (!grown) png_error(png, "out of memory");
        s->data = grown;
        s->capacity = cap;
    }
    std::memcpy(s->data + s->size, in, n);
    s->size += n;
}

void FlushMemory(png_structp) {}

bool WritePng(WriteState* s, const ImageData* image, const EncodeOptions* options, uint8_t* bgr, uint8_t* row) {
    if (setjmp(png_jmpbuf(s->png))) return false;
    const bool withAlpha = !image->alpha.empty();
    const uint32_t w = image->width, h = image->height;
    png_set_write_fn(s->png, s, WriteToMemory, FlushMemory);
    png_set_IHDR(s->png, s->info, w, h, 8, withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 options->pngInterlace == 1 ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (options->dpi > 0) {
        const uint32_t ppm = DotsPerMetre(options->dpi);
        png_set_pHYs(s->png, s->info, ppm, ppm, PNG_RESOLUTION_METER);
    }
    if (!options->iccProfile.empty())
        png_set_iCCP(s->png, s->info, "ICC profile", PNG_COMPRESSION_TYPE_BASE, options->iccProfile.data(),
                     static_cast<png_uint_32>(options->iccProfile.size()));
    png_write_info(s->png, s->info);
    png_set_bgr(s->png);
    const int passes = png_set_interlace_handling(s->png);
    for (int pass = 0; pass < passes; ++pass) {
        for (uint32_t y = 0; y < h; ++y) {
            const uint32_t stored = h - 1 - y;
            RowToBgr(*image, stored, bgr);
            if (!withAlpha) {
                png_write_row(s->png, bgr);
                continue;
            }
            const uint8_t* a = image->alpha.data() + static_cast<std::size_t>(stored) * w;
            for (uint32_t x = 0; x < w; ++x) {
                row[4 * x + 0] = bgr[3 * x + 0];
                row[4 * x + 1] = bgr[3 * x + 1];
                row[4 * x + 2] = bgr[3 * x + 2];
                row[4 * x + 3] = a[x];
            }
            png_write_row(s->png, row);
        }
    }
    png_write_end(s->png, s->info);
    return true;
}

// Checks the signature and sets up libpng's reading from memory; the caller
// reads the header and destroys s.png.
// The colour space the file names: an iCCP profile, or sRGB, or a bare
// gAMA (0: none).
struct PngColour {
    std::vector<uint8_t> icc;
    double gamma = 0;
};

PngColour ColourOf(const ReadState& s) {
    PngColour c;
    if (!s.png || !s.info) return c;
    png_charp name = nullptr;
    int method = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    int intent = 0;
    if (png_get_iCCP(s.png, s.info, &name, &method, &profile, &length) && profile && length > 0)
        c.icc.assign(profile, profile + length);
    else if (!png_get_sRGB(s.png, s.info, &intent))
        png_get_gAMA(s.png, s.info, &c.gamma);
    return c;
}

void ApplyColour(const PngColour& colour, ImageData& out) {
    if (!colour.icc.empty())
        ConvertToSrgb(out, colour.icc.data(), colour.icc.size(), "PNG");
    else if (colour.gamma > 0)
        ConvertGammaToSrgb(out, colour.gamma);
}

bool BeginRead(ReadState& s, const uint8_t* data, std::size_t size, std::string* why) {
    std::memset(&s, 0, sizeof s);
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return Fail(why, "not a PNG file");
    s.data = data;
    s.size = size;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s.message, OnPngError, OnPngWarning);
    if (!s.png) return Fail(why, "not enough memory");
    s.info = png_create_info_struct(s.png);
    return true;
}

}  // namespace

bool DecodePng(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) {
    out.Clear();
    ReadState s;
    if (!BeginRead(s, data, size, why)) return false;
    bool ok = s.info != nullptr && ReadHeader(&s);
    if (ok) {
        ok = out.Allocate(s.width, s.height, 24, s.channels == 4);
        if (!ok) std::snprintf(s.message.text, sizeof s.message.text, "not enough memory for the image");
    }
    if (ok && s.passes == 1) {
        std::vector<uint8_t> rowBuffer(static_cast<std::size_t>(s.width) * 4);
        ok = ReadRows(&s, out.pixels.data(), out.alpha.empty() ? nullptr : out.alpha.data(), rowBuffer.data());
    } else if (ok) {
        const std::size_t rowBytes = static_cast<std::size_t>(s.width) * s.channels;
        std::vector<uint8_t> whole;
        if (s.channels == 4) whole.resize(rowBytes * s.height);
        uint8_t* base = s.channels == 4 ? whole.data() : out.pixels.data();
        std::vector<png_bytep> rows(s.height);
        for (png_uint_32 y = 0; y < s.height; ++y) rows[y] = base + (s.height - 1 - y) * rowBytes;
        ok = ReadImage(&s, rows.data());
        if (ok && s.channels == 4) {
            const std::size_t count = static_cast<std::size_t>(s.width) * s.height;
            for (std::size_t i = 0; i < count; ++i) {
                out.pixels[3 * i + 0] = whole[4 * i + 0];
                out.pixels[3 * i + 1] = whole[4 * i + 1];
                out.pixels[3 * i + 2] = whole[4 * i + 2];
                out.alpha[i] = whole[4 * i + 3];
            }
        }
    }
    const PngColour colour = ok ? ColourOf(s) : PngColour();
    png_destroy_read_struct(&s.png, s.info ? &s.info : nullptr, nullptr);
    if (!ok) {
        out.Clear();
        return Fail(why, s.message.text[0] ? s.message.text : "not a valid PNG file");
    }
    ApplyColour(colour, out);
    return true;
}

bool DecodePngReduced(const uint8_t* data, std::size_t size, ImageData& out, std::string* why, uint32_t maxSide) {
    out.Clear();
    ReadState s;
    if (!BeginRead(s, data, size, why)) return false;
    bool ok = s.info != nullptr && ReadHeader(&s);
    const uint32_t factor = ok ? ReductionFactor(s.width, s.height, maxSide) : 1;
    // Interlaced pictures arrive in passes over the whole picture; they and
    // pictures that fit are read whole.
    const bool whole = ok && (factor == 1 || s.passes != 1);
    if (ok && !whole) {
        RowReducer reducer;
        ok = reducer.Start(s.width, s.height, factor, s.channels == 4, out);
        if (!ok) std::snprintf(s.message.text, sizeof s.message.text, "not enough memory for the image");
        std::vector<uint8_t> rowBuffer(ok ? static_cast<std::size_t>(s.width) * 4 : 0);
        if (ok) ok = ReadRowsReduced(&s, &reducer, rowBuffer.data());
    }
    const PngColour colour = ok && !whole ? ColourOf(s) : PngColour();
    png_destroy_read_struct(&s.png, s.info ? &s.info : nullptr, nullptr);
    if (whole) {
        if (!DecodePng(data, size, out, why)) return false;
        ReduceToFit(out, maxSide);
        return !out.Empty() || Fail(why, "not enough memory for the image");
    }
    if (!ok) {
        out.Clear();
        return Fail(why, s.message.text[0] ? s.message.text : "not a valid PNG file");
    }
    ApplyColour(colour, out);
    return true;
}

bool EncodePng(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why) {
    out.clear();
    if (image.Empty()) return Fail(why, "the image is empty");
    std::vector<uint8_t> bgr(static_cast<std::size_t>(image.width) * 3);
    std::vector<uint8_t> row(image.alpha.empty() ? 0 : static_cast<std::size_t>(image.width) * 4);
    WriteState s;
    std::memset(&s, 0, sizeof s);
    s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &s.message, OnPngError, OnPngWarning);
    if (!s.png) return Fail(why, "not enough memory");
    s.info = png_create_info_struct(s.png);
    const bool ok = s.info != nullptr && WritePng(&s, &image, &options, bgr.data(), row.data());
    png_destroy_write_struct(&s.png, s.info ? &s.info : nullptr);
    try {
        if (ok) out.assign(s.data, s.data + s.size);
    } catch (...) {
        std::free(s.data);
        throw;
    }
    std::free(s.data);
    if (!ok) return Fail(why, s.message.text[0] ? s.message.text : "PNG encoding failed");
    return true;
}

}  // namespace imagecodec
