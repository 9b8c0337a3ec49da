#include "output/PictureOutput.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

#include "image/CodecRegistry.h"
#include "image/ColourProfile.h"
#include "image/ImageCodec.h"
#include "image/ImageFormat.h"
#include "image/PngBlockWriter.h"
#include "image/StreamingWriter.h"
#include "platform/AtomicFile.h"

namespace boxora {

namespace {

// The job's export options on a whole picture about to be saved; a GIF
// picture is reduced to its 8-bit palette here.
void ApplyExportOptions(ImageCodec& image, const RenderJob& job, const PictureMetadata& metadata) {
    image.SetJpegQuality(job.jpegQuality);
    image.SetCodecOption(job.jpegOptions, FORMAT_JPG);
    image.SetCodecOption(job.gifCompression, FORMAT_GIF);
    image.SetCodecOption(job.tiffCompression, FORMAT_TIF);
    image.SetCodecOption(job.pngInterlace, FORMAT_PNG);
    image.SetCodecOption(job.webpLossless, FORMAT_WEBP);
    image.SetResolution(metadata.dpi);
    image.SetIccProfile(metadata.iccProfile);
    if (job.format == FORMAT_GIF) image.DecreaseBpp(8, false, nullptr, 0);
}

imagecodec::EncodeOptions StreamOptions(const RenderJob& job, const PictureMetadata& metadata) {
    imagecodec::EncodeOptions options;
    options.jpegQuality = std::clamp(job.jpegQuality, 0, 100);
    options.jpegOptions = job.jpegOptions;
    options.gifCompression = job.gifCompression;
    options.tiffCompression = job.tiffCompression;
    options.pngInterlace = job.pngInterlace;
    options.dpi = std::max(metadata.dpi, 0);
    options.iccProfile = metadata.iccProfile;
    return options;
}

}  // namespace

PictureOutput::PictureOutput(const RenderJob& job) : job_(job) { metadata_.dpi = std::max(job.dpi, 0); }

PictureOutput::~PictureOutput() = default;

bool PictureOutput::Fail(const std::string& why) {
    if (error_.empty()) error_ = why.empty() ? "encoding failed" : why;
    return false;
}

bool PictureOutput::BeginColour() {
    const bool cmyk = !job_.cmykProfile.empty();
    if (cmyk && job_.format != FORMAT_JPG && job_.format != FORMAT_TIF)
        return Fail("CMYK pictures are written as TIFF or JPEG only");
    const std::string& path = cmyk ? job_.cmykProfile : job_.outputProfile;
    if (path.empty()) {
        // The formats that carry a profile name sRGB; the others have no
        // place for one and are read as sRGB anyway.
        const int f = job_.format;
        if (metadata_.iccProfile.empty() && (f == FORMAT_PNG || f == FORMAT_JPG || f == FORMAT_TIF || f == FORMAT_WEBP))
            metadata_.iccProfile = imagecodec::SrgbProfile();
        return true;
    }
    std::vector<uint8_t> icc;
    std::string why;
    if (!imagecodec::ReadProfileFile(path, cmyk, icc, &why)) return Fail(why);
    colour_ = std::make_unique<imagecodec::FromSrgbTransform>();
    if (!colour_->Open(icc, cmyk, static_cast<imagecodec::ColourIntent>(std::clamp(job_.colourIntent, 0, 3)),
                       job_.blackPointCompensation, &why))
        return Fail(path + ": " + why);
    metadata_.iccProfile = std::move(icc);
    if (cmyk) {
        if (!imagecodec::SizeAllowed(static_cast<uint32_t>(width_), static_cast<uint32_t>(height_)))
            return Fail("too large for a CMYK picture");
        try {
            cmyk_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4);
        } catch (const std::bad_alloc&) {
            return Fail("not enough memory");
        }
    }
    return true;
}

bool PictureOutput::Begin(int width, int height, bool transparent, bool banded) {
    if (width < 1 || height < 1) return Fail("the picture is empty");
    width_ = width;
    height_ = height;
    if (!BeginColour()) return false;
    if (!cmyk_.empty()) return true;
    // Only the formats that carry alpha get it; GIF only when asked for.
    keepAlpha_ = transparent && (job_.format != FORMAT_GIF || job_.gifTransparency);
    const auto w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
    std::string why;
    if (job_.format == FORMAT_PNG && job_.pngInterlace != 1) {
        imagecodec::PngBlockSettings settings;
        settings.width = w;
        settings.height = h;
        // A picture drawn in one piece has always been written with its
        // alpha channel, opaque or not; one drawn in bands only when it
        // carries transparency.
        settings.alpha = keepAlpha_ || !banded;
        settings.opaque = !keepAlpha_;
        settings.dpi = metadata_.dpi;
        settings.iccProfile = metadata_.iccProfile;
        png_ = imagecodec::PngBlockWriter::Create(settings, &why);
        return png_ != nullptr || Fail(why);
    }
    const imagecodec::EncodeOptions options = StreamOptions(job_, metadata_);
    if (banded && imagecodec::StreamingWriter::Streams(job_.format, options)) {
        stream_ = imagecodec::StreamingWriter::Create(job_.format, options, w, h, keepAlpha_, &why);
        return stream_ != nullptr || Fail(why);
    }
    if (!imagecodec::SizeAllowed(w, h)) return Fail("too large for this format; PNG, JPEG and TIFF take any size");
    try {
        whole_ = std::make_unique<ImageCodec>();
        if (!whole_->MutableData().Allocate(w, h, 24, true)) return Fail("not enough memory");
    } catch (const std::bad_alloc&) {
        return Fail("not enough memory");
    }
    return true;
}

