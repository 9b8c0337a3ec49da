#include "ui/TabPage.h"

#include <QLabel>
#include <QSlider>

#include "engine/IEngine.h"
#include "ui/GroupBox.h"
#include "ui/LayoutAdapter.h"
#include "ui/NumberEdit.h"
#include "ui/SpinButtons.h"
#include "ui/undo/SceneHistory.h"

CTabPage::CTabPage(boxora::EngineBinding& engine, QWidget* parent) : QWidget(parent), engine_(engine) {
    // One even page colour, so captions that sit on group frames blend in.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
}

bool CTabPage::Relayout() {
    const std::vector<LayoutRule> rules = BuildLayoutRules();
    if (rules.empty()) return true;
    return ::ApplyLayoutRules(this, rules, true);
}

QWidget* CTabPage::Control(int id) const { return boxora::FindControl(this, id); }

void CTabPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

QSize CTabPage::DialogSize(int widthUnits, int heightUnits) const {
    return {DialogX(widthUnits), DialogY(heightUnits)};
}

int CTabPage::DialogX(int units) const { return boxora::DialogUnitsOf(this).ToPixelsX(units); }
int CTabPage::DialogY(int units) const { return boxora::DialogUnitsOf(this).ToPixelsY(units); }

QLabel* CTabPage::AddLabel(int id, const QString& text, int widthUnits, int heightUnits) {
    auto* label = new QLabel(text);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return AddControl(id, label, widthUnits, heightUnits);
}

void CTabPage::RowEdited(ParamSpinBinding* row, int before, int after) {
    if (!history_) return;
    if (const std::optional<boxora::Setting> setting = row->SettingShown())
        history_->RecordSetting(*setting, before, after);
    else
        history_->RecordValue({row, -1}, before, after, [row](int value) { row->WriteValue(value); });
}

void CTabPage::EndRowEdit() {
    if (history_) history_->Seal();
}

GroupBox* CTabPage::AddGroup(int id, const QString& title) { return AddControl(id, new GroupBox(title), 100, 40); }

ParamSpinBinding* CTabPage::AddParamRow(ParamRowIds ids, int minimum, int maximum, int placeholder,
                                        const QString& defaultLabel, std::function<void(int)> setter) {
    // Labels may wrap onto a second line; they are centred on the row.
    QLabel* label = AddLabel(ids.label, defaultLabel, 70, 16);
    label->setWordWrap(true);
    auto* slider = AddControl(ids.slider, new QSlider(Qt::Horizontal), 80, 14);
    auto* edit = AddControl(ids.edit, new NumberEdit(), 26, 14);
    auto* spin = AddControl(ids.spin, new SpinButtons(), 10, 14);
    return new ParamSpinBinding(this, ids, minimum, maximum, placeholder, defaultLabel, std::move(setter), label,
                                slider, edit, spin);
}

ParamSpinBinding* CTabPage::AddSettingRow(ParamRowIds ids, boxora::Setting setting, int placeholder,
                                          const QString& defaultLabel) {
    const boxora::SettingRow& row = boxora::RowOf(setting);
    IEngine* engine = engine_.engine;
    ParamSpinBinding* binding =
        AddParamRow(ids, static_cast<int>(row.minimum), static_cast<int>(row.maximum), placeholder, defaultLabel,
                    [engine, setting](int value) { engine->SetSetting(setting, value); });
    binding->SetSetting(setting);
    settingRows_.push_back(binding);
    return binding;
}

void CTabPage::RefreshSettingRows() {
    if (!engine_.scene) return;
    for (ParamSpinBinding* row : settingRows_)
        row->RefreshFrom(boxora::GetSetting(*engine_.scene, *row->SettingShown()));
}

void CTabPage::AdoptControl(int id, QWidget* widget, int widthUnits, int heightUnits) {
    widget->setParent(this);
    boxora::SetControlId(widget, id);
    widget->resize(DialogSize(widthUnits, heightUnits));
    // Group frames stay below the controls placed over them.
    if (qobject_cast<GroupBox*>(widget)) widget->lower();
}
