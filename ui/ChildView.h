#pragma once
// The main window's client view: it hosts the control panel and keeps it at
// the view's full size.
#include <QWidget>

#include "ui/EngineBinding.h"

class CDialogMain;

class CChildView : public QWidget {
    Q_OBJECT
public:
    explicit CChildView(boxora::EngineBinding& engine, QWidget* parent = nullptr);
    CDialogMain* Panel() const { return panel_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CDialogMain* panel_;
};
