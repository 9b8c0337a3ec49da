// Layout rules applied to real widgets on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include "ui/LayoutAdapter.h"

namespace {

constexpr int P = LAYOUT_ID_PARENT;

// A small page: a group frame filling the page with margins, an edit that
// fills the frame's width beside a label of 50 units, and a button below.
struct Page {
    QWidget dialog;
    QWidget* group = new QWidget(&dialog);
    QLabel* label = new QLabel("Name:", &dialog);
    QLineEdit* edit = new QLineEdit(&dialog);
    QPushButton* button = new QPushButton("Browse...", &dialog);
    QWidget* loose = new QWidget(&dialog);  // no id: never laid out

    Page() {
        boxora::SetControlId(group, 10);
        boxora::SetControlId(label, 11);
        boxora::SetControlId(edit, 12);
        boxora::SetControlId(button, 13);
        group->setGeometry(0, 0, 10, 10);
        label->setGeometry(0, 0, 40, 13);
        edit->setGeometry(0, 0, 60, 21);
        button->setGeometry(0, 0, 75, 23);
        loose->setGeometry(3, 4, 5, 6);
    }

    static std::vector<LayoutRule> Rules() {
        return {LayoutMoveRule(10, LayoutTop, P, LayoutTop, 3),
                LayoutMoveRule(10, LayoutLeft, P, LayoutLeft, 7),
                LayoutResizeRule(10, LayoutRight, P, LayoutRight, -7),
                LayoutResizeRule(10, LayoutBottom, 13, LayoutBottom, 7),
                LayoutMoveRule(12, LayoutTop, 10, LayoutTop, 10),
                LayoutMoveRule(11, LayoutLeft, 10, LayoutLeft, 7),
                LayoutResizeRule(11, LayoutRight, 11, LayoutLeft, 50),
                LayoutCenterVertRule(11, 11, 12),
                LayoutMoveRule(12, LayoutLeft, 11, LayoutRight, 7),
                LayoutResizeRule(12, LayoutRight, 10, LayoutRight, -7),
                LayoutMoveRule(13, LayoutTop, 12, LayoutBottom, 3),
                LayoutMoveRule(13, LayoutRight, 10, LayoutRight, -7)};
    }
};

TEST(LayoutAdapter, FindsControlsByIdAmongDirectChildren) {
    QWidget dialog;
    auto* a = new QWidget(&dialog);
    auto* b = new QWidget(&dialog);
    auto* inner = new QWidget(a);
    boxora::SetControlId(a, 5);
    boxora::SetControlId(b, 5);
    boxora::SetControlId(inner, 6);
    EXPECT_EQ(boxora::ControlId(a), 5);
    EXPECT_EQ(boxora::ControlId(&dialog), 0);
    EXPECT_EQ(boxora::FindControl(&dialog, 5), b);  // the later sibling is on top
    a->raise();
    EXPECT_EQ(boxora::FindControl(&dialog, 5), a);
    EXPECT_EQ(boxora::FindControl(&dialog, 6), nullptr);  // not a direct child
}

TEST(LayoutAdapter, DialogUnitsFollowTheFont) {
    QFont font = QApplication::font();
    font.setPixelSize(13);
    const DialogUnits small = boxora::DialogUnitsOf(font);
    font.setPixelSize(26);
    const DialogUnits large = boxora::DialogUnitsOf(font);
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(large.averageCharWidth, (letters + 26) / 52);
    EXPECT_EQ(large.charHeight, metrics.height());
    EXPECT_GT(small.averageCharWidth, 2);
    EXPECT_GT(large.averageCharWidth, small.averageCharWidth);
    EXPECT_GT(large.charHeight, small.charHeight);
}

TEST(LayoutAdapter, MovesWidgetsAndFollowsResizes) {
    Page page;
    QFont font = page.dialog.font();
    font.setPixelSize(13);
    page.dialog.setFont(font);
    const DialogUnits du = boxora::DialogUnitsOf(&page.dialog);
    page.dialog.resize(400, 300);
    page.dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page.dialog));

    for (int width : {400, 640, 250}) {
        page.dialog.resize(width, 300);
        ASSERT_TRUE(ApplyLayoutRules(&page.dialog, Page::Rules(), true));
        const QRect g = page.group->geometry();
        const QRect l = page.label->geometry();
        const QRect e = page.edit->geometry();
        const QRect b = page.button->geometry();
        EXPECT_EQ(g.left(), du.ToPixelsX(7));
        EXPECT_EQ(g.x() + g.width(), width - du.ToPixelsX(7));
        EXPECT_EQ(g.y(), du.ToPixelsY(3));
        EXPECT_EQ(l.x(), g.x() + du.ToPixelsX(7));
        EXPECT_EQ(l.width(), du.ToPixelsX(50));
        EXPECT_EQ(l.y(), e.y() + (21 - 13) / 2);
        EXPECT_EQ(e.y(), g.y() + du.ToPixelsY(10));
        EXPECT_EQ(e.x(), l.x() + l.width() + du.ToPixelsX(7));
        EXPECT_EQ(e.x() + e.width(), g.x() + g.width() - du.ToPixelsX(7));
        EXPECT_EQ(b.size(), QSize(75, 23));
        EXPECT_EQ(b.y(), e.y() + e.height() + du.ToPixelsY(3));
        EXPECT_EQ(b.x() + b.width(), g.x() + g.width() - du.ToPixelsX(7));
        EXPECT_EQ(g.y() + g.height(), b.y() + b.height() + du.ToPixelsY(7));
    }
    EXPECT_EQ(page.loose->geometry(), QRect(3, 4, 5, 6));
}

