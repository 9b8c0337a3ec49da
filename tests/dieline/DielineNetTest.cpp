// The nets as boxes: outline sizes from the box's sizes, pieces that meet
// only at creases and never overlap, a closed cut outline, and values that
// cannot make a box refused.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>

#include "dieline/DielineNet.h"
#include "dieline/DielineOutput.h"

namespace {

using namespace boxora::dieline;

constexpr Style kAllStyles[] = {Style::ReverseTuckEnd, Style::StraightTuckEnd, Style::SnapLock,
                                Style::AutoLock,       Style::Mailer,          Style::TraySleeve};

Params Box(Style style) {
    Params p;
    p.style = style;
    p.width = 60, p.height = 190, p.depth = 40;
    p.thickness = 0.4, p.bleed = 3, p.glueFlap = 15;
    return p;
}

Net MakeOk(const Params& p) {
    Net net;
    const boxora::Outcome o = MakeNet(p, net);
    EXPECT_FALSE(o.failed) << StyleName(p.style);
    return net;
}

// Area of the overlap of two convex polygons (Sutherland-Hodgman clipping).
double OverlapArea(std::vector<Point> subject, const std::vector<Point>& clip) {
    auto cross = [](Point a, Point b, Point p) { return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x); };
    double orientation = 0;
    for (std::size_t i = 0; i < clip.size(); ++i) orientation += cross(clip[0], clip[i], clip[(i + 1) % clip.size()]);
    for (std::size_t i = 0; i < clip.size() && !subject.empty(); ++i) {
        const Point a = clip[i], b = clip[(i + 1) % clip.size()];
        std::vector<Point> out;
        for (std::size_t j = 0; j < subject.size(); ++j) {
            const Point p = subject[j], q = subject[(j + 1) % subject.size()];
            const double cp = cross(a, b, p) * orientation, cq = cross(a, b, q) * orientation;
            if (cp >= 0) out.push_back(p);
            if ((cp >= 0) != (cq >= 0)) {
                const double t = cp / (cp - cq);
                out.push_back({p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t});
            }
        }
        subject = std::move(out);
    }
    double area = 0;
    for (std::size_t i = 0; i < subject.size(); ++i) {
        const Point p = subject[i], q = subject[(i + 1) % subject.size()];
        area += p.x * q.y - q.x * p.y;
    }
    return std::abs(area) / 2;
}

// Whether segment s lies on the edge a-b.
bool OnEdge(const Segment& s, Point a, Point b) {
    const double len = std::hypot(b.x - a.x, b.y - a.y);
    auto off = [&](Point p) { return std::abs((p.x - a.x) * (b.y - a.y) - (p.y - a.y) * (b.x - a.x)) / len; };
    auto along = [&](Point p) { return ((p.x - a.x) * (b.x - a.x) + (p.y - a.y) * (b.y - a.y)) / (len * len); };
    return off(s.a) < 1e-6 && off(s.b) < 1e-6 && along(s.a) > -1e-9 && along(s.a) < 1 + 1e-9 && along(s.b) > -1e-9 &&
           along(s.b) < 1 + 1e-9;
}

TEST(DielineNet, OutlineOfEachStyleFollowsTheBoxSizesAndBoard) {
    // 60 x 190 x 40 mm on 0.4 mm board: panels crease to crease are
    // W' = 60.4, H' = 190.4, D' = 40.4; a tuck reaches 0.4 D' = 16.16.
    const double w = 60.4, h = 190.4, d = 40.4, t = 0.4, glue = 15, tuck = 16.16;
    struct Expected {
        Style style;
        double width, height;
    };
    const Expected expected[] = {
        // Glue flap and four walls across; a lid and its tuck at each end.
        {Style::ReverseTuckEnd, glue + 2 * w + 2 * d, h + 2 * (d + tuck)},
        {Style::StraightTuckEnd, glue + 2 * w + 2 * d, h + 2 * (d + tuck)},
        // Lock bottoms: the front flap reaches past the middle by a lock
        // tab of a quarter depth, at most 10 mm.
        {Style::SnapLock, glue + 2 * w + 2 * d, h + d + tuck + (0.5 * d + 10)},
        {Style::AutoLock, glue + 2 * w + 2 * d, h + d + tuck + 0.75 * d},
        // Double side walls each side of the bottom; inner front wall,
        // front, bottom, back, lid and its tuck in a column.
        {Style::Mailer, w + 2 * (h + (h - t)), (h - t) + h + d + h + d + (h - 2 * t)},
        // Sleeve column, a gap of twice the bleed and 6 mm, then the tray
        // (walls one board lower all round, 2t smaller each way).
        {Style::TraySleeve, w + (2 * 3 + 6) + (w - 2 * t) + 2 * (h - 2 * t), d + h + d + h + glue},
    };
    for (const Expected& e : expected) {
        const Net net = MakeOk(Box(e.style));
        double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
        for (const Segment& s : net.cuts)
            for (const Point& p : {s.a, s.b})
                x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
        EXPECT_NEAR(x1 - x0, e.width, 1e-6) << StyleName(e.style);
        EXPECT_NEAR(y1 - y0, e.height, 1e-6) << StyleName(e.style);
        // The page is the outline grown by the bleed, the outline at its
        // origin plus the bleed.
        EXPECT_NEAR(x0, 3, 1e-6);
        EXPECT_NEAR(y0, 3, 1e-6);
        EXPECT_NEAR(net.page.w, e.width + 6, 1e-6);
        EXPECT_NEAR(net.page.h, e.height + 6, 1e-6);
    }
}

