// WMF and EMF reading. Metafiles are drawings, so they are rasterised with
// cairo at their natural size (96 dpi; within 1024 px when the file gives
// no physical size; never above the size limit): WMF played by libwmf into
// our cairo device layer, EMF converted to SVG by libemf2svg and drawn by
// librsvg. Uncovered parts are transparent in the alpha plane and white in
// the colour pixels.
//
// Both converters are old C code, so the file structure is checked here
// first (every record inside the data, the record chain ending in its
// end-of-file record) and only that checked part is handed on.
#include "image/CodecMetafile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "image/CodecBytes.h"
#include "image/CodecRegistry.h"
#include "image/CodecSupport.h"
#include "image/DecodeHelper.h"

#if defined(BOXORA_HAVE_RSVG)
#include <cairo.h>
#include <librsvg/rsvg.h>
#endif
#if defined(BOXORA_HAVE_LIBWMF) && defined(BOXORA_HAVE_RSVG)
#include <libwmf/api.h>

#include <chrono>

#include "image/WmfCairoDevice.h"
#define BOXORA_WMF_READY 1
#endif
#if defined(BOXORA_HAVE_EMF2SVG) && defined(BOXORA_HAVE_RSVG)
#include <dlfcn.h>
#include <emf2svg.h>
#define BOXORA_EMF_READY 1
#endif

