// The dialog layout solver on plain rectangles.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <random>

#include "ui/layout/LayoutRules.h"

void PrintTo(const LayoutRect& r, std::ostream* os) {
    *os << "{id " << r.id << ": " << r.left << "," << r.top << " - " << r.right << "," << r.bottom << "}";
}

namespace {

constexpr int P = LAYOUT_ID_PARENT;
// 6 × 13 pixel characters: 7 units are 11 pixels across (10.5 rounded) and
// 3 units are 5 pixels down (4.875 rounded).
const DialogUnits kUnits{6, 13};

LayoutRect Rect(int id, int left, int top, int width, int height) {
    return LayoutRect{id, left, top, left + width, top + height};
}

std::map<int, LayoutRect> ById(const std::vector<LayoutRect>& moved) {
    std::map<int, LayoutRect> m;
    for (const LayoutRect& r : moved) m[r.id] = r;
    return m;
}

// Fills the parent with margins of 7 units left and right, 3 on top, 7 below.
std::vector<LayoutRule> FillRules(int id) {
    return {LayoutMoveRule(id, LayoutLeft, P, LayoutLeft, 7), LayoutResizeRule(id, LayoutRight, P, LayoutRight, -7),
            LayoutMoveRule(id, LayoutTop, P, LayoutTop, 3), LayoutResizeRule(id, LayoutBottom, P, LayoutBottom, -7)};
}

TEST(DialogUnits, ConvertLikeTheDialogMapping) {
    EXPECT_EQ(kUnits.ToPixelsX(4), 6);
    EXPECT_EQ(kUnits.ToPixelsX(7), 11);
    EXPECT_EQ(kUnits.ToPixelsX(-7), -11);  // halves round away from zero
    EXPECT_EQ(kUnits.ToPixelsY(8), 13);
    EXPECT_EQ(kUnits.ToPixelsY(3), 5);
    EXPECT_EQ(kUnits.ToPixelsY(-10), -16);
    EXPECT_EQ(kUnits.ToPixelsX(0), 0);
}

TEST(SolveLayout, MoveLeftThenResizeRightFollowsTheParent) {
    std::vector<LayoutRect> children = {Rect(10, 40, 50, 100, 30), Rect(11, 0, 0, 5, 5)};
    std::vector<LayoutRect> moved;
    ASSERT_TRUE(SolveLayout(children, 400, 300, FillRules(10), kUnits, moved));
    ASSERT_EQ(moved.size(), 1u);  // the control no rule touches stays where it is
    EXPECT_EQ(moved[0], (LayoutRect{10, 11, 5, 400 - 11, 300 - 11}));

    ASSERT_TRUE(SolveLayout(children, 640, 480, FillRules(10), kUnits, moved));
    EXPECT_EQ(moved[0], (LayoutRect{10, 11, 5, 640 - 11, 480 - 11}));
}

TEST(SolveLayout, MoveKeepsTheSizeAndResizeMovesOneEdge) {
    const std::vector<LayoutRect> children = {Rect(1, 10, 10, 80, 20), Rect(2, 10, 40, 80, 20)};
    std::vector<LayoutRect> moved;
    ASSERT_TRUE(SolveLayout(
        children, 400, 300,
        {LayoutMoveRule(1, LayoutRight, P, LayoutRight, -4), LayoutResizeRule(2, LayoutBottom, P, LayoutBottom, -8)},
        kUnits, moved));
    const auto m = ById(moved);
    EXPECT_EQ(m.at(1), (LayoutRect{1, 400 - 6 - 80, 10, 400 - 6, 30}));
    EXPECT_EQ(m.at(2), (LayoutRect{2, 10, 40, 90, 300 - 13}));
}

TEST(SolveLayout, UnresolvableReferenceMovesNothing) {
    const std::vector<LayoutRect> children = {Rect(10, 0, 0, 50, 20), Rect(11, 0, 30, 50, 20)};
    auto rules = FillRules(10);
    rules.push_back(LayoutMoveRule(11, LayoutTop, 999, LayoutBottom, 3));  // no window, no rule
    std::vector<LayoutRect> moved = {Rect(1, 1, 1, 1, 1)};
    EXPECT_FALSE(SolveLayout(children, 400, 300, rules, kUnits, moved));
    EXPECT_TRUE(moved.empty());

    // A rule aimed at a control that does not exist cannot be applied either.
    EXPECT_FALSE(SolveLayout(children, 400, 300, {LayoutMoveRule(12, LayoutTop, P, LayoutTop)}, kUnits, moved));
    EXPECT_TRUE(moved.empty());
    // Nor can a rule whose reference is only placed by itself.
    EXPECT_FALSE(SolveLayout(children, 400, 300, {LayoutMoveRule(10, LayoutTop, 10, LayoutTop, 3)}, kUnits, moved));
}

TEST(SolveLayout, SizeBelowZeroIsAppliedAsZero) {
    const std::vector<LayoutRect> children = {Rect(10, 5, 5, 50, 20)};
    std::vector<LayoutRect> moved;
    ASSERT_TRUE(SolveLayout(children, 15, 12, FillRules(10), kUnits, moved));
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0], (LayoutRect{10, 11, 5, 11, 5}));  // width 15 - 22 and height 12 - 16 are negative
}

