#include "ui/layout/LayoutRules.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

namespace {

constexpr int kValueCount = 6;

int Saturate(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX)); }

// a × b / c rounded to the nearest integer, halves away from zero.
int MulDivRound(int a, int b, int c) {
    if (c == 0) return 0;
    std::int64_t num = static_cast<std::int64_t>(a) * b;
    std::int64_t den = c;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const std::int64_t q = num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den);
    return Saturate(q);
}

// The geometry of one window as the solver works on it: six values, which of
// them are known, and whether any rule moves the window.
struct LayoutControlState {
    int id = 0;
    std::array<int, kValueCount> value{};  // left, top, right, bottom, width, height
    std::array<bool, kValueCount> known{};
    bool untouched = true;

    void SetKnown(int v, std::int64_t x) {
        value[static_cast<std::size_t>(v)] = Saturate(x);
        known[static_cast<std::size_t>(v)] = true;
    }
    bool Known(int v) const { return known[static_cast<std::size_t>(v)]; }
    int Value(int v) const { return value[static_cast<std::size_t>(v)]; }
    void Forget(int v) { known[static_cast<std::size_t>(v)] = false; }

    // Fills unknown values from known ones, each at most once, in a fixed order.
    void Derive() {
        auto fill = [this](int target, int a, int b, int sign) {
            if (!Known(target) && Known(a) && Known(b))
                SetKnown(target, static_cast<std::int64_t>(Value(a)) + sign * static_cast<std::int64_t>(Value(b)));
        };
        fill(LayoutLeft, LayoutRight, LayoutWidth, -1);
        fill(LayoutTop, LayoutBottom, LayoutHeight, -1);
        fill(LayoutRight, LayoutLeft, LayoutWidth, +1);
        fill(LayoutBottom, LayoutTop, LayoutHeight, +1);
        fill(LayoutWidth, LayoutRight, LayoutLeft, -1);
        fill(LayoutHeight, LayoutBottom, LayoutTop, -1);
    }
    bool AllKnown() const {
        return std::all_of(known.begin(), known.end(), [](bool k) { return k; });
    }
};

// The dialog's client area first, then its children in Z order, then an end
// marker.
using Snapshot = std::vector<LayoutControlState>;

LayoutControlState MakeState(int id, int left, int top, int right, int bottom) {
    LayoutControlState s;
    s.id = id;
    s.SetKnown(LayoutLeft, left);
    s.SetKnown(LayoutTop, top);
    s.SetKnown(LayoutRight, right);
    s.SetKnown(LayoutBottom, bottom);
    s.Derive();
    return s;
}

// The first record with this id (the client area for LAYOUT_ID_PARENT), or
// nullptr; the marker is never found.
LayoutControlState* Find(Snapshot& snapshot, int id) {
    for (LayoutControlState& s : snapshot) {
        if (s.id == LAYOUT_ID_END) break;
        if (s.id == id) return &s;
    }
    return nullptr;
}

LayoutControlState* Lookup(Snapshot& snapshot, int id) {
    LayoutControlState* s = Find(snapshot, id);
    if (s) s->Derive();
    return s;
}

bool IsChild(const LayoutControlState& s) { return s.id != LAYOUT_ID_PARENT && s.id != LAYOUT_ID_END; }

bool InRange(int id, const LayoutRule& r) { return id >= r.target && id <= r.last; }

bool IsMoveOrResize(const LayoutRule& r) { return r.kind == LayoutResize || r.kind == LayoutMove; }

bool IsVerticalEdge(int edge) { return edge == LayoutTop || edge == LayoutBottom || edge == LayoutHeight; }

bool IsValid(const LayoutRule& r) {
    if (r.target == LAYOUT_ID_PARENT || r.target == LAYOUT_ID_END) return false;
    if (IsMoveOrResize(r))
        return r.edge >= 0 && r.edge < kValueCount && r.referenceValue >= 0 && r.referenceValue < kValueCount;
    if (r.kind == LayoutCenterVert || r.kind == LayoutCenterHorz) return r.referenceValue == Span;
    return false;
}

