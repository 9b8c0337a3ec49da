#include "ui/DialogLight.h"

#include <QCheckBox>
#include <QLabel>

#include "engine/IEngine.h"
#include "lang/Lng.h"
#include "scene/SceneParams.h"
#include "ui/GroupBox.h"
#include "ui/undo/SceneHistory.h"

namespace {
constexpr int IDC_GLOBAL_GROUP = 1169;
constexpr int IDC_LIGHT1_GROUP = 1059;
constexpr int IDC_LIGHT2_GROUP = 1183;
constexpr int IDC_LIGHT1_CHECK = 1164;
constexpr int IDC_LIGHT2_CHECK = 1170;
constexpr ParamRowIds kBrightness{1165, 1166, 1168, 1167};
constexpr ParamRowIds kLight1[3] = {{55536, 1061, 1062, 1063}, {55537, 1064, 1065, 1066}, {1160, 1161, 1163, 1162}};
constexpr ParamRowIds kLight2[3] = {{1174, 1177, 1180, 1171}, {1175, 1178, 1181, 1172}, {1176, 1179, 1182, 1173}};

QString Text(const char* key) { return QString::fromStdString(Lng().GetText("TabLighting", key)); }
}  // namespace

CDialogLight::CDialogLight(boxora::EngineBinding& engine, QWidget* parent) : CTabPage(engine, parent) {
    globalGroup_ = AddGroup(IDC_GLOBAL_GROUP, "Global Light");
    lightGroups_[0] = AddGroup(IDC_LIGHT1_GROUP, QString());
    lightGroups_[1] = AddGroup(IDC_LIGHT2_GROUP, QString());
    checks_[0] = AddControl(IDC_LIGHT1_CHECK, new QCheckBox("Light source 1"), 80, 10);
    checks_[1] = AddControl(IDC_LIGHT2_CHECK, new QCheckBox("Light source 2"), 80, 10);
    for (QCheckBox* check : checks_) {
        // The box sits on its group's frame as the caption: paint the page
        // colour behind it so the frame line stops at the caption.
        check->setAutoFillBackground(true);
        check->setBackgroundRole(QPalette::Window);
    }

    using boxora::Setting;
    brightness_ = AddSettingRow(kBrightness, Setting::GlobalLightBrightness, 20, "Brightness");
    lightRows_[0][0] = AddSettingRow(kLight1[0], Setting::Light1Horizontal, 90, "Horizontal rotation");
    lightRows_[0][1] = AddSettingRow(kLight1[1], Setting::Light1Vertical, 30, "Vertical rotation");
    lightRows_[0][2] = AddSettingRow(kLight1[2], Setting::Light1Distance, 50, "Distance");
    lightRows_[1][0] = AddSettingRow(kLight2[0], Setting::Light2Horizontal, 130, "Horizontal rotation");
    lightRows_[1][1] = AddSettingRow(kLight2[1], Setting::Light2Vertical, 20, "Vertical rotation");
    lightRows_[1][2] = AddSettingRow(kLight2[2], Setting::Light2Distance, 50, "Distance");

    brightness_->Initialize();
    for (auto& light : lightRows_)
        for (ParamSpinBinding* row : light) row->Initialize();

    for (int i = 0; i < 2; ++i) {
        checks_[i]->setChecked(true);
        checks_[i]->raise();
        connect(checks_[i], &QCheckBox::clicked, this, [this, i] { OnLightClicked(i + 1); });
    }
}

void CDialogLight::OnLightClicked(int light) {
    boxora::SceneHistory::SettingsChange change(history_, LightCheck(light));
    const bool enabled = LightCheck(light)->isChecked();
    EnableLightRows(light, enabled);
    if (light == 1)
        engine_.engine->EnableLightSource1(enabled);
    else
        engine_.engine->EnableLightSource2(enabled);
}

void CDialogLight::EnableLightRows(int light, bool enabled) {
    for (ParamSpinBinding* row : lightRows_[light == 2 ? 1 : 0]) row->SetControlsEnabled(enabled);
}

void CDialogLight::ApplyLanguageTexts() {
    globalGroup_->setTitle(Text("gl"));
    brightness_->Label()->setText(Text("br"));
    checks_[0]->setText(Text("ls1"));
    lightRows_[0][0]->Label()->setText(Text("lh1"));
    lightRows_[0][1]->Label()->setText(Text("lv1"));
    lightRows_[0][2]->Label()->setText(Text("ld1"));
    checks_[1]->setText(Text("ls2"));
    lightRows_[1][0]->Label()->setText(Text("lh2"));
    lightRows_[1][1]->Label()->setText(Text("lv2"));
    lightRows_[1][2]->Label()->setText(Text("ld2"));
    // The captions' width follows their text; the rules only move them.
    for (QCheckBox* check : checks_) check->resize(check->sizeHint().width(), check->height());
}

void CDialogLight::RefreshFromEngine() {
    const SceneParams& s = *engine_.scene;
    RefreshSettingRows();
    const bool on[2] = {s.Light_Source_Enabled_1, s.Light_Source_Enabled_2};
    for (int i = 0; i < 2; ++i) {
        checks_[i]->setChecked(on[i]);
        EnableLightRows(i + 1, on[i]);
    }
}

std::vector<LayoutRule> CDialogLight::BuildLayoutRules() const {
    std::vector<LayoutRule> rules;
    ParamSpinBinding::AppendRowRules(rules, brightness_->Ids(), IDC_GLOBAL_GROUP, 0);
    ParamSpinBinding::AppendGroupRules(rules, IDC_GLOBAL_GROUP, 0, brightness_->Ids().spin);

    const int groups[2] = {IDC_LIGHT1_GROUP, IDC_LIGHT2_GROUP};
    const int checks[2] = {IDC_LIGHT1_CHECK, IDC_LIGHT2_CHECK};
    int previousGroup = IDC_GLOBAL_GROUP;
    for (int light = 0; light < 2; ++light) {
        int previousSpin = 0;
        for (const ParamSpinBinding* row : lightRows_[light]) {
            ParamSpinBinding::AppendRowRules(rules, row->Ids(), groups[light], previousSpin);
            previousSpin = row->Ids().spin;
        }
        ParamSpinBinding::AppendGroupRules(rules, groups[light], previousGroup, previousSpin);
        rules.push_back(LayoutMoveRule(checks[light], LayoutLeft, groups[light], LayoutLeft, 7));
        rules.push_back(LayoutMoveRule(checks[light], LayoutTop, groups[light], LayoutTop, -1));
        previousGroup = groups[light];
    }
    return rules;
}
