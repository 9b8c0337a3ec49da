#pragma once
// The Scale page of the object sub-tabs: per axis the change of size in
// percent, -100..100 (factors 0.001..2; 0 is the model's own size).
#include "ui/DialogObjectTransform.h"

class CDialogScaleObject : public CDialogObjectTransform {
    Q_OBJECT
public:
    explicit CDialogScaleObject(boxora::EngineBinding& engine, QWidget* parent = nullptr);

protected:
    int DisplayValue(const ObjectSnapshot& object, int axis) const override;
};
