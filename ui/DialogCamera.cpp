#include "ui/DialogCamera.h"

#include <QLabel>

#include "engine/IEngine.h"
#include "scene/SceneParams.h"
#include "lang/Lng.h"
#include "ui/GroupBox.h"

namespace {
constexpr int IDC_CAMERA_GROUP = 1067;
constexpr ParamRowIds kHorizontal{1068, 1069, 1070, 1071};
constexpr ParamRowIds kVertical{1072, 1073, 1074, 1075};
constexpr ParamRowIds kTargetHorizontal{1076, 1021, 1041, 1044};
constexpr ParamRowIds kTargetVertical{1148, 1149, 1150, 1147};
constexpr ParamRowIds kZoom{1081, 1022, 1042, 1045};
constexpr ParamRowIds kPerspective{1077, 1078, 1079, 1080};

QString Text(const char* key) { return QString::fromStdString(Lng().GetText("TabCamera", key)); }
}  // namespace

CDialogCamera::CDialogCamera(boxora::EngineBinding& engine, QWidget* parent) : CTabPage(engine, parent) {
    group_ = AddGroup(IDC_CAMERA_GROUP, "Camera");
    IEngine* e = engine_.engine;
    rows_[0] = AddParamRow(kHorizontal, 0, 360, 20, "Horizontal rotation",
                           [e](int v) { e->SetCameraHorizontalRotation(static_cast<float>(v)); });
    rows_[1] = AddParamRow(kVertical, 0, 90, 20, "Vertical rotation",
                           [e](int v) { e->SetCameraVerticalRotation(static_cast<float>(v)); });
    rows_[2] = AddParamRow(kTargetHorizontal, -100, 100, 0, "Camera target horizontal",
                           [e](int v) { e->SetCameraTargetHorizontal(v); });
    rows_[3] = AddParamRow(kTargetVertical, 0, 100, 30, "Camera target vertical",
                           [e](int v) { e->SetCameraTargetVertical(v); });
    rows_[4] = AddParamRow(kZoom, 0, 100, 50, "Zoom", [e](int v) { e->SetCameraZoom(static_cast<float>(v)); });
    rows_[5] = AddParamRow(kPerspective, 0, 100, 10, "Perspective",
                           [e](int v) { e->SetCameraPerspective(static_cast<float>(v)); });
    for (ParamSpinBinding* row : rows_) row->Initialize();
}

void CDialogCamera::ApplyLanguageTexts() {
    group_->setTitle(Text("camera"));
    rows_[0]->Label()->setText(Text("camh"));
    rows_[1]->Label()->setText(Text("camv"));
    rows_[2]->Label()->setText(Text("camtv"));
    rows_[3]->Label()->setText(Text("camth"));
    rows_[4]->Label()->setText(Text("camz"));
    rows_[5]->Label()->setText(Text("camp"));
}

void CDialogCamera::RefreshFromEngine(int selector) {
    const SceneParams& s = *engine_.scene;
    if (selector == RefreshAll || selector == RefreshRotation) {
        rows_[0]->RefreshFrom(s.cameraHorizontalRotation);
        rows_[1]->RefreshFrom(s.cameraVerticalRotation);
    }
    if (selector == RefreshAll) {
        rows_[2]->RefreshFrom(s.cameraTarget[0]);
        rows_[3]->RefreshFrom(s.cameraTarget[1]);
    }
    if (selector == RefreshAll || selector == RefreshZoom) rows_[4]->RefreshFrom(s.cameraZoom);
    if (selector == RefreshAll) rows_[5]->RefreshFrom(s.Camera_Perspective);
}

std::vector<LayoutRule> CDialogCamera::BuildLayoutRules() const {
    std::vector<LayoutRule> rules;
    int previous = 0;
    for (const ParamSpinBinding* row : rows_) {
        ParamSpinBinding::AppendRowRules(rules, row->Ids(), IDC_CAMERA_GROUP, previous);
        previous = row->Ids().spin;
    }
    ParamSpinBinding::AppendGroupRules(rules, IDC_CAMERA_GROUP, 0, previous);
    return rules;
}
