#pragma once
// The Objects tab. The objects of the scene and their face images, position, rotation and scale.
#include "ui/TabPage.h"

class CDialogObjects : public CTabPage {
    Q_OBJECT
public:
    explicit CDialogObjects(boxora::EngineBinding& engine, QWidget* parent = nullptr) : CTabPage(engine, parent) {}
};
