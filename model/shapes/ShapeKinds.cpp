// The generators of the parametric shapes. Each builds closed solids (a
// shape of several parts, such as a book's boards and pages, is several
// closed solids a hair apart) standing on y = 0, centred on x and z, with
// its printable areas on the cover materials.
#include <algorithm>
#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "model/CoverFaces.h"
#include "model/shapes/ShapeBuilder.h"

namespace boxora {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Parts of one shape are kept this far apart (mm) so that each stays a
// closed solid of its own; far below what a picture shows.
constexpr double kGap = 0.05;

using Rgba = std::array<uint8_t, 4>;
constexpr Rgba kCoverColour{250, 250, 250, 255};
constexpr Rgba kBoardColour{196, 170, 130, 255};
constexpr Rgba kPagesColour{245, 240, 226, 255};

int Cover(ShapeMesh& mesh, int face, Rgba colour = kCoverColour) {
    return mesh.Material(kCoverFaceNames[face], colour);
}

bool Fail(std::string& error, std::string text) {
    error = std::move(text);
    return false;
}

std::string Mm(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

// Points of one box axis from -h to h whose rounded parts (radius r) are
// split evenly in angle between the two sides that meet there.
std::vector<double> RoundedAxis(double h, double r, int steps) {
    std::vector<double> axis;
    if (r <= 0) return {-h, h};
    for (int i = steps; i >= 0; --i) axis.push_back(-(h - r) - r * std::tan(kPi / 4 * i / steps));
    for (int i = 0; i <= steps; ++i) axis.push_back((h - r) + r * std::tan(kPi / 4 * i / steps));
    return axis;
}

// A box of half sizes half centred at centre with edges and corners rounded
// by r: each side's grid point q on the sharp box is pushed onto the
// rounded surface along its distance from the inner box.
void RoundedBox(ShapeMesh& mesh, glm::dvec3 centre, glm::dvec3 half, double r, const std::array<int, 6>& materials) {
    struct Side {
        int n, u, v;
        double ns, us, vs;
    };
    // Normal axis, u axis and v axis with their signs, in cover order.
    const Side sides[6] = {{2, 0, 1, 1, 1, 1},  {2, 0, 1, -1, -1, 1}, {0, 2, 1, -1, 1, 1},
                           {0, 2, 1, 1, -1, 1}, {1, 0, 2, 1, 1, -1},  {1, 0, 2, -1, 1, 1}};
    const int steps = r > 0 ? 4 : 1;
    std::array<std::vector<double>, 3> axes;
    for (int a = 0; a < 3; ++a) axes[a] = RoundedAxis(half[a], std::min(r, half[a]), steps);
    for (int k = 0; k < 6; ++k) {
        const Side& s = sides[k];
        const std::vector<double>& us = axes[static_cast<std::size_t>(s.u)];
        const std::vector<double>& vs = axes[static_cast<std::size_t>(s.v)];
        const int nu = static_cast<int>(us.size()) - 1, nv = static_cast<int>(vs.size()) - 1;
        const uint32_t first = mesh.VertexCount();
        for (int j = 0; j <= nv; ++j)
            for (int i = 0; i <= nu; ++i) {
                glm::dvec3 q(0);
                q[s.n] = s.ns * half[s.n];
                q[s.u] = s.us * us[static_cast<std::size_t>(s.us > 0 ? i : nu - i)];
                q[s.v] = s.vs * vs[static_cast<std::size_t>(s.vs > 0 ? j : nv - j)];
                glm::dvec3 faceNormal(0);
                faceNormal[s.n] = s.ns;
                const glm::dvec3 inner = glm::clamp(q, -(half - r), half - r);
                const glm::dvec3 out = q - inner;
                const glm::dvec3 n = r > 0 && glm::length(out) > 1e-12 ? glm::normalize(out) : faceNormal;
                const glm::dvec3 p = r > 0 ? inner + n * r : q;
                const glm::dvec2 uv{(s.us * q[s.u] + half[s.u]) / (2 * half[s.u]),
                                    (s.vs * q[s.v] + half[s.v]) / (2 * half[s.v])};
                mesh.Vertex(centre + p, uv, n);
            }
        auto at = [&](int i, int j) { return first + static_cast<uint32_t>(j * (nu + 1) + i); };
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i)
                mesh.Quad(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1),
                          materials[static_cast<std::size_t>(k)]);
    }
}

