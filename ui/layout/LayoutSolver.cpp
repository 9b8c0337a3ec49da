// Rule solver: snapshot of the child rectangles, repeated constraint
// propagation until no rule applies any more, one batch of new rectangles.
#include <algorithm>
#include <array>
#include <cstdlib>

#include "ui/layout/LayoutRules.h"

namespace {

struct ControlState {
    int id = 0;
    std::array<int, 6> v{};      // left, top, right, bottom, width, height
    std::array<bool, 6> known{};
    bool untouched = true;
};

using Snapshot = std::vector<ControlState>;

int MulDivRound(int value, int mul, int div) {
    if (div == 0) return 0;
    const long long p = static_cast<long long>(value) * mul;
    const long long half = div / 2;
    return static_cast<int>(p >= 0 ? (p + half) / div : (p - half) / div);
}

void Derive(ControlState& s) {
    auto fill = [&s](int target, int a, int b, int sign) {
        if (!s.known[target] && s.known[a] && s.known[b]) {
            s.v[target] = s.v[a] + sign * s.v[b];
            s.known[target] = true;
        }
    };
    fill(LayoutLeft, LayoutRight, LayoutWidth, -1);
    fill(LayoutTop, LayoutBottom, LayoutHeight, -1);
    fill(LayoutRight, LayoutLeft, LayoutWidth, +1);
    fill(LayoutBottom, LayoutTop, LayoutHeight, +1);
    fill(LayoutWidth, LayoutRight, LayoutLeft, -1);
    fill(LayoutHeight, LayoutBottom, LayoutTop, -1);
}

ControlState* Lookup(Snapshot& snap, int id) {
    for (auto& s : snap) {
        if (s.id == id) {
            Derive(s);
            return &s;
        }
    }
    return nullptr;
}

bool IsVerticalEdge(int edge) { return edge == LayoutTop || edge == LayoutBottom || edge == LayoutHeight; }

void Prepare(Snapshot& snap, const std::vector<LayoutRule>& rules) {
    for (const auto& r : rules) {
        if (r.kind == LayoutResize || r.kind == LayoutMove) {
            if (r.edge < 0 || r.edge > LayoutHeight) continue;
            for (auto& s : snap) {
                if (s.id != r.target) continue;
                s.untouched = false;
                s.known[r.edge] = false;
                int givesWay;
                if (r.kind == LayoutResize) {
                    givesWay = (r.edge == LayoutLeft || r.edge == LayoutRight) ? LayoutWidth
                               : (r.edge == LayoutTop || r.edge == LayoutBottom) ? LayoutHeight
                               : (r.edge == LayoutWidth) ? LayoutRight
                                                         : LayoutBottom;
                } else {
                    givesWay = r.edge == LayoutLeft     ? LayoutRight
                               : r.edge == LayoutTop    ? LayoutBottom
                               : r.edge == LayoutBottom ? LayoutTop
                                                        : LayoutLeft;
                }
                s.known[givesWay] = false;
                break;
            }
        } else if (r.kind == LayoutCenterHorz || r.kind == LayoutCenterVert) {
            const bool horz = r.kind == LayoutCenterHorz;
            for (auto& s : snap) {
                if (s.id < r.target || s.id > r.last || s.id == LAYOUT_ID_PARENT) continue;
                s.untouched = false;
                s.known[horz ? LayoutLeft : LayoutTop] = false;
                s.known[horz ? LayoutRight : LayoutBottom] = false;
            }
        }
    }
}

bool SolvePasses(Snapshot& snap, std::vector<LayoutRule>& rules);

bool ApplyMoveResize(Snapshot& snap, LayoutRule& r) {
    if (r.referenceValue < 0 || r.referenceValue > LayoutHeight) return false;
    ControlState* ref = Lookup(snap, r.reference);
    if (!ref || !ref->known[r.referenceValue]) return false;
    ControlState* target = Lookup(snap, r.target);
    if (!target) return false;
    int value = ref->v[r.referenceValue];
    if (r.referenceValue == LayoutWidth || r.referenceValue == LayoutHeight) value = value * r.percent / 100;
    target->v[r.edge] = value + r.offsetPixels;
    target->known[r.edge] = true;
    Derive(*target);
    return true;
}

bool ApplyCenter(Snapshot& snap, const std::vector<LayoutRule>& all, LayoutRule& r) {
    const bool horz = r.kind == LayoutCenterHorz;
    const int lo = horz ? LayoutLeft : LayoutTop;
    const int hi = horz ? LayoutRight : LayoutBottom;
    const int size = horz ? LayoutWidth : LayoutHeight;
    ControlState* ref = Lookup(snap, r.reference);
    if (!ref) return false;
    int refLo, refSize;
    if (r.referenceValue == Span) {
        if (!ref->known[lo] || !ref->known[hi]) return false;
        refLo = ref->v[lo];
        refSize = ref->v[hi] - ref->v[lo];
    } else {
        return false;
    }
    bool any = false;
    for (auto& s : snap) {
        if (s.id < r.target || s.id > r.last || s.id == LAYOUT_ID_PARENT) continue;
        Derive(s);
        if (!s.known[size]) return false;
        any = true;
    }
    if (!any) return true;
    std::vector<LayoutRule> sub;
    for (const auto& o : all) {
        if ((o.kind == LayoutMove || o.kind == LayoutResize) && o.target >= r.target && o.target <= r.last &&
            (o.edge == lo || o.edge == hi)) {
            LayoutRule c = o;
            c.done = 0;
            sub.push_back(c);
        }
    }
    Snapshot copy = snap;
    for (auto& s : copy) s.known.fill(true);
    Prepare(copy, sub);
    if (!SolvePasses(copy, sub)) return false;
    int unionLo = 0, unionHi = 0;
    bool first = true;
    for (auto& s : copy) {
        if (s.id < r.target || s.id > r.last || s.id == LAYOUT_ID_PARENT) continue;
        Derive(s);
        if (first) {
            unionLo = s.v[lo];
            unionHi = s.v[hi];
            first = false;
        } else {
            unionLo = std::min(unionLo, s.v[lo]);
            unionHi = std::max(unionHi, s.v[hi]);
        }
    }
    const int shift = refLo + (refSize - (unionHi - unionLo)) / 2 - unionLo + r.offsetPixels;
    for (std::size_t i = 0; i < copy.size(); ++i) {
        ControlState& c = copy[i];
        if (c.id < r.target || c.id > r.last || c.id == LAYOUT_ID_PARENT) continue;
        ControlState& s = snap[i];
        s.v[lo] = c.v[lo] + shift;
        s.v[hi] = c.v[hi] + shift;
        s.known[lo] = s.known[hi] = true;
        Derive(s);
    }
    return true;
}

bool SolvePasses(Snapshot& snap, std::vector<LayoutRule>& rules) {
    for (auto& r : rules) r.done = 0;
    for (;;) {
        bool applied = false;
        for (auto& r : rules) {
            if (r.done || r.kind == LayoutEnd) continue;
            bool ok = false;
            if (r.kind == LayoutMove || r.kind == LayoutResize) ok = ApplyMoveResize(snap, r);
            else if (r.kind == LayoutCenterHorz || r.kind == LayoutCenterVert) ok = ApplyCenter(snap, rules, r);
            if (ok) {
                r.done = 1;
                applied = true;
            }
        }
        if (!applied) break;
    }
    for (const auto& r : rules)
        if (!r.done && r.kind != LayoutEnd) return false;
    return true;
}

}  // namespace

