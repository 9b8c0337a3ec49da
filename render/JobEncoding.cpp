#include "render/JobEncoding.h"

#include "image/ImageCodec.h"
#include "image/ImageFormat.h"

namespace boxora {

void ApplyJobExportOptions(ImageCodec& image, const RenderJob& job) {
    image.SetJpegQuality(job.jpegQuality);
    image.SetCodecOption(job.jpegOptions, FORMAT_JPG);
    image.SetCodecOption(job.gifCompression, FORMAT_GIF);
    image.SetCodecOption(job.tiffCompression, FORMAT_TIF);
    image.SetCodecOption(job.pngInterlace, FORMAT_PNG);
    image.SetCodecOption(job.webpLossless, FORMAT_WEBP);
    image.SetResolution(job.dpi);
    if (job.format == FORMAT_GIF) image.DecreaseBpp(8, false, nullptr, 0);
}

}  // namespace boxora
