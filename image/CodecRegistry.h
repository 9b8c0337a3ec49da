#pragma once
// The format codecs, one source per format family under image/. Each decoder
// checks every size, offset, index and run length against the data it was
// given and the limits of ImageData.h; each encoder produces a complete file
// in memory (the caller writes it to disk atomically).
#include "image/ImageData.h"
#include "image/ImageFormat.h"

namespace imagecodec {

// JPEG (libjpeg-turbo)
bool DecodeJpeg(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
bool EncodeJpeg(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why);
// PNG (libpng)
bool DecodePng(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
bool EncodePng(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why);
// Decoders that shrink while reading (whole factors, box filter) so that
// both sides fit maxSide; the full-size picture is never held.
bool DecodeJpegReduced(const uint8_t* data, std::size_t size, ImageData& out, std::string* why, uint32_t maxSide);
bool DecodePngReduced(const uint8_t* data, std::size_t size, ImageData& out, std::string* why, uint32_t maxSide);
bool DecodeJp2Reduced(const uint8_t* data, std::size_t size, ImageData& out, std::string* why, uint32_t maxSide);
bool DecodeJpcReduced(const uint8_t* data, std::size_t size, ImageData& out, std::string* why, uint32_t maxSide);
// TIFF (libtiff)
bool DecodeTiff(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
bool EncodeTiff(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why);
// CMYK pictures for print: JPEG (Adobe's inverted samples, as other
// programs read them) and TIFF (separated, ink amounts).
bool EncodeCmykJpeg(const CmykPicture& picture, const EncodeOptions& options, std::vector<uint8_t>& out,
                    std::string* why);
bool EncodeCmykTiff(const CmykPicture& picture, const EncodeOptions& options, std::vector<uint8_t>& out,
                    std::string* why);
// JPEG 2000 file (JP2) and code stream (JPC) (OpenJPEG)
bool DecodeJp2(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
bool EncodeJp2(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why);
bool DecodeJpc(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
bool EncodeJpc(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why);
// PGX (read), PNM P1..P6 (read; binary write), Sun raster (read and write)
bool DecodePgx(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
bool DecodePnm(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
bool EncodePnm(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why);
bool DecodeRas(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
bool EncodeRas(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why);
// BMP (read and write), ICO and CUR (read)
bool DecodeBmp(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
bool EncodeBmp(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why);
bool DecodeIco(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
// TGA (read and write), PCX (read), WBMP (read), GIF (read and write)
bool DecodeTga(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
bool EncodeTga(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why);
bool DecodePcx(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
bool DecodeWbmp(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
bool DecodeGif(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
bool EncodeGif(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why);
// WebP (libwebp; read in the decoding helper)
bool DecodeWebp(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);
bool EncodeWebp(const ImageData& image, const EncodeOptions& options, std::vector<uint8_t>& out, std::string* why);
// WMF and EMF metafiles, rasterised
bool DecodeMetafile(const uint8_t* data, std::size_t size, ImageData& out, std::string* why);

struct CodecEntry {
    ImageFormat format;
    DecodeFn decode;  // null: the format cannot be read
    EncodeFn encode;  // null: the format cannot be written
};

// The entry of a format code 1..15, or null.
const CodecEntry* FindCodec(ImageFormat format);
// Format guessed from the first bytes (magic numbers); FORMAT_UNKNOWN when
// nothing matches. Formats without a signature (TGA, WBMP) are not guessed.
ImageFormat SniffFormat(const uint8_t* data, std::size_t size);

}  // namespace imagecodec
