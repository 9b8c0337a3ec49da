#pragma once
// Image format codes, as stored in texture records and passed to Load/Save.
#include <string_view>

enum ImageFormat : int {
    FORMAT_UNKNOWN = 0,  // decode by trying the decoders on the content
    FORMAT_BMP = 1,
    FORMAT_GIF = 2,
    FORMAT_JPG = 3,
    FORMAT_PNG = 4,
    FORMAT_ICO = 5,  // ICO and CUR
    FORMAT_TIF = 6,
    FORMAT_TGA = 7,
    FORMAT_PCX = 8,
    FORMAT_WBMP = 9,
    FORMAT_WMF = 10,  // WMF and EMF
    FORMAT_JP2 = 11,
    FORMAT_JPC = 12,
    FORMAT_PGX = 13,
    FORMAT_PNM = 14,
    FORMAT_RAS = 15,
    // Codes 16 to 19 are left free for formats of the same family.
    FORMAT_WEBP = 20,
};

// Format code from a file name's extension (the text after its last dot,
// compared without regard to letter case): ".bmp" 1, ".gif" 2, ".jpg" 3,
// ".png" 4, ".ico"/".cur" 5, ".tiff" 6, ".tga" 7, ".pcx" 8, ".wbmp" 9,
// ".wmf"/".emf" 10, ".jp2" 11, ".jpc" 12, ".pgx" 13, ".pnm" 14, ".ras" 15,
// ".webp" 20;
// anything else (".jpeg", ".tif", ".ppm", none) gives 0: decode by content.
ImageFormat FormatFromExtension(std::string_view fileName);
