#pragma once
// ImageCodec: the one image class between the program and the format
// libraries. Decodes files for textures, thumbnails and template previews
// and encodes rendered frames into the export formats.
#include <cstdint>
#include <string>
#include <vector>

#include "image/ImageData.h"
#include "image/ImageFormat.h"

class ImageCodec {
public:
    ImageCodec() = default;

    // Decodes the file with the given format code; code 0 tries the decoders
    // on the content (the format its first bytes name, then every other
    // decoder, the formats without a signature last). A code that does not
    // match the content (a PNG named .tiff) falls back to the same search,
    // so a mislabelled picture still loads. A missing or undecodable file
    // leaves the image empty (width and height 0) and returns false;
    // LastError() says why. Files over 1 GiB are refused unread.
    // maxSide (0: none) shrinks the picture by a whole factor until both
    // sides fit; JPEG and PNG shrink while decoding, so that a huge picture
    // needed small never takes its full size in memory.
    bool Load(const std::string& path, int format, uint32_t maxSide = 0);
    bool LoadFromMemory(const uint8_t* data, std::size_t size, int format, uint32_t maxSide = 0);

    // SVG drawings and PDF pages are drawn with this longest side (0: maxSide
    // of the load, or 1024 without one).
    void SetVectorSide(uint32_t side) { vectorSide_ = side; }

    uint32_t GetWidth() const { return data_.width; }
    uint32_t GetHeight() const { return data_.height; }
    int GetBpp() const { return data_.bpp; }
    bool HasAlpha() const { return !data_.alpha.empty(); }

    // Width × height × 3 bytes, B, G, R per pixel, rows in stored order
    // (bottom row first), no padding; palette images are looked up.
    // Empty when the image is empty.
    std::vector<uint8_t> Encode2RGB_Ex() const;

    // Builds a 24-bit image from a pixel array. bpp 32: B, G, R, A quads, the
    // A bytes becoming the alpha plane; bpp 24: B, G, R triples. The first row
    // of the array becomes the bottom row unless flip is set.
    bool CreateFromArray(const uint8_t* pixels, uint32_t width, uint32_t height, int bpp, int bytesPerLine, bool flip);

    void SetJpegQuality(int quality);
    // Option word for one format (JPEG bits, GIF compression, TIFF
    // compression, PNG interlace).
    void SetCodecOption(int option, int format);
    // Print resolution written by the formats that hold one (PNG, JPEG,
    // TIFF); 0 for their defaults.
    void SetResolution(int dpi) { options_.dpi = dpi < 0 ? 0 : dpi; }
    // ICC profile written by the formats that hold one (PNG, JPEG, TIFF).
    void SetIccProfile(const std::vector<uint8_t>& icc) { options_.iccProfile = icc; }

    // Reduces a true-colour image to 8 bits with the fixed 256-colour
    // palette, each pixel mapped to the nearest palette colour; the alpha
    // plane is kept. Only bpp 8 without error diffusion and without a given
    // palette is supported.
    bool DecreaseBpp(int bpp = 8, bool errorDiffusion = false, const uint8_t* palette = nullptr,
                     int importantColors = 0);

    // Encodes and writes the file. The previous file of that name survives a
    // failure; on failure false is returned and error (if given) says why.
    bool Save(const std::string& path, int format, std::string* error = nullptr) const;

    void Destroy() { data_.Clear(); }

    // For thumbnails: width × height × 4 bytes R, G, B, A, top row first
    // (alpha 255 where the image has no alpha plane).
    std::vector<uint8_t> ToRgbaTopDown() const;

    const imagecodec::ImageData& Data() const { return data_; }
    imagecodec::ImageData& MutableData() { return data_; }
    const std::string& LastError() const { return lastError_; }
    const imagecodec::EncodeOptions& Options() const { return options_; }

private:
    imagecodec::ImageData data_;
    imagecodec::EncodeOptions options_;
    std::string lastError_;
    uint32_t vectorSide_ = 0;
};
