#include "tools/model3ds/CatalogueModels.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

#include "tools/model3ds/MeshBuilder.h"

namespace model3ds {

namespace {

constexpr double kPi = 3.14159265358979323846;
const char* const kFront = "Front";
const char* const kBack = "Back";
const char* const kLeft = "Left";
const char* const kRight = "Right";
const char* const kTop = "Top";
const char* const kBottom = "Bottom";
const char* const kCoverNames[6] = {kFront, kBack, kLeft, kRight, kTop, kBottom};

// Smoothing words: flat faces use 0 (their corners keep the face normal);
// each kind of rounded surface has a bit of its own.
constexpr uint32_t kFlat = 0;
constexpr uint32_t kRoundEdges = 1;
constexpr uint32_t kRoundSpine = 2;
constexpr uint32_t kRoundCorners = 4;
constexpr uint32_t kRoundSleeve = 8;

// --- materials -------------------------------------------------------------

Material CoverMaterial(const std::string& name, const std::string& texture) {
    Material m;
    m.name = name;
    m.diffuse = {255, 255, 255};  // the image shows in its own colours
    m.textureFile = texture;
    return m;
}

Material PlainMaterial(const std::string& name, std::array<uint8_t, 3> diffuse) {
    Material m;
    m.name = name;
    m.diffuse = diffuse;
    return m;
}

// A see-through material: the level (opacity of the layer) is carried in the
// specular colour's green.
Material ClearMaterial(const std::string& name, std::array<uint8_t, 3> diffuse, uint8_t level) {
    Material m = PlainMaterial(name, diffuse);
    m.writeSpecular = true;
    m.specular = {0, level, 0};
    return m;
}

// A mirror: the level (opacity of the surface over its reflection) is carried
// in the specular colour's blue.
Material MirrorMaterial(const std::string& name, std::array<uint8_t, 3> diffuse, uint8_t level) {
    Material m = PlainMaterial(name, diffuse);
    m.writeSpecular = true;
    m.specular = {0, 0, level};
    return m;
}

// The six cover materials with the given images, in cover-face order.
std::vector<Material> CoverMaterials(const std::array<std::string, 6>& textures) {
    std::vector<Material> materials;
    for (int k = 0; k < 6; ++k) materials.push_back(CoverMaterial(kCoverNames[k], textures[k]));
    return materials;
}

Model Finish(const MeshBuilder& builder, std::vector<Material> materials) {
    Model model;
    model.materials = std::move(materials);
    Mesh mesh;
    if (!builder.Finish(mesh)) throw std::runtime_error("catalogue model too large for the file format");
    model.meshes.push_back(std::move(mesh));
    return model;
}

// --- shapes ----------------------------------------------------------------

// The six faces of a box seen from outside: outward normal, the direction to
// the right and the direction up on the face, right × up = normal. Top is
// seen with the back edge up, Bottom with the front edge up.
struct FaceFrame {
    Vec3 normal, right, up;
};
const FaceFrame kFrames[6] = {
    {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},   // Front
    {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}},   // Back
    {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}},  // Left
    {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},    // Right
    {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},    // Top
    {{0, 0, -1}, {1, 0, 0}, {0, -1, 0}},  // Bottom
};

double Extent(Vec3 direction, Vec3 half) {
    return std::fabs(direction.x) * half.x + std::fabs(direction.y) * half.y + std::fabs(direction.z) * half.z;
}

// Fills the flat middle of box face k (0..5): origin is its bottom-left
// corner seen from outside, right and up span it.
using FlatFiller = std::function<void(int k, Vec3 origin, Vec3 right, Vec3 up)>;

