#include "ui/DialogTranslateObject.h"

#include "engine/IEngine.h"
#include "snapshot/SceneSnapshot.h"
#include "ui/ObjectTransformValues.h"

namespace {
const CDialogObjectTransform::Layout kLayout{
    1021, "Translate", "tran", {{{1195, 1012, 1025, 1024}, {1196, 1016, 1028, 1026}, {1197, 1017, 1029, 1027}}},
    -300, 300};
}  // namespace

CDialogTranslateObject::CDialogTranslateObject(boxora::EngineBinding& engine, QWidget* parent)
    : CDialogObjectTransform(engine, kLayout,
                             {[](IEngine* e, int id, int v) { e->SetObjectTranslateX(id, v); },
                              [](IEngine* e, int id, int v) { e->SetObjectTranslateY(id, v); },
                              [](IEngine* e, int id, int v) { e->SetObjectTranslateZ(id, v); }},
                             parent) {}

int CDialogTranslateObject::DisplayValue(const ObjectSnapshot& object, int axis) const {
    return boxora::TruncateToInt(object.translate[axis]);
}
