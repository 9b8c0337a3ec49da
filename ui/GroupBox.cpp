#include "ui/GroupBox.h"

#include <QPainter>
#include <QPainterPath>

GroupBox::GroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void GroupBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm(font());
    const int lineY = fm.height() / 2;
    const QRectF frame = QRectF(rect()).adjusted(0.5, lineY + 0.5, -0.5, -0.5);

    const QPalette& pal = palette();
    const QColor window = pal.color(QPalette::Window);
    // A subtle frame on dark and light palettes alike.
    const QColor line = window.lightness() < 128 ? window.lighter(190) : window.darker(125);

    QPainterPath path;
    path.addRoundedRect(frame, 4, 4);
    p.setPen(QPen(line, 1));
    p.drawPath(path);

    const QString text = title();
    if (text.isEmpty()) return;
    const int x = fm.averageCharWidth() * 2;
    const int padding = 4;
    const int available = std::max(0, width() - x - 2 * padding - 4);
    const QString shown =
        fm.horizontalAdvance(text) <= available ? text : fm.elidedText(text, Qt::ElideRight, available);
    const int textWidth = fm.horizontalAdvance(shown) + 2;
    const QRect textRect(x + padding, 0, textWidth, fm.height());
    // Interrupt the frame behind the caption.
    p.fillRect(QRect(x, lineY - 1, textWidth + 2 * padding, 3), window);
    p.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}
