#include "ui/LayoutAdapter.h"

#include <algorithm>

#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QVariant>
#include <QWidget>

namespace boxora {
namespace {

constexpr const char* kControlIdProperty = "boxoraControlId";

// Direct child widgets (not separate windows) from the top of the stacking
// order down.
std::vector<QWidget*> ChildrenTopFirst(const QWidget* dialog) {
    std::vector<QWidget*> widgets;
    const QObjectList& children = dialog->children();
    for (auto it = children.crbegin(); it != children.crend(); ++it) {
        QWidget* w = qobject_cast<QWidget*>(*it);
        if (w && !w->isWindow()) widgets.push_back(w);
    }
    return widgets;
}

}  // namespace

void SetControlId(QWidget* widget, int id) { widget->setProperty(kControlIdProperty, id); }

int ControlId(const QWidget* widget) {
    const QVariant id = widget->property(kControlIdProperty);
    return id.isValid() ? id.toInt() : 0;
}

QWidget* FindControl(const QWidget* dialog, int id) {
    for (QWidget* w : ChildrenTopFirst(dialog))
        if (ControlId(w) == id) return w;
    return nullptr;
}

DialogUnits DialogUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units;
    units.averageCharWidth = std::max(1, (letters / 26 + 1) / 2);
    units.charHeight = std::max(1, metrics.height());
    return units;
}

DialogUnits DialogUnitsOf(const QWidget* widget) { return DialogUnitsOf(widget->font()); }

}  // namespace boxora

bool ApplyLayoutRules(QWidget* dialog, const std::vector<LayoutRule>& rules, bool repaint) {
    if (!dialog || dialog->window()->isMinimized()) return true;

    std::vector<QWidget*> widgets;
    std::vector<LayoutRect> children;
    for (QWidget* w : boxora::ChildrenTopFirst(dialog)) {
        const int id = boxora::ControlId(w);
        if (id == 0 || id == LAYOUT_ID_PARENT || id == LAYOUT_ID_END) continue;
        const QRect g = w->geometry();
        widgets.push_back(w);
        children.push_back(LayoutRect{id, g.x(), g.y(), g.x() + g.width(), g.y() + g.height()});
    }

    std::vector<LayoutRect> moved;
    const bool solved =
        SolveLayout(children, dialog->width(), dialog->height(), rules, boxora::DialogUnitsOf(dialog), moved);
    if (moved.empty()) return solved;

    // The moved rectangles come in the order of the children, so each is
    // matched to the next child with its id (this keeps duplicates apart).
    // Hold the dialog's repaints during the batch. When an enclosing layout
    // already holds them (a page laid out while its parent is), leave the flag
    // alone: setting it here would mark the page as explicitly disabled and it
    // would never paint again once the parent re-enables its children.
    const bool updates = dialog->updatesEnabled();
    if (updates) dialog->setUpdatesEnabled(false);
    std::vector<QWidget*> touched;
    std::size_t next = 0;
    for (const LayoutRect& r : moved) {
        while (next < children.size() && children[next].id != r.id) ++next;
        if (next == children.size()) break;
        QWidget* w = widgets[next++];
        w->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
        touched.push_back(w);
    }
    if (updates) dialog->setUpdatesEnabled(true);
    if (repaint)
        for (QWidget* w : touched) w->update();
    return solved;
}