// Marks what the rules set (and what gives way) as unknown and the windows
// they move as touched.
void Prepare(Snapshot& snapshot, const std::vector<LayoutRule>& rules) {
    for (const LayoutRule& r : rules) {
        if (IsMoveOrResize(r)) {
            LayoutControlState* t = Find(snapshot, r.target);
            if (!t) continue;
            t->untouched = false;
            t->Forget(r.edge);
            static constexpr int kResizeGivesWay[] = {LayoutWidth,  LayoutHeight, LayoutWidth,
                                                      LayoutHeight, LayoutRight,  LayoutBottom};
            static constexpr int kMoveGivesWay[] = {LayoutRight, LayoutBottom, LayoutLeft,
                                                    LayoutTop,   LayoutLeft,   LayoutLeft};
            t->Forget(r.kind == LayoutResize ? kResizeGivesWay[r.edge] : kMoveGivesWay[r.edge]);
        } else {
            const bool vertical = r.kind == LayoutCenterVert;
            for (LayoutControlState& s : snapshot) {
                if (!IsChild(s) || !InRange(s.id, r)) continue;
                s.Forget(vertical ? LayoutTop : LayoutLeft);
                s.Forget(vertical ? LayoutBottom : LayoutRight);
                s.untouched = false;
            }
        }
    }
}

void ConvertOffsets(std::vector<LayoutRule>& rules, const DialogUnits& units) {
    for (LayoutRule& r : rules) {
        const bool vertical = IsMoveOrResize(r) ? IsVerticalEdge(r.edge) : r.kind == LayoutCenterVert;
        r.offsetPixels = vertical ? units.ToPixelsY(r.offset) : units.ToPixelsX(r.offset);
    }
}

bool ApplyMoveOrResize(Snapshot& snapshot, const LayoutRule& r) {
    const LayoutControlState* reference = Lookup(snapshot, r.reference);
    if (!reference || !reference->Known(r.referenceValue)) return false;
    LayoutControlState* target = Find(snapshot, r.target);
    if (!target) return false;
    std::int64_t value = reference->Value(r.referenceValue);
    if (r.referenceValue == LayoutWidth || r.referenceValue == LayoutHeight) value = value * r.percent / 100;
    target->SetKnown(r.edge, value + r.offsetPixels);
    target->Derive();
    return true;
}

bool SolveRules(Snapshot& snapshot, std::vector<LayoutRule>& rules);

// Centres the controls of a range as one block in the reference's span.
bool ApplyCenter(Snapshot& snapshot, const std::vector<LayoutRule>& allRules, const LayoutRule& r) {
    const bool vertical = r.kind == LayoutCenterVert;
    const int lo = vertical ? LayoutTop : LayoutLeft;
    const int hi = vertical ? LayoutBottom : LayoutRight;
    const int size = vertical ? LayoutHeight : LayoutWidth;

    const LayoutControlState* reference = Lookup(snapshot, r.reference);
    if (!reference || !reference->Known(lo) || !reference->Known(hi)) return false;
    const int referenceStart = reference->Value(lo);
    const std::int64_t referenceSize = reference->Known(size)
                                           ? reference->Value(size)
                                           : static_cast<std::int64_t>(reference->Value(hi)) - referenceStart;

    std::vector<std::size_t> members;
    for (std::size_t i = 0; i < snapshot.size(); ++i) {
        LayoutControlState& s = snapshot[i];
        if (!IsChild(s) || !InRange(s.id, r)) continue;
        s.Derive();
        if (!s.Known(size)) return false;
        members.push_back(i);
    }
    if (members.empty()) return false;

    // Place the members relative to each other on a copy where everything
    // counts as known, then shift the block as a whole.
    std::vector<LayoutRule> subRules;
    for (const LayoutRule& other : allRules)
        if (IsMoveOrResize(other) && InRange(other.target, r) && (other.edge == lo || other.edge == hi))
            subRules.push_back(other);
    Snapshot copy = snapshot;
    for (LayoutControlState& s : copy) s.known.fill(true);
    // A member's size is settled; its edges in the copy may still be stale.
    for (std::size_t i : members)
        copy[i].SetKnown(hi, static_cast<std::int64_t>(copy[i].Value(lo)) + copy[i].Value(size));
    Prepare(copy, subRules);
    if (!SolveRules(copy, subRules)) return false;

    std::int64_t unionStart = INT64_MAX;
    std::int64_t unionEnd = INT64_MIN;
    for (std::size_t i : members) {
        copy[i].Derive();
        unionStart = std::min<std::int64_t>(unionStart, copy[i].Value(lo));
        unionEnd = std::max<std::int64_t>(unionEnd, copy[i].Value(hi));
    }
    const std::int64_t shift =
        referenceStart + (referenceSize - (unionEnd - unionStart)) / 2 - unionStart + r.offsetPixels;
    for (std::size_t i : members) {
        snapshot[i].SetKnown(lo, copy[i].Value(lo) + shift);
        snapshot[i].SetKnown(hi, copy[i].Value(hi) + shift);
    }
    return true;
}

