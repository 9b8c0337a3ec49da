#include "image/AnimatedWebp.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>

namespace imagecodec {

struct AnimatedWebpEncoder::State {
    WebPAnimEncoder* encoder = nullptr;
    WebPConfig config{};
    int width = 0, height = 0;
    bool keepAlpha = false;
    std::string error;
};

AnimatedWebpEncoder::AnimatedWebpEncoder(int width, int height, int quality, bool lossless, bool keepAlpha)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.width = width;
    s.height = height;
    s.keepAlpha = keepAlpha;
    if (width < 1 || height < 1 || width > WEBP_MAX_DIMENSION || height > WEBP_MAX_DIMENSION) {
        s.error = "the image is too large for WebP";
        return;
    }
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&s.config)) {
        s.error = "WebP encoder is unavailable";
        return;
    }
    options.anim_params.loop_count = 0;  // forever
    options.allow_mixed = 0;
    s.config.lossless = lossless ? 1 : 0;
    s.config.quality = static_cast<float>(std::clamp(quality, 0, 100));
    s.config.alpha_quality = 100;
    s.encoder = WebPAnimEncoderNew(width, height, &options);
    if (!s.encoder) s.error = "WebP encoder is unavailable";
}

AnimatedWebpEncoder::~AnimatedWebpEncoder() {
    if (state_->encoder) WebPAnimEncoderDelete(state_->encoder);
}

bool AnimatedWebpEncoder::AddFrame(const uint8_t* rgba, int timestampMs, std::string* why) {
    State& s = *state_;
    if (!s.encoder) {
        if (why) *why = s.error;
        return false;
    }
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) return false;
    picture.use_argb = 1;
    picture.width = s.width;
    picture.height = s.height;
    const int stride = s.width * 4;
    bool ok =
        (s.keepAlpha ? WebPPictureImportRGBA(&picture, rgba, stride) : WebPPictureImportRGBX(&picture, rgba, stride)) &&
        WebPAnimEncoderAdd(s.encoder, &picture, timestampMs, &s.config);
    if (!ok && why) *why = std::string("WebP encoding failed: ") + WebPAnimEncoderGetError(s.encoder);
    WebPPictureFree(&picture);
    return ok;
}

bool AnimatedWebpEncoder::Finish(int endMs, std::vector<uint8_t>& out, std::string* why) {
    State& s = *state_;
    out.clear();
    if (!s.encoder) {
        if (why) *why = s.error;
        return false;
    }
    WebPData data;
    WebPDataInit(&data);
    const bool ok = WebPAnimEncoderAdd(s.encoder, nullptr, endMs, nullptr) && WebPAnimEncoderAssemble(s.encoder, &data);
    if (ok)
        out.assign(data.bytes, data.bytes + data.size);
    else if (why)
        *why = std::string("WebP encoding failed: ") + WebPAnimEncoderGetError(s.encoder);
    WebPDataClear(&data);
    return ok;
}

}  // namespace imagecodec