std::array<int, 6> AllCovers(ShapeMesh& mesh) {
    std::array<int, 6> m{};
    for (int k = 0; k < 6; ++k) m[static_cast<std::size_t>(k)] = Cover(mesh, k);
    return m;
}

// Round profile helper: appends rings of a circle or ellipse of radius r in
// the profile plane, centred at (cr, cy), from angle a0 to a1 (degrees).
void Arc(ShapeMesh::Loft& loft, int material, double cr, double cy, double r, double a0, double a1, int steps) {
    for (int i = 1; i <= steps; ++i) {
        const double a = (a0 + (a1 - a0) * i / steps) * kPi / 180;
        const double rr = cr + r * std::cos(a);
        loft.rings.push_back({rr, cy + r * std::sin(a), rr});
        loft.materials.push_back(material);
        loft.sharp.push_back(false);
    }
}

// Appends a ring and the straight band of material that reaches it from
// the last ring; sharpStart marks a crease where the band starts.
void Ring(ShapeMesh::Loft& loft, int material, double r, double y, bool sharpStart = true) {
    loft.sharp.back() = sharpStart;
    loft.rings.push_back({r, y, r});
    loft.materials.push_back(material);
    loft.sharp.push_back(false);
}

ShapeMesh::Loft StartLoft() {
    ShapeMesh::Loft loft;
    loft.rings.push_back({0, 0, 0});
    loft.sharp.push_back(true);
    return loft;
}

void FinishLoft(ShapeMesh& mesh, ShapeMesh::Loft& loft) {
    loft.materials.resize(loft.rings.size() - 1);
    mesh.AddLoft(loft);
}

// --- the kinds ---------------------------------------------------------------

bool Box(const ShapeSpec& s, ShapeMesh& mesh, std::string& error) {
    const glm::dvec3 half{s.Get("width") / 2, s.Get("height") / 2, s.Get("depth") / 2};
    const double r = s.Get("radius");
    if (r > std::min({half.x, half.y, half.z}))
        return Fail(error, "box radius " + Mm(r) + " must be at most half the smallest side (" +
                               Mm(std::min({half.x, half.y, half.z})) + ")");
    RoundedBox(mesh, {0, half.y, 0}, half, r, AllCovers(mesh));
    return true;
}

bool Mailer(const ShapeSpec& s, ShapeMesh& mesh, std::string& error) {
    const double w = s.Get("width"), h = s.Get("height"), d = s.Get("depth"), t = s.Get("board");
    if (t * 3 > h || t * 3 > d) return Fail(error, "mailer board " + Mm(t) + " is too thick for its height and depth");
    const int inside = mesh.Material("Inside", kBoardColour);
    const int board = mesh.Material("Board", kBoardColour);
    mesh.Cuboid({-w / 2, 0, -d / 2}, {w / 2, h - t - kGap, d / 2},
                {Cover(mesh, COVER_FRONT), Cover(mesh, COVER_BACK), Cover(mesh, COVER_LEFT), Cover(mesh, COVER_RIGHT),
                 inside, Cover(mesh, COVER_BOTTOM)});
    // The lid turns about its back lower edge, its front edge rising.
    const uint32_t lid = mesh.VertexCount();
    mesh.Cuboid({-w / 2, h - t, -d / 2}, {w / 2, h, d / 2},
                {board, board, board, board, Cover(mesh, COVER_TOP), inside});
    const glm::dvec3 hinge{0, h - t, -d / 2};
    glm::dmat4 m = glm::translate(glm::dmat4(1), hinge);
    m = glm::rotate(m, -s.Get("open") * kPi / 180, glm::dvec3(1, 0, 0));
    m = glm::translate(m, -hinge);
    mesh.TransformFrom(lid, m);
    return true;
}