TEST(DielineNet, PiecesMeetOnlyAtCreasesAndNeverOverlap) {
    for (Style style : kAllStyles) {
        const Net net = MakeOk(Box(style));
        SCOPED_TRACE(StyleName(style));
        // Six panels, each named once.
        std::map<std::string, int> panels;
        for (const Piece& p : net.pieces)
            if (p.panel) ++panels[p.name];
        EXPECT_EQ(panels.size() + (style == Style::SnapLock || style == Style::AutoLock ? 1 : 0), 6u);
        for (const auto& [name, n] : panels) EXPECT_EQ(n, 1) << name;
        // Every crease lies on an edge of exactly two pieces: the piece and
        // the one it folds from.
        for (const Segment& c : net.creases) {
            int on = 0;
            for (const Piece& p : net.pieces)
                for (std::size_t i = 0; i < p.outline.size(); ++i)
                    on += OnEdge(c, p.outline[i], p.outline[(i + 1) % p.outline.size()]) ? 1 : 0;
            EXPECT_EQ(on, 2) << c.a.x << "," << c.a.y << " - " << c.b.x << "," << c.b.y;
        }
        for (const Piece& p : net.pieces) {
            if (p.parent < 0) continue;
            const Piece& parent = net.pieces[static_cast<std::size_t>(p.parent)];
            bool onParent = false;
            for (std::size_t i = 0; i < parent.outline.size(); ++i)
                onParent |= OnEdge(p.fold, parent.outline[i], parent.outline[(i + 1) % parent.outline.size()]);
            EXPECT_TRUE(onParent) << p.name << " folds from " << parent.name;
        }
        double area = 0;
        for (std::size_t i = 0; i < net.pieces.size(); ++i) {
            for (std::size_t j = i + 1; j < net.pieces.size(); ++j)
                EXPECT_LT(OverlapArea(net.pieces[i].outline, net.pieces[j].outline), 1e-6)
                    << net.pieces[i].name << " and " << net.pieces[j].name;
            area += OverlapArea(net.pieces[i].outline, net.pieces[i].outline);
        }
        EXPECT_GT(area, 0);
        // The cut lines close: each of their ends meets another cut.
        std::map<std::pair<long, long>, int> ends;
        for (const Segment& s : net.cuts)
            for (const Point& p : {s.a, s.b}) ++ends[{std::lround(p.x * 1000), std::lround(p.y * 1000)}];
        for (const auto& [at, n] : ends) EXPECT_EQ(n % 2, 0) << at.first / 1000.0 << "," << at.second / 1000.0;
    }
}

TEST(DielineNet, LidsOnTheNetPointTheirArtworkTheWayTheyFold) {
    // The reverse tuck end's top lid folds from the back, so on the net the
    // top of its artwork (towards the back) points down; the bottom lid
    // folds from the front and stands upright.
    const Net rte = MakeOk(Box(Style::ReverseTuckEnd));
    const Piece* top = rte.Find("top");
    const Piece* bottom = rte.Find("bottom");
    ASSERT_TRUE(top && bottom);
    EXPECT_EQ(rte.pieces[static_cast<std::size_t>(top->parent)].name, "back");
    EXPECT_EQ(top->foldSide, Side::Bottom);
    EXPECT_EQ(top->up, Side::Bottom);
    EXPECT_EQ(rte.pieces[static_cast<std::size_t>(bottom->parent)].name, "front");
    EXPECT_EQ(bottom->up, Side::Top);
    EXPECT_LT(top->rect.Bottom(), bottom->rect.y);
    // The straight tuck end folds both lids from the back.
    const Net ste = MakeOk(Box(Style::StraightTuckEnd));
    EXPECT_EQ(ste.pieces[static_cast<std::size_t>(ste.Find("bottom")->parent)].name, "back");
    EXPECT_EQ(ste.Find("bottom")->up, Side::Bottom);
}

