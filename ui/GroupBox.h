#pragma once
// A group frame drawn the classic dialog way: the frame's top line runs
// through the middle of the caption's first text line, and the caption sits
// on the line with the frame interrupted behind it. Controls that belong to
// the group are siblings placed over it by the page's layout rules.
#include <QGroupBox>

class GroupBox : public QGroupBox {
    Q_OBJECT
public:
    explicit GroupBox(const QString& title = QString(), QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
