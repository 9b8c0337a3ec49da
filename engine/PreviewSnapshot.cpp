#include "engine/PreviewSnapshot.h"

#include <chrono>
#include <cstring>
#include <filesystem>

#include "engine/Engine.h"
#include "model/shapes/ShapeSpec.h"
#include "platform/TextUtil.h"

namespace boxora {

std::array<uint8_t, 4> PreviewFrame::At(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
    return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
}

void FrameCapture::OnPreviewFrame(const uint8_t* rgba, int width, int height) {
    const int mode = params_.RenderMode;
    if (mode < 0 || mode > 1 || rgba == nullptr || width <= 0 || height <= 0) return;
    std::lock_guard lock(mutex_);
    PreviewFrame& frame = last_[mode];
    frame.width = width;
    frame.height = height;
    frame.rgba.assign(rgba, rgba + static_cast<std::size_t>(width) * height * 4);
    ++count_[mode];
}

PreviewFrame FrameCapture::Last(int renderMode) const {
    std::lock_guard lock(mutex_);
    return renderMode == 0 || renderMode == 1 ? last_[renderMode] : PreviewFrame{};
}

long FrameCapture::Count(int renderMode) const {
    std::lock_guard lock(mutex_);
    return renderMode == 0 || renderMode == 1 ? count_[renderMode] : 0;
}

bool RenderPreview(const PreviewRequest& request, PreviewFrame& frame, std::string& error) {
    using namespace std::chrono_literals;
    std::error_code ec;
    if (!IsShapeName(request.file) && !std::filesystem::is_regular_file(request.file, ec)) {
        error = "cannot read " + request.file;
        return false;
    }
    if (request.width < 1 || request.height < 1 || request.width > 8192 || request.height > 8192) {
        error = "the preview size must be 1 to 8192 pixels each way";
        return false;
    }
    const bool isScene = request.file.size() >= 4 &&
                         EqualsIgnoreCase(std::string_view(request.file).substr(request.file.size() - 4), ".scn");

    CEngine engine;
    FrameCapture capture(engine.Params());
    if (!engine.Initialize(&capture)) {
        error = "no OpenGL context could be made";
        return false;
    }
    engine.SetPreviewSize(request.width, request.height);
    engine.Redraw();  // starts the worker threads
    if (isScene) {
        engine.LoadScene(request.file);
    } else {
        engine.AddObject(request.file);
        engine.Redraw();
    }
    bool ok = engine.WaitForIdle(10min);
    if (!ok) error = "loading did not finish";
    if (ok && !isScene && engine.Models().Model().ObjectCount() == 0) {
        error = "no object could be read from " + request.file;
        ok = false;
    }
    if (ok && (request.camera || request.background)) {
        if (request.camera) {
            engine.SetCameraHorizontalRotation((*request.camera)[0]);
            engine.SetCameraVerticalRotation((*request.camera)[1]);
            engine.SetCameraZoom((*request.camera)[2]);
        }
        if (request.background) {
            engine.SetBackgroundTransparent(false);
            engine.SetBackgroundColor(*request.background);
        }
        ok = engine.WaitForIdle(10min);
        if (!ok) error = "drawing did not finish";
    }
    if (ok) {
        frame = capture.Last(request.renderMode == 0 ? 0 : 1);
        if (frame.Empty()) {
            error = "no frame was drawn";
            ok = false;
        }
    }
    engine.Release();
    return ok;
}

PreviewFrame Downsample(const PreviewFrame& frame, int factor) {
    if (factor <= 1 || frame.Empty()) return frame;
    PreviewFrame out;
    out.width = frame.width / factor;
    out.height = frame.height / factor;
    if (out.Empty()) return PreviewFrame{};
    out.rgba.resize(static_cast<std::size_t>(out.width) * out.height * 4);
    const int count = factor * factor;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int dy = 0; dy < factor; ++dy)
                    for (int dx = 0; dx < factor; ++dx)
                        sum +=
                            frame.rgba[((static_cast<std::size_t>(y) * factor + dy) * frame.width + x * factor + dx) *
                                           4 +
                                       c];
                out.rgba[(static_cast<std::size_t>(y) * out.width + x) * 4 + c] =
                    static_cast<uint8_t>((sum + count / 2) / count);
            }
    return out;
}

}  // namespace boxora