TEST(LayoutAdapter, FailedLayoutMovesNothing) {
    Page page;
    page.dialog.resize(400, 300);
    auto rules = Page::Rules();
    rules.push_back(LayoutMoveRule(13, LayoutLeft, 77, LayoutRight));
    EXPECT_FALSE(ApplyLayoutRules(&page.dialog, rules, false));
    EXPECT_EQ(page.group->geometry(), QRect(0, 0, 10, 10));
    EXPECT_EQ(page.edit->geometry(), QRect(0, 0, 60, 21));
}

TEST(LayoutAdapter, NegativeSizesBecomeZero) {
    Page page;
    page.dialog.resize(30, 300);  // too narrow for the margins
    ASSERT_TRUE(ApplyLayoutRules(&page.dialog, Page::Rules(), false));
    EXPECT_EQ(page.edit->width(), 0);
    EXPECT_GE(page.group->width(), 0);
}

TEST(LayoutAdapter, MinimizedWindowIsLeftAlone) {
    Page page;
    page.dialog.resize(400, 300);
    page.dialog.setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(ApplyLayoutRules(&page.dialog, Page::Rules(), true));
    EXPECT_EQ(page.group->geometry(), QRect(0, 0, 10, 10));
    page.dialog.setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(ApplyLayoutRules(&page.dialog, Page::Rules(), true));
    EXPECT_NE(page.group->geometry(), QRect(0, 0, 10, 10));
}

TEST(LayoutAdapter, CentredRangeWithSharedIdsMovesEveryMember) {
    QWidget dialog;
    dialog.resize(300, 200);
    auto* frame = new QWidget(&dialog);
    auto* first = new QWidget(&dialog);
    auto* second = new QWidget(&dialog);
    boxora::SetControlId(frame, 1);
    boxora::SetControlId(first, 2);
    boxora::SetControlId(second, 2);
    frame->setGeometry(0, 0, 300, 100);
    first->setGeometry(0, 0, 40, 20);
    second->setGeometry(0, 30, 40, 20);
    ASSERT_TRUE(ApplyLayoutRules(&dialog, {LayoutCenterHorzRule(2, 2, 1)}, true));
    EXPECT_EQ(first->geometry(), QRect(130, 0, 40, 20));
    EXPECT_EQ(second->geometry(), QRect(130, 30, 40, 20));
}

}  // namespace
