// JPEG decoding and encoding with libjpeg(-turbo).
//
// libjpeg reports fatal errors through error_exit, which here jumps back
// with longjmp. Every libjpeg call therefore runs inside one of the small
// "phase" functions below, which hold no C++ objects; the C++ callers own
// the buffers and always destroy the libjpeg object.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "image/CodecRegistry.h"
#include "image/CodecSupport.h"
#include "image/ColourProfile.h"
#include "image/ImageReduce.h"

namespace imagecodec {
namespace {

// A hostile progressive file can hold an endless number of tiny scans,
// each making the decoder walk the whole coefficient buffer: the scans
// allowed shrink as the picture grows, so that their work stays bounded.
// Encoders write about ten scans; a few dozen are always allowed.
constexpr int kMaxScans = 500;
constexpr int kMinScans = 40;
constexpr uint64_t kScanWork = 64ull << 20;  // blocks visited over all scans
// Memory libjpeg may take for its own buffers: a progressive picture of
// about 9000 × 9000 (4:2:0) fits; a larger one is refused rather than let
// a file of a few hundred bytes take a gigabyte.
constexpr long kMaxLibraryMemory = 256L << 20;
// From this quality on, chroma is not subsampled.
constexpr int kFullChromaQuality = 90;

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (err->message[0] == '\0') (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (corrupt data the decoder steps over) and trace output are not
// shown anywhere.
void OnMessage(j_common_ptr, int) {}
void OnOutput(j_common_ptr) {}

// Blocks of 8 × 8 samples over all components, from the header.
uint64_t BlockCount(const jpeg_decompress_struct& c) {
    int maxH = 1, maxV = 1;
    for (int i = 0; i < c.num_components; ++i) {
        maxH = std::max(maxH, c.comp_info[i].h_samp_factor);
        maxV = std::max(maxV, c.comp_info[i].v_samp_factor);
    }
    uint64_t blocks = 0;
    for (int i = 0; i < c.num_components; ++i) {
        const uint64_t w = (uint64_t{c.image_width} * c.comp_info[i].h_samp_factor + maxH - 1) / maxH;
        const uint64_t h = (uint64_t{c.image_height} * c.comp_info[i].v_samp_factor + maxV - 1) / maxV;
        blocks += ((w + 7) / 8) * ((h + 7) / 8);
    }
    return blocks;
}

int ScansAllowed(const jpeg_decompress_struct& c) {
    const uint64_t blocks = std::max<uint64_t>(BlockCount(c), 1);
    return static_cast<int>(std::clamp<uint64_t>(kScanWork / blocks, kMinScans, kMaxScans));
}

void OnProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > ScansAllowed(*d)) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "too many progressive scans");
        (*cinfo->err->error_exit)(cinfo);
    }
}

void InitErrorManager(ErrorManager& err) {
    std::memset(&err, 0, sizeof err);
    jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    err.pub.output_message = OnOutput;
}

// ---------------------------------------------------------------- decoding

struct DecodeState {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    bool created;
    bool cmyk;
    bool adobe;
    JOCTET* icc;  // malloc'ed by libjpeg: the embedded profile, if any
    unsigned int iccSize;
};