// A box of half sizes `half` whose twelve edges are rounded with the given
// radius, `steps` segments per 45° of the rounding. The rounded band is one
// smooth surface of edgeMaterial; the flat middle of each face is left to
// fill (by default the face's cover material over the whole middle).
void RoundedBox(MeshBuilder& builder, Vec3 half, double radius, int steps, const std::string& edgeMaterial,
                const FlatFiller& fill) {
    for (int k = 0; k < 6; ++k) {
        const FaceFrame& f = kFrames[k];
        const double aN = Extent(f.normal, half), aR = Extent(f.right, half), aU = Extent(f.up, half);
        const double bN = aN - radius, bR = aR - radius, bU = aU - radius;
        // Grid lines across the face: the rounded band is sampled so that its
        // points lie at even angles once pushed onto the rounding.
        auto lines = [&](double outer, double inner) {
            std::vector<double> s;
            for (int j = steps; j >= 1; --j)
                s.push_back(j == steps ? -outer : -(inner + radius * std::tan(j * kPi / 4 / steps)));
            s.push_back(-inner);
            s.push_back(inner);
            for (int j = 1; j <= steps; ++j)
                s.push_back(j == steps ? outer : inner + radius * std::tan(j * kPi / 4 / steps));
            return s;
        };
        const std::vector<double> sR = lines(aR, bR), sU = lines(aU, bU);
        auto point = [&](std::size_t i, std::size_t j) {
            const double s = sR[i], t = sU[j];
            const Vec3 onCube = f.normal * aN + f.right * s + f.up * t;
            const Vec3 core = f.normal * bN + f.right * std::clamp(s, -bR, bR) + f.up * std::clamp(t, -bU, bU);
            return core + Normalized(onCube - core) * radius;
        };
        const auto middle = static_cast<std::size_t>(steps);
        for (std::size_t i = 0; i + 1 < sR.size(); ++i) {
            for (std::size_t j = 0; j + 1 < sU.size(); ++j) {
                if (i == middle && j == middle) {
                    fill(k, f.normal * aN + f.right * -bR + f.up * -bU, f.right * (2 * bR), f.up * (2 * bU));
                    continue;
                }
                builder.Quad(edgeMaterial, {point(i, j), point(i + 1, j), point(i + 1, j + 1), point(i, j + 1)}, {},
                             kRoundEdges);
            }
        }
    }
}

FlatFiller CoversFill(MeshBuilder& builder) {
    return [&builder](int k, Vec3 origin, Vec3 right, Vec3 up) { builder.Rect(kCoverNames[k], origin, right, up); };
}

// Points of an elliptic arc around (cx, cy) with semi-axes ax, ay, from
// angle `from` to `to` (degrees, counter-clockwise seen from above when to >
// from), both ends included, at height 0.
std::vector<Vec3> Arc(double cx, double cy, double ax, double ay, double from, double to, int segments) {
    std::vector<Vec3> points;
    for (int i = 0; i <= segments; ++i) {
        const double angle = (from + (to - from) * i / segments) * kPi / 180.0;
        points.push_back({cx + ax * std::cos(angle), cy + ay * std::sin(angle), 0});
    }
    return points;
}

// Outward unit normals of the same arc.
std::vector<Vec3> ArcNormals(double ax, double ay, double from, double to, int segments) {
    std::vector<Vec3> normals;
    for (int i = 0; i <= segments; ++i) {
        const double angle = (from + (to - from) * i / segments) * kPi / 180.0;
        normals.push_back(Normalized({std::cos(angle) / ax, std::sin(angle) / ay, 0}));
    }
    return normals;
}

std::vector<Vec3> Offset(const std::vector<Vec3>& points, const std::vector<Vec3>& normals, double distance) {
    std::vector<Vec3> out;
    for (std::size_t i = 0; i < points.size(); ++i) out.push_back(points[i] + normals[i] * distance);
    return out;
}

// An upright wall through the floor-plan points `run` (in order to the right
// as seen from outside, i.e. counter-clockwise seen from above for an outer
// wall) from height z0 to z1. With `mapped` an image spans it: u follows the
// length along the run, v the height.
void Wall(MeshBuilder& builder, const std::string& material, const std::vector<Vec3>& run, double z0, double z1,
          bool mapped, uint32_t smoothing) {
    std::vector<double> along(run.size(), 0.0);
    for (std::size_t i = 1; i < run.size(); ++i) along[i] = along[i - 1] + Length(run[i] - run[i - 1]);
    std::vector<std::vector<Vec3>> points(2);
    std::vector<std::vector<Uv>> uvs(2);
    for (std::size_t i = 0; i < run.size(); ++i) {
        const double u = mapped ? along[i] / along.back() : 0.0;
        points[0].push_back({run[i].x, run[i].y, z0});
        points[1].push_back({run[i].x, run[i].y, z1});
        uvs[0].push_back({u, 0.0});
        uvs[1].push_back({u, mapped ? 1.0 : 0.0});
    }
    builder.Grid(material, points, uvs, smoothing);
}

