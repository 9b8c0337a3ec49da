#include "dieline/DielineNet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <utility>

namespace boxora::dieline {
namespace {

constexpr double kEps = 1e-6;

struct StyleEntry {
    Style style;
    const char* name;
};
constexpr StyleEntry kStyles[] = {
    {Style::ReverseTuckEnd, "rte"}, {Style::StraightTuckEnd, "ste"}, {Style::SnapLock, "snap-lock"},
    {Style::AutoLock, "auto-lock"}, {Style::Mailer, "mailer"},       {Style::TraySleeve, "tray-sleeve"},
};

std::string Mm(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

UserMessage Message(MsgIcon icon, const char* key, const char* fallback, std::vector<std::string> args) {
    return {"Dieline", key, fallback, std::move(args), icon};
}

// The free corners of a flap: cut in by inset across and rise along its
// depth (rise < 0: over the whole depth, a trapezoid).
struct Corners {
    double insetA = 0, riseA = 0, insetB = 0, riseB = 0;
};
Corners Trapezoid(double a, double b) { return {a, -1, b, -1}; }
Corners Chamfer(double c) { return {c, c, c, c}; }

Side Opposite(Side s) {
    switch (s) {
        case Side::Top: return Side::Bottom;
        case Side::Bottom: return Side::Top;
        case Side::Left: return Side::Right;
        case Side::Right: return Side::Left;
        case Side::None: break;
    }
    return Side::None;
}

class Builder {
public:
    explicit Builder(Net& net) : net_(net) {}

    int Root(std::string name, bool panel, Rect r, Side up) {
        return Add({std::move(name),
                    panel,
                    {{r.x, r.y}, {r.Right(), r.y}, {r.Right(), r.Bottom()}, {r.x, r.Bottom()}},
                    {},
                    -1,
                    Side::None,
                    up,
                    {}},
                   {});
    }

    // A piece folding from side of parent over [from, to] along that side
    // (x for top and bottom, y for left and right), reaching depth out.
    int Attach(int parent, Side side, double from, double to, double depth, Corners c, std::string name, bool panel,
               Side up) {
        const double rA = c.riseA < 0 ? depth : c.riseA, rB = c.riseB < 0 ? depth : c.riseB;
        const Point local[] = {
            {from, 0}, {to, 0}, {to, depth - rB}, {to - c.insetB, depth}, {from + c.insetA, depth}, {from, depth - rA}};
        const Rect pr = R(parent);
        auto place = [&](Point p) -> Point {
            switch (side) {
                case Side::Top: return {p.x, pr.y - p.y};
                case Side::Bottom: return {p.x, pr.Bottom() + p.y};
                case Side::Left: return {pr.x - p.y, p.x};
                default: return {pr.Right() + p.y, p.x};
            }
        };
        std::vector<Point> outline;
        for (const Point& p : local) {
            const Point q = place(p);
            if (outline.empty() || std::hypot(q.x - outline.back().x, q.y - outline.back().y) > kEps)
                outline.push_back(q);
        }
        if (outline.size() > 1 &&
            std::hypot(outline.front().x - outline.back().x, outline.front().y - outline.back().y) <= kEps)
            outline.pop_back();
        return Add({std::move(name), panel, std::move(outline), {}, parent, Opposite(side), up, {}},
                   {place(local[0]), place(local[1])});
    }

    // A piece of any convex outline folding from parent along fold.
    int AddFolded(int parent, std::vector<Point> outline, Segment fold, std::string name) {
        return Add({std::move(name), false, std::move(outline), {}, parent, Side::None, Side::Top, {}}, fold);
    }

    const Rect& R(int i) const { return net_.pieces.at(static_cast<std::size_t>(i)).rect; }

private:
    int Add(Piece p, Segment fold) {
        double x0 = p.outline[0].x, x1 = x0, y0 = p.outline[0].y, y1 = y0;
        for (const Point& q : p.outline) {
            x0 = std::min(x0, q.x), x1 = std::max(x1, q.x), y0 = std::min(y0, q.y), y1 = std::max(y1, q.y);
        }
        p.rect = {x0, y0, x1 - x0, y1 - y0};
        p.fold = fold;
        if (p.parent >= 0) net_.creases.push_back(fold);
        net_.pieces.push_back(std::move(p));
        return static_cast<int>(net_.pieces.size()) - 1;
    }
    Net& net_;
};

// Sizes shared by the styles, crease to crease.
struct Dims {
    double w, h, d, t, glue;
    double tuck;  // a tuck flap's reach
    double dust;  // a dust flap's reach
};

Dims MakeDims(const Params& p) {
    Dims d{p.width + p.thickness, p.height + p.thickness, p.depth + p.thickness, p.thickness, p.glueFlap, 0, 0};
    d.tuck = std::min(std::clamp(0.4 * d.d, 8.0, 20.0), 0.5 * d.h);
    // Dust flaps of the two sides meet under the lid: each reaches at most
    // half its width, less a board for play.
    d.dust = std::min(0.5 * d.w - d.t, d.d);
    return d;
}

// Glue flaps and dust flaps are cut in at 15 degrees so that they clear
// the corners when folded.
double TaperFor(double reach, double limit) { return std::min(reach * std::tan(std::numbers::pi / 12), limit); }

// The four walls in a row: glue flap, left, front, right, back.
struct Tube {
    int left, front, right, back;
};

Tube MakeTube(Builder& b, const Dims& d) {
    Tube t{};
    t.front = b.Root("front", true, {d.glue + d.d, 0, d.w, d.h}, Side::Top);
    t.left = b.Attach(t.front, Side::Left, 0, d.h, d.d, {}, "left", true, Side::Top);
    t.right = b.Attach(t.front, Side::Right, 0, d.h, d.d, {}, "right", true, Side::Top);
    t.back = b.Attach(t.right, Side::Right, 0, d.h, d.w, {}, "back", true, Side::Top);
    const double taper = TaperFor(d.glue, 0.25 * d.h);
    b.Attach(t.left, Side::Left, 0, d.h, d.glue, Trapezoid(taper, taper), "glue", false, Side::Top);
    return t;
}

// A lid on side of panel, and its tuck flap: the tuck is one board
// narrower on each side, which leaves the tuck slits at the ends of its
// crease.
void TuckLid(Builder& b, const Dims& d, int panel, Side side, const char* lid, const char* tuck, Side up) {
    const Rect r = b.R(panel);
    const int l = b.Attach(panel, side, r.x, r.Right(), d.d, {}, lid, true, up);
    const double slit = d.t;
    b.Attach(l, side, r.x + slit, r.Right() - slit, d.tuck, Chamfer(std::min(0.5 * d.tuck, 0.25 * d.w)), tuck, false,
             up);
}

void DustFlaps(Builder& b, const Dims& d, const Tube& t, Side side, const std::string& end) {
    const double taper = std::min(TaperFor(d.dust, 0.25 * d.d) * 1.5, 0.3 * d.d);
    for (const auto& [panel, name] : {std::pair{t.left, "left"}, std::pair{t.right, "right"}}) {
        const Rect r = b.R(panel);
        b.Attach(panel, side, r.x, r.Right(), d.dust, Trapezoid(taper, taper), "dust-" + end + "-" + name, false,
                 Side::Top);
    }
}

// 1-2-3 bottom: the front and back flaps overlap by a lock tab past the
// middle; the side flaps close under them.
void SnapLockBottom(Builder& b, const Dims& d, const Tube& t) {
    const double major = 0.5 * d.d + std::min(0.25 * d.d, 10.0);
    const double minor = 0.5 * d.w - d.t;
    for (const auto& [panel, name] : {std::pair{t.front, "bottom-front"}, std::pair{t.back, "bottom-back"}}) {
        const Rect r = b.R(panel);
        const double taper = std::min(0.3 * major, 0.2 * d.w);
        b.Attach(panel, Side::Bottom, r.x, r.Right(), major, Trapezoid(taper, taper), name, false, Side::Top);
    }
    for (const auto& [panel, name] : {std::pair{t.left, "bottom-left"}, std::pair{t.right, "bottom-right"}}) {
        const Rect r = b.R(panel);
        const double taper = std::min(0.3 * minor, 0.25 * d.d);
        b.Attach(panel, Side::Bottom, r.x, r.Right(), minor, Trapezoid(taper, taper), name, false, Side::Top);
    }
}

// Crash-lock bottom: the front and back flaps carry a glue triangle behind
// a 45 degree crease from their left corner, so that the bottom glued in
// the flat springs open as the tube is squared.
void AutoLockBottom(Builder& b, const Dims& d, const Tube& t) {
    const double major = std::min(0.75 * d.d, d.w - 2 * d.t);
    const double minor = 0.5 * d.w - d.t;
    for (const auto& [panel, name] : {std::pair{t.front, "bottom-front"}, std::pair{t.back, "bottom-back"}}) {
        const Rect r = b.R(panel);
        const double y = r.Bottom(), x0 = r.x, x1 = r.Right();
        const double taper = std::min(0.3 * major, 0.5 * (d.w - major));
        const Segment diagonal{{x0, y}, {x0 + major, y + major}};
        const int flap = b.AddFolded(panel, {{x0, y}, {x1, y}, {x1 - taper, y + major}, {x0 + major, y + major}},
                                     {{x0, y}, {x1, y}}, name);
        b.AddFolded(flap, {{x0, y}, {x0 + major, y + major}, {x0, y + major}}, diagonal, std::string(name) + "-glue");
    }
    for (const auto& [panel, name] : {std::pair{t.left, "bottom-left"}, std::pair{t.right, "bottom-right"}}) {
        const Rect r = b.R(panel);
        const double taper = std::min(0.3 * minor, 0.25 * d.d);
        b.Attach(panel, Side::Bottom, r.x, r.Right(), minor, Trapezoid(taper, taper), name, false, Side::Top);
    }
}

// A roll-end front-tuck mailer: the bottom in the middle, the double side
// walls to its left and right, front and back walls below and above it, the
// lid and its front tuck above the back, and the ears that hide between the
// double walls.
void Mailer(Builder& b, const Dims& d) {
    const int bottom = b.Root("bottom", true, {0, 0, d.w, d.d}, Side::Bottom);
    const int front = b.Attach(bottom, Side::Bottom, 0, d.w, d.h, {}, "front", true, Side::Bottom);
    const int back = b.Attach(bottom, Side::Top, 0, d.w, d.h, {}, "back", true, Side::Top);
    const int top = b.Attach(back, Side::Top, 0, d.w, d.d, {}, "top", true, Side::Bottom);
    const double inner = d.h - d.t;
    const double corner = std::min(0.25 * inner, 0.25 * d.w);
    b.Attach(front, Side::Bottom, d.t, d.w - d.t, inner, Chamfer(corner), "front-inner", false, Side::Bottom);
    b.Attach(top, Side::Top, d.t, d.w - d.t, inner - d.t, Chamfer(corner), "tuck-front", false, Side::Bottom);
    const int left = b.Attach(bottom, Side::Left, 0, d.d, d.h, {}, "left", true, Side::Left);
    const int right = b.Attach(bottom, Side::Right, 0, d.d, d.h, {}, "right", true, Side::Right);
    const double sideCorner = std::min(0.25 * inner, 0.25 * d.d);
    b.Attach(left, Side::Left, d.t, d.d - d.t, inner, Chamfer(sideCorner), "left-inner", false, Side::Left);
    b.Attach(right, Side::Right, d.t, d.d - d.t, inner, Chamfer(sideCorner), "right-inner", false, Side::Right);
    // Two ears share each side wall, so each reaches under half its depth.
    const double ear = 0.5 * d.d - d.t;
    const double earTaper = std::min(TaperFor(ear, 0.25 * d.h) * 1.5, 0.3 * d.h);
    for (const auto& [wall, name] : {std::pair{front, "front"}, std::pair{back, "back"}}) {
        const Rect r = b.R(wall);
        b.Attach(wall, Side::Left, r.y, r.Bottom(), ear, Trapezoid(earTaper, earTaper),
                 std::string("ear-") + name + "-left", false, Side::Top);
        b.Attach(wall, Side::Right, r.y, r.Bottom(), ear, Trapezoid(earTaper, earTaper),
                 std::string("ear-") + name + "-right", false, Side::Top);
    }
    const Rect lid = b.R(top);
    const double lidEar = inner - d.t;
    const double lidTaper = std::min(TaperFor(lidEar, 0.25 * d.d) * 1.5, 0.3 * d.d);
    b.Attach(top, Side::Left, lid.y, lid.Bottom(), lidEar, Trapezoid(lidTaper, lidTaper), "ear-top-left", false,
             Side::Top);
    b.Attach(top, Side::Right, lid.y, lid.Bottom(), lidEar, Trapezoid(lidTaper, lidTaper), "ear-top-right", false,
             Side::Top);
}

// A sleeve (front, top, bottom, back, glue flap in a column) open at its
// left and right ends, and beside it the tray that slides in: its base
// with walls all round, one board smaller each way for play. The tray's
// end walls are the box's left and right faces.
void TraySleeve(Builder& b, const Dims& d, double bleed) {
    const int front = b.Root("front", true, {0, 0, d.w, d.h}, Side::Top);
    b.Attach(front, Side::Top, 0, d.w, d.d, {}, "top", true, Side::Top);
    const int bottom = b.Attach(front, Side::Bottom, 0, d.w, d.d, {}, "bottom", true, Side::Top);
    const int back = b.Attach(bottom, Side::Bottom, 0, d.w, d.h, {}, "back", true, Side::Bottom);
    const double taper = TaperFor(d.glue, 0.25 * d.w);
    b.Attach(back, Side::Bottom, 0, d.w, d.glue, Trapezoid(taper, taper), "glue", false, Side::Bottom);

    const double tw = d.w - 2 * d.t, td = d.d - 2 * d.t, th = d.h - 2 * d.t;
    const double gap = 2 * bleed + 6;
    // The tray's back wall lines up with the sleeve's top edge.
    const int base = b.Root("tray-base", false, {d.w + gap + th, th - d.d, tw, td}, Side::Top);
    const Rect br = b.R(base);
    const int trayFront = b.Attach(base, Side::Bottom, br.x, br.Right(), th, {}, "tray-front", false, Side::Bottom);
    const int trayBack = b.Attach(base, Side::Top, br.x, br.Right(), th, {}, "tray-back", false, Side::Top);
    b.Attach(base, Side::Left, br.y, br.Bottom(), th, {}, "left", true, Side::Left);
    b.Attach(base, Side::Right, br.y, br.Bottom(), th, {}, "right", true, Side::Right);
    // Corner flaps glue inside the end walls; those of the front and back
    // meet at most in the middle.
    const double corner = std::min(0.5 * td - d.t, 20.0);
    const double cornerTaper = std::min(TaperFor(corner, 0.25 * th) * 1.5, 0.3 * th);
    for (const auto& [wall, name] : {std::pair{trayFront, "front"}, std::pair{trayBack, "back"}}) {
        const Rect r = b.R(wall);
        b.Attach(wall, Side::Left, r.y, r.Bottom(), corner, Trapezoid(cornerTaper, cornerTaper),
                 std::string("tray-corner-") + name + "-left", false, Side::Top);
        b.Attach(wall, Side::Right, r.y, r.Bottom(), corner, Trapezoid(cornerTaper, cornerTaper),
                 std::string("tray-corner-") + name + "-right", false, Side::Top);
    }
}

// Every edge of every piece is cut except where it lies on a crease.
std::vector<Segment> CutLines(const Net& net) {
    std::vector<Segment> cuts;
    for (const Piece& piece : net.pieces) {
        const std::size_t n = piece.outline.size();
        for (std::size_t i = 0; i < n; ++i) {
            const Point a = piece.outline[i], b = piece.outline[(i + 1) % n];
            const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
            if (len2 < kEps * kEps) continue;
            const double len = std::sqrt(len2);
            std::vector<std::pair<double, double>> keep{{0.0, 1.0}};
            for (const Segment& c : net.creases) {
                auto off = [&](Point p) { return std::abs((p.x - a.x) * dy - (p.y - a.y) * dx) / len; };
                if (off(c.a) > 1e-4 || off(c.b) > 1e-4) continue;
                double t0 = ((c.a.x - a.x) * dx + (c.a.y - a.y) * dy) / len2;
                double t1 = ((c.b.x - a.x) * dx + (c.b.y - a.y) * dy) / len2;
                if (t0 > t1) std::swap(t0, t1);
                std::vector<std::pair<double, double>> next;
                for (const auto& [k0, k1] : keep) {
                    if (t1 <= k0 || t0 >= k1) {
                        next.emplace_back(k0, k1);
                        continue;
                    }
                    if (t0 > k0) next.emplace_back(k0, t0);
                    if (t1 < k1) next.emplace_back(t1, k1);
                }
                keep = std::move(next);
            }
            for (const auto& [k0, k1] : keep)
                if ((k1 - k0) * len > 1e-4)
                    cuts.push_back({{a.x + dx * k0, a.y + dy * k0}, {a.x + dx * k1, a.y + dy * k1}});
        }
    }
    return cuts;
}

// The outline of the union of the pieces' rectangles each grown by the
// bleed: artwork has to reach it so that no white shows at a cut.
std::vector<Segment> BleedOutline(const Net& net, double bleed) {
    std::vector<Rect> rects;
    std::vector<double> xs, ys;
    for (const Piece& p : net.pieces) {
        const Rect r{p.rect.x - bleed, p.rect.y - bleed, p.rect.w + 2 * bleed, p.rect.h + 2 * bleed};
        rects.push_back(r);
        xs.insert(xs.end(), {r.x, r.Right()});
        ys.insert(ys.end(), {r.y, r.Bottom()});
    }
    auto unique = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end(), [](double a, double b) { return b - a < kEps; }), v.end());
    };
    unique(xs);
    unique(ys);
    const std::size_t nx = xs.size() - 1, ny = ys.size() - 1;
    std::vector<char> in(nx * ny, 0);
    for (std::size_t j = 0; j < ny; ++j)
        for (std::size_t i = 0; i < nx; ++i) {
            const double cx = 0.5 * (xs[i] + xs[i + 1]), cy = 0.5 * (ys[j] + ys[j + 1]);
            for (const Rect& r : rects)
                if (cx > r.x && cx < r.Right() && cy > r.y && cy < r.Bottom()) {
                    in[j * nx + i] = 1;
                    break;
                }
        }
    auto covered = [&](long i, long j) {
        return i >= 0 && j >= 0 && i < static_cast<long>(nx) && j < static_cast<long>(ny) && in[j * nx + i];
    };
    // Cell borders between covered and uncovered cells, joined along lines.
    std::map<std::pair<int, long>, std::vector<std::pair<double, double>>> runs;
    for (long j = 0; j < static_cast<long>(ny); ++j)
        for (long i = 0; i < static_cast<long>(nx); ++i) {
            if (!covered(i, j)) continue;
            if (!covered(i, j - 1)) runs[{0, j}].emplace_back(xs[i], xs[i + 1]);
            if (!covered(i, j + 1)) runs[{0, j + 1}].emplace_back(xs[i], xs[i + 1]);
            if (!covered(i - 1, j)) runs[{1, i}].emplace_back(ys[j], ys[j + 1]);
            if (!covered(i + 1, j)) runs[{1, i + 1}].emplace_back(ys[j], ys[j + 1]);
        }
    std::vector<Segment> out;
    for (auto& [key, spans] : runs) {
        std::sort(spans.begin(), spans.end());
        const double at = key.first == 0 ? ys[key.second] : xs[key.second];
        auto emit = [&](double s0, double s1) {
            out.push_back(key.first == 0 ? Segment{{s0, at}, {s1, at}} : Segment{{at, s0}, {at, s1}});
        };
        double s0 = spans[0].first, s1 = spans[0].second;
        for (std::size_t k = 1; k < spans.size(); ++k) {
            if (spans[k].first <= s1 + kEps) {
                s1 = std::max(s1, spans[k].second);
            } else {
                emit(s0, s1);
                s0 = spans[k].first, s1 = spans[k].second;
            }
        }
        emit(s0, s1);
    }
    return out;
}