TEST(SolveLayout, LaterRulesFeedEarlierOnes) {
    // The first rule refers to a control the second rule places.
    const std::vector<LayoutRect> children = {Rect(1, 0, 0, 60, 20), Rect(2, 0, 0, 60, 20)};
    std::vector<LayoutRect> moved;
    ASSERT_TRUE(
        SolveLayout(children, 300, 200,
                    {LayoutMoveRule(2, LayoutTop, 1, LayoutBottom, 3), LayoutMoveRule(1, LayoutTop, P, LayoutTop, 8)},
                    kUnits, moved));
    const auto m = ById(moved);
    EXPECT_EQ(m.at(1).top, 13);
    EXPECT_EQ(m.at(2).top, 13 + 20 + 5);
}

TEST(SolveLayout, PercentAppliesToSizesOnly) {
    const std::vector<LayoutRect> children = {Rect(1, 0, 0, 10, 10), Rect(2, 0, 0, 10, 10)};
    std::vector<LayoutRect> moved;
    ASSERT_TRUE(SolveLayout(children, 301, 200,
                            {LayoutMoveRule(1, LayoutLeft, P, LayoutWidth, 0, 50),
                             LayoutResizeRule(1, LayoutHeight, P, LayoutHeight, -8, 33),
                             LayoutMoveRule(2, LayoutLeft, P, LayoutRight, 0, 50)},
                            kUnits, moved));
    const auto m = ById(moved);
    EXPECT_EQ(m.at(1).left, 150);                 // 301 × 50 / 100, truncated
    EXPECT_EQ(m.at(1).bottom - m.at(1).top, 53);  // 200 × 33 / 100 - 13
    EXPECT_EQ(m.at(2).left, 301);                 // right edge: percent not applied
}

TEST(SolveLayout, CentresARangeAsOneBlock) {
    // Two buttons side by side (the second placed from the first), centred
    // together in a group box; the first text centred vertically on an edit.
    const std::vector<LayoutRect> children = {Rect(100, 20, 20, 301, 100), Rect(101, 0, 0, 60, 20),
                                              Rect(102, 0, 0, 40, 20), Rect(200, 0, 0, 50, 13),
                                              Rect(201, 30, 150, 80, 24)};
    std::vector<LayoutRect> moved;
    ASSERT_TRUE(SolveLayout(children, 400, 300,
                            {LayoutCenterHorzRule(101, 102, 100), LayoutMoveRule(102, LayoutLeft, 101, LayoutRight, 4),
                             LayoutMoveRule(101, LayoutTop, 100, LayoutTop, 10),
                             LayoutMoveRule(102, LayoutTop, 101, LayoutTop), LayoutCenterVertRule(200, 200, 201, 0)},
                            kUnits, moved));
    const auto m = ById(moved);
    // Block width 60 + 6 + 40 = 106 in a 301-pixel group: (301 - 106) / 2 = 97.
    EXPECT_EQ(m.at(101), (LayoutRect{101, 20 + 97, 36, 20 + 97 + 60, 56}));
    EXPECT_EQ(m.at(102), (LayoutRect{102, 20 + 97 + 66, 36, 20 + 97 + 106, 56}));
    // 13 high on 24: (24 - 13) / 2 = 5.
    EXPECT_EQ(m.at(200), (LayoutRect{200, 0, 155, 50, 168}));
    EXPECT_EQ(m.count(201), 0u);
}

