#pragma once
// A right-aligned numeric edit field: typing accepts digits, and a leading
// minus sign where the field's range goes below zero (text set by the
// program, the spin buttons or pasting may hold a sign); Up and Down ask the
// attached spin buttons for a step.
#include <QLineEdit>

class NumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumberEdit(QWidget* parent = nullptr);

    // Whether a minus sign may be typed at the start of the number.
    void SetAllowNegative(bool allow) { allowNegative_ = allow; }

signals:
    void stepRequested(int delta);

protected:
    // Undo and redo keys belong to the program's Edit menu, not to the
    // field's own text history.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A minus typed now would land at the start and be the only sign.
    bool MinusFitsHere() const;

    bool allowNegative_ = false;
};