// Reads the header, checks the size and starts decompression.
// scaleDenom 1, 2, 4 or 8: libjpeg decodes at that fraction of the size.
bool StartDecode(DecodeState* s, const uint8_t* data, std::size_t size, uint32_t maxSide) {
    if (setjmp(s->err.jump)) return false;
    s->cinfo.err = &s->err.pub;
    jpeg_create_decompress(&s->cinfo);
    s->created = true;
    s->cinfo.mem->max_memory_to_use = kMaxLibraryMemory;
    s->progress.progress_monitor = OnProgress;
    s->cinfo.progress = &s->progress;
    jpeg_mem_src(&s->cinfo, data, static_cast<unsigned long>(size));
    jpeg_save_markers(&s->cinfo, JPEG_APP0 + 2, 0xFFFF);
    if (jpeg_read_header(&s->cinfo, TRUE) != JPEG_HEADER_OK) return false;
    if (!SizeAllowed(s->cinfo.image_width, s->cinfo.image_height)) {
        std::snprintf(s->err.message, sizeof s->err.message, "image size not allowed");
        return false;
    }
    // Every block of a complete file costs at least one bit of Huffman-coded data;
    // a file far shorter than its declared size would only be decoded into
    // filler, at the cost of the full size.
    const uint64_t bitsPerByte = s->cinfo.arith_code ? 512 : 8;  // arithmetic coding can go below a bit
    if (BlockCount(s->cinfo) / bitsPerByte > size) {
        std::snprintf(s->err.message, sizeof s->err.message, "the file is far too short for its declared size (%ux%u)",
                      s->cinfo.image_width, s->cinfo.image_height);
        return false;
    }
    // A broken ICC_PROFILE marker sequence only loses the profile.
    if (!jpeg_read_icc_profile(&s->cinfo, &s->icc, &s->iccSize)) s->icc = nullptr, s->iccSize = 0;
    switch (s->cinfo.jpeg_color_space) {
        case JCS_GRAYSCALE: s->cinfo.out_color_space = JCS_GRAYSCALE; break;
        case JCS_CMYK:
        case JCS_YCCK:
            s->cinfo.out_color_space = JCS_CMYK;
            s->cmyk = true;
            s->adobe = s->cinfo.saw_Adobe_marker;
            break;
        default: s->cinfo.out_color_space = JCS_EXT_BGR; break;
    }
    // libjpeg shrinks by 2, 4 or 8 as it decodes; the caller shrinks the
    // rest by a whole factor. The largest libjpeg step that still gives the
    // largest final picture is taken.
    unsigned denom = 1;
    if (maxSide > 0) {
        const uint32_t longest = std::max(s->cinfo.image_width, s->cinfo.image_height);
        uint32_t best = 0;
        for (unsigned d = 1; d <= 8; d *= 2) {
            const uint32_t decoded = (longest + d - 1) / d;
            const uint32_t factor = ReductionFactor(decoded, decoded, maxSide);
            const uint32_t final = (decoded + factor - 1) / factor;
            if (final >= best) best = final, denom = d;
        }
    }
    s->cinfo.scale_num = 1;
    s->cinfo.scale_denom = denom;
    jpeg_start_decompress(&s->cinfo);
    const int expected = s->cmyk ? 4 : s->cinfo.out_color_space == JCS_GRAYSCALE ? 1 : 3;
    return s->cinfo.output_components == expected &&
           s->cinfo.output_width == (s->cinfo.image_width + denom - 1) / denom &&
           s->cinfo.output_height == (s->cinfo.image_height + denom - 1) / denom;
}

// Reads every scan line; the first (top) line goes to the last stored row.
// rowBuffer (CMYK only) holds one line of 4-byte samples; toSrgb, when
// active, converts them through the picture's (or the default) profile.
bool ReadLines(DecodeState* s, uint8_t* pixels, std::size_t rowBytes, uint8_t* rowBuffer,
               const ToSrgbTransform* toSrgb) {
    if (setjmp(s->err.jump)) return false;
    const JDIMENSION h = s->cinfo.output_height;
    const JDIMENSION w = s->cinfo.output_width;
    while (s->cinfo.output_scanline < h) {
        uint8_t* dst = pixels + static_cast<std::size_t>(h - 1 - s->cinfo.output_scanline) * rowBytes;
        JSAMPROW row = s->cmyk ? rowBuffer : dst;
        if (jpeg_read_scanlines(&s->cinfo, &row, 1) != 1) return false;
        if (s->cmyk && toSrgb->Active()) {
            toSrgb->Row(rowBuffer, dst, w);
        } else if (s->cmyk) {
            for (JDIMENSION x = 0; x < w; ++x) {
                unsigned c = rowBuffer[4 * x], m = rowBuffer[4 * x + 1], y = rowBuffer[4 * x + 2],
                         k = rowBuffer[4 * x + 3];
                // Adobe applications store the CMYK samples inverted.
                if (!s->adobe) {
                    c = 255 - c;
                    m = 255 - m;
                    y = 255 - y;
                    k = 255 - k;
                }
                dst[3 * x + 0] = static_cast<uint8_t>((y * k + 127) / 255);
                dst[3 * x + 1] = static_cast<uint8_t>((m * k + 127) / 255);
                dst[3 * x + 2] = static_cast<uint8_t>((c * k + 127) / 255);
            }
        }
    }
    // Trailing garbage or a missing end marker does not spoil the picture.
    return true;
}

// ---------------------------------------------------------------- encoding

