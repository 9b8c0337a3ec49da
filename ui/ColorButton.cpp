#include "ui/ColorButton.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

ColorButton::ColorButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    connect(this, &QPushButton::clicked, this, &ColorButton::ChooseColor);
}

void ColorButton::SetColor(const QColor& color) {
    color_ = color;
    update();
}

void ColorButton::ChooseColor() {
    QColor chosen;
    if (chooser_) {
        chosen = chooser_(color_, this);
    } else {
        chosen = QColorDialog::getColor(color_, window(), text().remove(QLatin1Char('&')));
    }
    if (!chosen.isValid()) return;
    SetColor(chosen);
    emit colorChosen(chosen);
}

QSize ColorButton::sizeHint() const {
    const QSize base = QPushButton::sizeHint();
    const int swatch = fontMetrics().height() + 6;
    return {base.width() + swatch + 6, base.height()};
}

void ColorButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    p.drawControl(QStyle::CE_PushButton, option);

    const QRect content = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const int side = std::max(6, std::min(content.height() - 2, fontMetrics().height()));
    const QRect swatch(content.left() + 4, content.center().y() - side / 2, side + side / 2, side);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = color_;
    if (!isEnabled()) fill.setAlpha(70);
    p.setPen(QPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText), 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(swatch).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);

    const QRect textRect = content.adjusted(swatch.width() + 10, 0, 0, 0);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic,
               fontMetrics().elidedText(text(), Qt::ElideRight, textRect.width()));
}

namespace boxora {

QColor ColorFromColorRef(unsigned int colorref) {
    return QColor(static_cast<int>(colorref & 0xFF), static_cast<int>((colorref >> 8) & 0xFF),
                  static_cast<int>((colorref >> 16) & 0xFF));
}

unsigned int ColorRefFromColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<unsigned int>(rgb.red()) | (static_cast<unsigned int>(rgb.green()) << 8) |
           (static_cast<unsigned int>(rgb.blue()) << 16);
}

}  // namespace boxora