// A flat cap over the convex floor plan `loop` (counter-clockwise seen from
// above) at height z, facing up (top) or down. The image is laid on it as
// seen from outside: for the top the back edge is up, for the bottom the
// front edge.
void Cap(MeshBuilder& builder, const std::string& material, std::vector<Vec3> loop, double z, bool top) {
    double minX = loop[0].x, maxX = loop[0].x, minY = loop[0].y, maxY = loop[0].y;
    for (const Vec3& p : loop) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    if (!top) std::reverse(loop.begin(), loop.end());
    std::vector<Uv> uvs;
    for (Vec3& p : loop) {
        p.z = z;
        const double u = (p.x - minX) / (maxX - minX);
        const double v = top ? (p.y - minY) / (maxY - minY) : (maxY - p.y) / (maxY - minY);
        uvs.push_back({u, v});
    }
    builder.Polygon(material, loop, uvs, kFlat);
}

// Joins point runs into one closed loop, dropping each run's first point
// when it repeats the previous run's last.
std::vector<Vec3> JoinLoop(const std::vector<std::vector<Vec3>>& runs) {
    std::vector<Vec3> loop;
    for (const auto& run : runs) {
        for (const Vec3& p : run) {
            if (!loop.empty() && Length(p - loop.back()) < 1e-9) continue;
            loop.push_back(p);
        }
    }
    if (loop.size() > 1 && Length(loop.front() - loop.back()) < 1e-9) loop.pop_back();
    return loop;
}

std::vector<Vec3> Reversed(std::vector<Vec3> points) {
    std::reverse(points.begin(), points.end());
    return points;
}

// --- the models ------------------------------------------------------------

// Software box: 100 wide, 140 tall, 30 deep, edges rounded off by 2.
CatalogueModel SoftwareBox() {
    MeshBuilder builder("Box");
    RoundedBox(builder, {50, 15, 70}, 2.0, 2, "Edge", CoversFill(builder));
    auto materials = CoverMaterials(
        {"box_front.jpg", "box_back.jpg", "box_left.jpg", "box_right.jpg", "box_top.jpg", "box_bottom.jpg"});
    materials.push_back(PlainMaterial("Edge", {24, 38, 78}));
    return {"Box", Finish(builder, std::move(materials))};
}

// Slim case: a flat carton 104 × 148 × 10 with softened edges.
CatalogueModel SlimBox() {
    MeshBuilder builder("Slim Box");
    RoundedBox(builder, {52, 5, 74}, 1.0, 1, "Edge", CoversFill(builder));
    auto materials = CoverMaterials(
        {"slim_front.jpg", "slim_back.jpg", "slim_left.jpg", "slim_right.jpg", "slim_top.jpg", "slim_bottom.jpg"});
    materials.push_back(PlainMaterial("Edge", {30, 22, 70}));
    return {"Slim Box", Finish(builder, std::move(materials))};
}

// Gift box: a box like the software box whose front artwork sits in a
// polished mirror frame.
CatalogueModel MirrorBox() {
    MeshBuilder builder("Mirror Box");
    constexpr double kFrame = 6.0;
    auto fill = [&builder](int k, Vec3 origin, Vec3 right, Vec3 up) {
        if (k != 0) {
            builder.Rect(kCoverNames[k], origin, right, up);
            return;
        }
        const Vec3 r = Normalized(right) * kFrame, u = Normalized(up) * kFrame;
        const double width = Length(right), height = Length(up);
        const Vec3 innerRight = Normalized(right) * (width - 2 * kFrame);
        const Vec3 innerUp = Normalized(up) * (height - 2 * kFrame);
        // The frame: bottom and top bands across the whole width, left and
        // right bands between them; all in the plane of the front.
        builder.Rect("Mirror", origin, right, u);
        builder.Rect("Mirror", origin + up - u, right, u);
        builder.Rect("Mirror", origin + u, r, innerUp);
        builder.Rect("Mirror", origin + right - r + u, r, innerUp);
        builder.Rect(kFront, origin + r + u, innerRight, innerUp);
    };
    RoundedBox(builder, {50, 15, 70}, 2.0, 2, "Edge", fill);
    auto materials = CoverMaterials(
        {"gift_front.jpg", "gift_back.jpg", "gift_left.jpg", "gift_right.jpg", "gift_top.jpg", "gift_bottom.jpg"});
    materials.push_back(PlainMaterial("Edge", {20, 20, 24}));
    materials.push_back(MirrorMaterial("Mirror", {214, 218, 228}, 96));
    return {"Mirror Box", Finish(builder, std::move(materials))};
}

