// SVG through librsvg and cairo, PDF through poppler's C++ interface. Both
// are drawn over white: a package face has no see-through parts, and the
// alpha plane is kept only where the drawing leaves the page uncovered.
#include "image/CodecVector.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "image/CodecBytes.h"
#include "image/CodecSupport.h"
#include "image/DecodeHelper.h"

#if defined(BOXORA_HAVE_RSVG)
#include <cairo.h>
#include <librsvg/rsvg.h>
#endif
#if defined(BOXORA_HAVE_POPPLER)
#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>
#endif

namespace imagecodec::vector {
namespace {

using namespace bytes;

// An SVG names its root element within this many bytes (after any XML
// declaration, comments and document type).
constexpr std::size_t kSvgSniffBytes = 4096;

// Whole pixels with the page's proportions, the longest side `side`, within
// the image limits.
bool SideToSize(double w, double h, uint32_t side, uint32_t& outW, uint32_t& outH) {
    if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) w = h = 1;
    // Proportions beyond 1:30000 would make the short side vanish.
    const double ratio = std::clamp(w / h, 1.0 / kMaxDimension, double(kMaxDimension));
    double longW = ratio >= 1 ? side : side * ratio, longH = ratio >= 1 ? side / ratio : side;
    const double pixels = longW * longH;
    if (pixels > double(kMaxPixels)) {
        const double shrink = std::sqrt(double(kMaxPixels) / pixels);
        longW *= shrink;
        longH *= shrink;
    }
    outW = static_cast<uint32_t>(std::clamp(std::lround(longW), 1l, long(kMaxDimension)));
    outH = static_cast<uint32_t>(std::clamp(std::lround(longH), 1l, long(kMaxDimension)));
    return SizeAllowed(outW, outH);
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

VectorKind SniffVector(const uint8_t* data, std::size_t size) {
    if (!data || size < 5) return VectorKind::None;
    const std::string_view head(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, kSvgSniffBytes));
    if (head.substr(0, 1024).find("%PDF-") != std::string_view::npos) return VectorKind::Pdf;
    std::size_t at = StartsWith(head, "\xEF\xBB\xBF") ? 3 : 0;
    while (at < head.size() && std::strchr(" \t\r\n", head[at])) ++at;
    if (at >= head.size() || head[at] != '<') return VectorKind::None;
    return head.find("<svg", at) != std::string_view::npos ? VectorKind::Svg : VectorKind::None;
}

bool DecodeVectorLimited(VectorKind kind, const uint8_t* data, std::size_t size, uint32_t side, ImageData& out,
                         std::string* why) {
    out.Clear();
    if (kind == VectorKind::None || !data || size == 0) return Fail(out, why, "not a drawing");
    side = std::clamp<uint32_t>(side, 1, kMaxVectorSide);
    return helper::DecodeInHelper(kind == VectorKind::Svg ? helper::Job::Svg : helper::Job::Pdf, data, size, side, out,
                                  why);
}

bool DecodeSvgHere(const uint8_t* data, std::size_t size, uint32_t side, ImageData& out, std::string* why) try {
    out.Clear();
#if defined(BOXORA_HAVE_RSVG)
    GError* error = nullptr;
    // No base address: the drawing may not pull in other files.
    std::unique_ptr<RsvgHandle, void (*)(gpointer)> handle(rsvg_handle_new_from_data(data, size, &error),
                                                           g_object_unref);
    if (error) g_error_free(error);
    error = nullptr;
    if (!handle) return Fail(out, why, "not a valid SVG drawing");
    gdouble iw = 0, ih = 0;
    if (!rsvg_handle_get_intrinsic_size_in_pixels(handle.get(), &iw, &ih)) {
        // Only a view box: its proportions are the page's.
        gboolean hasViewBox = FALSE;
        RsvgRectangle viewBox{};
        rsvg_handle_get_intrinsic_dimensions(handle.get(), nullptr, nullptr, nullptr, nullptr, &hasViewBox, &viewBox);
        if (hasViewBox) iw = viewBox.width, ih = viewBox.height;
    }
    uint32_t w = 0, h = 0;
    if (!SideToSize(iw, ih, std::clamp<uint32_t>(side, 1, kMaxVectorSide), w, h))
        return Fail(out, why, "drawing size is out of range");
    std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(w), static_cast<int>(h)),
        cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return Fail(out, why, "out of memory");
    std::unique_ptr<cairo_t, void (*)(cairo_t*)> cr(cairo_create(surface.get()), cairo_destroy);
    const RsvgRectangle viewport{0, 0, static_cast<double>(w), static_cast<double>(h)};
    const gboolean drawn = rsvg_handle_render_document(handle.get(), cr.get(), &viewport, &error);
    if (error) g_error_free(error);
    if (!drawn) return Fail(out, why, "the SVG drawing could not be drawn");
    cairo_surface_flush(surface.get());
    return PremultipliedArgbToImage(cairo_image_surface_get_data(surface.get()),
                                    static_cast<std::size_t>(cairo_image_surface_get_stride(surface.get())), w, h, out,
                                    why, "drawing size is out of range");
#else
    (void)data, (void)size, (void)side;
    return Fail(out, why, "SVG drawings are not supported in this build");
#endif
} catch (const std::bad_alloc&) {
    return Fail(out, why, "out of memory");
}

