#pragma once
// The Scene tab. The model catalogue and the objects in the scene.
#include "ui/TabPage.h"

class CDialogScene : public CTabPage {
    Q_OBJECT
public:
    explicit CDialogScene(boxora::EngineBinding& engine, QWidget* parent = nullptr) : CTabPage(engine, parent) {}
};