// DVD case: 96 wide, 136 tall, 10 deep. A dark plastic shell with a rounded
// spine on the left and small rounded corners at the opening edge; the cover
// sheet (front, spine, back) lies under a clear sleeve.
CatalogueModel DvdCase() {
    MeshBuilder builder("DVD Box");
    constexpr double kHalfW = 48, kHalfD = 5, kHalfH = 68;
    constexpr double kSpineDepth = 3.2;  // how far the rounded spine reaches
    constexpr double kCorner = 1.2;      // corner radius at the opening edge
    constexpr double kSleeveGap = 0.25;  // the sleeve above the cover sheet
    constexpr int kSpineSegments = 16, kCornerSegments = 3;
    // The sleeve's outer face on the spine side ends at −kHalfW.
    const double spineX = -kHalfW + kSleeveGap + kSpineDepth, openX = kHalfW - kCorner;

    // Floor plan, counter-clockwise seen from above, starting at the front.
    const std::vector<Vec3> front = {{spineX, -kHalfD, 0}, {openX, -kHalfD, 0}};
    const std::vector<Vec3> frontCorner = Arc(openX, -kHalfD + kCorner, kCorner, kCorner, -90, 0, kCornerSegments);
    const std::vector<Vec3> opening = {{kHalfW, -kHalfD + kCorner, 0}, {kHalfW, kHalfD - kCorner, 0}};
    const std::vector<Vec3> backCorner = Arc(openX, kHalfD - kCorner, kCorner, kCorner, 0, 90, kCornerSegments);
    const std::vector<Vec3> back = {{openX, kHalfD, 0}, {spineX, kHalfD, 0}};
    const std::vector<Vec3> spine = Arc(spineX, 0, kSpineDepth, kHalfD, 90, 270, kSpineSegments);
    const std::vector<Vec3> spineNormals = ArcNormals(kSpineDepth, kHalfD, 90, 270, kSpineSegments);

    Wall(builder, kFront, front, -kHalfH, kHalfH, true, kFlat);
    Wall(builder, "Case", frontCorner, -kHalfH, kHalfH, false, kRoundCorners);
    Wall(builder, kRight, opening, -kHalfH, kHalfH, true, kFlat);
    Wall(builder, "Case", backCorner, -kHalfH, kHalfH, false, kRoundCorners);
    Wall(builder, kBack, back, -kHalfH, kHalfH, true, kFlat);
    Wall(builder, kLeft, spine, -kHalfH, kHalfH, true, kRoundSpine);
    const std::vector<Vec3> plan = JoinLoop({front, frontCorner, opening, backCorner, back, spine});
    Cap(builder, kTop, plan, kHalfH, true);
    Cap(builder, kBottom, plan, -kHalfH, false);

    // The clear sleeve over back, spine and front.
    Wall(builder, "Sleeve", Offset(back, {{0, 1, 0}, {0, 1, 0}}, kSleeveGap), -kHalfH, kHalfH, false, kFlat);
    Wall(builder, "Sleeve", Offset(spine, spineNormals, kSleeveGap), -kHalfH, kHalfH, false, kRoundSleeve);
    Wall(builder, "Sleeve", Offset(front, {{0, -1, 0}, {0, -1, 0}}, kSleeveGap), -kHalfH, kHalfH, false, kFlat);

    auto materials = CoverMaterials(
        {"dvd_front.jpg", "dvd_back.jpg", "dvd_spine.jpg", "dvd_edge.png", "dvd_edge.png", "dvd_edge.png"});
    materials.push_back(PlainMaterial("Case", {28, 28, 32}));
    materials.push_back(ClearMaterial("Sleeve", {236, 240, 248}, 30));
    return {"DVD Box", Finish(builder, std::move(materials))};
}

