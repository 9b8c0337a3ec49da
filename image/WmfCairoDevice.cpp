#include "image/WmfCairoDevice.h"

#if defined(BOXORA_HAVE_LIBWMF) && defined(BOXORA_HAVE_RSVG)

#include <libwmf/defs.h>
#include <libwmf/ipa.h>
#include <libwmf/macro.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

namespace imagecodec::metafile {
namespace {

constexpr uint32_t kDeviceTag = 0x42584F57;
// Bitmaps inside a metafile larger than this are left out.
constexpr uint64_t kMaxBitmapPixels = 4096ull * 4096;

struct Device {
    uint32_t tag;
    WmfCairoTarget target;
};

using SurfacePtr = std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)>;
using PatternPtr = std::unique_ptr<cairo_pattern_t, void (*)(cairo_pattern_t*)>;

cairo_t* Cr(wmfAPI* api) {
    WmfCairoTarget* t = WmfCairoTargetOf(api);
    return t ? t->cr : nullptr;
}

double UnitsPerPixel(wmfAPI* api) {
    WmfCairoTarget* t = WmfCairoTargetOf(api);
    return t && t->unitsPerPixel > 0 ? t->unitsPerPixel : 1.0;
}

void SetColor(cairo_t* cr, const wmfRGB& c) { cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0); }

bool HasPen(const wmfDC* dc) { return dc && dc->pen && WMF_PEN_STYLE(dc->pen) != PS_NULL; }
bool HasBrush(const wmfDC* dc) { return dc && dc->brush && WMF_BRUSH_STYLE(dc->brush) != BS_NULL; }

// The bitmap as a cairo surface (rows top down); bitmap rows count from the
// bottom. Null when the bitmap is empty, too large or unreadable.
SurfacePtr BitmapSurface(wmfAPI* api, wmfBMP* bmp, unsigned x0, unsigned y0, unsigned w, unsigned h) {
    SurfacePtr none(nullptr, cairo_surface_destroy);
    if (!bmp || !bmp->data || w == 0 || h == 0) return none;
    if (x0 >= bmp->width || y0 >= bmp->height) return none;
    w = std::min<unsigned>(w, bmp->width - x0);
    h = std::min<unsigned>(h, bmp->height - y0);
    if (uint64_t{w} * h > kMaxBitmapPixels) return none;
    SurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(w), int(h)), cairo_surface_destroy);
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return none;
    cairo_surface_flush(s.get());
    uint8_t* base = cairo_image_surface_get_data(s.get());
    const int stride = cairo_image_surface_get_stride(s.get());
    for (unsigned r = 0; r < h; ++r) {
        uint32_t* row = reinterpret_cast<uint32_t*>(base + std::size_t(stride) * r);
        for (unsigned x = 0; x < w; ++x) {
            wmfRGB rgb{0, 0, 0};
            int opacity = wmf_ipa_bmp_color(api, bmp, &rgb, x0 + x, y0 + (h - 1 - r));
            if (opacity < 0) return none;
            const uint32_t a = static_cast<uint32_t>(std::min(opacity, 255));
            auto pre = [a](unsigned c) { return (c * a + 127) / 255; };
            row[x] = (a << 24) | (pre(rgb.r) << 16) | (pre(rgb.g) << 8) | pre(rgb.b);
        }
    }
    cairo_surface_mark_dirty(s.get());
    return s;
}