bool TraySleeve(const ShapeSpec& s, ShapeMesh& mesh, std::string& error) {
    const double w = s.Get("width"), h = s.Get("height"), d = s.Get("depth"), t = s.Get("board"), pull = s.Get("pull");
    if (t * 4 > h || t * 4 > d) return Fail(error, "tray-sleeve board " + Mm(t) + " is too thick for its size");
    if (pull >= w * 0.9) return Fail(error, "tray-sleeve pull " + Mm(pull) + " must be less than 90% of the width");
    const int board = mesh.Material("Board", kBoardColour);
    const int inside = mesh.Material("Inside", kBoardColour);
    const double x0 = -w / 2, x1 = w / 2;
    // The sleeve: front and back walls full height, top and bottom between them.
    mesh.Cuboid({x0, 0, d / 2 - t}, {x1, h, d / 2}, {Cover(mesh, COVER_FRONT), board, board, board, board, board});
    mesh.Cuboid({x0, 0, -d / 2}, {x1, h, -d / 2 + t}, {board, Cover(mesh, COVER_BACK), board, board, board, board});
    const double zi = d / 2 - t - kGap;
    mesh.Cuboid({x0, h - t, -zi}, {x1, h, zi}, {board, board, board, board, Cover(mesh, COVER_TOP), board});
    mesh.Cuboid({x0, 0, -zi}, {x1, t, zi}, {board, board, board, board, board, Cover(mesh, COVER_BOTTOM)});
    // The tray, a little smaller than the opening, open towards the front.
    const double g = std::min(0.3, t / 2);
    mesh.Cuboid({x0 + g + pull, t + g, -zi + g}, {x1 - g + pull, h - t - g, zi - g},
                {inside, board, Cover(mesh, COVER_LEFT), Cover(mesh, COVER_RIGHT), board, board});
    return true;
}

bool Book(const ShapeSpec& s, ShapeMesh& mesh, std::string& error) {
    const double w = s.Get("width"), h = s.Get("height"), d = s.Get("depth");
    if (s.Get("style") == 1) {
        const int front = Cover(mesh, COVER_FRONT), back = Cover(mesh, COVER_BACK), left = Cover(mesh, COVER_LEFT);
        mesh.Cuboid({-w / 2, 0, -d / 2}, {w / 2, h, d / 2},
                    {front, back, left, Cover(mesh, COVER_RIGHT, kPagesColour), Cover(mesh, COVER_TOP, kPagesColour),
                     Cover(mesh, COVER_BOTTOM, kPagesColour)});
        return true;
    }
    const double b = s.Get("board"), o = s.Get("overhang");
    if (b * 3 > d) return Fail(error, "book board " + Mm(b) + " is too thick for a depth of " + Mm(d));
    if (o * 4 > h || o * 4 > w) return Fail(error, "book overhang " + Mm(o) + " is too large for its size");
    const double sx = std::min(d * 0.3, w * 0.15);  // how far the round spine bulges
    const double cx = -w / 2 + sx;                  // where the spine meets the boards
    if (w - sx - o < 5) return Fail(error, "book width " + Mm(w) + " is too small for its depth");
    const int board = mesh.Material("Board", {60, 60, 70, 255});
    const int pages = mesh.Material("Pages", kPagesColour);
    mesh.Cuboid({cx + kGap, 0, d / 2 - b}, {w / 2, h, d / 2},
                {Cover(mesh, COVER_FRONT), board, board, board, board, board});
    mesh.Cuboid({cx + kGap, 0, -d / 2}, {w / 2, h, -d / 2 + b},
                {board, Cover(mesh, COVER_BACK), board, board, board, board});
    // The spine: a half-elliptic shell from the front board round to the back one.
    const int spine = Cover(mesh, COVER_LEFT);
    const int n = 16;
    auto shell = [&](double k, int i, double y) {
        const double a = kPi * i / n;  // 0 at the front, pi at the back
        return glm::dvec3(cx - (sx - k * b * 0.5) * std::sin(a), y, (d / 2 - k * b) * std::cos(a));
    };
    auto shellNormal = [&](double k, int i) {
        const double a = kPi * i / n;
        const double ex = sx - k * b * 0.5, ez = d / 2 - k * b;
        return glm::dvec3(-ez * std::sin(a), 0, ex * std::cos(a));
    };
    mesh.Grid(
        n, 1, spine, [&](int i, int j) { return shell(0, n - i, j * h); },
        [&](int i, int) { return shellNormal(0, n - i); });
    mesh.Grid(
        n, 1, board, [&](int i, int j) { return shell(1, i, j * h); }, [&](int i, int) { return -shellNormal(1, i); });
    for (int end = 0; end < 2; ++end)
        mesh.Grid(
            n, 1, board, [&](int i, int j) { return shell(j, i, end * h); },
            [&](int, int) { return glm::dvec3(0, end == 0 ? -1 : 1, 0); });
    for (int end = 0; end < 2; ++end)
        mesh.Grid(
            1, 1, board, [&](int i, int j) { return shell(j, end * n, i * h); },
            [&](int, int) { return glm::dvec3(1, 0, 0); });
    mesh.Cuboid({cx + kGap, o, -d / 2 + b + kGap}, {w / 2 - o, h - o, d / 2 - b - kGap},
                {pages, pages, pages, Cover(mesh, COVER_RIGHT, kPagesColour), Cover(mesh, COVER_TOP, kPagesColour),
                 Cover(mesh, COVER_BOTTOM, kPagesColour)});
    return true;
}