namespace imagecodec {
namespace metafile {
namespace {

using namespace bytes;

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kWmfHeaderSize = 18;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrEof = 14;
constexpr uint32_t kEmrLastType = 122;
constexpr std::size_t kMaxRecords = 1u << 20;
constexpr double kDpi = 96.0;
// Records × picture pixels an EMF may cost (see DecodeMetafileLimited).
constexpr double kEmfPixelBudget = 1e11;

// The library state of libwmf and libemf2svg is not known to be safe
// across threads; metafiles are rare, so they are converted one at a time.
std::mutex& ConverterLock() {
    static std::mutex lock;
    return lock;
}

struct Size {
    double w = 0, h = 0;
};

// Scales a natural size (pixels) to whole pixels within maxSide.
bool FitSize(Size natural, uint32_t maxSide, uint32_t& w, uint32_t& h) {
    if (!(natural.w > 0) || !(natural.h > 0) || !std::isfinite(natural.w) || !std::isfinite(natural.h)) return false;
    const double longest = std::max(natural.w, natural.h);
    const double scale = longest > maxSide ? maxSide / longest : 1.0;
    w = static_cast<uint32_t>(std::clamp(std::lround(natural.w * scale), 1l, static_cast<long>(maxSide)));
    h = static_cast<uint32_t>(std::clamp(std::lround(natural.h * scale), 1l, static_cast<long>(maxSide)));
    return SizeAllowed(w, h);
}

// A size with the given proportions whose longest side is `side`.
Size FitProportions(double w, double h, double side) {
    if (!(w > 0) || !(h > 0)) return {side, side};
    return w >= h ? Size{side, side * h / w} : Size{side * w / h, side};
}

// ---------------------------------------------------------------------------
// Structure checks
// ---------------------------------------------------------------------------

struct WmfInfo {
    std::size_t length = 0;  // through the end-of-file record
    std::size_t headerAt = 0;
    uint32_t largestRecordWords = 0;
    bool placeable = false;
    int16_t left = 0, top = 0, right = 0, bottom = 0;
    uint16_t unitsPerInch = 0;
};

bool CheckWmf(const uint8_t* data, std::size_t size, WmfInfo& info, std::string& reason) {
    std::size_t at = 0;
    if (size >= 4 && Le32(data) == kPlaceableKey) {
        if (size < kPlaceableSize) return reason = "WMF header is truncated", false;
        info.placeable = true;
        info.left = Le16s(data + 6);
        info.top = Le16s(data + 8);
        info.right = Le16s(data + 10);
        info.bottom = Le16s(data + 12);
        info.unitsPerInch = Le16(data + 14);
        at = kPlaceableSize;
    }
    if (!Fits(size, at, kWmfHeaderSize)) return reason = "WMF header is truncated", false;
    const uint16_t type = Le16(data + at), headerWords = Le16(data + at + 2), version = Le16(data + at + 4);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x100 && version != 0x300))
        return reason = "not a WMF file", false;
    info.headerAt = at;
    std::size_t pos = at + kWmfHeaderSize;
    for (std::size_t n = 0;; ++n) {
        if (n > kMaxRecords) return reason = "WMF has too many records", false;
        if (!Fits(size, pos, 6)) return reason = "WMF records are truncated", false;
        const uint32_t words = Le32(data + pos);
        const uint64_t bytes = uint64_t{words} * 2;
        const uint16_t function = Le16(data + pos + 4);
        if (bytes < 6 || !Fits(size, pos, bytes)) return reason = "WMF record size is invalid", false;
        info.largestRecordWords = std::max(info.largestRecordWords, words);
        pos += static_cast<std::size_t>(bytes);
        if (function == 0) break;  // end of file
    }
    info.length = pos;
    return true;
}

#if defined(BOXORA_EMF_READY)
// libemf2svg parses records through libUEMF without that library's own
// record checks; they are exported by libUEMF (loaded with libemf2svg), so
// they are looked up and applied to every record first.
using RecordCheck = int (*)(const char*);
RecordCheck EmfRecordCheck() {
    static const RecordCheck check = []() -> RecordCheck {
        void* lib = dlopen("libuemf.so.0", RTLD_LAZY);
        return lib ? reinterpret_cast<RecordCheck>(dlsym(lib, "U_emf_record_safe")) : nullptr;
    }();
    return check;
}
#endif

// Record types 1..122 without a defined record.
bool ReservedEmfType(uint32_t type) {
    switch (type) {
        case 69:
        case 96:
        case 97:
        case 102:
        case 103:
        case 105:
        case 106:
        case 107:
        case 109:
        case 110:
        case 111:
        case 112:
        case 113:
        case 117:
        case 119:
        case 120:
        case 121: return true;
        default: return false;
    }
}

// withRecordCheck: also the converter library's own record checks (only
// where the converter runs, in the helper).
bool CheckEmf(const uint8_t* data, std::size_t size, std::size_t& length, std::size_t& records, std::string& reason,
              bool withRecordCheck) {
    if (size < 88 || Le32(data) != kEmrHeader || Le32(data + 40) != kEmfSignature)
        return reason = "not an EMF file", false;
    // Header fields that point inside the header record.
    const uint32_t headerBytes = Le32(data + 4);
    if (headerBytes < 88 || headerBytes > size) return reason = "EMF header is invalid", false;
    const uint32_t descriptionChars = Le32(data + 60), descriptionAt = Le32(data + 64);
    if (descriptionChars && (descriptionAt < 88 || !Fits(headerBytes, descriptionAt, uint64_t{descriptionChars} * 2)))
        return reason = "EMF description is out of place", false;
    if (headerBytes >= 100) {
        const uint32_t formatBytes = Le32(data + 88), formatAt = Le32(data + 92);
        if (formatBytes && (formatAt < 100 || !Fits(headerBytes, formatAt, formatBytes)))
            return reason = "EMF pixel format is out of place", false;
    }
#if defined(BOXORA_EMF_READY)
    const RecordCheck recordCheck = withRecordCheck ? EmfRecordCheck() : nullptr;
#else
    (void)withRecordCheck;
#endif
    std::size_t pos = 0;
    for (std::size_t n = 0;; ++n) {
        if (n > kMaxRecords) return reason = "EMF has too many records", false;
        if (!Fits(size, pos, 8)) return reason = "EMF records are truncated", false;
        records = n + 1;
        const uint32_t type = Le32(data + pos), bytes = Le32(data + pos + 4);
        if (bytes < 8 || bytes % 4 != 0 || !Fits(size, pos, bytes)) return reason = "EMF record size is invalid", false;
        if (n == 0 && type != kEmrHeader) return reason = "EMF header is invalid", false;
        if (type == 0 || type > kEmrLastType) return reason = "EMF record type is unknown", false;
#if defined(BOXORA_EMF_READY)
        // Reserved types carry nothing to draw; the checker has no rule for
        // them (and says so on the console), so they are not handed to it.
        if (recordCheck && !ReservedEmfType(type) && !recordCheck(reinterpret_cast<const char*>(data + pos)))
            return reason = "EMF record is damaged", false;
#endif
        pos += bytes;
        if (type == kEmrEof) break;
    }
    length = pos;
    return true;
}

// ---------------------------------------------------------------------------
// SVG to pixels
// ---------------------------------------------------------------------------

#if defined(BOXORA_HAVE_RSVG)

using SurfacePtr = std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)>;
using CairoPtr = std::unique_ptr<cairo_t, void (*)(cairo_t*)>;

