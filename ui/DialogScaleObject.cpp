#include "ui/DialogScaleObject.h"

#include "engine/IEngine.h"
#include "engine/SceneSnapshot.h"
#include "ui/ObjectTransformValues.h"

namespace {
const CDialogObjectTransform::Layout kLayout{
    1033, "Scale", "scale", {{{55542, 1030, 1045, 1042}, {55543, 1031, 1046, 1043}, {55544, 1032, 1047, 1044}}},
    -100, 100};
}  // namespace

using boxora::ScaleFactorFromPercent;

CDialogScaleObject::CDialogScaleObject(boxora::EngineBinding& engine, QWidget* parent)
    : CDialogObjectTransform(engine, kLayout,
                             {[](IEngine* e, int id, int v) { e->SetObjectScaleX(id, ScaleFactorFromPercent(v)); },
                              [](IEngine* e, int id, int v) { e->SetObjectScaleY(id, ScaleFactorFromPercent(v)); },
                              [](IEngine* e, int id, int v) { e->SetObjectScaleZ(id, ScaleFactorFromPercent(v)); }},
                             parent) {}

int CDialogScaleObject::DisplayValue(const ObjectSnapshot& object, int axis) const {
    return boxora::ScalePercentFromFactor(object.scale[axis]);
}
