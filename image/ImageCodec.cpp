#include "image/ImageCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "image/CodecRegistry.h"
#include "image/CodecVector.h"
#include "image/ImageReduce.h"
#include "image/StandardPalette.h"
#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"

namespace {

using imagecodec::ImageData;

// Larger files are refused outright: no image the decoders accept needs
// more (the largest allowed 24-bit image is 384 MiB uncompressed).
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;

// Decoders tried on content after the sniffed one: formats with a
// signature first, the loosely identified ones (PCX, metafiles) next and the
// formats without any signature (TGA, WBMP) last.
constexpr ImageFormat kContentOrder[] = {
    FORMAT_PNG, FORMAT_JPG, FORMAT_GIF, FORMAT_TIF, FORMAT_BMP, FORMAT_ICO, FORMAT_JP2,  FORMAT_JPC,
    FORMAT_RAS, FORMAT_PNM, FORMAT_PGX, FORMAT_PCX, FORMAT_WMF, FORMAT_TGA, FORMAT_WBMP,
};

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& why) {
    switch (boxora::ReadRegularFile(path, bytes, kMaxFileBytes)) {
        case boxora::ReadResult::Ok: return true;
        case boxora::ReadResult::NotOpened:
            why = path + ": Could not open file: " +
                  (errno == EISDIR   ? "a folder"
                   : errno == EINVAL ? "not a regular file"
                                     : std::strerror(errno));
            break;
        case boxora::ReadResult::TooLarge: why = path + " is too large to be an image"; break;
        case boxora::ReadResult::ReadFailed: why = "cannot read " + path; break;
    }
    bytes.clear();
    return false;
}

// Runs one decoder; on failure the image is left empty and why is set.
bool TryDecode(ImageFormat format, const uint8_t* data, std::size_t size, ImageData& out, std::string& why,
               uint32_t maxSide) {
    out.Clear();
    const imagecodec::CodecEntry* codec = imagecodec::FindCodec(format);
    if (!codec || !codec->decode) {
        why = "format not supported";
        return false;
    }
    std::string reason;
    bool ok = false;
    try {
        if (maxSide > 0 && format == FORMAT_PNG)
            ok = imagecodec::DecodePngReduced(data, size, out, &reason, maxSide);
        else if (maxSide > 0 && format == FORMAT_JPG)
            ok = imagecodec::DecodeJpegReduced(data, size, out, &reason, maxSide);
        else if (maxSide > 0 && format == FORMAT_JP2)
            ok = imagecodec::DecodeJp2Reduced(data, size, out, &reason, maxSide);
        else if (maxSide > 0 && format == FORMAT_JPC)
            ok = imagecodec::DecodeJpcReduced(data, size, out, &reason, maxSide);
        else
            ok = codec->decode(data, size, out, &reason);
        if (ok && maxSide > 0) imagecodec::ReduceToFit(out, maxSide);
    } catch (const std::bad_alloc&) {
        reason = "not enough memory";
    }
    // A decoder's result is only accepted when it is consistent.
    if (ok && (out.Empty() || out.pixels.size() != out.RowBytes() * out.height ||
               (!out.alpha.empty() && out.alpha.size() != static_cast<std::size_t>(out.width) * out.height) ||
               (out.bpp == 8 && (out.palette.empty() || out.palette.size() % 4 != 0 || out.palette.size() > 1024)))) {
        ok = false;
        reason = "decoder produced an inconsistent image";
    }
    if (!ok) {
        out.Clear();
        why = reason.empty() ? "not a valid image" : reason;
    }
    return ok;
}

std::string_view FormatName(ImageFormat format) {
    switch (format) {
        case FORMAT_BMP: return "BMP";
        case FORMAT_GIF: return "GIF";
        case FORMAT_JPG: return "JPEG";
        case FORMAT_PNG: return "PNG";
        case FORMAT_ICO: return "ICO";
        case FORMAT_TIF: return "TIFF";
        case FORMAT_TGA: return "TGA";
        case FORMAT_PCX: return "PCX";
        case FORMAT_WBMP: return "WBMP";
        case FORMAT_WMF: return "WMF/EMF";
        case FORMAT_JP2: return "JP2";
        case FORMAT_JPC: return "JPC";
        case FORMAT_PGX: return "PGX";
        case FORMAT_PNM: return "PNM";
        case FORMAT_RAS: return "Sun raster";
        default: return "unknown";
    }
}

