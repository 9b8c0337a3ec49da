#include "ui/DialogReflection.h"

#include <QLabel>
#include <QRadioButton>

#include "engine/IEngine.h"
#include "lang/Lng.h"
#include "scene/SceneParams.h"
#include "ui/ColorButton.h"
#include "ui/GroupBox.h"
#include "ui/undo/SceneHistory.h"

namespace {
constexpr int IDC_REFLECTION_GROUP = 1081;
constexpr int IDC_BACKGROUND_GROUP = 1131;
constexpr int IDC_COLOR_RADIO = 1129;
constexpr int IDC_TRANSPARENT_RADIO = 1130;
constexpr int IDC_BACKGROUND_COLOR = 1092;
constexpr ParamRowIds kLength{1082, 1084, 1085, 1088};
constexpr ParamRowIds kOpacity{1083, 1086, 1087, 1064};
// The colour button is at least this wide (dialog units), wider when its
// caption needs it.
constexpr int kColorButtonUnits = 96;

QString Text(const char* key) { return QString::fromStdString(Lng().GetText("TabReflection", key)); }
}  // namespace

CDialogReflection::CDialogReflection(boxora::EngineBinding& engine, QWidget* parent) : CTabPage(engine, parent) {
    reflectionGroup_ = AddGroup(IDC_REFLECTION_GROUP, "Reflection");
    backgroundGroup_ = AddGroup(IDC_BACKGROUND_GROUP, "Background");
    rows_[0] = AddSettingRow(kLength, boxora::Setting::ReflectionLength, 20, "Length");
    rows_[1] = AddSettingRow(kOpacity, boxora::Setting::ReflectionOpacity, 20, "Opacity");
    colorRadio_ = AddControl(IDC_COLOR_RADIO, new QRadioButton("Color"), 70, 10);
    transparentRadio_ = AddControl(IDC_TRANSPARENT_RADIO, new QRadioButton("Transparent"), 70, 10);
    colorButton_ = AddControl(IDC_BACKGROUND_COLOR, new ColorButton("Background color"), kColorButtonUnits, 15);
    colorButton_->SetColor(Qt::white);

    for (ParamSpinBinding* row : rows_) row->Initialize();

    connect(colorRadio_, &QRadioButton::clicked, this, [this] {
        boxora::SceneHistory::SettingsChange change(history_, colorRadio_);
        colorButton_->setEnabled(true);
        engine_.engine->SetBackgroundTransparent(false);
    });
    connect(transparentRadio_, &QRadioButton::clicked, this, [this] {
        boxora::SceneHistory::SettingsChange change(history_, transparentRadio_);
        colorButton_->setEnabled(false);
        engine_.engine->SetBackgroundTransparent(true);
    });
    connect(colorButton_, &ColorButton::colorChosen, this, [this](const QColor& color) {
        boxora::SceneHistory::SettingsChange change(history_, colorButton_);
        engine_.engine->SetBackgroundColor(boxora::ColorRefFromColor(color));
    });

    RefreshFromEngine();
}

void CDialogReflection::ApplyLanguageTexts() {
    reflectionGroup_->setTitle(Text("refl"));
    rows_[0]->Label()->setText(Text("rl"));
    rows_[1]->Label()->setText(Text("ro"));
    backgroundGroup_->setTitle(Text("bg"));
    colorRadio_->setText(Text("cl"));
    transparentRadio_->setText(Text("transp"));
    colorButton_->setText(Text("bgcl"));
    // The rules only move the button and the second radio: size them to
    // their captions here.
    colorButton_->resize(std::max(DialogX(kColorButtonUnits), colorButton_->sizeHint().width()),
                         colorButton_->height());
    transparentRadio_->resize(std::max(DialogX(70), transparentRadio_->sizeHint().width()),
                              transparentRadio_->height());
    Relayout();
}

void CDialogReflection::RefreshFromEngine() {
    const SceneParams& s = *engine_.scene;
    RefreshSettingRows();
    const bool transparent = s.backgroundTransparent;
    colorButton_->setEnabled(!transparent);
    colorButton_->SetColor(boxora::ColorFromColorRef(s.backgroundColor));
    colorRadio_->setChecked(!transparent);
    transparentRadio_->setChecked(transparent);
}

std::vector<LayoutRule> CDialogReflection::BuildLayoutRules() const {
    std::vector<LayoutRule> rules;
    ParamSpinBinding::AppendRowRules(rules, rows_[0]->Ids(), IDC_REFLECTION_GROUP, 0);
    ParamSpinBinding::AppendRowRules(rules, rows_[1]->Ids(), IDC_REFLECTION_GROUP, rows_[0]->Ids().spin);
    ParamSpinBinding::AppendGroupRules(rules, IDC_REFLECTION_GROUP, 0, rows_[1]->Ids().spin);

    rules.push_back(LayoutMoveRule(IDC_BACKGROUND_GROUP, LayoutTop, IDC_REFLECTION_GROUP, LayoutBottom, 3));
    rules.push_back(LayoutMoveRule(IDC_BACKGROUND_GROUP, LayoutLeft, LAYOUT_ID_PARENT, LayoutLeft, 7));
    rules.push_back(LayoutResizeRule(IDC_BACKGROUND_GROUP, LayoutRight, LAYOUT_ID_PARENT, LayoutRight, -7));
    rules.push_back(LayoutMoveRule(IDC_COLOR_RADIO, LayoutLeft, IDC_BACKGROUND_GROUP, LayoutLeft, 7));
    rules.push_back(LayoutResizeRule(IDC_COLOR_RADIO, LayoutRight, IDC_COLOR_RADIO, LayoutLeft, 70));
    rules.push_back(LayoutMoveRule(IDC_BACKGROUND_COLOR, LayoutLeft, IDC_COLOR_RADIO, LayoutRight, 7));
    rules.push_back(LayoutMoveRule(IDC_BACKGROUND_COLOR, LayoutTop, IDC_BACKGROUND_GROUP, LayoutTop, 10));
    rules.push_back(LayoutCenterVertRule(IDC_COLOR_RADIO, IDC_COLOR_RADIO, IDC_BACKGROUND_COLOR));
    rules.push_back(LayoutMoveRule(IDC_TRANSPARENT_RADIO, LayoutLeft, IDC_COLOR_RADIO, LayoutLeft));
    rules.push_back(LayoutMoveRule(IDC_TRANSPARENT_RADIO, LayoutTop, IDC_COLOR_RADIO, LayoutBottom, 7));
    rules.push_back(LayoutResizeRule(IDC_BACKGROUND_GROUP, LayoutBottom, IDC_TRANSPARENT_RADIO, LayoutBottom, 7));
    return rules;
}
