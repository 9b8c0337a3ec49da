#include "ui/LayoutAdapter.h"

#include <QFontMetrics>
#include <QVariant>
#include <QWidget>

namespace boxora {
namespace {
constexpr char kControlIdProperty[] = "boxoraControlId";

// Direct child widgets, top of the Z order first.
QList<QWidget*> ChildWidgetsTopFirst(const QWidget* dialog) {
    QList<QWidget*> out;
    const auto& kids = dialog->children();
    for (auto it = kids.crbegin(); it != kids.crend(); ++it) {
        auto* w = qobject_cast<QWidget*>(*it);
        if (w && !w->isWindow()) out.push_back(w);
    }
    return out;
}
}  // namespace

void SetControlId(QWidget* widget, int id) {
    if (widget) widget->setProperty(kControlIdProperty, id);
}

int ControlId(const QWidget* widget) {
    if (!widget) return 0;
    const QVariant v = widget->property(kControlIdProperty);
    return v.isValid() ? v.toInt() : 0;
}

QWidget* FindControl(const QWidget* dialog, int id) {
    if (!dialog || id == 0) return nullptr;
    for (QWidget* w : ChildWidgetsTopFirst(dialog))
        if (ControlId(w) == id) return w;
    return nullptr;
}

DialogUnits DialogUnitsOf(const QWidget* dialog) {
    const QFontMetrics fm(dialog->font());
    const int width52 = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits du;
    du.averageCharWidth = std::max(1, (width52 / 26 + 1) / 2);
    du.charHeight = std::max(1, fm.height());
    return du;
}

}  // namespace boxora

bool ApplyLayoutRules(QWidget* dialog, const std::vector<LayoutRule>& rules, bool repaint) {
    using namespace boxora;
    if (!dialog) return false;
    if (dialog->window()->isMinimized()) return true;
    std::vector<LayoutRect> children;
    QList<QWidget*> widgets = ChildWidgetsTopFirst(dialog);
    for (QWidget* w : widgets) {
        const int id = ControlId(w);
        if (id == 0) continue;
        const QRect g = w->geometry();
        children.push_back({id, g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
    }
    if (children.empty()) return true;
    std::vector<LayoutRect> moved;
    const bool ok = SolveLayout(children, dialog->width(), dialog->height(), rules, DialogUnitsOf(dialog), moved);
    if (!ok && moved.empty()) return false;
    for (const LayoutRect& r : moved) {
        QWidget* w = FindControl(dialog, r.id);
        if (!w) continue;
        w->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
        if (repaint) w->update();
    }
    return ok;
}
