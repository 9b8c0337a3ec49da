#pragma once
// The Rotate page of the object sub-tabs: the object's rotation about X, Y
// and Z in degrees, -180..180.
#include "ui/DialogObjectTransform.h"

class CDialogRotateObject : public CDialogObjectTransform {
    Q_OBJECT
public:
    explicit CDialogRotateObject(boxora::EngineBinding& engine, QWidget* parent = nullptr);

protected:
    int DisplayValue(const ObjectSnapshot& object, int axis) const override;
};
