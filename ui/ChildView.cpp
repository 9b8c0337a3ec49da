#include "ui/ChildView.h"

#include "ui/DialogMain.h"

CChildView::CChildView(boxora::EngineBinding& engine, QWidget* parent)
    : QWidget(parent), panel_(new CDialogMain(engine, this)) {
    setFocusPolicy(Qt::NoFocus);
    panel_->move(0, 0);
}

void CChildView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    panel_->setGeometry(0, 0, width(), height());
}
