#include "image/ColourProfile.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>

namespace imagecodec {
namespace {

// littleCMS reports faults through a global handler; the callers here turn
// every failed call into their own message instead.
void SilenceLittleCms() {
    static std::once_flag once;
    std::call_once(once, [] { cmsSetLogErrorHandler(nullptr); });
}

void WarnOnce(const std::string& text) {
    static std::mutex mutex;
    static std::set<std::string> given;
    std::lock_guard<std::mutex> lock(mutex);
    if (given.insert(text).second) std::fprintf(stderr, "warning: %s\n", text.c_str());
}

cmsUInt32Number FormatOf(PixelLayout layout) {
    switch (layout) {
        case PixelLayout::Bgr: return TYPE_BGR_8;
        case PixelLayout::Grey: return TYPE_GRAY_8;
        case PixelLayout::Cmyk: return TYPE_CMYK_8;
        case PixelLayout::CmykInverted: return TYPE_CMYK_8_REV;
    }
    return TYPE_BGR_8;
}

cmsColorSpaceSignature SpaceOf(PixelLayout layout) {
    switch (layout) {
        case PixelLayout::Bgr: return cmsSigRgbData;
        case PixelLayout::Grey: return cmsSigGrayData;
        default: return cmsSigCmykData;
    }
}

const char* SpaceName(PixelLayout layout) {
    switch (layout) {
        case PixelLayout::Bgr: return "RGB";
        case PixelLayout::Grey: return "greyscale";
        default: return "CMYK";
    }
}

// Opens a profile held in memory for pixels of a colour space; null with
// the reason when it cannot serve.
cmsHPROFILE OpenFor(const uint8_t* icc, std::size_t size, cmsColorSpaceSignature space, const char* spaceName,
                    std::string* why) {
    if (size > kMaxProfileBytes) {
        *why = "colour profile larger than 4 MB";
        return nullptr;
    }
    SilenceLittleCms();
    cmsHPROFILE profile = cmsOpenProfileFromMem(icc, static_cast<cmsUInt32Number>(size));
    if (!profile) {
        *why = "colour profile is damaged";
        return nullptr;
    }
    if (cmsGetColorSpace(profile) != space) {
        cmsCloseProfile(profile);
        *why = std::string("colour profile is not for ") + spaceName + " pixels";
        return nullptr;
    }
    return profile;
}

// The transform from a profile into sRGB; null when littleCMS cannot build
// one (a profile without the tables it needs).
cmsHTRANSFORM MakeToSrgb(cmsHPROFILE source, cmsUInt32Number inFormat, cmsUInt32Number outFormat) {
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM t = srgb ? cmsCreateTransform(source, inFormat, srgb, outFormat, INTENT_PERCEPTUAL, 0) : nullptr;
    if (srgb) cmsCloseProfile(srgb);
    cmsCloseProfile(source);
    return t;
}

}  // namespace

ToSrgbTransform::~ToSrgbTransform() {
    if (transform_) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform_));
}

bool ToSrgbTransform::Open(const uint8_t* icc, std::size_t size, PixelLayout layout, const char* format) {
    const bool cmyk = layout == PixelLayout::Cmyk || layout == PixelLayout::CmykInverted;
    std::string why;
    cmsHPROFILE profile = nullptr;
    if (icc && size > 0) {
        profile = OpenFor(icc, size, SpaceOf(layout), SpaceName(layout), &why);
        if (!profile) WarnOnce(std::string(format) + ": " + why + "; ignored");
    }
    if (!profile && cmyk) {
        const std::vector<uint8_t>& fallback = DefaultCmykProfile();
        if (!fallback.empty()) profile = OpenFor(fallback.data(), fallback.size(), cmsSigCmykData, "CMYK", &why);
    }
    if (!profile) return false;
    transform_ = MakeToSrgb(profile, FormatOf(layout), TYPE_BGR_8);
    if (!transform_) WarnOnce(std::string(format) + ": colour profile cannot convert to sRGB; ignored");
    return transform_ != nullptr;
}

void ToSrgbTransform::Row(const uint8_t* in, uint8_t* bgr, uint32_t count) const {
    cmsDoTransform(static_cast<cmsHTRANSFORM>(transform_), in, bgr, count);
}

