#pragma once
// The Rendering tab. Output format, file, size and encoder options, and Render and Save.
#include "ui/TabPage.h"

class CDialogRender : public CTabPage {
    Q_OBJECT
public:
    explicit CDialogRender(boxora::EngineBinding& engine, QWidget* parent = nullptr) : CTabPage(engine, parent) {}

    // Render > Render and Save, and the toolbar button.
    virtual void RenderAndSave() {}
};
