#pragma once
// A right-aligned numeric edit field: typing accepts digits only (text set by
// the program, the spin buttons or pasting may hold a sign); Up and Down ask
// the attached spin buttons for a step.
#include <QLineEdit>

class NumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumberEdit(QWidget* parent = nullptr);

signals:
    void stepRequested(int delta);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