SurfacePtr NewSurface(uint32_t w, uint32_t h) {
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(w), static_cast<int>(h)),
                       cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) surface.reset();
    return surface;
}

// The drawn surface as a 24-bit image with an alpha plane (dropped when all
// opaque); colours over white where the drawing leaves the page uncovered.
bool SurfaceToImage(cairo_surface_t* surface, ImageData& out, std::string* why) {
    cairo_surface_flush(surface);
    const uint32_t w = static_cast<uint32_t>(cairo_image_surface_get_width(surface));
    const uint32_t h = static_cast<uint32_t>(cairo_image_surface_get_height(surface));
    return PremultipliedArgbToImage(cairo_image_surface_get_data(surface),
                                    static_cast<std::size_t>(cairo_image_surface_get_stride(surface)), w, h, out, why,
                                    "metafile size is out of range");
}

// Draws the SVG at its intrinsic size, fitted within maxSide.
bool RasteriseSvg(const std::string& svg, uint32_t maxSide, ImageData& out, std::string* why) {
    GError* error = nullptr;
    std::unique_ptr<RsvgHandle, void (*)(gpointer)> handle(
        rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg.data()), svg.size(), &error), g_object_unref);
    if (error) g_error_free(error);
    error = nullptr;
    if (!handle) return Fail(out, why, "metafile drawing could not be converted");
    gdouble iw = 0, ih = 0;
    Size natural{double(std::min(kDefaultMetafileSide, maxSide)), double(std::min(kDefaultMetafileSide, maxSide))};
    if (rsvg_handle_get_intrinsic_size_in_pixels(handle.get(), &iw, &ih) && iw > 0 && ih > 0) natural = {iw, ih};
    uint32_t w = 0, h = 0;
    if (!FitSize(natural, maxSide, w, h)) return Fail(out, why, "metafile size is out of range");

    SurfacePtr surface = NewSurface(w, h);
    if (!surface) return Fail(out, why, "out of memory");
    CairoPtr cr(cairo_create(surface.get()), cairo_destroy);
    const RsvgRectangle viewport{0, 0, static_cast<double>(w), static_cast<double>(h)};
    const gboolean drawn = rsvg_handle_render_document(handle.get(), cr.get(), &viewport, &error);
    if (error) g_error_free(error);
    if (!drawn) return Fail(out, why, "metafile drawing failed");
    return SurfaceToImage(surface.get(), out, why);
}

#endif

// ---------------------------------------------------------------------------
// WMF
// ---------------------------------------------------------------------------

#if defined(BOXORA_WMF_READY)

// Playing gives up after this long (a hostile file can ask for endless drawing).
constexpr auto kWmfTimeLimit = std::chrono::seconds(20);

int StopWhenLate(void* context, float) {
    return std::chrono::steady_clock::now() > *static_cast<std::chrono::steady_clock::time_point*>(context);
}

#endif