TEST(SolveLayout, CentringAddsItsOffsetAndUsesTheSettledSize) {
    const std::vector<LayoutRect> children = {Rect(1, 0, 0, 200, 100), Rect(2, 0, 0, 20, 20)};
    std::vector<LayoutRect> moved;
    ASSERT_TRUE(SolveLayout(children, 400, 300,
                            {LayoutCenterHorzRule(2, 2, 1, 4), LayoutResizeRule(2, LayoutWidth, P, LayoutLeft, 100)},
                            kUnits, moved));
    const auto m = ById(moved);
    // The new width is 150 (100 units); centred in 200 with 6 pixels of offset.
    EXPECT_EQ(m.at(2), (LayoutRect{2, 25 + 6, 0, 25 + 6 + 150, 20}));
}

TEST(SolveLayout, DuplicateIdsUseTheFirstChild) {
    const std::vector<LayoutRect> children = {Rect(5, 0, 0, 30, 10), Rect(5, 0, 50, 90, 10)};
    std::vector<LayoutRect> moved;
    ASSERT_TRUE(SolveLayout(children, 300, 200, {LayoutMoveRule(5, LayoutLeft, P, LayoutLeft, 8)}, kUnits, moved));
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0], (LayoutRect{5, 12, 0, 42, 10}));
}

TEST(SolveLayout, BadListsAreRefused) {
    const std::vector<LayoutRect> children = {Rect(1, 0, 0, 30, 10)};
    std::vector<LayoutRect> moved;
    LayoutRule badEdge = LayoutMoveRule(1, LayoutLeft, P, LayoutLeft);
    badEdge.edge = 9;
    EXPECT_FALSE(SolveLayout(children, 300, 200, {badEdge}, kUnits, moved));
    LayoutRule badValue = LayoutMoveRule(1, LayoutLeft, P, Span);
    EXPECT_FALSE(SolveLayout(children, 300, 200, {badValue}, kUnits, moved));
    LayoutRule badKind = LayoutMoveRule(1, LayoutLeft, P, LayoutLeft);
    badKind.kind = 17;
    EXPECT_FALSE(SolveLayout(children, 300, 200, {badKind}, kUnits, moved));
    EXPECT_FALSE(SolveLayout(children, 300, 200, {LayoutMoveRule(P, LayoutLeft, P, LayoutLeft)}, kUnits, moved));

    // The end marker stops the list: what follows is not read.
    LayoutRule end;
    end.kind = LayoutEnd;
    ASSERT_TRUE(SolveLayout(children, 300, 200, {LayoutMoveRule(1, LayoutLeft, P, LayoutLeft, 4), end, badEdge}, kUnits,
                            moved));
    EXPECT_EQ(moved.size(), 1u);

    // Contradicting rules leave a value open: reported, though applied.
    EXPECT_FALSE(
        SolveLayout(children, 300, 200,
                    {LayoutMoveRule(1, LayoutRight, P, LayoutRight), LayoutResizeRule(1, LayoutRight, P, LayoutRight)},
                    kUnits, moved));

    // No children: nothing to do.
    EXPECT_TRUE(SolveLayout({}, 300, 200, {LayoutMoveRule(1, LayoutLeft, P, LayoutLeft)}, kUnits, moved));
    EXPECT_TRUE(moved.empty());
}

// The image-export page: three group boxes of labels, edits, spins and
// option buttons, laid out by a rule list of the size real pages use.
struct ExportPage {
    std::vector<LayoutRect> children;
    std::vector<LayoutRule> rules;
};

