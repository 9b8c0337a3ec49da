#pragma once
// The flat net of a folding box ("dieline"): its pieces (panels and flaps),
// cut lines, crease lines and bleed outline, in millimetres.
//
// Sizes are the box's inside sizes: W the width of the front panel, H its
// height, D the depth (front to back). Every crease-to-crease size of the
// net is the inside size plus one board thickness (half a thickness lost to
// each of its two folds), so a 60 x 190 x 40 mm box on 0.4 mm board has a
// 60.4 x 190.4 mm front panel.
//
// Net coordinates: x to the right, y downwards, origin at the top left of
// the page. The page is the bleed box: the net's bounding box grown by the
// bleed on every side, the same page in every output format. The net is
// seen from its printed (outside) face.
//
// Each piece keeps what a later fold into 3D needs: its rectangle, the side
// of that rectangle it folds on, its parent piece (the front panel is the
// root of every style but the tray and sleeve, which has two roots), and
// which way the top of its face's artwork points on the net. A face's
// artwork is upright when its top edge points up on the side faces, towards
// the back on the top face, and towards the front on the bottom face.
#include <string>
#include <string_view>
#include <vector>

#include "platform/Outcome.h"

namespace boxora::dieline {

enum class Style { ReverseTuckEnd, StraightTuckEnd, SnapLock, AutoLock, Mailer, TraySleeve };

// "rte", "ste", "snap-lock", "auto-lock", "mailer", "tray-sleeve".
bool StyleFromName(std::string_view name, Style& style);
const char* StyleName(Style style);

struct Params {
    Style style = Style::ReverseTuckEnd;
    double width = 0;   // W, mm
    double height = 0;  // H, mm
    double depth = 0;   // D, mm
    double thickness = 0.4;
    double bleed = 3;
    double glueFlap = 15;
};

// Limits of the values a net is made from (mm).
inline constexpr double kMaxBoxSide = 2000;
inline constexpr double kMaxThickness = 10;
inline constexpr double kMaxBleed = 50;
inline constexpr double kMaxGlueFlap = 100;

struct Point {
    double x = 0, y = 0;
};
struct Segment {
    Point a, b;
};
struct Rect {
    double x = 0, y = 0, w = 0, h = 0;
    double Right() const { return x + w; }
    double Bottom() const { return y + h; }
};

enum class Side { None, Top, Bottom, Left, Right };

struct Piece {
    std::string name;            // "front", "tuck-top", "dust-top-left", ...
    bool panel = false;          // one of the six faces (front back left right top bottom)
    std::vector<Point> outline;  // a convex polygon
    Rect rect;                   // the outline's bounding box; a panel's crease-to-crease rectangle
    int parent = -1;             // index of the piece it folds from, -1 for a root
    Side foldSide = Side::None;  // the side of rect on the fold with parent
    Side up = Side::Top;         // where the top of the face's artwork points on the net
    Segment fold;                // the crease with parent (a flap's fold may be diagonal)
};

struct Net {
    Params params;
    std::vector<Piece> pieces;
    std::vector<Segment> cuts;
    std::vector<Segment> creases;
    std::vector<Segment> bleed;  // the outline everything printed must reach
    Rect page;                   // the bleed box, origin 0,0
    Rect outline;                // the bounding box of the cut lines
    const Piece* Find(std::string_view name) const;
};

// Checks the values (a failure names the bad one) and lays out the net.
// Values that make a box but a doubtful one (a glue flap wider than the
// panel it is glued to, a small bleed) are notes in the outcome.
Outcome MakeNet(const Params& params, Net& net);

}  // namespace boxora::dieline
