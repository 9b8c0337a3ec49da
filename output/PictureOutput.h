#pragma once
// The output step of a render job: takes the rows a renderer draws and
// makes the job's file of them. Converts the renderer's R, G, B, A rows for
// the format (alpha kept only where the format and the job want it),
// encodes them with the job's export options and resolution (and a colour
// profile where one is given), and writes the file in one atomic step, so
// a failure keeps the previous file of that name.
//
// Non-interlaced PNG is deflated in pieces on worker threads while rows
// still arrive; a picture drawn in bands goes to a streaming encoder where
// the format has one (JPEG, TIFF), so print sizes are never held whole;
// every other picture is assembled and encoded in one go.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/PictureRenderer.h"

class ImageCodec;
namespace imagecodec {
class FromSrgbTransform;
class PngBlockWriter;
class StreamingWriter;
}  // namespace imagecodec

namespace boxora {

// What is written beside the pixels. iccProfile: the colour profile of the
// pixels (sRGB unless the job names another), written by PNG, JPEG and TIFF.
struct PictureMetadata {
    int dpi = 0;
    std::vector<uint8_t> iccProfile;
};

class PictureOutput final : public IPictureSink {
public:
    explicit PictureOutput(const RenderJob& job);
    ~PictureOutput() override;

    // Set before the first row; taken from the job to start with.
    PictureMetadata& Metadata() { return metadata_; }

    bool Begin(int width, int height, bool transparent, bool banded) override;
    bool AddRows(const uint8_t* rgba, std::ptrdiff_t stride, int first, int count) override;
    // After the last row: encodes what is left and writes the file at path.
    // False (Error() says why) when the picture is incomplete or could not
    // be written; a file of that name then keeps its content.
    bool Finish(const std::string& path);
    const std::string& Error() const { return error_; }

    PictureOutput(const PictureOutput&) = delete;
    PictureOutput& operator=(const PictureOutput&) = delete;

private:
    bool Fail(const std::string& why);
    bool BeginColour();

    const RenderJob& job_;
    PictureMetadata metadata_;
    int width_ = 0;
    int height_ = 0;
    int rowsDone_ = 0;
    bool keepAlpha_ = false;
    std::unique_ptr<imagecodec::PngBlockWriter> png_;
    std::unique_ptr<imagecodec::StreamingWriter> stream_;
    std::unique_ptr<ImageCodec> whole_;
    std::vector<uint8_t> scratch_;
    // A job writing into another RGB profile converts each row here; one
    // writing CMYK keeps the whole picture of ink amounts for its encoder.
    std::unique_ptr<imagecodec::FromSrgbTransform> colour_;
    std::vector<uint8_t> converted_;
    std::vector<uint8_t> cmyk_;
    std::string error_;
};

}  // namespace boxora