ExportPage MakeExportPage() {
    ExportPage page;
    auto add = [&page](int id, int w, int h) { page.children.push_back(Rect(id, 3, 3, w, h)); };
    for (int id : {1099, 1103, 1128}) add(id, 300, 80);
    for (int id : {1100, 1101, 1104, 1105, 1126}) add(id, 60, 13);
    add(1093, 120, 21);
    add(1102, 150, 20);
    add(1097, 75, 23);
    for (int id : {1106, 1107, 1127}) add(id, 50, 20);
    for (int id : {1095, 1096, 1109}) add(id, 16, 20);
    add(1098, 110, 16);
    for (int id : {1123, 1124, 1125, 1118, 1119, 1120, 1121, 1122, 1111, 1112, 1113, 1114, 1115, 1116, 1117})
        add(id, 90, 16);
    add(1092, 120, 25);

    auto& r = page.rules;
    auto move = [&r](int t, int e, int ref, int v, int off = 0) { r.push_back(LayoutMoveRule(t, e, ref, v, off)); };
    auto size = [&r](int t, int e, int ref, int v, int off = 0) { r.push_back(LayoutResizeRule(t, e, ref, v, off)); };
    auto vcentre = [&r](int t, int ref) { r.push_back(LayoutCenterVertRule(t, t, ref)); };
    // Image file group.
    move(1099, LayoutTop, P, LayoutTop, 3);
    move(1099, LayoutLeft, P, LayoutLeft, 7);
    size(1099, LayoutRight, P, LayoutRight, -7);
    move(1093, LayoutTop, 1099, LayoutTop, 10);
    vcentre(1100, 1093);
    move(1100, LayoutLeft, 1099, LayoutLeft, 7);
    size(1100, LayoutRight, 1100, LayoutLeft, 50);
    move(1093, LayoutLeft, 1100, LayoutRight, 7);
    size(1093, LayoutRight, 1099, LayoutRight, -7);
    move(1097, LayoutTop, 1093, LayoutBottom, 3);
    move(1097, LayoutRight, 1099, LayoutRight, -7);
    vcentre(1101, 1097);
    move(1101, LayoutLeft, 1099, LayoutLeft, 7);
    size(1101, LayoutRight, 1100, LayoutLeft, 50);
    move(1102, LayoutTop, 1097, LayoutTop);
    move(1102, LayoutLeft, 1101, LayoutRight, 7);
    size(1102, LayoutRight, 1097, LayoutLeft, -7);
    size(1099, LayoutBottom, 1097, LayoutBottom, 7);
    // Image size group.
    move(1103, LayoutTop, 1099, LayoutBottom, 3);
    move(1103, LayoutLeft, P, LayoutLeft, 7);
    size(1103, LayoutRight, P, LayoutRight, -7);
    move(1104, LayoutLeft, 1103, LayoutLeft, 7);
    size(1104, LayoutRight, 1104, LayoutLeft, 50);
    move(1106, LayoutLeft, 1104, LayoutRight, 7);
    move(1106, LayoutTop, 1103, LayoutTop, 10);
    vcentre(1104, 1106);
    move(1095, LayoutTop, 1106, LayoutTop);
    move(1095, LayoutLeft, 1106, LayoutRight);
    move(1098, LayoutLeft, 1095, LayoutRight, 7);
    vcentre(1098, 1095);
    move(1105, LayoutLeft, 1103, LayoutLeft, 7);
    size(1105, LayoutRight, 1105, LayoutLeft, 50);
    move(1107, LayoutTop, 1106, LayoutBottom, 3);
    vcentre(1105, 1107);
    move(1107, LayoutLeft, 1106, LayoutLeft);
    size(1107, LayoutRight, 1106, LayoutRight);
    move(1096, LayoutTop, 1107, LayoutTop);
    move(1096, LayoutLeft, 1107, LayoutRight);
    size(1103, LayoutBottom, 1107, LayoutBottom, 7);
    // Image options group: the four formats' buttons share one place.
    move(1128, LayoutTop, 1103, LayoutBottom, 3);
    move(1128, LayoutLeft, P, LayoutLeft, 7);
    size(1128, LayoutRight, P, LayoutRight, -7);
    move(1126, LayoutLeft, 1128, LayoutLeft, 7);
    size(1126, LayoutRight, 1126, LayoutLeft, 50);
    move(1127, LayoutTop, 1128, LayoutTop, 10);
    move(1127, LayoutLeft, 1126, LayoutRight, 7);
    vcentre(1126, 1127);
    move(1109, LayoutTop, 1127, LayoutTop);
    move(1109, LayoutLeft, 1127, LayoutRight);
    move(1123, LayoutTop, 1127, LayoutBottom, 7);
    move(1123, LayoutLeft, 1127, LayoutLeft);
    move(1124, LayoutTop, 1123, LayoutBottom, 3);
    move(1124, LayoutLeft, 1127, LayoutLeft);
    move(1125, LayoutTop, 1124, LayoutBottom, 3);
    move(1125, LayoutLeft, 1127, LayoutLeft);
    for (const std::vector<int>& set :
         std::vector<std::vector<int>>{{1118, 1119}, {1120, 1121, 1122}, {1111, 1112, 1115, 1116, 1117}}) {
        vcentre(set[0], 1127);
        for (std::size_t i = 0; i < set.size(); ++i) {
            move(set[i], LayoutLeft, 1127, LayoutLeft);
            if (i > 0) move(set[i], LayoutTop, set[i - 1], LayoutBottom, 3);
        }
    }
    size(1128, LayoutBottom, 1117, LayoutBottom, 7);
    move(1092, LayoutTop, 1128, LayoutBottom, 10);
    move(1092, LayoutLeft, 1128, LayoutLeft, 7);
    size(1092, LayoutRight, 1128, LayoutRight, -7);
    return page;
}