// CD jewel case: 104 wide, 92 tall, 8 deep. A dark tray carries the back
// inlay (back and both spines) and the booklet on its front; a clear lid
// closes over the front and wraps the edges.
CatalogueModel JewelCase() {
    MeshBuilder builder("CD_DVD");
    constexpr double kHalfW = 52, kHalfD = 4, kHalfH = 46;
    constexpr double kLidPlate = 1.0;  // front plate of the lid
    constexpr double kLidRim = 2.2;    // how far the lid wraps the edges
    constexpr double kLidGap = 0.3;    // the lid is this much larger than the tray
    constexpr double kBooklet = 88.0;  // square booklet
    constexpr double kBookletMargin = 1.2;
    const double tx = kHalfW - kLidGap, tz = kHalfH - kLidGap;
    const double tFront = -kHalfD + kLidPlate, tBack = kHalfD;
    const double depth = tBack - tFront;

    // Tray with the back inlay.
    builder.Rect(kBack, {tx, tBack, -tz}, {-2 * tx, 0, 0}, {0, 0, 2 * tz});
    builder.Rect(kLeft, {-tx, tBack, -tz}, {0, -depth, 0}, {0, 0, 2 * tz});
    builder.Rect(kRight, {tx, tFront, -tz}, {0, depth, 0}, {0, 0, 2 * tz});
    builder.Rect(kTop, {-tx, tFront, tz}, {2 * tx, 0, 0}, {0, depth, 0});
    builder.Rect(kBottom, {-tx, tBack, -tz}, {2 * tx, 0, 0}, {0, -depth, 0});
    // Front of the tray: the booklet near the opening edge, plastic around
    // it and the hinge strip on the left.
    const double bRight = tx - kBookletMargin, bLeft = bRight - kBooklet;
    const double bHalf = kBooklet / 2;
    builder.Rect(kFront, {bLeft, tFront, -bHalf}, {kBooklet, 0, 0}, {0, 0, kBooklet});
    builder.Rect("Tray", {-tx, tFront, -tz}, {bLeft + tx, 0, 0}, {0, 0, 2 * tz});
    builder.Rect("Tray", {bRight, tFront, -tz}, {tx - bRight, 0, 0}, {0, 0, 2 * tz});
    builder.Rect("Tray", {bLeft, tFront, -tz}, {kBooklet, 0, 0}, {0, 0, tz - bHalf});
    builder.Rect("Tray", {bLeft, tFront, bHalf}, {kBooklet, 0, 0}, {0, 0, tz - bHalf});

    // The clear lid: front plate and the rim over the four edges.
    const double rimBack = -kHalfD + kLidRim;
    builder.Rect("Lid", {-kHalfW, -kHalfD, -kHalfH}, {2 * kHalfW, 0, 0}, {0, 0, 2 * kHalfH});
    builder.Rect("Lid", {-kHalfW, rimBack, -kHalfH}, {0, -kLidRim, 0}, {0, 0, 2 * kHalfH});
    builder.Rect("Lid", {kHalfW, -kHalfD, -kHalfH}, {0, kLidRim, 0}, {0, 0, 2 * kHalfH});
    builder.Rect("Lid", {-kHalfW, -kHalfD, kHalfH}, {2 * kHalfW, 0, 0}, {0, kLidRim, 0});
    builder.Rect("Lid", {-kHalfW, rimBack, -kHalfH}, {2 * kHalfW, 0, 0}, {0, -kLidRim, 0});

    auto materials = CoverMaterials(
        {"cd_front.jpg", "cd_back.jpg", "cd_spine_left.jpg", "cd_spine_right.jpg", "cd_edge.png", "cd_edge.png"});
    materials.push_back(PlainMaterial("Tray", {22, 22, 26}));
    materials.push_back(ClearMaterial("Lid", {226, 232, 242}, 40));
    return {"CD_DVD", Finish(builder, std::move(materials))};
}

