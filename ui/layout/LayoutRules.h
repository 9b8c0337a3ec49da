#pragma once
// Dialog layout rules: each dialog describes the placement of its child
// controls as a list of rules, and one solver works out the new rectangles by
// constraint propagation. The solver here is pure (rectangles in, rectangles
// out); ui/LayoutAdapter.h applies it to Qt widgets found by control id.
#include <vector>

enum LayoutKind : int {
    LayoutResize = 0,      // set one edge, the opposite value gives way (size changes)
    LayoutMove = 1,        // set one edge, the size is kept
    LayoutCenterVert = 2,  // centre a range of controls vertically in a reference
    LayoutCenterHorz = 3,  // centre a range of controls horizontally in a reference
    LayoutEnd = 4,         // terminates a list
};

// Values of a control: edges and sizes; Span is the reference's whole extent
// along the centring axis.
enum LayoutValue : int {
    LayoutLeft = 0,
    LayoutTop = 1,
    LayoutRight = 2,
    LayoutBottom = 3,
    LayoutWidth = 4,
    LayoutHeight = 5,
    Span = 6,
};

constexpr int LAYOUT_ID_PARENT = 65536;  // the dialog's own client area
constexpr int LAYOUT_ID_END = 65537;     // marker record of a snapshot

struct LayoutRule {
    int kind = LayoutEnd;
    int edge = 0;            // LayoutValue of the target to set (kinds 0 and 1)
    int target = 0;          // control id; first id of a range for centring
    int last = 0;            // last id of the range for centring
    int referenceValue = 0;  // LayoutValue read from the reference
    int reference = LAYOUT_ID_PARENT;
    int percent = 100;     // applied when the reference value is a width or height
    int offset = 0;        // dialog units, added to the reference value
    int done = 0;          // working flag
    int offsetPixels = 0;  // working value
};

// Rule builders: "target's edge = reference's value × percent / 100 + offset".
LayoutRule LayoutMoveRule(int target, int edge, int reference, int referenceValue, int offset = 0, int percent = 100);
LayoutRule LayoutResizeRule(int target, int edge, int reference, int referenceValue, int offset = 0, int percent = 100);
LayoutRule LayoutCenterVertRule(int first, int last, int reference, int offset = 0);
LayoutRule LayoutCenterHorzRule(int first, int last, int reference, int offset = 0);

// A child control's rectangle in dialog client pixels.
struct LayoutRect {
    int id = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const LayoutRect&) const = default;
};

// Dialog units: a horizontal unit is a quarter of the dialog font's average
// character width, a vertical unit an eighth of its height.
struct DialogUnits {
    int averageCharWidth = 6;  // pixels
    int charHeight = 13;       // pixels
    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
};

// Solves rules for the children (in Z order, top first) of a client area of
// the given size. The list ends at the first LayoutEnd rule; with duplicate
// ids a rule acts on the first such child. On success returns true and fills
// moved with the new rectangle of every control a rule touched (sizes below 0
// become 0), in the order of children; children with the reserved ids
// LAYOUT_ID_PARENT and LAYOUT_ID_END are ignored. When a rule cannot be resolved (its reference or target never
// becomes known, or the rule itself is malformed) returns false and leaves
// moved empty. Contradicting rules that leave a value undetermined still
// fill moved but return false.
bool SolveLayout(const std::vector<LayoutRect>& children, int clientWidth, int clientHeight,
                 std::vector<LayoutRule> rules, const DialogUnits& units, std::vector<LayoutRect>& moved);
