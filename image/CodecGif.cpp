// GIF reading (first frame, through giflib) and writing (GIF89a, one frame,
// the code stream coded by GifCodeStream in one of three ways).
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "image/CodecBytes.h"
#include "image/CodecRegistry.h"
#include "image/GifCodeStream.h"

namespace imagecodec {
namespace {

using namespace bytes;

// An LZW code of at most 12 bits stands for at most 4096 pixels, so a
// frame that claims more pixels than this many per byte of the file cannot
// be real and is refused before anything is allocated.
constexpr uint64_t kMaxPixelsPerByte = 4096;

struct MemorySource {
    const uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
    auto* src = static_cast<MemorySource*>(gif->UserData);
    if (length <= 0) return 0;
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length), src->size - src->pos);
    std::memcpy(buffer, src->data + src->pos, n);
    src->pos += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

}  // namespace

bool DecodeGif(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) try {
    out.Clear();
    if (!data || size < 13 || (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0))
        return Fail(out, why, "not a GIF file");
    MemorySource source{data, size, 0};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&source, ReadFromMemory, &error));
    if (!gif) return Fail(out, why, "GIF header is damaged");

    // Extensions before the first image: only the graphic control extension
    // (transparent index) matters.
    int transparent = -1;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) return Fail(out, why, "GIF data is damaged");
        if (record == IMAGE_DESC_RECORD_TYPE) break;
        if (record != EXTENSION_RECORD_TYPE) return Fail(out, why, "GIF file holds no image");
        int code = 0;
        GifByteType* ext = nullptr;
        if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) return Fail(out, why, "GIF extension is damaged");
        if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) transparent = (ext[1] & 1) ? ext[4] : -1;
        while (ext)
            if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) return Fail(out, why, "GIF extension is damaged");
    }
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return Fail(out, why, "GIF image descriptor is damaged");

    const GifImageDesc& desc = gif->Image;
    const uint64_t fw = desc.Width > 0 ? desc.Width : 0, fh = desc.Height > 0 ? desc.Height : 0;
    const uint64_t left = desc.Left > 0 ? desc.Left : 0, top = desc.Top > 0 ? desc.Top : 0;
    const uint64_t pixelBound = uint64_t{size} * kMaxPixelsPerByte + 65536;
    if (!SizeAllowed(fw, fh) || fw * fh > pixelBound) return Fail(out, why, "GIF frame size is out of range");
    const ColorMapObject* colors = desc.ColorMap ? desc.ColorMap : gif->SColorMap;

    // The frame sits on the logical screen when it fits there; otherwise the
    // frame alone is the picture.
    uint64_t cw = gif->SWidth > 0 ? gif->SWidth : 0, ch = gif->SHeight > 0 ? gif->SHeight : 0;
    if (left + fw > cw || top + fh > ch || !SizeAllowed(cw, ch) || cw * ch > std::max(fw * fh, pixelBound)) {
        cw = fw, ch = fh;
    }
    const uint64_t ox = cw == fw ? 0 : left, oy = ch == fh ? 0 : top;
    const bool covered = cw == fw && ch == fh;
    const bool alpha = transparent >= 0 || !covered;
    if (!Prepare(out, static_cast<uint32_t>(cw), static_cast<uint32_t>(ch), 8, alpha))
        return Fail(out, why, "GIF size is out of range");
    if (!covered) {
        std::fill(out.pixels.begin(), out.pixels.end(), transparent >= 0 ? transparent : gif->SBackGroundColor);
        std::fill(out.alpha.begin(), out.alpha.end(), 0);
    }

    out.palette = BlackPalette();
    if (colors && colors->Colors) {
        const int n = std::min(colors->ColorCount, 256);
        for (int i = 0; i < n; ++i) {
            out.palette[i * 4 + 0] = colors->Colors[i].Blue;
            out.palette[i * 4 + 1] = colors->Colors[i].Green;
            out.palette[i * 4 + 2] = colors->Colors[i].Red;
        }
    } else {
        for (int i = 0; i < 256; ++i) std::memset(&out.palette[i * 4], i, 3);
    }

    std::vector<GifPixelType> line(static_cast<std::size_t>(fw));
    auto storeRow = [&](uint64_t frameRow) {
        const std::size_t row = static_cast<std::size_t>(ch - 1 - (oy + frameRow));
        const std::size_t at = row * static_cast<std::size_t>(cw) + static_cast<std::size_t>(ox);
        std::memcpy(out.pixels.data() + at, line.data(), line.size());
        if (alpha)
            for (std::size_t x = 0; x < line.size(); ++x)
                out.alpha[at + x] = static_cast<int>(line[x]) == transparent ? 0 : 255;
    };
    auto readRow = [&](uint64_t frameRow) {
        if (DGifGetLine(gif.get(), line.data(), static_cast<int>(fw)) == GIF_ERROR) return false;
        storeRow(frameRow);
        return true;
    };
    if (desc.Interlace) {
        static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (uint64_t r = kStart[pass]; r < fh; r += kStep[pass])
                if (!readRow(r)) return Fail(out, why, "GIF image data is damaged or truncated");
    } else {
        for (uint64_t r = 0; r < fh; ++r)
            if (!readRow(r)) return Fail(out, why, "GIF image data is damaged or truncated");
    }
    if (alpha) DropOpaqueAlpha(out);
    return true;
} catch (const std::bad_alloc&) {
    return Fail(out, why, "out of memory");
}