void Shift(Net& net, double dx, double dy) {
    auto move = [&](Point& p) { p.x += dx, p.y += dy; };
    for (Piece& p : net.pieces) {
        for (Point& q : p.outline) move(q);
        p.rect.x += dx, p.rect.y += dy;
    }
    for (Piece& p : net.pieces) move(p.fold.a), move(p.fold.b);
    for (auto* list : {&net.cuts, &net.creases, &net.bleed})
        for (Segment& s : *list) move(s.a), move(s.b);
    net.outline.x += dx, net.outline.y += dy;
}

bool InRange(double v, double lo, double hi, bool loOpen) {
    return std::isfinite(v) && (loOpen ? v > lo : v >= lo) && v <= hi;
}

}  // namespace

bool StyleFromName(std::string_view name, Style& style) {
    for (const StyleEntry& e : kStyles)
        if (name == e.name) {
            style = e.style;
            return true;
        }
    return false;
}

const char* StyleName(Style style) {
    for (const StyleEntry& e : kStyles)
        if (e.style == style) return e.name;
    return "";
}

const Piece* Net::Find(std::string_view name) const {
    for (const Piece& p : pieces)
        if (p.name == name) return &p;
    return nullptr;
}

Outcome MakeNet(const Params& params, Net& net) {
    Outcome outcome;
    net = Net{};
    net.params = params;
    struct SideValue {
        const char* key;
        const char* fallback;
        double value;
    };
    const SideValue sides[] = {
        {"badwidth", "The box's width must be more than 0 and at most %s mm, not %s.", params.width},
        {"badheight", "The box's height must be more than 0 and at most %s mm, not %s.", params.height},
        {"baddepth", "The box's depth must be more than 0 and at most %s mm, not %s.", params.depth}};
    for (const SideValue& side : sides)
        if (!InRange(side.value, 0, kMaxBoxSide, true))
            outcome.Fail(Message(MsgIcon::Error, side.key, side.fallback, {Mm(kMaxBoxSide), Mm(side.value)}));
    if (!InRange(params.thickness, 0, kMaxThickness, true))
        outcome.Fail(Message(MsgIcon::Error, "badthickness",
                             "The board thickness must be more than 0 and at most %s mm, not %s.",
                             {Mm(kMaxThickness), Mm(params.thickness)}));
    if (!InRange(params.bleed, 0, kMaxBleed, false))
        outcome.Fail(Message(MsgIcon::Error, "badbleed", "The bleed must be 0 to %s mm, not %s.",
                             {Mm(kMaxBleed), Mm(params.bleed)}));
    if (!InRange(params.glueFlap, 0, kMaxGlueFlap, true))
        outcome.Fail(Message(MsgIcon::Error, "badglue", "The glue flap must be more than 0 and at most %s mm, not %s.",
                             {Mm(kMaxGlueFlap), Mm(params.glueFlap)}));
    if (outcome.failed) return outcome;
    // Every fold takes up about a board; a board of a quarter of the
    // smallest side leaves no room for the flaps that fold inside.
    const double smallest = std::min({params.width, params.height, params.depth});
    if (params.thickness * 4 > smallest) {
        outcome.Fail(Message(MsgIcon::Error, "thick",
                             "A board %s mm thick is too thick for a box side of %s mm: it can be at most a quarter "
                             "of the smallest side.",
                             {Mm(params.thickness), Mm(smallest)}));
        return outcome;
    }

    const Dims d = MakeDims(params);
    Builder b(net);
    switch (params.style) {
        case Style::ReverseTuckEnd:
        case Style::StraightTuckEnd:
        case Style::SnapLock:
        case Style::AutoLock: {
            const Tube t = MakeTube(b, d);
            TuckLid(b, d, t.back, Side::Top, "top", "tuck-top", Side::Bottom);
            DustFlaps(b, d, t, Side::Top, "top");
            if (params.style == Style::ReverseTuckEnd) {
                TuckLid(b, d, t.front, Side::Bottom, "bottom", "tuck-bottom", Side::Top);
                DustFlaps(b, d, t, Side::Bottom, "bottom");
            } else if (params.style == Style::StraightTuckEnd) {
                TuckLid(b, d, t.back, Side::Bottom, "bottom", "tuck-bottom", Side::Bottom);
                DustFlaps(b, d, t, Side::Bottom, "bottom");
            } else if (params.style == Style::SnapLock) {
                SnapLockBottom(b, d, t);
            } else {
                AutoLockBottom(b, d, t);
            }
            if (params.glueFlap > d.w - d.t)
                outcome.Note(Message(MsgIcon::Warning, "widegluepanel",
                                     "The glue flap (%s mm) is wider than the back panel it is glued to (%s mm): it "
                                     "will show past the next fold.",
                                     {Mm(params.glueFlap), Mm(d.w)}));
            break;
        }
        case Style::Mailer: Mailer(b, d); break;
        case Style::TraySleeve:
            TraySleeve(b, d, params.bleed);
            if (params.glueFlap > d.d - d.t)
                outcome.Note(Message(MsgIcon::Warning, "widegluetop",
                                     "The glue flap (%s mm) is wider than the top panel it is glued to (%s mm): it "
                                     "will show past the next fold.",
                                     {Mm(params.glueFlap), Mm(d.d)}));
            break;
    }
    if (params.bleed < 2)
        outcome.Note(Message(MsgIcon::Warning, "smallbleed",
                             "A bleed of %s mm is less than the 2 to 3 mm printers usually ask for.",
                             {Mm(params.bleed)}));

    net.cuts = CutLines(net);
    net.bleed = BleedOutline(net, params.bleed);
    double x0 = net.cuts[0].a.x, x1 = x0, y0 = net.cuts[0].a.y, y1 = y0;
    for (const Segment& s : net.cuts)
        for (const Point& p : {s.a, s.b})
            x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
    net.outline = {x0, y0, x1 - x0, y1 - y0};
    Shift(net, params.bleed - x0, params.bleed - y0);
    net.page = {0, 0, net.outline.w + 2 * params.bleed, net.outline.h + 2 * params.bleed};
    return outcome;
}

}  // namespace boxora::dieline
