#include "image/StreamingWriter.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <jpeglib.h>
#include <png.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include "image/ImageFormat.h"
#include "platform/AtomicFile.h"

namespace imagecodec {

namespace {

constexpr int kFullChromaQuality = 90;           // as the whole-picture JPEG encoder
constexpr std::size_t kStripBytes = 256u << 10;  // as the whole-picture TIFF encoder

// A stdio stream on a duplicate of the memory file, for libpng and libjpeg.
FILE* StreamOn(int fd) {
    const int copy = ::dup(fd);
    if (copy < 0) return nullptr;
    FILE* file = ::fdopen(copy, "wb");
    if (!file) ::close(copy);
    return file;
}

// ---------------------------------------------------------------- PNG

struct PngJump {
    std::jmp_buf jump;
    char text[160] = {0};
};

void OnPngError(png_structp png, png_const_charp msg) {
    auto* j = static_cast<PngJump*>(png_get_error_ptr(png));
    std::snprintf(j->text, sizeof j->text, "%s", msg ? msg : "PNG error");
    std::longjmp(j->jump, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

class PngRows final : public StreamingWriter {
public:
    ~PngRows() override {
        if (png_) png_destroy_write_struct(&png_, &info_);
        if (file_) std::fclose(file_);
    }
    bool Start(const EncodeOptions& options) {
        file_ = StreamOn(fd_);
        if (!file_) return Fail("cannot open a memory file");
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, &jump_, OnPngError, OnPngWarning);
        if (png_) info_ = png_create_info_struct(png_);
        if (!png_ || !info_) return Fail("not enough memory");
        if (setjmp(jump_.jump)) return Fail(jump_.text);
        png_init_io(png_, file_);
        png_set_IHDR(png_, info_, width_, height_, 8, alpha_ ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (options.dpi > 0) {
            const uint32_t ppm = DotsPerMetre(options.dpi);
            png_set_pHYs(png_, info_, ppm, ppm, PNG_RESOLUTION_METER);
        }
        png_write_info(png_, info_);
        png_set_bgr(png_);
        // The rows come as B, G, R, A; without alpha the fourth byte is dropped.
        if (!alpha_) png_set_filler(png_, 0, PNG_FILLER_AFTER);
        return true;
    }
    bool WriteRows(const uint8_t* bgra, uint32_t count) override {
        if (!error_.empty()) return false;
        if (count > height_ - rowsDone_) return Fail("more rows than the picture has");
        if (setjmp(jump_.jump)) return Fail(jump_.text);
        for (uint32_t i = 0; i < count; ++i)
            png_write_row(png_, const_cast<uint8_t*>(bgra + static_cast<std::size_t>(i) * width_ * 4));
        rowsDone_ += count;
        return true;
    }

private:
    bool End() override {
        if (setjmp(jump_.jump)) return Fail(jump_.text);
        png_write_end(png_, info_);
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        return closed || Fail("cannot write the memory file");
    }

    PngJump jump_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    FILE* file_ = nullptr;
};

// ---------------------------------------------------------------- JPEG

struct JpegErrors {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char text[JMSG_LENGTH_MAX] = {0};
};

void OnJpegError(j_common_ptr cinfo) {
    auto* e = reinterpret_cast<JpegErrors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->text);
    std::longjmp(e->jump, 1);
}

class JpegRows final : public StreamingWriter {
public:
    ~JpegRows() override {
        if (created_) jpeg_destroy_compress(&cinfo_);
        if (file_) std::fclose(file_);
    }
    bool Start(const EncodeOptions& options) {
        file_ = StreamOn(fd_);
        if (!file_) return Fail("cannot open a memory file");
        cinfo_.err = jpeg_std_error(&errors_.pub);
        errors_.pub.error_exit = OnJpegError;
        if (setjmp(errors_.jump)) return Fail(errors_.text);
        jpeg_create_compress(&cinfo_);
        created_ = true;
        jpeg_stdio_dest(&cinfo_, file_);
        cinfo_.image_width = width_;
        cinfo_.image_height = height_;
        cinfo_.input_components = 4;
        cinfo_.in_color_space = JCS_EXT_BGRX;
        jpeg_set_defaults(&cinfo_);
        const int quality = std::clamp(options.jpegQuality, 0, 100);
        jpeg_set_quality(&cinfo_, quality, TRUE);
        if (options.dpi > 0) {
            cinfo_.density_unit = 1;
            cinfo_.X_density = cinfo_.Y_density = static_cast<UINT16>(std::min(options.dpi, 65535));
        }
        if (quality >= kFullChromaQuality) {
            cinfo_.comp_info[0].h_samp_factor = 1;
            cinfo_.comp_info[0].v_samp_factor = 1;
        }
        cinfo_.optimize_coding = (options.jpegOptions & 8) ? TRUE : FALSE;
        if (options.jpegOptions & 16) jpeg_simple_progression(&cinfo_);
        jpeg_start_compress(&cinfo_, TRUE);
        if (!options.iccProfile.empty())
            jpeg_write_icc_profile(&cinfo_, options.iccProfile.data(),
                                   static_cast<unsigned int>(options.iccProfile.size()));
        return true;
    }
    bool WriteRows(const uint8_t* bgra, uint32_t count) override {
        if (!error_.empty()) return false;
        if (count > height_ - rowsDone_) return Fail("more rows than the picture has");
        if (setjmp(errors_.jump)) return Fail(errors_.text);
        for (uint32_t i = 0; i < count; ++i) {
            JSAMPROW row = const_cast<uint8_t*>(bgra + static_cast<std::size_t>(i) * width_ * 4);
            jpeg_write_scanlines(&cinfo_, &row, 1);
        }
        rowsDone_ += count;
        return true;
    }

private:
    bool End() override {
        if (setjmp(errors_.jump)) return Fail(errors_.text);
        jpeg_finish_compress(&cinfo_);
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        return closed || Fail("cannot write the memory file");
    }

    jpeg_compress_struct cinfo_{};
    JpegErrors errors_{};
    bool created_ = false;
    FILE* file_ = nullptr;
};

// ---------------------------------------------------------------- TIFF

// The whole-picture encoder's choice for a colour picture: the option is
// the compression tag; automatic is LZW with the predictor.
uint16_t TiffCompression(int option) {
    switch (option) {
        case COMPRESSION_NONE: return COMPRESSION_NONE;
        case COMPRESSION_JPEG: return COMPRESSION_JPEG;
        case COMPRESSION_PACKBITS: return COMPRESSION_PACKBITS;
        default: return COMPRESSION_LZW;
    }
}

class TiffRows final : public StreamingWriter {
public:
    ~TiffRows() override {
        if (tif_) TIFFClose(tif_);
    }
    bool Start(const EncodeOptions& options) {
        const int copy = ::dup(fd_);
        if (copy < 0) return Fail("cannot open a memory file");
        tif_ = TIFFFdOpen(copy, "picture", "w");
        if (!tif_) {
            ::close(copy);
            return Fail("cannot start a TIFF file");
        }
        const uint16_t compression = TiffCompression(options.tiffCompression);
        const uint16_t spp = alpha_ ? 4 : 3;
        const bool ycbcr = compression == COMPRESSION_JPEG && !alpha_;
        const double dpi = options.dpi > 0 ? static_cast<double>(options.dpi) : 72.0;
        bool ok = TIFFSetField(tif_, TIFFTAG_IMAGEWIDTH, width_) && TIFFSetField(tif_, TIFFTAG_IMAGELENGTH, height_) &&
                  TIFFSetField(tif_, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(tif_, TIFFTAG_SAMPLESPERPIXEL, spp) &&
                  TIFFSetField(tif_, TIFFTAG_COMPRESSION, compression) &&
                  TIFFSetField(tif_, TIFFTAG_PHOTOMETRIC, ycbcr ? PHOTOMETRIC_YCBCR : PHOTOMETRIC_RGB) &&
                  TIFFSetField(tif_, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
                  TIFFSetField(tif_, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
                  TIFFSetField(tif_, TIFFTAG_XRESOLUTION, dpi) && TIFFSetField(tif_, TIFFTAG_YRESOLUTION, dpi) &&
                  TIFFSetField(tif_, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) &&
                  TIFFSetField(tif_, TIFFTAG_SOFTWARE, "Boxora");
        if (ok && !options.iccProfile.empty())
            ok = TIFFSetField(tif_, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(options.iccProfile.size()),
                              options.iccProfile.data());
        if (ok && alpha_) {
            const uint16_t kinds[1] = {EXTRASAMPLE_UNASSALPHA};
            ok = TIFFSetField(tif_, TIFFTAG_EXTRASAMPLES, 1, kinds);
        }
        if (ok && compression == COMPRESSION_LZW) ok = TIFFSetField(tif_, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        const std::size_t lineBytes = static_cast<std::size_t>(width_) * spp;
        uint32_t rowsPerStrip = static_cast<uint32_t>(std::clamp<std::size_t>(kStripBytes / lineBytes, 1, height_));
        if (ok && compression == COMPRESSION_JPEG) {
            const int quality = std::clamp(options.jpegQuality, 1, 100);
            const int sub = quality >= kFullChromaQuality ? 1 : 2;
            ok = TIFFSetField(tif_, TIFFTAG_JPEGQUALITY, quality);
            if (ok && ycbcr)
                ok = TIFFSetField(tif_, TIFFTAG_YCBCRSUBSAMPLING, sub, sub) &&
                     TIFFSetField(tif_, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
            const uint32_t multiple = ycbcr ? 8u * static_cast<uint32_t>(sub) : 8u;
            rowsPerStrip = (rowsPerStrip + multiple - 1) / multiple * multiple;
        }
        ok = ok && TIFFSetField(tif_, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
        line_.resize(lineBytes);
        return ok || Fail("cannot set up the TIFF file");
    }
    bool WriteRows(const uint8_t* bgra, uint32_t count) override {
        if (!error_.empty()) return false;
        if (count > height_ - rowsDone_) return Fail("more rows than the picture has");
        const int spp = alpha_ ? 4 : 3;
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* src = bgra + static_cast<std::size_t>(i) * width_ * 4;
            for (uint32_t x = 0; x < width_; ++x) {
                uint8_t* p = &line_[static_cast<std::size_t>(x) * spp];
                p[0] = src[4 * x + 2];
                p[1] = src[4 * x + 1];
                p[2] = src[4 * x + 0];
                if (alpha_) p[3] = src[4 * x + 3];
            }
            if (TIFFWriteScanline(tif_, line_.data(), rowsDone_, 0) < 0) return Fail("TIFF encoding failed");
            ++rowsDone_;
        }
        return true;
    }

private:
    bool End() override {
        const bool ok = TIFFWriteDirectory(tif_) != 0;
        TIFFClose(tif_);
        tif_ = nullptr;
        return ok || Fail("TIFF encoding failed");
    }

    TIFF* tif_ = nullptr;
    std::vector<uint8_t> line_;
};

}  // namespace

StreamingWriter::~StreamingWriter() { CloseMemoryFile(); }

bool StreamingWriter::Fail(const std::string& why) {
    if (error_.empty()) error_ = why.empty() ? "encoding failed" : why;
    return false;
}

bool StreamingWriter::OpenMemoryFile() {
    fd_ = ::memfd_create("boxora-picture", MFD_CLOEXEC);
    return fd_ >= 0 || Fail("cannot open a memory file");
}

void StreamingWriter::CloseMemoryFile() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool StreamingWriter::Finish(const std::string& path) {
    if (!error_.empty()) return false;
    if (rowsDone_ != height_) return Fail("the picture is incomplete");
    if (!End()) return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || st.st_size <= 0) return Fail("the encoded picture is missing");
    const std::size_t size = static_cast<std::size_t>(st.st_size);
    void* bytes = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd_, 0);
    if (bytes == MAP_FAILED) return Fail("cannot read the encoded picture");
    std::string why;
    const bool written =
        boxora::WriteFileAtomically(path, std::string_view(static_cast<const char*>(bytes), size), &why);
    ::munmap(bytes, size);
    CloseMemoryFile();
    return written || Fail(why);
}

bool StreamingWriter::Streams(int format, const EncodeOptions& options) {
    switch (format) {
        case FORMAT_PNG: return options.pngInterlace != 1;
        case FORMAT_JPG: return true;
        case FORMAT_TIF:
            // Fax codings suit black-and-white pictures only, which a whole
            // picture must be seen to be.
            return options.tiffCompression != COMPRESSION_CCITTRLE && options.tiffCompression != COMPRESSION_CCITTFAX4;
        default: return false;
    }
}

std::unique_ptr<StreamingWriter> StreamingWriter::Create(int format, const EncodeOptions& options, uint32_t width,
                                                         uint32_t height, bool withAlpha, std::string* why) {
    if (!Streams(format, options) || width == 0 || height == 0 || width > kMaxDimension || height > kMaxDimension)
        return nullptr;
    const auto start = [&](auto made) -> std::unique_ptr<StreamingWriter> {
        made->width_ = width;
        made->height_ = height;
        made->alpha_ = withAlpha && format != FORMAT_JPG;
        if (!made->OpenMemoryFile() || !made->Start(options)) {
            if (why) *why = made->Error();
            return nullptr;
        }
        return made;
    };
    switch (format) {
        case FORMAT_PNG: return start(std::make_unique<PngRows>());
        case FORMAT_JPG: return start(std::make_unique<JpegRows>());
        default: return start(std::make_unique<TiffRows>());
    }
}

}  // namespace imagecodec
