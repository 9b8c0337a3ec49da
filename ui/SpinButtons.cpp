#include "ui/SpinButtons.h"

#include <QToolButton>
#include <algorithm>

#include "platform/TextUtil.h"
#include "ui/NumberEdit.h"

SpinButtons::SpinButtons(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setAutoRepeatDelay(400);
        b->setAutoRepeatInterval(60);
        b->setFocusPolicy(Qt::NoFocus);
        b->setIconSize(QSize(7, 7));
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void SpinButtons::SetBuddy(NumberEdit* edit) {
    buddy_ = edit;
    if (buddy_) connect(buddy_, &NumberEdit::stepRequested, this, &SpinButtons::Step);
}

void SpinButtons::SetRange(int minimum, int maximum) {
    min_ = std::min(minimum, maximum);
    max_ = std::max(minimum, maximum);
}

void SpinButtons::Step(int delta) {
    if (!buddy_ || !isEnabled()) return;
    const int current = std::clamp(boxora::ParseLeadingInt(buddy_->text().toStdString()), min_, max_);
    const int next = std::clamp(current + delta, min_, max_);
    const QString text = QString::number(next);
    if (buddy_->text() != text) buddy_->setText(text);
}

void SpinButtons::resizeEvent(QResizeEvent*) {
    const int h = height();
    const int half = h / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), h - half);
}