bool Can(const ShapeSpec& s, ShapeMesh& mesh, std::string& error) {
    const double r = s.Get("diameter") / 2, h = s.Get("height"), neck = s.Get("neck");
    if (neck * 4 >= s.Get("diameter"))
        return Fail(error, "can neck " + Mm(neck) + " must be less than a quarter of the diameter");
    if (r - neck < 4 || h < 20) return Fail(error, "a can must be at least 8 mm across and 20 mm tall");
    const int metal = mesh.Material("Metal", {200, 202, 206, 255});
    const int label = Cover(mesh, COVER_FRONT), top = Cover(mesh, COVER_TOP, {200, 202, 206, 255}),
              bottom = Cover(mesh, COVER_BOTTOM, {200, 202, 206, 255});
    const double chamfer = std::min(6.0, h * 0.05), shoulder = std::min(12.0, h * 0.1);
    ShapeMesh::Loft loft = StartLoft();
    Ring(loft, bottom, r * 0.8, 0);
    Ring(loft, metal, r, chamfer);
    Ring(loft, label, r, h - shoulder);
    Ring(loft, metal, r - neck, h - 2, false);
    Ring(loft, metal, r - neck, h);
    Ring(loft, metal, r - neck - 2, h);
    Ring(loft, metal, r - neck - 2, h - 1.5);
    Ring(loft, top, 0, h - 1.5);
    loft.planarTop = {top};
    loft.planarBottom = {bottom};
    FinishLoft(mesh, loft);
    return true;
}