bool DecodeWmf(const uint8_t* data, const WmfInfo& info, uint32_t maxSide, ImageData& out, std::string* why) {
#if defined(BOXORA_WMF_READY)
    std::lock_guard<std::mutex> guard(ConverterLock());
    std::vector<unsigned char> copy(data, data + info.length);  // outlives the player
    // The player allocates by the header's file size and largest record;
    // give it the values the records were checked against.
    auto put32 = [&copy](std::size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) copy[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    put32(info.headerAt + 6, static_cast<uint32_t>((info.length - info.headerAt) / 2));
    put32(info.headerAt + 12, info.largestRecordWords);
    wmfAPI_Options options{};
    options.function = WmfCairoDevice;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    wmfAPI* api = nullptr;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None || !WmfCairoTargetOf(api)) {
        if (api) wmf_api_destroy(api);
        return Fail(out, why, "the WMF player could not start");
    }
    std::unique_ptr<wmfAPI, wmf_error_t (*)(wmfAPI*)> apiGuard(api, wmf_api_destroy);
    if (wmf_mem_open(api, copy.data(), static_cast<long>(copy.size())) != wmf_E_None)
        return Fail(out, why, "the WMF player could not read the file");
    wmfD_Rect box{};
    if (wmf_scan(api, 0, &box) != wmf_E_None)
        return Fail(out, why, "the WMF file is damaged (or the WMF player found no fonts)");

    // Natural size: the placeable header's frame at its resolution;
    // otherwise the extent of the drawing, fitted to the default size. The
    // player's device units are points (1/72 inch).
    Size natural;
    if (info.placeable && info.unitsPerInch > 0 && info.right != info.left && info.bottom != info.top) {
        const double inch = info.unitsPerInch;
        const double l = std::min(info.left, info.right), r = std::max(info.left, info.right);
        const double t = std::min(info.top, info.bottom), b = std::max(info.top, info.bottom);
        natural = {(r - l) * kDpi / inch, (b - t) * kDpi / inch};
        box.TL.x = static_cast<float>(l * 72.0 / inch);
        box.TL.y = static_cast<float>(t * 72.0 / inch);
        box.BR.x = static_cast<float>(r * 72.0 / inch);
        box.BR.y = static_cast<float>(b * 72.0 / inch);
    } else {
        natural = FitProportions(box.BR.x - box.TL.x, box.BR.y - box.TL.y, std::min(kDefaultMetafileSide, maxSide));
    }
    if (!(box.BR.x > box.TL.x) || !(box.BR.y > box.TL.y) || !std::isfinite(box.BR.x - box.TL.x) ||
        !std::isfinite(box.BR.y - box.TL.y))
        return Fail(out, why, "the WMF drawing is empty");
    uint32_t w = 0, h = 0;
    if (!FitSize(natural, maxSide, w, h)) return Fail(out, why, "WMF size is out of range");

    SurfacePtr surface = NewSurface(w, h);
    if (!surface) return Fail(out, why, "out of memory");
    CairoPtr cr(cairo_create(surface.get()), cairo_destroy);
    const double sx = w / double(box.BR.x - box.TL.x), sy = h / double(box.BR.y - box.TL.y);
    cairo_scale(cr.get(), sx, sy);
    cairo_translate(cr.get(), -box.TL.x, -box.TL.y);
    WmfCairoTarget* target = WmfCairoTargetOf(api);
    target->cr = cr.get();
    target->unitsPerPixel = 1.0 / std::min(sx, sy);

    auto deadline = std::chrono::steady_clock::now() + kWmfTimeLimit;
    wmf_status_function(api, &deadline, StopWhenLate);
    const wmf_error_t played = wmf_play(api, 0, &box);
    target->cr = nullptr;
    if (played != wmf_E_None) return Fail(out, why, "the WMF file could not be played");
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return Fail(out, why, "the WMF drawing failed");
    return SurfaceToImage(surface.get(), out, why);
#else
    (void)data, (void)info, (void)maxSide;
    return Fail(out, why, "WMF files cannot be read in this build (libwmf or cairo missing)");
#endif
}

// ---------------------------------------------------------------------------
// EMF
// ---------------------------------------------------------------------------