// Eight-pixel hatch patterns, one byte per row (most significant bit left).
const uint8_t* HatchBits(unsigned hatch) {
    static const uint8_t kHatch[6][8] = {
        {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // horizontal
        {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // vertical
        {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal
        {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal
        {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // cross
        {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
    };
    return kHatch[hatch < 6 ? hatch : 5];
}

// Makes the brush the cairo source; false when nothing is to be filled.
bool SetBrush(wmfAPI* api, cairo_t* cr, wmfDC* dc) {
    if (!HasBrush(dc)) return false;
    wmfBrush* brush = dc->brush;
    const wmfRGB color = *WMF_BRUSH_COLOR(brush);
    SurfacePtr tile(nullptr, cairo_surface_destroy);
    switch (WMF_BRUSH_STYLE(brush)) {
        case BS_HATCHED: {
            tile = SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8), cairo_surface_destroy);
            if (cairo_surface_status(tile.get()) != CAIRO_STATUS_SUCCESS) return false;
            cairo_surface_flush(tile.get());
            uint8_t* base = cairo_image_surface_get_data(tile.get());
            const int stride = cairo_image_surface_get_stride(tile.get());
            const uint8_t* bits = HatchBits(WMF_BRUSH_HATCH(brush));
            const wmfRGB bg = *WMF_DC_BACKGROUND(dc);
            const bool opaque = WMF_DC_OPAQUE(dc);
            for (int y = 0; y < 8; ++y) {
                uint32_t* row = reinterpret_cast<uint32_t*>(base + stride * y);
                for (int x = 0; x < 8; ++x) {
                    if (bits[y] & (0x80 >> x))
                        row[x] = 0xFF000000u | (color.r << 16) | (color.g << 8) | color.b;
                    else
                        row[x] = opaque ? 0xFF000000u | (bg.r << 16) | (bg.g << 8) | bg.b : 0;
                }
            }
            cairo_surface_mark_dirty(tile.get());
            break;
        }
        case BS_PATTERN:
        case BS_DIBPATTERN:
        case BS_DIBPATTERNPT:
        case BS_DIBPATTERN8X8: {
            wmfBMP* bmp = WMF_BRUSH_BITMAP(brush);
            if (bmp && bmp->data) tile = BitmapSurface(api, bmp, 0, 0, bmp->width, bmp->height);
            break;
        }
        default: break;
    }
    if (!tile) {
        SetColor(cr, color);
        return true;
    }
    PatternPtr pattern(cairo_pattern_create_for_surface(tile.get()), cairo_pattern_destroy);
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
    // One pattern pixel per picture pixel, as a brush tiles on the device.
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, 1.0 / UnitsPerPixel(api), 1.0 / UnitsPerPixel(api));
    cairo_pattern_set_matrix(pattern.get(), &m);
    cairo_set_source(cr, pattern.get());
    return true;
}

// Makes the pen the cairo source and line style; false for the null pen.
bool SetPen(wmfAPI* api, cairo_t* cr, wmfDC* dc) {
    if (!HasPen(dc)) return false;
    wmfPen* pen = dc->pen;
    SetColor(cr, *WMF_PEN_COLOR(pen));
    double width = (WMF_PEN_WIDTH(pen) + WMF_PEN_HEIGHT(pen)) / 2;
    if (!std::isfinite(width) || width < UnitsPerPixel(api)) width = UnitsPerPixel(api);  // hairlines stay visible
    cairo_set_line_width(cr, width);
    switch (WMF_PEN_ENDCAP(pen)) {
        case PS_ENDCAP_SQUARE: cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE); break;
        case PS_ENDCAP_FLAT: cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT); break;
        default: cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND); break;
    }
    switch (WMF_PEN_JOIN(pen)) {
        case PS_JOIN_BEVEL: cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL); break;
        case PS_JOIN_MITER: cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER); break;
        default: cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND); break;
    }
    const double d = width;
    switch (WMF_PEN_STYLE(pen)) {
        case PS_DASH: {
            const double dashes[] = {6 * d, 2 * d};
            cairo_set_dash(cr, dashes, 2, 0);
            break;
        }
        case PS_DOT:
        case PS_ALTERNATE: {
            const double dashes[] = {d, d};
            cairo_set_dash(cr, dashes, 2, 0);
            break;
        }
        case PS_DASHDOT: {
            const double dashes[] = {6 * d, 2 * d, d, 2 * d};
            cairo_set_dash(cr, dashes, 4, 0);
            break;
        }
        case PS_DASHDOTDOT: {
            const double dashes[] = {6 * d, 2 * d, d, 2 * d, d, 2 * d};
            cairo_set_dash(cr, dashes, 6, 0);
            break;
        }
        default: cairo_set_dash(cr, nullptr, 0, 0); break;
    }
    return true;
}

