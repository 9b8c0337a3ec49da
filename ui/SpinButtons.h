#pragma once
// Up and down arrow buttons attached to a numeric edit field (its buddy): a
// click reads the field's integer, steps it by one within [min, max] and
// writes the result back into the field.
#include <QWidget>

class NumberEdit;
class QToolButton;

class SpinButtons : public QWidget {
    Q_OBJECT
public:
    explicit SpinButtons(QWidget* parent = nullptr);
    void SetBuddy(NumberEdit* edit);
    void SetRange(int minimum, int maximum);
    int Minimum() const { return min_; }
    int Maximum() const { return max_; }
    // Steps the buddy's value by delta (clamped) and writes it into the buddy.
    void Step(int delta);
    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    NumberEdit* buddy_ = nullptr;
    QToolButton* up_;
    QToolButton* down_;
    int min_ = 0;
    int max_ = 100;
};