void ConvertToSrgb(ImageData& image, const uint8_t* icc, std::size_t size, const char* format) {
    if (!icc || size == 0 || image.Empty()) return;
    const bool grey = image.bpp == 8 && image.palette.size() >= 4;
    bool greyPalette = grey;
    for (std::size_t i = 0; greyPalette && i < image.palette.size() / 4; ++i) {
        const uint8_t* p = &image.palette[4 * i];
        greyPalette = p[0] == p[1] && p[1] == p[2];
    }
    // A palette picture is converted through its palette.
    if (image.bpp == 8) {
        if (!grey) return;
        const std::size_t n = std::min<std::size_t>(image.palette.size() / 4, 256);
        ToSrgbTransform t;
        if (!t.Open(icc, size, greyPalette ? PixelLayout::Grey : PixelLayout::Bgr, format)) return;
        std::vector<uint8_t> in(n * 3), out(n * 3);
        for (std::size_t i = 0; i < n; ++i) {
            if (greyPalette)
                in[i] = image.palette[4 * i];
            else
                std::copy_n(&image.palette[4 * i], 3, &in[3 * i]);
        }
        t.Row(in.data(), out.data(), static_cast<uint32_t>(n));
        for (std::size_t i = 0; i < n; ++i) std::copy_n(&out[3 * i], 3, &image.palette[4 * i]);
        return;
    }
    // Grey pictures arrive expanded to B, G, R; their grey profile maps
    // each level.
    if (size <= kMaxProfileBytes) {
        SilenceLittleCms();
        cmsHPROFILE peek = cmsOpenProfileFromMem(icc, static_cast<cmsUInt32Number>(size));
        const bool greyProfile = peek && cmsGetColorSpace(peek) == cmsSigGrayData;
        if (peek) cmsCloseProfile(peek);
        if (greyProfile) {
            ToSrgbTransform t;
            if (!t.Open(icc, size, PixelLayout::Grey, format)) return;
            uint8_t levels[256], map[256 * 3];
            for (int i = 0; i < 256; ++i) levels[i] = static_cast<uint8_t>(i);
            t.Row(levels, map, 256);
            const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
            for (std::size_t i = 0; i < count; ++i)
                std::copy_n(&map[3 * image.pixels[3 * i + 1]], 3, &image.pixels[3 * i]);
            return;
        }
    }
    ToSrgbTransform t;
    if (!t.Open(icc, size, PixelLayout::Bgr, format)) return;
    std::vector<uint8_t> row(image.RowBytes());
    for (uint32_t y = 0; y < image.height; ++y) {
        uint8_t* p = image.pixels.data() + static_cast<std::size_t>(y) * image.RowBytes();
        t.Row(p, row.data(), image.width);
        std::copy(row.begin(), row.end(), p);
    }
}

void ConvertGammaToSrgb(ImageData& image, double fileGamma) {
    if (!(fileGamma > 0.05 && fileGamma < 5.0) || image.Empty()) return;
    const double exponent = 1.0 / fileGamma;
    if (std::fabs(exponent - 2.2) < 0.1) return;
    SilenceLittleCms();
    cmsToneCurve* curve = cmsBuildGamma(nullptr, exponent);
    if (!curve) return;
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    if (!profile) return;
    cmsUInt32Number bytes = 0;
    std::vector<uint8_t> icc;
    if (cmsSaveProfileToMem(profile, nullptr, &bytes) && bytes > 0) {
        icc.resize(bytes);
        if (!cmsSaveProfileToMem(profile, icc.data(), &bytes)) icc.clear();
    }
    cmsCloseProfile(profile);
    // A grey picture (palette) keeps grey: the RGB profile acts on its palette.
    if (image.bpp == 8) {
        if (icc.empty()) return;
        ToSrgbTransform t;
        if (!t.Open(icc.data(), icc.size(), PixelLayout::Bgr, "PNG")) return;
        const std::size_t n = std::min<std::size_t>(image.palette.size() / 4, 256);
        std::vector<uint8_t> in(n * 3), out(n * 3);
        for (std::size_t i = 0; i < n; ++i) std::copy_n(&image.palette[4 * i], 3, &in[3 * i]);
        t.Row(in.data(), out.data(), static_cast<uint32_t>(n));
        for (std::size_t i = 0; i < n; ++i) std::copy_n(&out[3 * i], 3, &image.palette[4 * i]);
        return;
    }
    if (!icc.empty()) ConvertToSrgb(image, icc.data(), icc.size(), "PNG");
}