// Hardcover book: 100 wide, 146 tall, 24 thick. Two boards with a rounded
// spine between them wrap a page block that sits back from the board edges.
CatalogueModel Hardcover() {
    MeshBuilder builder("Book");
    constexpr double kHalfW = 50, kHalfD = 12, kHalfH = 73;
    constexpr double kBoard = 1.6;   // board thickness
    constexpr double kSquare = 2.4;  // how far the boards stand out past the pages
    constexpr double kSpineDepth = 4.0;
    constexpr int kSpineSegments = 16;
    const double spineX = -kHalfW + kSpineDepth;
    const double width = kHalfW - spineX;
    const double inner = kHalfD - kBoard;

    // Boards: outer faces carry the covers, the edges show the board cloth,
    // the inner faces the endpapers (seen only past the page block).
    builder.Rect(kFront, {spineX, -kHalfD, -kHalfH}, {width, 0, 0}, {0, 0, 2 * kHalfH});
    builder.Rect(kBack, {kHalfW, kHalfD, -kHalfH}, {-width, 0, 0}, {0, 0, 2 * kHalfH});
    for (double side : {-1.0, 1.0}) {
        const double outerY = side * kHalfD, innerY = side * inner;
        const double lowY = std::min(outerY, innerY);
        builder.Rect("Board", {kHalfW, lowY, -kHalfH}, {0, kBoard, 0}, {0, 0, 2 * kHalfH});
        builder.Rect("Board", {spineX, lowY, kHalfH}, {width, 0, 0}, {0, kBoard, 0});
        builder.Rect("Board", {spineX, lowY + kBoard, -kHalfH}, {width, 0, 0}, {0, -kBoard, 0});
        if (side < 0)
            builder.Rect("Endpaper", {kHalfW, innerY, -kHalfH}, {-width, 0, 0}, {0, 0, 2 * kHalfH});
        else
            builder.Rect("Endpaper", {spineX, innerY, -kHalfH}, {width, 0, 0}, {0, 0, 2 * kHalfH});
    }

    // Spine: the outer curve carries the spine image; rings of board close
    // it at top and bottom, and its inside shows above and below the pages.
    const std::vector<Vec3> outer = Arc(spineX, 0, kSpineDepth, kHalfD, 90, 270, kSpineSegments);
    const std::vector<Vec3> innerArc = Arc(spineX, 0, kSpineDepth - kBoard, inner, 90, 270, kSpineSegments);
    Wall(builder, kLeft, outer, -kHalfH, kHalfH, true, kRoundSpine);
    for (int i = 0; i < kSpineSegments; ++i) {
        const Vec3 up{0, 0, kHalfH}, down{0, 0, -kHalfH};
        builder.Quad("Board", {outer[i] + up, outer[i + 1] + up, innerArc[i + 1] + up, innerArc[i] + up}, {});
        builder.Quad("Board", {outer[i + 1] + down, outer[i] + down, innerArc[i] + down, innerArc[i + 1] + down}, {});
    }
    const std::vector<Vec3> inside = Reversed(innerArc);
    Wall(builder, "Endpaper", inside, kHalfH - kSquare, kHalfH, false, kRoundSpine);
    Wall(builder, "Endpaper", inside, -kHalfH, -kHalfH + kSquare, false, kRoundSpine);

    // Page block: fills the spine's inside and ends short of the boards.
    const double foreEdge = kHalfW - kSquare, pagesHalfH = kHalfH - kSquare;
    const std::vector<Vec3> plan =
        JoinLoop({{{spineX, -inner, 0}, {foreEdge, -inner, 0}, {foreEdge, inner, 0}}, innerArc});
    Cap(builder, kTop, plan, pagesHalfH, true);
    Cap(builder, kBottom, plan, -pagesHalfH, false);
    builder.Rect(kRight, {foreEdge, -inner, -pagesHalfH}, {0, 2 * inner, 0}, {0, 0, 2 * pagesHalfH});

    auto materials = CoverMaterials({"book_front.jpg", "book_back.jpg", "book_spine.jpg", "book_pages_edge.png",
                                     "book_pages_top.png", "book_pages_top.png"});
    materials.push_back(PlainMaterial("Board", {26, 44, 70}));
    materials.push_back(PlainMaterial("Endpaper", {228, 216, 188}));
    return {"Book", Finish(builder, std::move(materials))};
}

}  // namespace

std::vector<CatalogueModel> BuildCatalogue() {
    return {SoftwareBox(), DvdCase(), JewelCase(), Hardcover(), SlimBox(), MirrorBox()};
}

}  // namespace model3ds