TEST(DielineNet, ValuesThatMakeNoBoxAreRefusedAndDoubtfulOnesWarned) {
    auto fails = [](auto change) {
        Params p = Box(Style::ReverseTuckEnd);
        change(p);
        Net net;
        const boxora::Outcome o = MakeNet(p, net);
        return o.failed && !o.messages.empty() && net.cuts.empty();
    };
    EXPECT_TRUE(fails([](Params& p) { p.width = 0; }));
    EXPECT_TRUE(fails([](Params& p) { p.height = -5; }));
    EXPECT_TRUE(fails([](Params& p) { p.depth = 2000.5; }));
    EXPECT_TRUE(fails([](Params& p) { p.depth = std::nan(""); }));
    EXPECT_TRUE(fails([](Params& p) { p.thickness = 0; }));
    EXPECT_TRUE(fails([](Params& p) { p.thickness = 15; }));              // over 10 mm
    EXPECT_TRUE(fails([](Params& p) { p.width = 6, p.thickness = 2; }));  // over a quarter of the width
    EXPECT_TRUE(fails([](Params& p) { p.bleed = -1; }));
    EXPECT_TRUE(fails([](Params& p) { p.glueFlap = 0; }));
    EXPECT_FALSE(fails([](Params& p) { p.width = p.height = p.depth = 2000; }));

    Params p = Box(Style::ReverseTuckEnd);
    p.glueFlap = 70;  // wider than the 60.4 mm back panel
    p.bleed = 1;
    Net net;
    const boxora::Outcome o = MakeNet(p, net);
    EXPECT_FALSE(o.failed);
    EXPECT_EQ(o.messages.size(), 2u);
    EXPECT_EQ(o.ErrorCount(), 0u);
    EXPECT_FALSE(net.cuts.empty());
}

TEST(DielineNet, SvgPanelsAreMillimetreRectanglesOnTheBleedPage) {
    const Net net = MakeOk(Box(Style::ReverseTuckEnd));
    const std::string svg = SvgText(net);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(
        svg, m,
        std::regex(R"re(<svg [^>]*width="([0-9.]+)mm" height="([0-9.]+)mm" viewBox="0 0 ([0-9.]+) ([0-9.]+)")re")));
    EXPECT_NEAR(std::stod(m[1]), 216.6 + 6, 1e-4);
    EXPECT_NEAR(std::stod(m[2]), 303.52 + 6, 1e-4);
    EXPECT_EQ(m[1].str(), m[3].str());
    EXPECT_EQ(m[2].str(), m[4].str());
    const std::map<std::string, std::pair<double, double>> sizes = {{"front", {60.4, 190.4}}, {"back", {60.4, 190.4}},
                                                                    {"left", {40.4, 190.4}},  {"right", {40.4, 190.4}},
                                                                    {"top", {60.4, 40.4}},    {"bottom", {60.4, 40.4}}};
    for (const auto& [name, size] : sizes) {
        const std::regex rect("<rect id=\"panel-" + name +
                              R"re(" x="([0-9.]+)" y="([0-9.]+)" width="([0-9.]+)" height="([0-9.]+)")re");
        ASSERT_TRUE(std::regex_search(svg, m, rect)) << name;
        EXPECT_NEAR(std::stod(m[3]), size.first, 1e-4) << name;
        EXPECT_NEAR(std::stod(m[4]), size.second, 1e-4) << name;
        const Piece* p = net.Find(name);
        EXPECT_NEAR(std::stod(m[1]), p->rect.x, 1e-4);
    }
    // Panels at the root: no transform anywhere.
    EXPECT_EQ(svg.find("transform"), std::string::npos);
    EXPECT_NE(svg.find("<polygon id=\"flap-glue\""), std::string::npos);
}

}  // namespace