bool EncodeGif(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why) try {
    out.clear();
    if (image.Empty()) return FailEncode(out, why, "the image is empty");
    if (image.bpp != 8) return FailEncode(out, why, "GIF needs an 8-bit palette image");
    if (image.width > 0xFFFF || image.height > 0xFFFF) return FailEncode(out, why, "the image is too large for GIF");
    const std::size_t w = image.width, h = image.height, count = w * h;
    if (image.pixels.size() < count) return FailEncode(out, why, "pixel data is incomplete");

    // Indices in file order (top row first).
    std::vector<uint8_t> indices(count);
    for (std::size_t r = 0; r < h; ++r) std::memcpy(indices.data() + r * w, image.pixels.data() + (h - 1 - r) * w, w);

    // Transparency: fully transparent pixels take index 255, which the
    // standard palette keeps free. Should an opaque pixel use 255 all the
    // same, another index no pixel uses is taken, and failing that those
    // pixels move to the nearest other colour.
    int transparent = -1;
    if (image.alpha.size() >= count) {
        bool used[256] = {};
        bool anyClear = false;
        for (std::size_t r = 0; r < h; ++r) {
            const uint8_t* a = image.alpha.data() + (h - 1 - r) * w;
            const uint8_t* px = indices.data() + r * w;
            for (std::size_t x = 0; x < w; ++x) {
                if (a[x] == 0)
                    anyClear = true;
                else
                    used[px[x]] = true;
            }
        }
        if (anyClear) {
            transparent = 255;
            while (transparent >= 0 && used[transparent]) --transparent;
            if (transparent < 0) {
                transparent = 255;
                auto entry = [&](int i, int c) {
                    const std::size_t at = std::size_t(i) * 4 + c;
                    return at < image.palette.size() ? int{image.palette[at]} : 0;
                };
                int best = 0, bestDist = -1;
                for (int i = 0; i < 255; ++i) {
                    int d = 0;
                    for (int c = 0; c < 3; ++c) d += (entry(i, c) - entry(255, c)) * (entry(i, c) - entry(255, c));
                    if (bestDist < 0 || d < bestDist) best = i, bestDist = d;
                }
                for (std::size_t r = 0; r < h; ++r) {
                    const uint8_t* a = image.alpha.data() + (h - 1 - r) * w;
                    uint8_t* px = indices.data() + r * w;
                    for (std::size_t x = 0; x < w; ++x)
                        if (a[x] != 0 && px[x] == 255) px[x] = static_cast<uint8_t>(best);
                }
            }
            for (std::size_t r = 0; r < h; ++r) {
                const uint8_t* a = image.alpha.data() + (h - 1 - r) * w;
                uint8_t* px = indices.data() + r * w;
                for (std::size_t x = 0; x < w; ++x)
                    if (a[x] == 0) px[x] = static_cast<uint8_t>(transparent);
            }
        }
    }

    // Colour table just large enough for the indices in use.
    int maxIndex = transparent;
    for (uint8_t v : indices) maxIndex = std::max<int>(maxIndex, v);
    int tableBits = 1;
    while ((1 << tableBits) <= maxIndex) ++tableBits;
    const int minCodeSize = std::max(2, tableBits);

    gif::CodeStreamKind kind = gif::CodeStreamKind::Lzw;
    if (options.gifCompression == 1) kind = gif::CodeStreamKind::Literal;
    if (options.gifCompression == 2) kind = gif::CodeStreamKind::RunLength;
    int streamCodeSize = minCodeSize;
    std::vector<uint8_t> stream = gif::WriteCodeStream(indices.data(), count, minCodeSize, kind);
    if (kind == gif::CodeStreamKind::RunLength && minCodeSize < 8) {
        // With few colours the code size is small and so is each table of
        // runs; wider codes with longer tables may pay off for long runs.
        std::vector<uint8_t> wide = gif::WriteCodeStream(indices.data(), count, 8, kind);
        if (wide.size() < stream.size()) stream = std::move(wide), streamCodeSize = 8;
    }
    indices = {};

    out.reserve(64 + 3 * (std::size_t{1} << tableBits) + stream.size() + stream.size() / 255 + 8);
    const char* signature = "GIF89a";
    out.insert(out.end(), signature, signature + 6);
    PutLe16(out, image.width);
    PutLe16(out, image.height);
    out.push_back(static_cast<uint8_t>(0x80 | ((tableBits - 1) << 4) | (tableBits - 1)));
    out.push_back(0);  // background colour index
    out.push_back(0);  // no aspect ratio
    for (int i = 0; i < (1 << tableBits); ++i) {
        for (int c = 2; c >= 0; --c) {  // R, G, B from B, G, R, reserved
            const std::size_t at = std::size_t(i) * 4 + c;
            out.push_back(at < image.palette.size() ? image.palette[at] : 0);
        }
    }
    if (transparent >= 0) {
        const uint8_t gce[] = {0x21, 0xF9, 4, 0x01, 0, 0, static_cast<uint8_t>(transparent), 0};
        out.insert(out.end(), gce, gce + sizeof gce);
    }
    out.push_back(0x2C);
    PutLe16(out, 0);
    PutLe16(out, 0);
    PutLe16(out, image.width);
    PutLe16(out, image.height);
    out.push_back(0);  // no local table, not interlaced
    out.push_back(static_cast<uint8_t>(streamCodeSize));
    for (std::size_t at = 0; at < stream.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, stream.size() - at);
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), stream.begin() + at, stream.begin() + at + n);
    }
    out.push_back(0);     // block terminator
    out.push_back(0x3B);  // trailer
    return true;
} catch (const std::bad_alloc&) {
    return FailEncode(out, why, "out of memory");
}

}  // namespace imagecodec
