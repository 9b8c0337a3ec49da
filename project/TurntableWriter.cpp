#include "project/TurntableWriter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/IEngine.h"
#include "image/AnimatedGif.h"
#include "image/AnimatedWebp.h"
#include "image/ImageCodec.h"
#include "image/VideoEncoder.h"
#include "platform/AtomicFile.h"
#include "platform/TextUtil.h"
#include "render/RenderJob.h"
#include "scene/SceneParams.h"

namespace boxora {

namespace {

// Where the number goes in a Valid pattern: [start, end) of "%0Nd".
struct NumberSpot {
    std::size_t start = 0, end = 0;
    int width = 0;
};

NumberPattern FindNumber(const std::string& name, NumberSpot& spot) {
    int found = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '%') continue;
        if (i + 1 < name.size() && name[i + 1] == '%') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        int width = 0;
        if (j < name.size() && name[j] == '0') {
            ++j;
            if (j >= name.size() || name[j] < '1' || name[j] > '9') return NumberPattern::Invalid;
            width = name[j++] - '0';
        }
        if (j >= name.size() || name[j] != 'd' || ++found > 1) return NumberPattern::Invalid;
        spot = {i, j + 1, width};
        i = j;
    }
    return found == 1 ? NumberPattern::Valid : NumberPattern::None;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') ++i;
    }
    return out;
}

std::string Extension(const std::string& name) { return ToLowerText(std::filesystem::path(name).extension().string()); }

// One place the frames go.
class FrameOutput {
public:
    virtual ~FrameOutput() = default;
    // rgba: R, G, B, A, top row first.
    virtual bool Add(const uint8_t* rgba, int index, std::string* why) = 0;
    virtual bool Finish(std::string* why) = 0;
};

bool WriteWhole(const std::string& path, const std::vector<uint8_t>& bytes, std::string* why) {
    return WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), why);
}

class SequenceOutput : public FrameOutput {
public:
    explicit SequenceOutput(const TurntableSettings& s) : s_(s) {}
    bool Add(const uint8_t* rgba, int index, std::string* why) override {
        const std::size_t count = static_cast<std::size_t>(s_.width) * static_cast<std::size_t>(s_.height);
        std::vector<uint8_t> bgra(rgba, rgba + count * 4);
        const bool keepAlpha = s_.transparent && s_.stillFormat != FORMAT_GIF;
        for (std::size_t i = 0; i < count; ++i) {
            std::swap(bgra[4 * i], bgra[4 * i + 2]);
            if (!keepAlpha) bgra[4 * i + 3] = 255;
        }
        ImageCodec image;
        if (!image.CreateFromArray(bgra.data(), static_cast<uint32_t>(s_.width), static_cast<uint32_t>(s_.height), 32,
                                   s_.width * 4, true)) {
            if (why) *why = "out of memory";
            return false;
        }
        image.SetJpegQuality(s_.quality);
        image.SetCodecOption(s_.jpegOptions, FORMAT_JPG);
        image.SetCodecOption(s_.gifCompression, FORMAT_GIF);
        image.SetCodecOption(s_.tiffCompression, FORMAT_TIF);
        image.SetCodecOption(s_.pngInterlace, FORMAT_PNG);
        image.SetCodecOption(s_.lossless ? 1 : 0, FORMAT_WEBP);
        if (s_.stillFormat == FORMAT_GIF) image.DecreaseBpp(8, false, nullptr, 0);
        const std::string name = NumberedName(s_.output, index);
        std::string error;
        if (!image.Save(name, s_.stillFormat, &error)) {
            if (why) *why = name + ": " + error;
            return false;
        }
        return true;
    }
    bool Finish(std::string*) override { return true; }

private:
    const TurntableSettings& s_;
};

class GifOutput : public FrameOutput {
public:
    explicit GifOutput(const TurntableSettings& s)
        : s_(s), gif_(s.width, s.height, static_cast<int>(std::lround(100.0 / s.fps)), s.transparent) {}
    bool Add(const uint8_t* rgba, int, std::string*) override {
        gif_.AddFrame(rgba);
        return true;
    }
    bool Finish(std::string* why) override {
        std::vector<uint8_t> bytes;
        return gif_.Finish(bytes, why) && WriteWhole(s_.output, bytes, why);
    }

private:
    const TurntableSettings& s_;
    imagecodec::AnimatedGifEncoder gif_;
};

