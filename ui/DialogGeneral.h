#pragma once
// The General tab. Templates: the library of saved scenes and the Save Project as Template action.
#include "ui/TabPage.h"

class CDialogGeneral : public CTabPage {
    Q_OBJECT
public:
    explicit CDialogGeneral(boxora::EngineBinding& engine, QWidget* parent = nullptr) : CTabPage(engine, parent) {}

    // File > Save Project as Template.
    virtual void SaveProjectAsTemplate() {}
};