// Fills (with the brush) and outlines (with the pen) the current path.
void FillAndStroke(wmfAPI* api, cairo_t* cr, wmfDC* dc, bool fill = true) {
    if (fill && SetBrush(api, cr, dc)) {
        cairo_set_fill_rule(cr, WMF_DC_POLYFILL(dc) == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
        cairo_fill_preserve(cr);
    }
    if (SetPen(api, cr, dc)) cairo_stroke_preserve(cr);
    cairo_new_path(cr);
}

bool Finite(const wmfD_Coord& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// ----- the device callbacks ----------------------------------------------

void Nothing(wmfAPI*) {}
void NoFlood(wmfAPI*, wmfFlood_t*) {}  // flood fills have no vector equivalent
void NoUserData(wmfAPI*, wmfUserData_t*) {}

void DrawPixel(wmfAPI* api, wmfDrawPixel_t* p) {
    cairo_t* cr = Cr(api);
    if (!cr || !Finite(p->pt)) return;
    cairo_rectangle(cr, p->pt.x, p->pt.y, std::max(p->pixel_width, UnitsPerPixel(api)),
                    std::max(p->pixel_height, UnitsPerPixel(api)));
    SetColor(cr, p->color);
    cairo_fill(cr);
}

enum class ArcKind { Open, Pie, Chord, Ellipse };

void DrawArcShape(wmfAPI* api, wmfDrawArc_t* a, ArcKind kind) {
    cairo_t* cr = Cr(api);
    if (!cr || !Finite(a->TL) || !Finite(a->BR)) return;
    const double cx = (a->TL.x + a->BR.x) / 2.0, cy = (a->TL.y + a->BR.y) / 2.0;
    const double rx = std::fabs(a->BR.x - a->TL.x) / 2.0, ry = std::fabs(a->BR.y - a->TL.y) / 2.0;
    if (!(rx > 0) || !(ry > 0)) return;
    double t0 = 0, t1 = 2 * M_PI;
    if (kind != ArcKind::Ellipse) {
        if (!Finite(a->start) || !Finite(a->end)) return;
        // Start and end are points relative to the centre.
        t0 = std::atan2(a->start.y / ry, a->start.x / rx);
        t1 = std::atan2(a->end.y / ry, a->end.x / rx);
        if (t1 <= t0) t1 += 2 * M_PI;
    }
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    if (kind == ArcKind::Pie) cairo_move_to(cr, 0, 0);
    cairo_arc(cr, 0, 0, 1, t0, t1);
    if (kind != ArcKind::Open) cairo_close_path(cr);
    cairo_restore(cr);  // the pen width stays in device units
    FillAndStroke(api, cr, a->dc, kind != ArcKind::Open);
}

void DrawPie(wmfAPI* api, wmfDrawArc_t* a) { DrawArcShape(api, a, ArcKind::Pie); }
void DrawChord(wmfAPI* api, wmfDrawArc_t* a) { DrawArcShape(api, a, ArcKind::Chord); }
void DrawArc(wmfAPI* api, wmfDrawArc_t* a) { DrawArcShape(api, a, ArcKind::Open); }
void DrawEllipse(wmfAPI* api, wmfDrawArc_t* a) { DrawArcShape(api, a, ArcKind::Ellipse); }

void DrawLine(wmfAPI* api, wmfDrawLine_t* l) {
    cairo_t* cr = Cr(api);
    if (!cr || !Finite(l->from) || !Finite(l->to)) return;
    cairo_move_to(cr, l->from.x, l->from.y);
    cairo_line_to(cr, l->to.x, l->to.y);
    FillAndStroke(api, cr, l->dc, false);
}

bool AddPoints(cairo_t* cr, const wmfD_Coord* pt, unsigned count, bool close) {
    if (!pt || count < 2) return false;
    bool started = false;
    for (unsigned i = 0; i < count; ++i) {
        if (!Finite(pt[i])) continue;
        if (!started)
            cairo_move_to(cr, pt[i].x, pt[i].y);
        else
            cairo_line_to(cr, pt[i].x, pt[i].y);
        started = true;
    }
    if (started && close) cairo_close_path(cr);
    return started;
}

void PolyLine(wmfAPI* api, wmfPolyLine_t* p) {
    cairo_t* cr = Cr(api);
    if (cr && AddPoints(cr, p->pt, p->count, false)) FillAndStroke(api, cr, p->dc, false);
}

void DrawPolygon(wmfAPI* api, wmfPolyLine_t* p) {
    cairo_t* cr = Cr(api);
    if (cr && AddPoints(cr, p->pt, p->count, true)) FillAndStroke(api, cr, p->dc);
}

void DrawPolyPolygon(wmfAPI* api, wmfPolyPoly_t* p) {
    cairo_t* cr = Cr(api);
    if (!cr || !p->pt || !p->count) return;
    bool any = false;
    for (unsigned i = 0; i < p->npoly; ++i) any |= AddPoints(cr, p->pt[i], p->count[i], true);
    if (any) FillAndStroke(api, cr, p->dc);
}

void DrawRectangle(wmfAPI* api, wmfDrawRectangle_t* r) {
    cairo_t* cr = Cr(api);
    if (!cr || !Finite(r->TL) || !Finite(r->BR)) return;
    const double x0 = std::min(r->TL.x, r->BR.x), x1 = std::max(r->TL.x, r->BR.x);
    const double y0 = std::min(r->TL.y, r->BR.y), y1 = std::max(r->TL.y, r->BR.y);
    const double rx = std::min<double>(std::fabs(r->width) / 2, (x1 - x0) / 2);
    const double ry = std::min<double>(std::fabs(r->height) / 2, (y1 - y0) / 2);
    if (rx > 0 && ry > 0) {  // rounded corners: quarter ellipses
        cairo_new_sub_path(cr);
        const double cxs[4] = {x1 - rx, x1 - rx, x0 + rx, x0 + rx};
        const double cys[4] = {y0 + ry, y1 - ry, y1 - ry, y0 + ry};
        for (int i = 0; i < 4; ++i) {
            cairo_save(cr);
            cairo_translate(cr, cxs[i], cys[i]);
            cairo_scale(cr, rx, ry);
            cairo_arc(cr, 0, 0, 1, (i - 1) * M_PI / 2, i * M_PI / 2);
            cairo_restore(cr);
        }
        cairo_close_path(cr);
    } else {
        cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
    }
    FillAndStroke(api, cr, r->dc);
}

void RopDraw(wmfAPI* api, wmfROP_Draw_t* r) {
    cairo_t* cr = Cr(api);
    if (!cr || !Finite(r->TL) || !Finite(r->BR)) return;
    cairo_rectangle(cr, r->TL.x, r->TL.y, r->BR.x - r->TL.x, r->BR.y - r->TL.y);
    switch (r->ROP) {
        case BLACKNESS: cairo_set_source_rgb(cr, 0, 0, 0); break;
        case WHITENESS: cairo_set_source_rgb(cr, 1, 1, 1); break;
        case DSTINVERT: cairo_new_path(cr); return;  // inverting the picture has no meaning here
        default:
            if (!SetBrush(api, cr, r->dc)) {
                cairo_new_path(cr);
                return;
            }
    }
    cairo_fill(cr);
}

void BmpDraw(wmfAPI* api, wmfBMP_Draw_t* b) {
    cairo_t* cr = Cr(api);
    if (!cr || !Finite(b->pt) || !std::isfinite(b->pixel_width) || !std::isfinite(b->pixel_height)) return;
    SurfacePtr s = BitmapSurface(api, &b->bmp, b->crop.x, b->crop.y, b->crop.w, b->crop.h);
    if (!s) return;
    const int w = cairo_image_surface_get_width(s.get()), h = cairo_image_surface_get_height(s.get());
    cairo_save(cr);
    cairo_translate(cr, b->pt.x, b->pt.y);
    cairo_scale(cr, b->pixel_width, b->pixel_height);
    cairo_set_source_surface(cr, s.get(), 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_fill(cr);
    cairo_restore(cr);
}

// True when a DIB's header is consistent with its data: known depth and
// compression, a colour table that fits, and pixel rows that fit (or, run-
// length coded, a size the data could plausibly describe). libwmf's own
// reader trusts these fields when it allocates.
bool SaneDib(const uint8_t* p, std::size_t n) {
    auto le16 = [p](std::size_t at) { return uint32_t(p[at] | (p[at + 1] << 8)); };
    auto le32 = [p, &le16](std::size_t at) { return le16(at) | (le16(at + 2) << 16); };
    if (n < 12) return false;
    const uint32_t headerSize = le32(0);
    uint64_t w, h;
    uint32_t bits, compression = 0, colors = 0;
    if (headerSize == 12) {
        w = le16(4), h = le16(6), bits = le16(10);
    } else if (headerSize >= 40 && headerSize <= 124 && n >= headerSize) {
        const int32_t sw = static_cast<int32_t>(le32(4)), sh = static_cast<int32_t>(le32(8));
        if (sw <= 0 || sh == 0 || sh == INT32_MIN) return false;
        w = uint64_t(sw), h = uint64_t(sh < 0 ? -int64_t(sh) : sh);
        bits = le16(14), compression = le32(16), colors = le32(32);
    } else {
        return false;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (compression > 3 || w == 0 || h == 0 || w * h > kMaxBitmapPixels) return false;
    if (colors > (bits <= 8 ? (1u << bits) : 256u)) return false;
    const uint64_t entries = colors ? colors : (bits <= 8 ? (1u << bits) : 0);
    const uint64_t tableBytes = entries * (headerSize == 12 ? 3 : 4) + (compression == 3 && headerSize == 40 ? 12 : 0);
    if (headerSize + tableBytes > n) return false;
    const uint64_t rest = n - headerSize - tableBytes;
    if (compression == 1 || compression == 2) return w * h <= (rest + 64) * 16384;
    return ((w * bits + 31) / 32) * 4 * h <= rest;
}

void BmpRead(wmfAPI* api, wmfBMP_Read_t* r) {
    r->bmp.data = nullptr;
    r->bmp.width = 0;
    r->bmp.height = 0;
    // A bitmap whose header does not match its data is left out before
    // libwmf allocates anything for it.
    if (!r->buffer || r->length <= 0 || !SaneDib(r->buffer, static_cast<std::size_t>(r->length))) return;
    wmf_ipa_bmp_read(api, r);
}

void BmpFree(wmfAPI* api, wmfBMP* bmp) {
    if (bmp && bmp->data) wmf_ipa_bmp_free(api, bmp);
}

// Text bytes (Windows-1252) as UTF-8.
std::string ToUtf8(const char* s) {
    static const uint16_t k80[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                     0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    std::string out;
    for (std::size_t i = 0; s[i] && i < 65536; ++i) {
        unsigned c = static_cast<uint8_t>(s[i]);
        if (c < 0x20) continue;
        if (c >= 0x80 && c < 0xA0) c = k80[c - 0x80];
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

void DrawText(wmfAPI* api, wmfDrawText_t* t) {
    cairo_t* cr = Cr(api);
    if (!cr || !t->str || !t->dc || !t->dc->font || !Finite(t->pt)) return;
    const double size = t->font_height;
    if (!std::isfinite(size) || size <= 0) return;
    const std::string text = ToUtf8(t->str);
    if (text.empty()) return;
    wmfFont* font = t->dc->font;
    if (WMF_DC_OPAQUE(t->dc) && Finite(t->bbox.TL) && Finite(t->bbox.TR) && Finite(t->bbox.BR) && Finite(t->bbox.BL)) {
        cairo_move_to(cr, t->bbox.TL.x, t->bbox.TL.y);
        cairo_line_to(cr, t->bbox.TR.x, t->bbox.TR.y);
        cairo_line_to(cr, t->bbox.BR.x, t->bbox.BR.y);
        cairo_line_to(cr, t->bbox.BL.x, t->bbox.BL.y);
        cairo_close_path(cr);
        SetColor(cr, *WMF_DC_BACKGROUND(t->dc));
        cairo_fill(cr);
    }
    const char* face = WMF_FONT_NAME(font) && *WMF_FONT_NAME(font) ? WMF_FONT_NAME(font) : "sans-serif";
    cairo_save(cr);
    cairo_select_font_face(cr, face, WMF_FONT_ITALIC(font) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           WMF_FONT_WEIGHT(font) >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_translate(cr, t->pt.x, t->pt.y);
    cairo_rotate(cr, -WMF_TEXT_ANGLE(font));  // escapement turns counter-clockwise on the page
    SetColor(cr, *WMF_DC_TEXTCOLOR(t->dc));
    cairo_move_to(cr, 0, 0);
    cairo_show_text(cr, text.c_str());
    if (WMF_TEXT_UNDERLINE(font) || WMF_TEXT_STRIKEOUT(font)) {
        cairo_text_extents_t ext;
        cairo_text_extents(cr, text.c_str(), &ext);
        cairo_set_line_width(cr, std::max(size / 14, UnitsPerPixel(api)));
        cairo_set_dash(cr, nullptr, 0, 0);
        if (WMF_TEXT_UNDERLINE(font)) {
            cairo_move_to(cr, 0, size * 0.12);
            cairo_rel_line_to(cr, ext.x_advance, 0);
        }
        if (WMF_TEXT_STRIKEOUT(font)) {
            cairo_move_to(cr, 0, -size * 0.3);
            cairo_rel_line_to(cr, ext.x_advance, 0);
        }
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void RegionFrame(wmfAPI* api, wmfPolyRectangle_t* p) {
    cairo_t* cr = Cr(api);
    if (!cr || !p->TL || !p->BR) return;
    for (unsigned i = 0; i < p->count; ++i) {
        if (!Finite(p->TL[i]) || !Finite(p->BR[i])) continue;
        const double x0 = p->TL[i].x, y0 = p->TL[i].y, x1 = p->BR[i].x, y1 = p->BR[i].y;
        cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
        cairo_rectangle(cr, x0 + p->width, y0 + p->height, x1 - x0 - 2 * p->width, y1 - y0 - 2 * p->height);
    }
    if (SetBrush(api, cr, p->dc)) {
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_fill(cr);
    }
    cairo_new_path(cr);
}

void RegionPaint(wmfAPI* api, wmfPolyRectangle_t* p) {
    cairo_t* cr = Cr(api);
    if (!cr || !p->TL || !p->BR) return;
    for (unsigned i = 0; i < p->count; ++i)
        if (Finite(p->TL[i]) && Finite(p->BR[i]))
            cairo_rectangle(cr, p->TL[i].x, p->TL[i].y, p->BR[i].x - p->TL[i].x, p->BR[i].y - p->TL[i].y);
    if (SetBrush(api, cr, p->dc)) {
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        cairo_fill(cr);
    }
    cairo_new_path(cr);
}

void RegionClip(wmfAPI* api, wmfPolyRectangle_t* p) {
    cairo_t* cr = Cr(api);
    if (!cr) return;
    cairo_reset_clip(cr);
    if (!p->TL || !p->BR || p->count == 0) return;
    for (unsigned i = 0; i < p->count; ++i)
        if (Finite(p->TL[i]) && Finite(p->BR[i]))
            cairo_rectangle(cr, p->TL[i].x, p->TL[i].y, p->BR[i].x - p->TL[i].x, p->BR[i].y - p->TL[i].y);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_clip(cr);
}

}  // namespace

void WmfCairoDevice(wmfAPI* api) {
    auto* fr = static_cast<wmfFunctionReference*>(api->function_reference);
    fr->device_open = Nothing;
    fr->device_close = Nothing;
    fr->device_begin = Nothing;
    fr->device_end = Nothing;
    fr->flood_interior = NoFlood;
    fr->flood_exterior = NoFlood;
    fr->draw_pixel = DrawPixel;
    fr->draw_pie = DrawPie;
    fr->draw_chord = DrawChord;
    fr->draw_arc = DrawArc;
    fr->draw_ellipse = DrawEllipse;
    fr->draw_line = DrawLine;
    fr->poly_line = PolyLine;
    fr->draw_polygon = DrawPolygon;
    fr->draw_polypolygon = DrawPolyPolygon;
    fr->draw_rectangle = DrawRectangle;
    fr->rop_draw = RopDraw;
    fr->bmp_draw = BmpDraw;
    fr->bmp_read = BmpRead;
    fr->bmp_free = BmpFree;
    fr->draw_text = DrawText;
    fr->udata_init = NoUserData;
    fr->udata_copy = NoUserData;
    fr->udata_set = NoUserData;
    fr->udata_free = NoUserData;
    fr->region_frame = RegionFrame;
    fr->region_paint = RegionPaint;
    fr->region_clip = RegionClip;

    auto* device = static_cast<Device*>(wmf_malloc(api, sizeof(Device)));
    if (!device || api->err != wmf_E_None) {
        api->device_data = nullptr;
        return;
    }
    device->tag = kDeviceTag;
    device->target = WmfCairoTarget{};
    api->device_data = device;
}

WmfCairoTarget* WmfCairoTargetOf(wmfAPI* api) {
    auto* device = api ? static_cast<Device*>(api->device_data) : nullptr;
    return device && device->tag == kDeviceTag ? &device->target : nullptr;
}

}  // namespace imagecodec::metafile

#endif