bool PictureOutput::AddRows(const uint8_t* rgba, std::ptrdiff_t stride, int first, int count) {
    if (!error_.empty()) return false;
    if (width_ == 0) return Fail("rows before the picture began");
    if (first != rowsDone_ || count < 0 || count > height_ - rowsDone_) return Fail("rows out of order");
    rowsDone_ += count;
    const auto w = static_cast<std::size_t>(width_);
    if (!cmyk_.empty()) {
        for (int r = 0; r < count; ++r)
            colour_->Row(rgba + static_cast<std::ptrdiff_t>(r) * stride, cmyk_.data() + (first + r) * w * 4,
                         static_cast<uint32_t>(w));
        return true;
    }
    if (colour_) {
        converted_.resize(static_cast<std::size_t>(count) * w * 4);
        for (int r = 0; r < count; ++r)
            colour_->Row(rgba + static_cast<std::ptrdiff_t>(r) * stride, converted_.data() + r * w * 4,
                         static_cast<uint32_t>(w));
        rgba = converted_.data();
        stride = static_cast<std::ptrdiff_t>(w * 4);
    }
    if (png_) return png_->WriteRows(rgba, stride, static_cast<uint32_t>(count)) || Fail(png_->Error());
    const auto width = static_cast<std::size_t>(width_);
    if (stream_) {
        // The streaming encoders take B, G, R, A.
        scratch_.resize(width * 4);
        for (int r = 0; r < count; ++r) {
            const uint8_t* src = rgba + static_cast<std::ptrdiff_t>(r) * stride;
            for (std::size_t x = 0; x < width; ++x) {
                scratch_[4 * x + 0] = src[4 * x + 2];
                scratch_[4 * x + 1] = src[4 * x + 1];
                scratch_[4 * x + 2] = src[4 * x + 0];
                scratch_[4 * x + 3] = keepAlpha_ ? src[4 * x + 3] : 255;
            }
            if (!stream_->WriteRows(scratch_.data(), 1)) return Fail(stream_->Error());
        }
        return true;
    }
    // The image layer keeps B, G, R and alpha apart, bottom row first.
    imagecodec::ImageData& data = whole_->MutableData();
    for (int r = 0; r < count; ++r) {
        const uint8_t* src = rgba + static_cast<std::ptrdiff_t>(r) * stride;
        const std::size_t row = static_cast<std::size_t>(height_ - 1 - (first + r)) * width;
        uint8_t* bgr = data.pixels.data() + row * 3;
        uint8_t* alpha = data.alpha.data() + row;
        for (std::size_t x = 0; x < width; ++x) {
            bgr[3 * x + 0] = src[4 * x + 2];
            bgr[3 * x + 1] = src[4 * x + 1];
            bgr[3 * x + 2] = src[4 * x + 0];
            alpha[x] = keepAlpha_ ? src[4 * x + 3] : 255;
        }
    }
    return true;
}

bool PictureOutput::Finish(const std::string& path) {
    if (!error_.empty()) return false;
    if (width_ == 0 || rowsDone_ != height_) return Fail("the picture is incomplete");
    if (!cmyk_.empty()) {
        imagecodec::CmykPicture picture;
        picture.width = static_cast<uint32_t>(width_);
        picture.height = static_cast<uint32_t>(height_);
        picture.samples = cmyk_.data();
        const imagecodec::EncodeOptions options = StreamOptions(job_, metadata_);
        std::vector<uint8_t> file;
        std::string why;
        const bool encoded = job_.format == FORMAT_JPG ? imagecodec::EncodeCmykJpeg(picture, options, file, &why)
                                                       : imagecodec::EncodeCmykTiff(picture, options, file, &why);
        if (!encoded) return Fail(why);
        return WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(file.data()), file.size()),
                                   &why) ||
               Fail(why);
    }
    if (png_) {
        std::vector<uint8_t> file;
        if (!png_->Finish(file)) return Fail(png_->Error());
        png_.reset();
        std::string why;
        return WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(file.data()), file.size()),
                                   &why) ||
               Fail(why);
    }
    if (stream_) return stream_->Finish(path) || Fail(stream_->Error());
    ApplyExportOptions(*whole_, job_, metadata_);
    std::string why;
    return whole_->Save(path, job_.format, &why) || Fail(why);
}

}  // namespace boxora