struct EncodeState {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    bool created;
    unsigned char* buffer;  // malloc'ed by jpeg_mem_dest
    unsigned long bufferSize;
};

// JFIF density in dots per inch (a 16-bit field).
void SetJpegDensity(jpeg_compress_struct& cinfo, int dpi) {
    if (dpi <= 0) return;
    cinfo.density_unit = 1;
    cinfo.X_density = cinfo.Y_density = static_cast<UINT16>(std::min(dpi, 65535));
}

void WriteProfile(jpeg_compress_struct& cinfo, const std::vector<uint8_t>& icc) {
    if (!icc.empty())
        jpeg_write_icc_profile(&cinfo, icc.data(), static_cast<unsigned int>(std::min(icc.size(), kMaxProfileBytes)));
}

// Adobe applications, and the programs that follow them, store CMYK JPEG
// samples inverted (255: no ink) under an Adobe marker; libjpeg writes the
// marker for CMYK.
bool WriteCmykJpeg(EncodeState* s, const CmykPicture* picture, const EncodeOptions* options, uint8_t* rowBuffer) {
    if (setjmp(s->err.jump)) return false;
    s->cinfo.err = &s->err.pub;
    jpeg_create_compress(&s->cinfo);
    s->created = true;
    jpeg_mem_dest(&s->cinfo, &s->buffer, &s->bufferSize);
    s->cinfo.image_width = picture->width;
    s->cinfo.image_height = picture->height;
    s->cinfo.input_components = 4;
    s->cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&s->cinfo);
    jpeg_set_colorspace(&s->cinfo, JCS_CMYK);
    jpeg_set_quality(&s->cinfo, std::clamp(options->jpegQuality, 0, 100), TRUE);
    SetJpegDensity(s->cinfo, options->dpi);
    s->cinfo.optimize_coding = (options->jpegOptions & 8) ? TRUE : FALSE;
    if (options->jpegOptions & 16) jpeg_simple_progression(&s->cinfo);
    jpeg_start_compress(&s->cinfo, TRUE);
    WriteProfile(s->cinfo, options->iccProfile);
    const std::size_t rowBytes = static_cast<std::size_t>(picture->width) * 4;
    while (s->cinfo.next_scanline < s->cinfo.image_height) {
        const uint8_t* src = picture->samples + s->cinfo.next_scanline * rowBytes;
        for (std::size_t i = 0; i < rowBytes; ++i) rowBuffer[i] = static_cast<uint8_t>(255 - src[i]);
        JSAMPROW row = rowBuffer;
        jpeg_write_scanlines(&s->cinfo, &row, 1);
    }
    jpeg_finish_compress(&s->cinfo);
    return true;
}

bool WriteJpeg(EncodeState* s, const ImageData* image, const EncodeOptions* options, uint8_t* rowBuffer) {
    if (setjmp(s->err.jump)) return false;
    s->cinfo.err = &s->err.pub;
    jpeg_create_compress(&s->cinfo);
    s->created = true;
    jpeg_mem_dest(&s->cinfo, &s->buffer, &s->bufferSize);
    s->cinfo.image_width = image->width;
    s->cinfo.image_height = image->height;
    s->cinfo.input_components = 3;
    s->cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&s->cinfo);
    int quality = options->jpegQuality;
    if (quality < 0) quality = 0;
    if (quality > 100) quality = 100;
    jpeg_set_quality(&s->cinfo, quality, TRUE);
    SetJpegDensity(s->cinfo, options->dpi);
    // High qualities keep the colour at full resolution: sharp coloured
    // edges (text on a cover) would otherwise bleed.
    if (quality >= kFullChromaQuality) {
        s->cinfo.comp_info[0].h_samp_factor = 1;
        s->cinfo.comp_info[0].v_samp_factor = 1;
    }
    s->cinfo.optimize_coding = (options->jpegOptions & 8) ? TRUE : FALSE;
    if (options->jpegOptions & 16) jpeg_simple_progression(&s->cinfo);
    jpeg_start_compress(&s->cinfo, TRUE);
    WriteProfile(s->cinfo, options->iccProfile);
    const std::size_t rowBytes = image->RowBytes();
    while (s->cinfo.next_scanline < s->cinfo.image_height) {
        const uint32_t stored = image->height - 1 - s->cinfo.next_scanline;
        JSAMPROW row;
        if (image->bpp == 24) {
            // libjpeg does not write to its input rows.
            row = const_cast<uint8_t*>(image->pixels.data() + stored * rowBytes);
        } else {
            RowToBgr(*image, stored, rowBuffer);
            row = rowBuffer;
        }
        jpeg_write_scanlines(&s->cinfo, &row, 1);
    }
    jpeg_finish_compress(&s->cinfo);
    return true;
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) {
    return DecodeJpegReduced(data, size, out, why, 0);
}

