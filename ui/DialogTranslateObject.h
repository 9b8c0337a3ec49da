#pragma once
// The Translate page of the object sub-tabs: the object's position along X,
// Y and Z, -300..300.
#include "ui/DialogObjectTransform.h"

class CDialogTranslateObject : public CDialogObjectTransform {
    Q_OBJECT
public:
    explicit CDialogTranslateObject(boxora::EngineBinding& engine, QWidget* parent = nullptr);

protected:
    int DisplayValue(const ObjectSnapshot& object, int axis) const override;
};