bool Bottle(const ShapeSpec& s, ShapeMesh& mesh, std::string& error) {
    struct Colours {
        Rgba glass, cap_;
    };
    static const Colours kPresets[3] = {
        {{35, 70, 40, 255}, {120, 20, 30, 255}},       // wine: green glass, foil capsule
        {{245, 245, 245, 255}, {200, 200, 205, 255}},  // cosmetic: white, silver cap
        {{120, 65, 20, 255}, {30, 30, 30, 255}},       // dropper: amber, black bulb
    };
    const int preset = static_cast<int>(s.Get("preset"));
    const Colours& p = kPresets[preset];
    const double d = s.Get("diameter"), h = s.Get("height"), body = s.Get("body"), shoulder = s.Get("shoulder"),
                 neck = s.Get("neck"), cap = s.Get("cap");
    if (neck > d) return Fail(error, "bottle neck " + Mm(neck) + " must not be wider than the diameter " + Mm(d));
    if (body + shoulder + cap + 2 > h)
        return Fail(error, "bottle body + shoulder + cap (" + Mm(body + shoulder + cap) +
                               ") must leave at least 2 mm of neck below the height " + Mm(h));
    if (body < 5) return Fail(error, "bottle body must be at least 5 mm");
    const double r = d / 2, rn = neck / 2;
    const double rc = std::min(r, rn * (preset == 0 ? 1.06 : 1.35));
    const int glass = mesh.Material("Glass", p.glass), capMaterial = mesh.Material("Cap", p.cap_);
    const int label = Cover(mesh, COVER_FRONT), top = Cover(mesh, COVER_TOP, p.cap_),
              bottom = Cover(mesh, COVER_BOTTOM, p.glass);
    const double foot = std::min(2.0, r / 4);
    ShapeMesh::Loft loft = StartLoft();
    Ring(loft, bottom, r - foot, 0);
    Ring(loft, glass, r, foot);
    Ring(loft, glass, r, body * 0.15, false);
    Ring(loft, label, r, body * 0.85, false);
    Ring(loft, glass, r, body, false);
    const int steps = 10;
    for (int i = 1; i <= steps; ++i) {
        const double t = double(i) / steps;
        const double rr = rn + (r - rn) * (1 + std::cos(kPi * t)) / 2;
        loft.rings.push_back({rr, body + shoulder * t, rr});
        loft.materials.push_back(glass);
        loft.sharp.push_back(false);
    }
    Ring(loft, glass, rn, h - cap, false);
    Ring(loft, capMaterial, rc, h - cap);
    // A dropper's bulb is a dome; other caps have a small round edge.
    const double e = preset == 2 ? rc : std::min(rc * 0.3, cap * 0.3);
    Ring(loft, capMaterial, rc, h - e);
    loft.sharp.back() = false;
    Arc(loft, preset == 2 ? top : capMaterial, rc - e, h - e, e, 0, 90, 6);
    if (preset != 2) Ring(loft, top, 0, h, false);
    loft.planarTop = {top};
    loft.planarBottom = {bottom};
    FinishLoft(mesh, loft);
    return true;
}

bool Jar(const ShapeSpec& s, ShapeMesh& mesh, std::string& error) {
    const double r = s.Get("diameter") / 2, h = s.Get("height"), lid = s.Get("lid");
    if (r < 12) return Fail(error, "a jar must be at least 24 mm across");
    if (lid < 4 || h - lid - 3 < 12)
        return Fail(error, "jar lid " + Mm(lid) + " must be at least 4 mm and leave 15 mm of the height " + Mm(h));
    const double bodyTop = h - lid - 3;
    const int glass = mesh.Material("Glass", {225, 232, 235, 255}),
              lidMaterial = mesh.Material("Lid", {180, 40, 40, 255});
    const int label = Cover(mesh, COVER_FRONT), top = Cover(mesh, COVER_TOP, {180, 40, 40, 255}),
              bottom = Cover(mesh, COVER_BOTTOM, {225, 232, 235, 255});
    ShapeMesh::Loft loft = StartLoft();
    Ring(loft, bottom, r - 4, 0);
    Arc(loft, glass, r - 4, 4, 4, -90, 0, 4);
    Ring(loft, glass, r, bodyTop * 0.15, false);
    Ring(loft, label, r, bodyTop * 0.85, false);
    Ring(loft, glass, r, bodyTop - 4, false);
    Arc(loft, glass, r - 4, bodyTop - 4, 4, 0, 90, 4);
    Ring(loft, glass, r - 7, bodyTop, false);
    Ring(loft, glass, r - 7, h - lid);
    Ring(loft, lidMaterial, r - 3, h - lid);
    Ring(loft, lidMaterial, r - 3, h - 2);
    Arc(loft, lidMaterial, r - 5, h - 2, 2, 0, 90, 3);
    Ring(loft, top, 0, h, false);
    loft.planarTop = {top};
    loft.planarBottom = {bottom};
    FinishLoft(mesh, loft);
    return true;
}