bool DecodeJpegReduced(const uint8_t* data, std::size_t size, ImageData& out, std::string* why, uint32_t maxSide) {
    out.Clear();
    if (!data || size < 4) return Fail(why, "not a JPEG file");
    DecodeState s;
    std::memset(&s, 0, sizeof s);
    InitErrorManager(s.err);
    bool ok = StartDecode(&s, data, size, maxSide);
    std::vector<uint8_t> rowBuffer;
    ToSrgbTransform toSrgb;
    if (ok) {
        const bool grey = s.cinfo.out_color_space == JCS_GRAYSCALE;
        ok = out.Allocate(s.cinfo.output_width, s.cinfo.output_height, grey ? 8 : 24, false);
        if (!ok) std::snprintf(s.err.message, sizeof s.err.message, "not enough memory for the image");
        if (ok && grey) SetGreyPalette(out);
        if (ok && s.cmyk) {
            rowBuffer.resize(static_cast<std::size_t>(s.cinfo.output_width) * 4);
            toSrgb.Open(s.icc, s.iccSize, s.adobe ? PixelLayout::CmykInverted : PixelLayout::Cmyk, "JPEG");
        }
        if (ok) ok = ReadLines(&s, out.pixels.data(), out.RowBytes(), rowBuffer.data(), &toSrgb);
    }
    if (s.created) jpeg_destroy_decompress(&s.cinfo);
    std::vector<uint8_t> icc;
    if (s.icc && !s.cmyk) icc.assign(s.icc, s.icc + s.iccSize);
    std::free(s.icc);
    if (!ok) {
        out.Clear();
        if (s.err.pub.msg_code == JERR_NO_BACKING_STORE || s.err.pub.msg_code == JERR_OUT_OF_MEMORY)
            return Fail(why, "the image needs more memory to decode than allowed");
        return Fail(why, s.err.message[0] ? s.err.message : "not a valid JPEG file");
    }
    ReduceToFit(out, maxSide);
    ConvertToSrgb(out, icc.data(), icc.size(), "JPEG");
    return !out.Empty() || Fail(why, "not enough memory for the image");
}

// Runs one libjpeg compression into memory: the writer fills the state, the
// bytes it made land in out; libjpeg's buffer is freed whatever happens.
template <typename Write>
static bool RunJpegEncoder(Write write, std::vector<uint8_t>& out, std::string* why) {
    EncodeState s;
    std::memset(&s, 0, sizeof s);
    InitErrorManager(s.err);
    const bool ok = write(&s);
    if (s.created) jpeg_destroy_compress(&s.cinfo);
    try {
        if (ok) out.assign(s.buffer, s.buffer + s.bufferSize);
    } catch (...) {
        std::free(s.buffer);
        throw;
    }
    std::free(s.buffer);
    if (!ok) return Fail(why, s.err.message[0] ? s.err.message : "JPEG encoding failed");
    return true;
}

bool EncodeJpeg(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why) {
    out.clear();
    if (image.Empty()) return Fail(why, "the image is empty");
    std::vector<uint8_t> rowBuffer(image.bpp == 24 ? 0 : static_cast<std::size_t>(image.width) * 3);
    return RunJpegEncoder([&](EncodeState* s) { return WriteJpeg(s, &image, &options, rowBuffer.data()); }, out, why);
}

bool EncodeCmykJpeg(const CmykPicture& picture, const EncodeOptions& options, std::vector<uint8_t>& out,
                    std::string* why) {
    out.clear();
    if (!picture.samples || !SizeAllowed(picture.width, picture.height))
        return Fail(why, "the picture is empty or too large");
    std::vector<uint8_t> rowBuffer(static_cast<std::size_t>(picture.width) * 4);
    return RunJpegEncoder([&](EncodeState* s) { return WriteCmykJpeg(s, &picture, &options, rowBuffer.data()); }, out,
                          why);
}

}  // namespace imagecodec
