#include "PreviewCommand.h"

#include <cstdio>

#include "image/ImageCodec.h"
#include "platform/TextUtil.h"

namespace {

// Writes the frame as a 24-bit PNG (a preview frame carries no meaningful
// alpha); the previous file survives a failure.
bool WritePng(const boxora::PreviewFrame& frame, const std::string& path, std::string& error) {
    std::vector<uint8_t> bgr(static_cast<std::size_t>(frame.width) * frame.height * 3);
    for (std::size_t i = 0; i < bgr.size() / 3; ++i) {
        bgr[3 * i] = frame.rgba[4 * i + 2];
        bgr[3 * i + 1] = frame.rgba[4 * i + 1];
        bgr[3 * i + 2] = frame.rgba[4 * i];
    }
    ImageCodec image;
    // Both the frame and the image keep their bottom row first.
    if (!image.CreateFromArray(bgr.data(), static_cast<uint32_t>(frame.width), static_cast<uint32_t>(frame.height), 24,
                               frame.width * 3, false)) {
        error = "the frame cannot be encoded";
        return false;
    }
    return image.Save(path, FORMAT_PNG, &error);
}

}  // namespace

int RunPreviewCommand(const PreviewOptions& options) {
    boxora::PreviewRequest request = options.request;
    const int k = options.supersample < 1 ? 1 : options.supersample;
    request.width *= k;
    request.height *= k;
    boxora::PreviewFrame frame;
    std::string error;
    if (!boxora::RenderPreview(request, frame, error)) {
        std::fprintf(stderr, "boxora-render: %s\n", boxora::EscapeForTerminal(error).c_str());
        return 1;
    }
    frame = boxora::Downsample(frame, k);
    if (!WritePng(frame, options.output, error)) {
        std::fprintf(stderr, "boxora-render: cannot write %s: %s\n", boxora::EscapeForTerminal(options.output).c_str(),
                     boxora::EscapeForTerminal(error).c_str());
        return 1;
    }
    return 0;
}
