#include "ui/DialogShadow.h"

#include <QLabel>

#include "engine/IEngine.h"
#include "lang/Lng.h"
#include "scene/SceneParams.h"
#include "ui/GroupBox.h"

namespace {
constexpr int IDC_SHADOW_GROUP = 1187;
constexpr ParamRowIds kDirection{1188, 1191, 1192, 1184};
constexpr ParamRowIds kLength{1189, 1193, 1194, 1185};
constexpr ParamRowIds kIntensity{55538, 1020, 1040, 1043};
constexpr ParamRowIds kBlur{1200, 1199, 1201, 1198};

QString Text(const char* key) { return QString::fromStdString(Lng().GetText("TabShadows", key)); }
}  // namespace

CDialogShadow::CDialogShadow(boxora::EngineBinding& engine, QWidget* parent) : CTabPage(engine, parent) {
    using boxora::Setting;
    group_ = AddGroup(IDC_SHADOW_GROUP, "Shadows");
    rows_[0] = AddSettingRow(kDirection, Setting::ShadowDirection, 90, "Direction");
    rows_[1] = AddSettingRow(kLength, Setting::ShadowLength, 30, "Length");
    rows_[2] = AddSettingRow(kIntensity, Setting::ShadowIntensity, 20, "Intensity");
    rows_[3] = AddSettingRow(kBlur, Setting::ShadowBlur, 20, "Blur");
    for (ParamSpinBinding* row : rows_) row->Initialize();
}

void CDialogShadow::ApplyLanguageTexts() {
    group_->setTitle(Text("sh"));
    rows_[0]->Label()->setText(Text("sd"));
    rows_[1]->Label()->setText(Text("sl"));
    rows_[2]->Label()->setText(Text("si"));
    rows_[3]->Label()->setText(Text("sb"));
}

void CDialogShadow::RefreshFromEngine() { RefreshSettingRows(); }

std::vector<LayoutRule> CDialogShadow::BuildLayoutRules() const {
    std::vector<LayoutRule> rules;
    int previous = 0;
    for (const ParamSpinBinding* row : rows_) {
        ParamSpinBinding::AppendRowRules(rules, row->Ids(), IDC_SHADOW_GROUP, previous);
        previous = row->Ids().spin;
    }
    ParamSpinBinding::AppendGroupRules(rules, IDC_SHADOW_GROUP, 0, previous);
    return rules;
}