// Palette entry i as B, G, R (black when the palette is too short).
inline const uint8_t* PaletteEntry(const ImageData& d, uint8_t index) {
    static const uint8_t kBlack[4] = {0, 0, 0, 0};
    const std::size_t at = static_cast<std::size_t>(index) * 4;
    return at + 3 < d.palette.size() ? &d.palette[at] : kBlack;
}

}  // namespace

bool ImageCodec::LoadFromMemory(const uint8_t* data, std::size_t size, int format, uint32_t maxSide) {
    data_.Clear();
    lastError_.clear();
    if (!data || size == 0) {
        lastError_ = "the file is empty";
        return false;
    }
    std::string why;
    // Drawings are told apart by their first bytes whatever the name says;
    // they are drawn at the size asked for rather than shrunk from one.
    // A picture whose signature names a raster format stays one, even with
    // "%PDF-" in a comment.
    const auto kind = imagecodec::SniffFormat(data, size) == FORMAT_UNKNOWN
                          ? imagecodec::vector::SniffVector(data, size)
                          : imagecodec::vector::VectorKind::None;
    if (kind != imagecodec::vector::VectorKind::None) {
        const uint32_t side = vectorSide_ ? vectorSide_ : maxSide ? maxSide : imagecodec::vector::kDefaultVectorSide;
        if (imagecodec::vector::DecodeVectorLimited(kind, data, size, side, data_, &why)) return true;
        lastError_ = std::string(kind == imagecodec::vector::VectorKind::Svg ? "SVG" : "PDF") + ": " + why;
        return false;
    }
    const auto requested = static_cast<ImageFormat>(format);
    // An explicit format is tried first. When it fails (a file whose name
    // does not match its content), the content decides, as for code 0: a
    // mislabelled but valid picture still loads.
    std::string requestedWhy;
    if (requested != FORMAT_UNKNOWN) {
        if (!imagecodec::FindCodec(requested)) {
            lastError_ = "unknown image format code " + std::to_string(format);
            return false;
        }
        if (TryDecode(requested, data, size, data_, requestedWhy, maxSide)) return true;
    }
    const ImageFormat sniffed = imagecodec::SniffFormat(data, size);
    if (sniffed != FORMAT_UNKNOWN && sniffed != requested) {
        if (TryDecode(sniffed, data, size, data_, why, maxSide)) return true;
        // The signature matched but the file is broken: report that reason.
        if (requested == FORMAT_UNKNOWN) requestedWhy = std::string(FormatName(sniffed)) + ": " + why;
    }
    for (ImageFormat f : kContentOrder) {
        if (f == requested || f == sniffed) continue;
        if (TryDecode(f, data, size, data_, why, maxSide)) return true;
    }
    if (requested != FORMAT_UNKNOWN)
        lastError_ = "not a valid " + std::string(FormatName(requested)) + " image (" + requestedWhy + ")";
    else if (!requestedWhy.empty())
        lastError_ = "not a valid image: " + requestedWhy;
    else
        lastError_ = "not a known image format";
    return false;
}

bool ImageCodec::Load(const std::string& path, int format, uint32_t maxSide) {
    data_.Clear();
    lastError_.clear();
    std::vector<uint8_t> bytes;
    std::string why;
    if (!ReadWholeFile(path, bytes, why)) {
        lastError_ = why;
        return false;
    }
    if (!LoadFromMemory(bytes.data(), bytes.size(), format, maxSide)) {
        lastError_ = path + ": " + lastError_;
        return false;
    }
    return true;
}

std::vector<uint8_t> ImageCodec::Encode2RGB_Ex() const {
    std::vector<uint8_t> out;
    if (data_.Empty()) return out;
    if (data_.bpp == 24) return data_.pixels;
    const std::size_t count = static_cast<std::size_t>(data_.width) * data_.height;
    out.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t* e = PaletteEntry(data_, data_.pixels[i]);
        out[3 * i + 0] = e[0];
        out[3 * i + 1] = e[1];
        out[3 * i + 2] = e[2];
    }
    return out;
}

bool ImageCodec::CreateFromArray(const uint8_t* pixels, uint32_t width, uint32_t height, int bpp, int bytesPerLine,
                                 bool flip) {
    data_.Clear();
    lastError_.clear();
    if (!pixels || (bpp != 24 && bpp != 32)) {
        lastError_ = "unsupported pixel array";
        return false;
    }
    const std::size_t srcRow = static_cast<std::size_t>(width) * (bpp / 8);
    if (bytesPerLine < 0 || static_cast<std::size_t>(bytesPerLine) < srcRow) {
        lastError_ = "row length too small for the width";
        return false;
    }
    if (!data_.Allocate(width, height, 24, bpp == 32)) {
        lastError_ = "image size not allowed";
        return false;
    }
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* src = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(bytesPerLine);
        const uint32_t row = flip ? height - 1 - y : y;
        uint8_t* dst = &data_.pixels[static_cast<std::size_t>(row) * width * 3];
        if (bpp == 24) {
            std::memcpy(dst, src, srcRow);
        } else {
            uint8_t* a = &data_.alpha[static_cast<std::size_t>(row) * width];
            for (uint32_t x = 0; x < width; ++x) {
                dst[3 * x + 0] = src[4 * x + 0];
                dst[3 * x + 1] = src[4 * x + 1];
                dst[3 * x + 2] = src[4 * x + 2];
                a[x] = src[4 * x + 3];
            }
        }
    }
    return true;
}

