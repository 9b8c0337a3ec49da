#include "image/CodecWebp.h"

#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "image/CodecBytes.h"
#include "image/CodecRegistry.h"
#include "image/CodecSupport.h"
#include "image/ColourProfile.h"
#include "image/DecodeHelper.h"

namespace imagecodec {

using namespace bytes;

namespace webp {

namespace {

// RGBA top-down (as libwebp gives it) into the store's B, G, R bottom-up
// rows and alpha plane.
bool StoreRgba(const uint8_t* rgba, int width, int height, int stride, bool withAlpha, ImageData& out,
               std::string* why) {
    if (!Prepare(out, static_cast<uint32_t>(width), static_cast<uint32_t>(height), 24, withAlpha))
        return bytes::Fail(out, why, "WebP size is out of range");
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    for (std::size_t y = 0; y < h; ++y) {
        const uint8_t* src = rgba + y * static_cast<std::size_t>(stride);
        const std::size_t row = h - 1 - y;
        uint8_t* dst = out.pixels.data() + row * w * 3;
        for (std::size_t x = 0; x < w; ++x) {
            dst[3 * x + 0] = src[4 * x + 2];
            dst[3 * x + 1] = src[4 * x + 1];
            dst[3 * x + 2] = src[4 * x + 0];
            if (withAlpha) out.alpha[row * w + x] = src[4 * x + 3];
        }
    }
    if (withAlpha) DropOpaqueAlpha(out);
    return true;
}

struct AnimDecoderCloser {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

// The checks both decoders make before any pixel is touched: a WebP file of
// a size we take, whose header gives a picture of a size we take.
bool HeaderAccepted(const uint8_t* data, std::size_t size, WebPBitstreamFeatures& features, ImageData& out,
                    std::string* why) {
    if (!LooksLikeWebp(data, size)) return bytes::Fail(out, why, "not a WebP file");
    if (size > kMaxWebpBytes) return bytes::Fail(out, why, "WebP file is too large");
    if (WebPGetFeatures(data, size, &features) != VP8_STATUS_OK) return bytes::Fail(out, why, "WebP header is damaged");
    if (!SizeAllowed(static_cast<uint64_t>(features.width), static_cast<uint64_t>(features.height)))
        return bytes::Fail(out, why, "WebP size is out of range");
    return true;
}

}  // namespace

bool LooksLikeWebp(const uint8_t* data, std::size_t size) {
    return data && size >= 16 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0;
}

// The ICCP chunk's profile, when the file has one, converts the decoded
// picture into sRGB.
bool WithProfile(bool decoded, const uint8_t* data, std::size_t size, ImageData& out) {
    if (!decoded) return false;
    WebPData file{data, size};
    std::unique_ptr<WebPDemuxer, void (*)(WebPDemuxer*)> demux(WebPDemux(&file), WebPDemuxDelete);
    if (!demux || !(WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS) & ICCP_FLAG)) return true;
    WebPChunkIterator chunk;
    if (WebPDemuxGetChunk(demux.get(), "ICCP", 1, &chunk)) {
        ConvertToSrgb(out, chunk.chunk.bytes, chunk.chunk.size, "WebP");
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    return true;
}

bool DecodeWebpHere(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) try {
    out.Clear();
    WebPBitstreamFeatures features;
    if (!HeaderAccepted(data, size, features, out, why)) return false;

    if (features.has_animation) {
        // A face shows the animation's first frame.
        WebPData file{data, size};
        WebPAnimDecoderOptions options;
        if (!WebPAnimDecoderOptionsInit(&options)) return bytes::Fail(out, why, "WebP decoder is unavailable");
        options.color_mode = MODE_RGBA;
        options.use_threads = 0;
        std::unique_ptr<WebPAnimDecoder, AnimDecoderCloser> decoder(WebPAnimDecoderNew(&file, &options));
        if (!decoder) return bytes::Fail(out, why, "WebP animation is damaged");
        WebPAnimInfo info;
        if (!WebPAnimDecoderGetInfo(decoder.get(), &info) || !SizeAllowed(info.canvas_width, info.canvas_height))
            return bytes::Fail(out, why, "WebP animation size is out of range");
        uint8_t* frame = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder.get(), &frame, &timestamp) || !frame)
            return bytes::Fail(out, why, "WebP animation frame is damaged");
        const int w = static_cast<int>(info.canvas_width), h = static_cast<int>(info.canvas_height);
        return WithProfile(StoreRgba(frame, w, h, w * 4, true, out, why), data, size, out);
    }