class WebpOutput : public FrameOutput {
public:
    explicit WebpOutput(const TurntableSettings& s)
        : s_(s), webp_(s.width, s.height, s.quality, s.lossless, s.transparent) {}
    bool Add(const uint8_t* rgba, int index, std::string* why) override {
        return webp_.AddFrame(rgba, Timestamp(index), why);
    }
    bool Finish(std::string* why) override {
        std::vector<uint8_t> bytes;
        return webp_.Finish(Timestamp(s_.frames), bytes, why) && WriteWhole(s_.output, bytes, why);
    }

private:
    int Timestamp(int index) const { return static_cast<int>(std::lround(index * 1000.0 / s_.fps)); }
    const TurntableSettings& s_;
    imagecodec::AnimatedWebpEncoder webp_;
};

class VideoOutput : public FrameOutput {
public:
    VideoOutput(const TurntableSettings& s, imagecodec::VideoKind kind) : s_(s), kind_(kind) {}
    bool Add(const uint8_t* rgba, int, std::string* why) override {
        if (!open_ && !(open_ = video_.Open(kind_, s_.width, s_.height, s_.fps, why))) return false;
        return video_.AddFrame(rgba, why);
    }
    bool Finish(std::string* why) override {
        std::vector<uint8_t> bytes;
        return open_ && video_.Finish(bytes, why) && WriteWhole(s_.output, bytes, why);
    }

private:
    const TurntableSettings& s_;
    imagecodec::VideoKind kind_;
    imagecodec::VideoEncoder video_;
    bool open_ = false;
};

// The picture of one render job, handed over from the render thread. Shared
// with the job, which may still run after a cancelled run has returned.
struct FrameSlot {
    std::mutex mutex;
    std::condition_variable ready;
    bool done = false;
    std::vector<uint8_t> rgba;
};

float Wrapped(float degrees) {
    float d = std::fmod(degrees, 360.0f);
    if (d > 180.0f) d -= 360.0f;
    if (d <= -180.0f) d += 360.0f;
    return d;
}

}  // namespace

NumberPattern CheckNumberPattern(const std::string& name) {
    NumberSpot spot;
    return FindNumber(name, spot);
}

std::string NumberedName(const std::string& pattern, int number) {
    NumberSpot spot;
    if (FindNumber(pattern, spot) != NumberPattern::Valid) return pattern;
    std::string digits = std::to_string(number);
    if (static_cast<int>(digits.size()) < spot.width)
        digits.insert(0, static_cast<std::size_t>(spot.width) - digits.size(), '0');
    return Unescape(pattern.substr(0, spot.start)) + digits + Unescape(pattern.substr(spot.end));
}

std::optional<TurntableOutput> TurntableOutputFor(const std::string& name, std::string* error) {
    switch (CheckNumberPattern(name)) {
        case NumberPattern::Valid: return TurntableOutput::Sequence;
        case NumberPattern::Invalid:
            if (error)
                *error =
                    "a numbered name holds exactly one %d or %0Nd (N 1 to 9) and no other %; write %% for a "
                    "percent sign";
            return std::nullopt;
        case NumberPattern::None: break;
    }
    const std::string ext = Extension(name);
    if (ext == ".gif") return TurntableOutput::Gif;
    if (ext == ".webp") return TurntableOutput::Webp;
    if (ext == ".mp4") return TurntableOutput::Mp4;
    if (ext == ".webm") return TurntableOutput::Webm;
    if (error) *error = "a turntable goes to .gif, .webp, .mp4, .webm or a numbered name such as spin-%03d.png";
    return std::nullopt;
}

std::pair<float, float> TurntableAngles(const TurntableSettings& settings, int index, float horizontal,
                                        float vertical) {
    const int frames = std::max(settings.frames, 1);
    const float turned = Wrapped(horizontal + 360.0f * static_cast<float>(index) / static_cast<float>(frames));
    if (!settings.vertical) return {turned, vertical};
    // Out and back along a cosine: the last frame leads smoothly into the first.
    const double phase = 2.0 * 3.14159265358979323846 * index / frames;
    const double along = (1.0 - std::cos(phase)) / 2.0;
    const auto [from, to] = *settings.vertical;
    return {turned, static_cast<float>(from + (to - from) * along)};
}

