#include <cstring>

#include "image/CodecRegistry.h"

namespace imagecodec {

namespace {

const CodecEntry kCodecs[] = {
    {FORMAT_BMP, DecodeBmp, EncodeBmp},    {FORMAT_GIF, DecodeGif, EncodeGif}, {FORMAT_JPG, DecodeJpeg, EncodeJpeg},
    {FORMAT_PNG, DecodePng, EncodePng},    {FORMAT_ICO, DecodeIco, nullptr},   {FORMAT_TIF, DecodeTiff, EncodeTiff},
    {FORMAT_TGA, DecodeTga, EncodeTga},    {FORMAT_PCX, DecodePcx, nullptr},   {FORMAT_WBMP, DecodeWbmp, nullptr},
    {FORMAT_WMF, DecodeMetafile, nullptr}, {FORMAT_JP2, DecodeJp2, EncodeJp2}, {FORMAT_JPC, DecodeJpc, EncodeJpc},
    {FORMAT_PGX, DecodePgx, nullptr},      {FORMAT_PNM, DecodePnm, EncodePnm}, {FORMAT_RAS, DecodeRas, EncodeRas},
    {FORMAT_WEBP, DecodeWebp, EncodeWebp},
};

bool StartsWith(const uint8_t* data, std::size_t size, const char* magic, std::size_t n) {
    return size >= n && std::memcmp(data, magic, n) == 0;
}

}  // namespace

const CodecEntry* FindCodec(ImageFormat format) {
    for (const CodecEntry& e : kCodecs)
        if (e.format == format) return &e;
    return nullptr;
}

ImageFormat SniffFormat(const uint8_t* data, std::size_t size) {
    if (!data) return FORMAT_UNKNOWN;
    if (StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8)) return FORMAT_PNG;
    if (StartsWith(data, size, "\xFF\xD8\xFF", 3)) return FORMAT_JPG;
    if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6)) return FORMAT_GIF;
    if (StartsWith(data, size, "II*\0", 4) || StartsWith(data, size, "MM\0*", 4)) return FORMAT_TIF;
    if (StartsWith(data, size, "BM", 2)) return FORMAT_BMP;
    if (size >= 12 && StartsWith(data, size, "RIFF", 4) && std::memcmp(data + 8, "WEBP", 4) == 0) return FORMAT_WEBP;
    if (StartsWith(data, size, "\0\0\1\0", 4) || StartsWith(data, size, "\0\0\2\0", 4)) return FORMAT_ICO;
    if (StartsWith(data, size, "\0\0\0\x0CjP  \r\n\x87\n", 12)) return FORMAT_JP2;
    if (StartsWith(data, size, "\xFF\x4F\xFF\x51", 4)) return FORMAT_JPC;
    if (StartsWith(data, size, "\x59\xA6\x6A\x95", 4)) return FORMAT_RAS;
    if (StartsWith(data, size, "PG", 2)) return FORMAT_PGX;
    if (size >= 2 && data[0] == 'P' && data[1] >= '1' && data[1] <= '6') return FORMAT_PNM;
    if (size >= 2 && data[0] == 0x0A && data[1] <= 5) return FORMAT_PCX;
    if (StartsWith(data, size, "\xD7\xCD\xC6\x9A", 4)) return FORMAT_WMF;  // placeable WMF
    if (size >= 6 && (data[0] == 1 || data[0] == 2) && data[1] == 0 && data[2] == 9 && data[3] == 0 && data[5] == 3)
        return FORMAT_WMF;  // WMF without the placeable header
    if (size >= 44 && data[0] == 1 && data[1] == 0 && data[2] == 0 && data[3] == 0 &&
        std::memcmp(data + 40, " EMF", 4) == 0)
        return FORMAT_WMF;  // EMF
    return FORMAT_UNKNOWN;
}

}  // namespace imagecodec