bool Tube(const ShapeSpec& s, ShapeMesh& mesh, std::string& error) {
    const double r = s.Get("diameter") / 2, h = s.Get("height"), cap = s.Get("cap");
    const double crimp = std::min(12.0, h * 0.07), shoulderTop = cap + r * 0.4;
    if (r < 3) return Fail(error, "a tube must be at least 6 mm across");
    if (shoulderTop + crimp + 10 > h)
        return Fail(error, "tube cap " + Mm(cap) + " leaves too little of the height " + Mm(h) + " for the tube");
    const int plain = mesh.Material("Tube", {250, 250, 250, 255});
    const int capMaterial = mesh.Material("Cap", {40, 40, 45, 255});
    const int face = mesh.Material("Face");  // split into the Front and Back slots
    const int top = Cover(mesh, COVER_TOP, {250, 250, 250, 255}), bottom = Cover(mesh, COVER_BOTTOM, {40, 40, 45, 255});
    const double rc = r * 0.55, flatA = kPi * r / 2, flatB = 0.6;
    ShapeMesh::Loft loft = StartLoft();
    Ring(loft, bottom, rc, 0);
    Ring(loft, capMaterial, rc, cap);
    Ring(loft, plain, r * 0.45, cap);
    Ring(loft, plain, r, shoulderTop);
    // The body flattens from a circle to the crimp: wider and thinner.
    const int steps = 16;
    for (int i = 1; i <= steps; ++i) {
        const double t = double(i) / steps;
        loft.rings.push_back({r + (flatA - r) * t, shoulderTop + (h - crimp - shoulderTop) * t,
                              flatB + (r - flatB) * std::pow(1 - t, 0.8)});
        loft.materials.push_back(face);
        loft.sharp.push_back(false);
    }
    loft.rings.push_back({flatA, h, flatB});
    loft.materials.push_back(top);
    loft.sharp.back() = true;
    loft.sharp.push_back(true);
    loft.rings.push_back({0, h, 0});
    loft.materials.push_back(top);
    loft.sharp.push_back(true);
    loft.planarBottom = {bottom};
    loft.wrapMaterial = face;
    loft.frontBack = {Cover(mesh, COVER_FRONT), Cover(mesh, COVER_BACK)};
    FinishLoft(mesh, loft);
    return true;
}

// A flat pack lofted from ellipses of the given half width: rings are
// (y, half thickness) from bottom to top, closed by flat ends. Bands up to
// sealBottom take the Bottom slot, bands from sealTop the Top slot, the
// rest is split into Front and Back.
void FlatPack(ShapeMesh& mesh, const std::vector<glm::dvec2>& rings, double halfWidth, double sealBottom,
              double sealTop) {
    const int face = mesh.Material("Face");
    const int bottom = Cover(mesh, COVER_BOTTOM), top = Cover(mesh, COVER_TOP);
    ShapeMesh::Loft loft;
    loft.rings.push_back({0, rings.front().x, 0});
    for (const glm::dvec2& r : rings) loft.rings.push_back({halfWidth, r.x, r.y});
    loft.rings.push_back({0, rings.back().x, 0});
    for (std::size_t k = 0; k + 1 < loft.rings.size(); ++k) {
        const double y0 = loft.rings[k].y, y1 = loft.rings[k + 1].y;
        loft.materials.push_back(k == 0 || y1 <= sealBottom ? bottom : (y0 >= sealTop ? top : face));
    }
    loft.sharp.assign(loft.rings.size(), false);
    loft.sharp[1] = loft.sharp[loft.rings.size() - 2] = true;
    loft.wrapMaterial = face;
    loft.frontBack = {Cover(mesh, COVER_FRONT), Cover(mesh, COVER_BACK)};
    loft.planarBottom = {bottom};
    loft.planarTop = {top};
    mesh.AddLoft(loft);
}

bool Pouch(const ShapeSpec& s, ShapeMesh& mesh, std::string& error) {
    const double w = s.Get("width"), h = s.Get("height"), g = s.Get("gusset");
    if (h < 40) return Fail(error, "a pouch must be at least 40 mm tall");
    if (g > w) return Fail(error, "pouch gusset " + Mm(g) + " must not exceed the width " + Mm(w));
    const double seal = std::min(15.0, h * 0.08);
    std::vector<glm::dvec2> rings;
    const int steps = 20;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        // Full gusset at the floor, closing towards the seal.
        rings.push_back({(h - seal) * t, std::max(0.5, g / 2 * std::pow(1 - t, 1.6) + 0.5 * t)});
    }
    rings.push_back({h, 0.5});
    FlatPack(mesh, rings, w / 2, 0, h - seal);
    return true;
}