LayoutRule LayoutMoveRule(int target, int edge, int reference, int referenceValue, int offset, int percent) {
    LayoutRule r;
    r.kind = LayoutMove;
    r.edge = edge;
    r.target = target;
    r.reference = reference;
    r.referenceValue = referenceValue;
    r.offset = offset;
    r.percent = percent;
    return r;
}

LayoutRule LayoutResizeRule(int target, int edge, int reference, int referenceValue, int offset, int percent) {
    LayoutRule r = LayoutMoveRule(target, edge, reference, referenceValue, offset, percent);
    r.kind = LayoutResize;
    return r;
}

LayoutRule LayoutCenterVertRule(int first, int last, int reference, int offset) {
    LayoutRule r;
    r.kind = LayoutCenterVert;
    r.target = first;
    r.last = last;
    r.reference = reference;
    r.referenceValue = Span;
    r.offset = offset;
    return r;
}

LayoutRule LayoutCenterHorzRule(int first, int last, int reference, int offset) {
    LayoutRule r = LayoutCenterVertRule(first, last, reference, offset);
    r.kind = LayoutCenterHorz;
    return r;
}

int DialogUnits::ToPixelsX(int units) const { return MulDivRound(units, averageCharWidth, 4); }
int DialogUnits::ToPixelsY(int units) const { return MulDivRound(units, charHeight, 8); }

bool SolveLayout(const std::vector<LayoutRect>& children, int clientWidth, int clientHeight,
                 std::vector<LayoutRule> rules, const DialogUnits& units, std::vector<LayoutRect>& moved) {
    moved.clear();
    if (children.empty()) return true;
    Snapshot snap;
    ControlState parent;
    parent.id = LAYOUT_ID_PARENT;
    parent.v = {0, 0, clientWidth, clientHeight, clientWidth, clientHeight};
    parent.known.fill(true);
    snap.push_back(parent);
    for (const auto& c : children) {
        ControlState s;
        s.id = c.id;
        s.v = {c.left, c.top, c.right, c.bottom, c.right - c.left, c.bottom - c.top};
        s.known.fill(true);
        snap.push_back(s);
    }
    // Rules end at the first LayoutEnd.
    auto end = std::find_if(rules.begin(), rules.end(), [](const LayoutRule& r) { return r.kind == LayoutEnd; });
    rules.erase(end, rules.end());
    Prepare(snap, rules);
    for (auto& r : rules) {
        const bool vertical = (r.kind == LayoutCenterVert) ||
                              ((r.kind == LayoutMove || r.kind == LayoutResize) && IsVerticalEdge(r.edge));
        r.offsetPixels = vertical ? units.ToPixelsY(r.offset) : units.ToPixelsX(r.offset);
    }
    if (!SolvePasses(snap, rules)) return false;
    bool complete = true;
    for (auto& s : snap) {
        Derive(s);
        for (bool k : s.known) complete = complete && k;
        if (s.id == LAYOUT_ID_PARENT || s.untouched) continue;
        LayoutRect r;
        r.id = s.id;
        r.left = s.v[LayoutLeft];
        r.top = s.v[LayoutTop];
        r.right = r.left + std::max(s.v[LayoutWidth], 0);
        r.bottom = r.top + std::max(s.v[LayoutHeight], 0);
        moved.push_back(r);
    }
    return complete;
}
