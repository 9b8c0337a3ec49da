#pragma once
// A push button showing a colour swatch beside its caption. Clicking opens the
// colour dialog; a confirmed choice becomes the current colour and is
// reported with colorChosen.
#include <QColor>
#include <QPushButton>
#include <functional>

class ColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit ColorButton(const QString& text = QString(), QWidget* parent = nullptr);

    QColor Color() const { return color_; }
    void SetColor(const QColor& color);

    // Replaces the colour dialog (tests): returns the chosen colour, or an
    // invalid colour when cancelled.
    using Chooser = std::function<QColor(const QColor& current, QWidget* parent)>;
    void SetChooser(Chooser chooser) { chooser_ = std::move(chooser); }

    // Opens the chooser as a click does.
    void ChooseColor();

    QSize sizeHint() const override;

signals:
    void colorChosen(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_{Qt::white};
    Chooser chooser_;
};

namespace boxora {
// COLORREF (0x00BBGGRR, red in the low byte) to and from QColor.
QColor ColorFromColorRef(unsigned int colorref);
unsigned int ColorRefFromColor(const QColor& color);
}  // namespace boxora