bool Pillow(const ShapeSpec& s, ShapeMesh& mesh, std::string& error) {
    const double w = s.Get("width"), h = s.Get("height"), d = s.Get("depth");
    if (h < 30) return Fail(error, "a pillow pack must be at least 30 mm tall");
    if (d > w) return Fail(error, "pillow depth " + Mm(d) + " must not exceed the width " + Mm(w));
    const double seal = std::min(12.0, h * 0.1);
    std::vector<glm::dvec2> rings;
    rings.push_back({0, 0.5});
    const int steps = 20;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        rings.push_back({seal + (h - 2 * seal) * t, std::max(0.5, d / 2 * std::pow(std::sin(kPi * t), 0.6))});
    }
    rings.push_back({h, 0.5});
    FlatPack(mesh, rings, w / 2, seal, h - seal);
    return true;
}

bool Bag(const ShapeSpec& s, ShapeMesh& mesh, std::string& error) {
    const double w = s.Get("width"), h = s.Get("height"), d = s.Get("depth"), rise = s.Get("handle");
    const double rod = std::clamp(std::min(w, d) * 0.02, 1.5, 4.0);
    if (d < 4 * rod + 4 || w < 40 || h < 40)
        return Fail(error, "a bag must be at least 40 mm wide and tall and 20 mm deep");
    const int inside = Cover(mesh, COVER_TOP, {120, 90, 60, 255});
    mesh.Cuboid({-w / 2, 0, -d / 2}, {w / 2, h, d / 2},
                {Cover(mesh, COVER_FRONT), Cover(mesh, COVER_BACK), Cover(mesh, COVER_LEFT), Cover(mesh, COVER_RIGHT),
                 inside, Cover(mesh, COVER_BOTTOM)});
    // The handles are glued inside the front and back panels and rise
    // above the opening in a half ellipse.
    const int handle = mesh.Material("Handle", {40, 30, 25, 255});
    const double a = w * 0.2, low = h - std::min(40.0, h * 0.25);
    for (int side = 0; side < 2; ++side) {
        const double z = (side == 0 ? 1 : -1) * (d / 2 - rod - 0.5);
        std::vector<glm::dvec3> path{{-a, low, z}};
        const int steps = 24;
        for (int i = 0; i <= steps; ++i) {
            const double t = kPi * (1 - double(i) / steps);
            path.push_back({a * std::cos(t), h + (rise - rod) * std::sin(t), z});
        }
        path.push_back({a, low, z});
        mesh.Rod(path, rod, handle);
    }
    return true;
}

}  // namespace

bool BuildShapeMesh(const ShapeSpec& spec, ShapeMesh& mesh, std::string& error) {
    using Generator = bool (*)(const ShapeSpec&, ShapeMesh&, std::string&);
    static const std::pair<const char*, Generator> kGenerators[] = {
        {"box", Box},   {"mailer", Mailer}, {"tray-sleeve", TraySleeve},
        {"book", Book}, {"can", Can},       {"bottle", Bottle},
        {"jar", Jar},   {"tube", Tube},     {"pouch", Pouch},
        {"bag", Bag},   {"pillow", Pillow}};
    if (!spec.kind) return Fail(error, "no shape");
    for (const auto& [name, generate] : kGenerators)
        if (std::string_view(name) == spec.kind->name) return generate(spec, mesh, error);
    return Fail(error, std::string("no generator for ") + spec.kind->name);
}

ShapeObjectResult BuildShapeObject(std::string_view text, SceneModel& model) {
    ShapeObjectResult result;
    std::string error;
    const std::optional<ShapeSpec> spec = ParseShapeSpec(text, error);
    ShapeMesh mesh;
    if (spec && BuildShapeMesh(*spec, mesh, error)) {
        if (model.ObjectCount() >= kMaxObjects) {
            error = "the scene holds " + std::to_string(kMaxObjects) + " objects already";
        } else {
            std::string name = spec->kind->name;
            name[0] = static_cast<char>(name[0] - 'a' + 'A');
            result.object = mesh.ToObject(name, kShapeUnitsPerMm, model, result.materials);
            if (result.object) {
                result.object->shape = spec->Text();
                return result;
            }
            error = "the shape has too many vertices or the scene too many materials";
        }
    }
    result.outcome.Fail({"", "", "Cannot make shape \"%s\": %s", {std::string(text), error}});
    return result;
}

}  // namespace boxora