void ImageCodec::SetJpegQuality(int quality) { options_.jpegQuality = std::clamp(quality, 0, 100); }

void ImageCodec::SetCodecOption(int option, int format) {
    switch (format) {
        case FORMAT_JPG: options_.jpegOptions = option; break;
        case FORMAT_GIF: options_.gifCompression = option; break;
        case FORMAT_TIF: options_.tiffCompression = option; break;
        case FORMAT_PNG: options_.pngInterlace = option; break;
        case FORMAT_WEBP: options_.webpLossless = option; break;
        default: break;  // the other formats have no options
    }
}

bool ImageCodec::DecreaseBpp(int bpp, bool errorDiffusion, const uint8_t* palette, int importantColors) {
    (void)importantColors;
    lastError_.clear();
    if (bpp != 8 || errorDiffusion || palette) {
        lastError_ = "only the reduction to 8 bits with the standard palette is supported";
        return false;
    }
    if (data_.Empty()) {
        lastError_ = "the image is empty";
        return false;
    }
    if (data_.bpp == 8) return true;
    const std::size_t count = static_cast<std::size_t>(data_.width) * data_.height;
    std::vector<uint8_t> indices;
    try {
        indices.resize(count);
    } catch (const std::bad_alloc&) {
        lastError_ = "not enough memory";
        return false;
    }
    imagecodec::MapToStandardPalette(data_.pixels.data(), count, indices.data());
    const auto& pal = imagecodec::StandardPalette();
    data_.pixels.swap(indices);
    data_.palette.assign(pal.begin(), pal.end());
    data_.bpp = 8;
    return true;
}

bool ImageCodec::Save(const std::string& path, int format, std::string* error) const {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (data_.Empty()) return fail("the image is empty");
    const imagecodec::CodecEntry* codec = imagecodec::FindCodec(static_cast<ImageFormat>(format));
    if (!codec || !codec->encode) return fail("format not supported for writing");
    std::vector<uint8_t> file;
    std::string why;
    bool ok = false;
    try {
        if (format == FORMAT_GIF && data_.bpp != 8) {
            // GIF holds palette images only: reduce a copy.
            ImageCodec reduced;
            reduced.data_ = data_;
            if (!reduced.DecreaseBpp(8, false, nullptr, 0)) return fail(reduced.LastError());
            ok = codec->encode(reduced.data_, options_, file, &why);
        } else {
            ok = codec->encode(data_, options_, file, &why);
        }
    } catch (const std::bad_alloc&) {
        why = "not enough memory";
        ok = false;
    }
    if (!ok)
        return fail("cannot encode " + std::string(FormatName(static_cast<ImageFormat>(format))) +
                    (why.empty() ? std::string() : ": " + why));
    std::string writeError;
    if (!boxora::WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(file.data()), file.size()),
                                     &writeError))
        return fail(writeError);
    return true;
}

std::vector<uint8_t> ImageCodec::ToRgbaTopDown() const {
    std::vector<uint8_t> out;
    if (data_.Empty()) return out;
    const uint32_t w = data_.width, h = data_.height;
    out.resize(static_cast<std::size_t>(w) * h * 4);
    for (uint32_t y = 0; y < h; ++y) {
        const std::size_t srcRow = static_cast<std::size_t>(h - 1 - y) * w;
        uint8_t* dst = &out[static_cast<std::size_t>(y) * w * 4];
        for (uint32_t x = 0; x < w; ++x) {
            const std::size_t i = srcRow + x;
            const uint8_t* bgr = data_.bpp == 24 ? &data_.pixels[i * 3] : PaletteEntry(data_, data_.pixels[i]);
            dst[4 * x + 0] = bgr[2];
            dst[4 * x + 1] = bgr[1];
            dst[4 * x + 2] = bgr[0];
            dst[4 * x + 3] = data_.alpha.empty() ? 255 : data_.alpha[i];
        }
    }
    return out;
}