bool DecodePdfHere(const uint8_t* data, std::size_t size, uint32_t side, ImageData& out, std::string* why) try {
    out.Clear();
#if defined(BOXORA_HAVE_POPPLER)
    if (size > static_cast<std::size_t>(INT32_MAX)) return Fail(out, why, "the PDF file is too large");
    poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
    std::unique_ptr<poppler::document> document(
        poppler::document::load_from_raw_data(reinterpret_cast<const char*>(data), static_cast<int>(size)));
    if (!document) return Fail(out, why, "not a valid PDF file");
    if (document->is_locked()) return Fail(out, why, "the PDF file is protected by a password");
    if (document->pages() < 1) return Fail(out, why, "the PDF file has no pages");
    std::unique_ptr<poppler::page> page(document->create_page(0));
    if (!page) return Fail(out, why, "the first page of the PDF file cannot be read");
    const poppler::rectf box = page->page_rect(poppler::crop_box);
    double w = box.width(), h = box.height();
    const poppler::page::orientation_enum turn = page->orientation();
    if (turn == poppler::page::landscape || turn == poppler::page::seascape) std::swap(w, h);
    if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h))
        return Fail(out, why, "the PDF page has no size");
    uint32_t pw = 0, ph = 0;
    if (!SideToSize(w, h, std::clamp<uint32_t>(side, 1, kMaxVectorSide), pw, ph))
        return Fail(out, why, "drawing size is out of range");
    const double dpiX = 72.0 * pw / w, dpiY = 72.0 * ph / h;
    poppler::page_renderer renderer;
    renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
    renderer.set_image_format(poppler::image::format_argb32);
    const poppler::image picture =
        renderer.render_page(page.get(), dpiX, dpiY, 0, 0, static_cast<int>(pw), static_cast<int>(ph));
    if (!picture.is_valid() || picture.format() != poppler::image::format_argb32 || picture.width() <= 0 ||
        picture.height() <= 0 || picture.width() > static_cast<int>(pw) || picture.height() > static_cast<int>(ph))
        return Fail(out, why, "the PDF page could not be drawn");
    return PremultipliedArgbToImage(reinterpret_cast<const uint8_t*>(picture.const_data()),
                                    static_cast<std::size_t>(picture.bytes_per_row()),
                                    static_cast<uint32_t>(picture.width()), static_cast<uint32_t>(picture.height()),
                                    out, why, "drawing size is out of range");
#else
    (void)data, (void)size, (void)side;
    return Fail(out, why, "PDF files are not supported in this build");
#endif
} catch (const std::bad_alloc&) {
    return Fail(out, why, "out of memory");
}

}  // namespace imagecodec::vector