// Applies rules in repeated passes until a pass applies none. True when every
// rule was applied.
bool SolveRules(Snapshot& snapshot, std::vector<LayoutRule>& rules) {
    for (LayoutRule& r : rules) r.done = 0;
    bool applied = true;
    while (applied) {
        applied = false;
        for (LayoutRule& r : rules) {
            if (r.done) continue;
            const bool ok = IsMoveOrResize(r) ? ApplyMoveOrResize(snapshot, r) : ApplyCenter(snapshot, rules, r);
            if (ok) {
                r.done = 1;
                applied = true;
            }
        }
    }
    return std::all_of(rules.begin(), rules.end(), [](const LayoutRule& r) { return r.done != 0; });
}

LayoutRule MakeRule(int kind, int target, int edge, int last, int reference, int referenceValue, int offset,
                    int percent) {
    LayoutRule r;
    r.kind = kind;
    r.edge = edge;
    r.target = target;
    r.last = last;
    r.referenceValue = referenceValue;
    r.reference = reference;
    r.percent = percent;
    r.offset = offset;
    return r;
}

}  // namespace

LayoutRule LayoutMoveRule(int target, int edge, int reference, int referenceValue, int offset, int percent) {
    return MakeRule(LayoutMove, target, edge, 0, reference, referenceValue, offset, percent);
}

LayoutRule LayoutResizeRule(int target, int edge, int reference, int referenceValue, int offset, int percent) {
    return MakeRule(LayoutResize, target, edge, 0, reference, referenceValue, offset, percent);
}

LayoutRule LayoutCenterVertRule(int first, int last, int reference, int offset) {
    return MakeRule(LayoutCenterVert, first, LayoutTop, last, reference, Span, offset, 100);
}

LayoutRule LayoutCenterHorzRule(int first, int last, int reference, int offset) {
    return MakeRule(LayoutCenterHorz, first, LayoutLeft, last, reference, Span, offset, 100);
}

int DialogUnits::ToPixelsX(int units) const { return MulDivRound(units, averageCharWidth, 4); }
int DialogUnits::ToPixelsY(int units) const { return MulDivRound(units, charHeight, 8); }

bool SolveLayout(const std::vector<LayoutRect>& children, int clientWidth, int clientHeight,
                 std::vector<LayoutRule> rules, const DialogUnits& units, std::vector<LayoutRect>& moved) {
    moved.clear();
    const auto end = std::find_if(rules.begin(), rules.end(), [](const LayoutRule& r) { return r.kind == LayoutEnd; });
    rules.erase(end, rules.end());
    if (!std::all_of(rules.begin(), rules.end(), IsValid)) return false;
    if (children.empty()) return true;

    Snapshot snapshot;
    snapshot.reserve(children.size() + 2);
    snapshot.push_back(MakeState(LAYOUT_ID_PARENT, 0, 0, clientWidth, clientHeight));
    for (const LayoutRect& c : children) {
        if (c.id == LAYOUT_ID_PARENT || c.id == LAYOUT_ID_END) continue;  // could never be found
        snapshot.push_back(MakeState(c.id, c.left, c.top, c.right, c.bottom));
    }
    LayoutControlState marker;
    marker.id = LAYOUT_ID_END;
    snapshot.push_back(marker);

    Prepare(snapshot, rules);
    ConvertOffsets(rules, units);
    if (!SolveRules(snapshot, rules)) return false;

    bool allKnown = true;
    for (LayoutControlState& s : snapshot) {
        if (s.id == LAYOUT_ID_END) break;
        s.Derive();
        allKnown = allKnown && s.AllKnown();
        if (!IsChild(s) || s.untouched) continue;
        LayoutRect r;
        r.id = s.id;
        r.left = s.Value(LayoutLeft);
        r.top = s.Value(LayoutTop);
        r.right = Saturate(static_cast<std::int64_t>(r.left) + std::max(s.Value(LayoutWidth), 0));
        r.bottom = Saturate(static_cast<std::int64_t>(r.top) + std::max(s.Value(LayoutHeight), 0));
        moved.push_back(r);
    }
    return allKnown;
}