bool DecodeEmf(const uint8_t* data, std::size_t length, uint32_t maxSide, ImageData& out, std::string* why) {
#if defined(BOXORA_EMF_READY)
    std::string svg;
    {
        std::lock_guard<std::mutex> guard(ConverterLock());
        generatorOptions options{};
        char noNamespace[] = "";
        options.nameSpace = noNamespace;
        options.verbose = false;
        options.emfplus = false;  // dual files carry plain EMF records as well
        options.svgDelimiter = true;
        options.imgWidth = 0;
        options.imgHeight = 0;
        std::vector<char> copy(data, data + length);
        char* text = nullptr;
        std::size_t textLength = 0;
        const int ok = emf2svg(copy.data(), copy.size(), &text, &textLength, &options);
        std::unique_ptr<char, void (*)(void*)> owned(text, std::free);
        if (!ok || !text || textLength == 0) return Fail(out, why, "the EMF file could not be converted");
        svg.assign(text, textLength);
    }
    return RasteriseSvg(svg, maxSide, out, why);
#else
    (void)data, (void)length, (void)maxSide;
    return Fail(out, why, "EMF files cannot be read in this build (libemf2svg or librsvg missing)");
#endif
}

bool IsEmf(const uint8_t* data, std::size_t size) {
    return size >= 44 && Le32(data) == kEmrHeader && Le32(data + 40) == kEmfSignature;
}

}  // namespace

bool DecodeMetafileHere(const uint8_t* data, std::size_t size, ImageData& out, std::string* why, uint32_t maxSide) try {
    out.Clear();
    if (!data || size < 18) return Fail(out, why, "not a metafile");
    maxSide = std::clamp<uint32_t>(maxSide, 1, kMaxMetafileSide);
    std::string reason;
    if (IsEmf(data, size)) {
        std::size_t length = 0, records = 0;
        if (!CheckEmf(data, size, length, records, reason, true)) return Fail(out, why, reason.c_str());
        // The SVG is drawn in one go, so a file of very many records gets a
        // smaller picture rather than an endless drawing.
        const double sideForRecords = std::sqrt(kEmfPixelBudget / double(std::max<std::size_t>(records, 1)));
        maxSide = std::min<uint32_t>(maxSide, static_cast<uint32_t>(std::max(64.0, sideForRecords)));
        return DecodeEmf(data, length, maxSide, out, why);
    }
    WmfInfo info;
    if (!CheckWmf(data, size, info, reason)) return Fail(out, why, reason.c_str());
    return DecodeWmf(data, info, maxSide, out, why);
} catch (const std::bad_alloc&) {
    return Fail(out, why, "out of memory");
}

bool DecodeMetafileLimited(const uint8_t* data, std::size_t size, ImageData& out, std::string* why, uint32_t maxSide) {
    out.Clear();
    if (!data || size < 18) return Fail(out, why, "not a metafile");
    maxSide = std::clamp<uint32_t>(maxSide, 1, kMaxMetafileSide);
    // Only what looks like a metafile is worth a helper process: decoding
    // by content tries this decoder on every unknown file.
    std::string reason;
    std::size_t length = size;
    if (IsEmf(data, size)) {
        std::size_t records = 0;
        if (!CheckEmf(data, size, length, records, reason, false)) return Fail(out, why, reason.c_str());
    } else {
        WmfInfo info;
        if (!CheckWmf(data, size, info, reason)) return Fail(out, why, reason.c_str());
        length = info.length;
    }
    return helper::DecodeInHelper(helper::Job::Metafile, data, length, maxSide, out, why);
}

}  // namespace metafile

#if defined(BOXORA_EMF_READY)
// libemf2svg shuts fontconfig down (FcFini) after each piece of text it
// converts, tearing the font configuration away from every other user in the
// process: cairo and librsvg here, and the Qt front end on its own thread.
// The program keeps fontconfig for its whole run, so that shutdown is
// replaced by nothing (the definition in the program comes first when the
// library's call is bound).
extern "C" void FcFini(void) {}
#endif

bool DecodeMetafile(const uint8_t* data, std::size_t size, ImageData& out, std::string* why) {
    return metafile::DecodeMetafileLimited(data, size, out, why, metafile::kMaxMetafileSide);
}

}  // namespace imagecodec
