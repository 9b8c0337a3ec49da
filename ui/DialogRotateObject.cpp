#include "ui/DialogRotateObject.h"

#include "engine/IEngine.h"
#include "snapshot/SceneSnapshot.h"
#include "ui/ObjectTransformValues.h"

namespace {
const CDialogObjectTransform::Layout kLayout{
    1022, "Rotate", "rotate", {{{55539, 1018, 1038, 1041}, {55540, 1019, 1039, 1042}, {55541, 1020, 1040, 1043}}},
    -180, 180};
}  // namespace

CDialogRotateObject::CDialogRotateObject(boxora::EngineBinding& engine, QWidget* parent)
    : CDialogObjectTransform(engine, kLayout,
                             {[](IEngine* e, int id, int v) { e->SetObjectRotateX(id, v); },
                              [](IEngine* e, int id, int v) { e->SetObjectRotateY(id, v); },
                              [](IEngine* e, int id, int v) { e->SetObjectRotateZ(id, v); }},
                             parent) {}

int CDialogRotateObject::DisplayValue(const ObjectSnapshot& object, int axis) const {
    return boxora::TruncateToInt(object.rotate[axis]);
}
