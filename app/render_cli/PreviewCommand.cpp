#include "PreviewCommand.h"

#include <cstdio>

#include "image/CodecRegistry.h"
#include "platform/AtomicFile.h"

namespace {

// The frame as a 24-bit image (B, G, R; both bottom row first). A preview
// frame carries no meaningful alpha.
imagecodec::ImageData ToImage(const boxora::PreviewFrame& frame) {
    imagecodec::ImageData image;
    if (!imagecodec::SizeAllowed(frame.width, frame.height)) return image;
    const std::size_t pixels = static_cast<std::size_t>(frame.width) * frame.height;
    image.width = static_cast<uint32_t>(frame.width);
    image.height = static_cast<uint32_t>(frame.height);
    image.bpp = 24;
    image.pixels.resize(pixels * 3);
    for (std::size_t i = 0; i < pixels; ++i) {
        image.pixels[3 * i] = frame.rgba[4 * i + 2];
        image.pixels[3 * i + 1] = frame.rgba[4 * i + 1];
        image.pixels[3 * i + 2] = frame.rgba[4 * i];
    }
    return image;
}

bool WritePng(const boxora::PreviewFrame& frame, const std::string& path, std::string& error) {
    const imagecodec::CodecEntry* codec = imagecodec::FindCodec(FORMAT_PNG);
    if (codec == nullptr || codec->encode == nullptr) {
        error = "PNG encoding is not available in this build";
        return false;
    }
    const imagecodec::ImageData image = ToImage(frame);
    if (image.Empty()) {
        error = "the frame is too large to encode";
        return false;
    }
    std::vector<uint8_t> bytes;
    std::string why;
    if (!codec->encode(image, imagecodec::EncodeOptions{}, bytes, &why)) {
        error = "cannot encode the frame as PNG" + (why.empty() ? std::string() : ": " + why);
        return false;
    }
    return boxora::WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                       &error);
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
        std::fprintf(stderr, "boxora-render: %s\n", error.c_str());
        return 1;
    }
    frame = boxora::Downsample(frame, k);
    if (!WritePng(frame, options.output, error)) {
        std::fprintf(stderr, "boxora-render: cannot write %s: %s\n", options.output.c_str(), error.c_str());
        return 1;
    }
    return 0;
}
