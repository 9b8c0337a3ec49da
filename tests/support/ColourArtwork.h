#pragma once
// Colour-managed artwork for the colour tests, made independently of the
// program: littleCMS converts, libjpeg writes CMYK JPEGs the way Adobe
// applications do (inverted samples under an Adobe marker, the profile in
// APP2 ICC_PROFILE markers).
#include <jpeglib.h>
#include <lcms2.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace colourtest {

inline const char* const kDefaultCmykPath = "/usr/share/color/icc/ghostscript/default_cmyk.icc";

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// R, G, B, top row first: hue sweeps across, light to dark down, and flat
// patches of saturated brand colours along the top.
inline std::vector<uint8_t> Artwork(int w, int h) {
    std::vector<uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
    const uint8_t patches[4][3] = {{0, 70, 160}, {220, 30, 40}, {20, 150, 60}, {250, 200, 0}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &rgb[3 * (static_cast<std::size_t>(y) * w + x)];
            if (y < h / 4) {
                const uint8_t* c = patches[(4 * x) / w];
                p[0] = c[0], p[1] = c[1], p[2] = c[2];
                continue;
            }
            const double t = static_cast<double>(x) / w, v = 1.0 - 0.8 * (y - h / 4) / (0.75 * h);
            p[0] = static_cast<uint8_t>(255 * v * (0.5 + 0.5 * (t < 0.5 ? 1 - 2 * t : 0)));
            p[1] = static_cast<uint8_t>(255 * v * (t < 0.5 ? 2 * t : 2 - 2 * t));
            p[2] = static_cast<uint8_t>(255 * v * (t > 0.5 ? 2 * t - 1 : 0.2));
        }
    return rgb;
}

// Pixels through littleCMS, perceptual intent; a null profile is sRGB.
inline std::vector<uint8_t> Convert(const std::vector<uint8_t>& in, const std::vector<uint8_t>* from,
                                    cmsUInt32Number inFormat, const std::vector<uint8_t>* to, cmsUInt32Number outFormat,
                                    std::size_t pixels, int outChannels) {
    cmsHPROFILE a = from ? cmsOpenProfileFromMem(from->data(), static_cast<cmsUInt32Number>(from->size()))
                         : cmsCreate_sRGBProfile();
    cmsHPROFILE b =
        to ? cmsOpenProfileFromMem(to->data(), static_cast<cmsUInt32Number>(to->size())) : cmsCreate_sRGBProfile();
    std::vector<uint8_t> out(pixels * outChannels);
    cmsHTRANSFORM t = cmsCreateTransform(a, inFormat, b, outFormat, INTENT_PERCEPTUAL, 0);
    if (t) cmsDoTransform(t, in.data(), out.data(), static_cast<cmsUInt32Number>(pixels));
    if (t) cmsDeleteTransform(t);
    cmsCloseProfile(a);
    cmsCloseProfile(b);
    return t ? out : std::vector<uint8_t>();
}

// C, M, Y, K ink amounts, top row first, as a JPEG at quality 95; icc (when
// not empty) embedded.
inline std::vector<uint8_t> CmykJpeg(const std::vector<uint8_t>& cmyk, int w, int h, const std::vector<uint8_t>& icc) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, JCS_CMYK);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (!icc.empty()) jpeg_write_icc_profile(&cinfo, icc.data(), static_cast<unsigned>(icc.size()));
    std::vector<uint8_t> row(static_cast<std::size_t>(w) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint8_t* src = &cmyk[static_cast<std::size_t>(cinfo.next_scanline) * w * 4];
        for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(255 - src[i]);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// Share of pixels (3 bytes each, same order) whose every channel is within
// tolerance.
inline double ShareWithin(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int tolerance) {
    if (a.size() != b.size() || a.empty()) return 0;
    std::size_t good = 0;
    for (std::size_t i = 0; i + 2 < a.size(); i += 3) {
        bool ok = true;
        for (int c = 0; c < 3; ++c) ok = ok && std::abs(a[i + c] - b[i + c]) <= tolerance;
        good += ok;
    }
    return static_cast<double>(good) / static_cast<double>(a.size() / 3);
}

}  // namespace colourtest