TEST(SolveLayout, ExportPageIsIndependentOfRuleOrder) {
    const ExportPage page = MakeExportPage();
    std::vector<LayoutRect> expected;
    ASSERT_TRUE(SolveLayout(page.children, 480, 420, page.rules, kUnits, expected));
    const auto m = ById(expected);
    EXPECT_EQ(expected.size(), page.children.size() - 2);  // the hidden RLE and Fax buttons stay put

    // Spot checks of the result.
    EXPECT_EQ(m.at(1099).left, 11);
    EXPECT_EQ(m.at(1099).right, 480 - 11);
    EXPECT_EQ(m.at(1093).top, m.at(1099).top + 16);
    EXPECT_EQ(m.at(1100).right - m.at(1100).left, 75);  // 50 units
    EXPECT_EQ(m.at(1093).left, m.at(1100).right + 11);
    EXPECT_EQ(m.at(1100).top, m.at(1093).top + (21 - 13) / 2);
    EXPECT_EQ(m.at(1099).bottom, m.at(1097).bottom + 11);
    EXPECT_EQ(m.at(1102).right, m.at(1097).left - 11);
    EXPECT_EQ(m.at(1098).top, m.at(1095).top + 2);
    EXPECT_EQ(m.at(1118).top, m.at(1120).top);
    EXPECT_EQ(m.at(1118).top, m.at(1127).top + 2);
    EXPECT_EQ(m.at(1117).top, m.at(1111).top + 4 * (16 + 5));
    EXPECT_EQ(m.at(1128).bottom, m.at(1117).bottom + 11);
    EXPECT_EQ(m.at(1092).top, m.at(1128).bottom + 16);

    std::mt19937 random(20240517);
    std::vector<LayoutRule> shuffled = page.rules;
    for (int round = 0; round < 25; ++round) {
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        std::vector<LayoutRect> moved;
        ASSERT_TRUE(SolveLayout(page.children, 480, 420, shuffled, kUnits, moved)) << "round " << round;
        EXPECT_EQ(ById(moved), m) << "round " << round;
    }
    std::reverse(shuffled.begin(), shuffled.end());
    std::vector<LayoutRect> moved;
    ASSERT_TRUE(SolveLayout(page.children, 480, 420, shuffled, kUnits, moved));
    EXPECT_EQ(ById(moved), m);
}

}  // namespace
