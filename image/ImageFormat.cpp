#include "image/ImageFormat.h"

#include <string>

#include "platform/TextUtil.h"

ImageFormat FormatFromExtension(std::string_view fileName) {
    const auto slash = fileName.find_last_of('/');
    const auto dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return FORMAT_UNKNOWN;
    const std::string ext = boxora::ToLowerText(fileName.substr(dot));
    struct Entry {
        const char* ext;
        ImageFormat code;
    };
    static constexpr Entry kTable[] = {
        {".bmp", FORMAT_BMP}, {".gif", FORMAT_GIF},   {".jpg", FORMAT_JPG},  {".png", FORMAT_PNG},
        {".ico", FORMAT_ICO}, {".cur", FORMAT_ICO},   {".tiff", FORMAT_TIF}, {".tga", FORMAT_TGA},
        {".pcx", FORMAT_PCX}, {".wbmp", FORMAT_WBMP}, {".wmf", FORMAT_WMF},  {".emf", FORMAT_WMF},
        {".jp2", FORMAT_JP2}, {".jpc", FORMAT_JPC},   {".pgx", FORMAT_PGX},  {".pnm", FORMAT_PNM},
        {".ras", FORMAT_RAS}, {".webp", FORMAT_WEBP},
    };
    for (const Entry& e : kTable)
        if (ext == e.ext) return e.code;
    return FORMAT_UNKNOWN;
}
