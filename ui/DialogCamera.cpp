#include "ui/DialogCamera.h"

#include <QLabel>

#include "engine/IEngine.h"
#include "lang/Lng.h"
#include "scene/SceneParams.h"
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
    using boxora::Setting;
    rows_[0] = AddSettingRow(kHorizontal, Setting::CameraHorizontal, 20, "Horizontal rotation");
    rows_[1] = AddSettingRow(kVertical, Setting::CameraVertical, 20, "Vertical rotation");
    rows_[2] = AddSettingRow(kTargetHorizontal, Setting::CameraTargetHorizontal, 0, "Camera target horizontal");
    rows_[3] = AddSettingRow(kTargetVertical, Setting::CameraTargetVertical, 30, "Camera target vertical");
    rows_[4] = AddSettingRow(kZoom, Setting::CameraZoom, 50, "Zoom");
    rows_[5] = AddSettingRow(kPerspective, Setting::CameraPerspective, 10, "Perspective");
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
    if (selector == RefreshAll) return RefreshSettingRows();
    const SceneParams& s = *engine_.scene;
    auto refresh = [&s](ParamSpinBinding* row) { row->RefreshFrom(boxora::GetSetting(s, *row->SettingShown())); };
    if (selector == RefreshRotation) {
        refresh(rows_[0]);
        refresh(rows_[1]);
    }
    if (selector == RefreshZoom) refresh(rows_[4]);
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