const std::vector<uint8_t>& SrgbProfile() {
    static const std::vector<uint8_t> bytes = [] {
        SilenceLittleCms();
        std::vector<uint8_t> out;
        cmsHPROFILE p = cmsCreate_sRGBProfile();
        if (!p) return out;
        cmsUInt32Number n = 0;
        if (cmsSaveProfileToMem(p, nullptr, &n) && n > 0) {
            out.resize(n);
            if (!cmsSaveProfileToMem(p, out.data(), &n)) out.clear();
        }
        cmsCloseProfile(p);
        // littleCMS stamps the header with the time it made the profile;
        // pictures of the same scene and seed must be the same bytes run
        // to run, so the date is fixed (the ICC header's dateTimeNumber,
        // bytes 24-35) and the profile ID, which would hash it, left zero
        // (bytes 84-99: "not computed").
        if (out.size() >= 128) {
            static const uint8_t kDate[12] = {0x07, 0xE2, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};  // 2018-01-01 00:00:00
            std::copy(std::begin(kDate), std::end(kDate), out.begin() + 24);
            std::fill(out.begin() + 84, out.begin() + 100, uint8_t{0});
        }
        return out;
    }();
    return bytes;
}

const std::vector<uint8_t>& DefaultCmykProfile() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> out;
        if (!ReadProfileFile("/usr/share/color/icc/ghostscript/default_cmyk.icc", true, out, nullptr)) out.clear();
        return out;
    }();
    return bytes;
}

bool ReadProfileFile(const std::string& path, bool cmyk, std::vector<uint8_t>& out, std::string* why) {
    out.clear();
    auto fail = [why](const std::string& text) {
        if (why) *why = text;
        return false;
    };
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail(path + ": cannot open the colour profile");
    out.resize(kMaxProfileBytes + 1);
    in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
    out.resize(static_cast<std::size_t>(in.gcount()));
    if (out.size() > kMaxProfileBytes) return fail(path + ": colour profile larger than 4 MB");
    std::string reason;
    cmsHPROFILE p =
        OpenFor(out.data(), out.size(), cmyk ? cmsSigCmykData : cmsSigRgbData, cmyk ? "CMYK" : "RGB", &reason);
    if (!p) return fail(path + ": " + reason);
    cmsCloseProfile(p);
    return true;
}

FromSrgbTransform::~FromSrgbTransform() {
    if (transform_) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform_));
}

bool FromSrgbTransform::Open(const std::vector<uint8_t>& icc, bool cmyk, ColourIntent intent,
                             bool blackPointCompensation, std::string* why) {
    std::string reason;
    cmsHPROFILE target =
        OpenFor(icc.data(), icc.size(), cmyk ? cmsSigCmykData : cmsSigRgbData, cmyk ? "CMYK" : "RGB", &reason);
    if (!target) {
        if (why) *why = reason;
        return false;
    }
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsUInt32Number flags = blackPointCompensation ? cmsFLAGS_BLACKPOINTCOMPENSATION : 0;
    if (!cmyk) flags |= cmsFLAGS_COPY_ALPHA;
    transform_ = srgb ? cmsCreateTransform(srgb, TYPE_RGBA_8, target, cmyk ? TYPE_CMYK_8 : TYPE_RGBA_8,
                                           static_cast<cmsUInt32Number>(intent), flags)
                      : nullptr;
    if (srgb) cmsCloseProfile(srgb);
    cmsCloseProfile(target);
    cmyk_ = cmyk;
    if (!transform_ && why) *why = "the colour profile cannot take sRGB colours with this intent";
    return transform_ != nullptr;
}

void FromSrgbTransform::Row(const uint8_t* rgba, uint8_t* out, uint32_t count) const {
    cmsDoTransform(static_cast<cmsHTRANSFORM>(transform_), rgba, out, count);
}

}  // namespace imagecodec