    int width = 0, height = 0;
    uint8_t* rgba = WebPDecodeRGBA(data, size, &width, &height);
    if (!rgba) return bytes::Fail(out, why, "WebP image data is damaged or truncated");
    std::unique_ptr<uint8_t, void (*)(void*)> owned(rgba, WebPFree);
    if (width != features.width || height != features.height) return bytes::Fail(out, why, "WebP size is inconsistent");
    return WithProfile(StoreRgba(rgba, width, height, width * 4, features.has_alpha != 0, out, why), data, size, out);
} catch (const std::bad_alloc&) {
    return bytes::Fail(out, why, "out of memory");
}

bool DecodeWebpLimited(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) {
    out.Clear();
    // The header is checked here too, so that an absurd one costs no process.
    WebPBitstreamFeatures features;
    if (!HeaderAccepted(data, size, features, out, why)) return false;
    return helper::DecodeInHelper(helper::Job::Webp, data, size, kMaxDimension, out, why);
}

std::vector<uint8_t> ToRgbaTopDown(const ImageData& image) {
    const std::size_t w = image.width, h = image.height;
    std::vector<uint8_t> rgba(w * h * 4);
    std::vector<uint8_t> bgr(w * 3);
    for (std::size_t y = 0; y < h; ++y) {
        const std::size_t row = h - 1 - y;
        RowToBgr(image, static_cast<uint32_t>(row), bgr.data());
        uint8_t* dst = rgba.data() + y * w * 4;
        for (std::size_t x = 0; x < w; ++x) {
            dst[4 * x + 0] = bgr[3 * x + 2];
            dst[4 * x + 1] = bgr[3 * x + 1];
            dst[4 * x + 2] = bgr[3 * x + 0];
            dst[4 * x + 3] = image.alpha.empty() ? 255 : image.alpha[row * w + x];
        }
    }
    return rgba;
}

}  // namespace webp

bool DecodeWebp(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) {
    return webp::DecodeWebpLimited(data, size, out, why);
}

bool EncodeWebp(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why) try {
    out.clear();
    if (image.Empty()) return FailEncode(out, why, "the image is empty");
    if (image.width > WEBP_MAX_DIMENSION || image.height > WEBP_MAX_DIMENSION)
        return FailEncode(out, why, "the image is too large for WebP");
    const std::vector<uint8_t> rgba = webp::ToRgbaTopDown(image);
    WebPConfig config;
    WebPPicture picture;
    if (!WebPConfigInit(&config) || !WebPPictureInit(&picture))
        return FailEncode(out, why, "WebP encoder is unavailable");
    config.lossless = options.webpLossless ? 1 : 0;
    config.quality = static_cast<float>(std::clamp(options.jpegQuality, 0, 100));
    // Edges of the package stay crisp: the alpha plane is kept exactly.
    config.alpha_quality = 100;
    config.exact = 0;
    picture.use_argb = config.lossless;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    const bool alpha = HasTransparency(image);
    const int imported = alpha ? WebPPictureImportRGBA(&picture, rgba.data(), picture.width * 4)
                               : WebPPictureImportRGBX(&picture, rgba.data(), picture.width * 4);
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    const bool ok = imported && WebPEncode(&config, &picture);
    WebPPictureFree(&picture);
    if (ok) out.assign(writer.mem, writer.mem + writer.size);
    WebPMemoryWriterClear(&writer);
    if (!ok) return FailEncode(out, why, "WebP encoding failed");
    if (!options.iccProfile.empty()) {
        // The profile goes into an ICCP chunk of the extended format.
        const WebPData bitstream{out.data(), out.size()};
        const WebPData icc{options.iccProfile.data(), options.iccProfile.size()};
        std::unique_ptr<WebPMux, void (*)(WebPMux*)> mux(WebPMuxCreate(&bitstream, 0), WebPMuxDelete);
        WebPData assembled;
        WebPDataInit(&assembled);
        if (!mux || WebPMuxSetChunk(mux.get(), "ICCP", &icc, 0) != WEBP_MUX_OK ||
            WebPMuxAssemble(mux.get(), &assembled) != WEBP_MUX_OK)
            return FailEncode(out, why, "cannot add the colour profile to the WebP picture");
        out.assign(assembled.bytes, assembled.bytes + assembled.size);
        WebPDataClear(&assembled);
    }
    return true;
} catch (const std::bad_alloc&) {
    return FailEncode(out, why, "out of memory");
}

}  // namespace imagecodec