TurntableResult RenderTurntable(IEngine& engine, const SceneParams& scene, const TurntableSettings& s,
                                const TurntableCallbacks& callbacks) {
    TurntableResult result;
    std::string error;
    const std::optional<TurntableOutput> kind =
        s.kind && *s.kind != TurntableOutput::Sequence ? s.kind : TurntableOutputFor(s.output, &error);
    if (!kind || (s.kind && *kind != *s.kind)) {
        result.error = kind ? "the numbered name is not one of a sequence" : error;
        return result;
    }
    // The file an animation or video goes to.
    TurntableSettings named = s;
    if (*kind != TurntableOutput::Sequence && !s.kind) named.output = Unescape(s.output);
    if (s.frames < 1 || s.frames > kMaxTurntableFrames || s.width < 1 || s.height < 1 || s.fps < 1 || s.fps > 100) {
        result.error = "the turntable's frames, size or frame rate are out of range";
        return result;
    }
    std::unique_ptr<FrameOutput> output;
    switch (*kind) {
        case TurntableOutput::Sequence: output = std::make_unique<SequenceOutput>(named); break;
        case TurntableOutput::Gif: output = std::make_unique<GifOutput>(named); break;
        case TurntableOutput::Webp: output = std::make_unique<WebpOutput>(named); break;
        case TurntableOutput::Mp4:
        case TurntableOutput::Webm: {
            const auto video =
                *kind == TurntableOutput::Mp4 ? imagecodec::VideoKind::Mp4H264 : imagecodec::VideoKind::WebmVp9;
            const std::string missing = imagecodec::VideoEncoder::Missing(video);
            if (!missing.empty()) {
                result.error = missing + (*kind == TurntableOutput::Mp4 ? "; write .webm or .gif instead"
                                                                        : "; write .mp4 or .gif instead");
                return result;
            }
            output = std::make_unique<VideoOutput>(named, video);
            break;
        }
    }

    const float horizontal = scene.cameraHorizontalRotation, vertical = scene.cameraVerticalRotation;
    struct RestoreCamera {
        IEngine& engine;
        float h, v;
        ~RestoreCamera() {
            engine.SetCameraHorizontalRotation(h);
            engine.SetCameraVerticalRotation(v);
        }
    } restore{engine, horizontal, vertical};

    const std::size_t frameBytes = static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height) * 4;
    for (int i = 0; i < s.frames; ++i) {
        const auto [h, v] = TurntableAngles(s, i, horizontal, vertical);
        engine.SetCameraHorizontalRotation(h);
        engine.SetCameraVerticalRotation(v);
        auto slot = std::make_shared<FrameSlot>();
        RenderJob job;
        job.fileName = s.output;
        job.width = s.width;
        job.height = s.height;
        job.format = *kind == TurntableOutput::Sequence ? s.stillFormat : FORMAT_PNG;
        job.seed = s.seed + static_cast<uint32_t>(i);
        job.requireImages = s.requireImages;
        job.pictureSink = [slot, frameBytes](const uint8_t* rgba, int, int) {
            std::lock_guard lock(slot->mutex);
            if (rgba) slot->rgba.assign(rgba, rgba + frameBytes);
            slot->done = true;
            slot->ready.notify_all();
        };
        engine.RenderToFile(job);
        std::unique_lock lock(slot->mutex);
        while (!slot->done) {
            if (callbacks.cancelled && callbacks.cancelled()) {
                result.status = TurntableResult::Status::Cancelled;
                return result;
            }
            slot->ready.wait_for(lock, std::chrono::milliseconds(100));
        }
        if (slot->rgba.size() != frameBytes) {
            if (callbacks.cancelled && callbacks.cancelled()) {
                result.status = TurntableResult::Status::Cancelled;
                return result;
            }
            result.error = "frame " + std::to_string(i + 1) + " could not be rendered";
            return result;
        }
        if (!output->Add(slot->rgba.data(), i, &error)) {
            result.error = error;
            return result;
        }
        result.framesRendered = i + 1;
        if (callbacks.progress) callbacks.progress(i + 1, s.frames);
    }
    if (callbacks.cancelled && callbacks.cancelled()) {
        result.status = TurntableResult::Status::Cancelled;
        return result;
    }
    if (!output->Finish(&error)) {
        result.error = error;
        return result;
    }
    result.status = TurntableResult::Status::Written;
    return result;
}

}  // namespace boxora
