#include "ui/ParamSpinBinding.h"

#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/TextUtil.h"
#include "ui/NumberEdit.h"
#include "ui/SpinButtons.h"
#include "ui/TabPage.h"

namespace {

// Engine values are floats that a scene file may set to anything: NaN counts
// as 0 and huge values saturate before the row clamps them.
int TruncateToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

}  // namespace

ParamSpinBinding::ParamSpinBinding(CTabPage* page, ParamRowIds ids, int minimum, int maximum, int placeholder,
                                   const QString& defaultLabel, Setter setter, QLabel* label, QSlider* slider,
                                   NumberEdit* edit, SpinButtons* spin)
    : QObject(page),
      ids_(ids),
      min_(minimum),
      max_(maximum),
      placeholder_(placeholder),
      setter_(std::move(setter)),
      label_(label),
      slider_(slider),
      edit_(edit),
      spin_(spin) {
    label_->setText(defaultLabel);
    slider_->setOrientation(Qt::Horizontal);
    slider_->setTickPosition(QSlider::NoTicks);
    spin_->SetBuddy(edit_);
    connect(edit_, &QLineEdit::textChanged, this, [this] { OnEditChanged(); });
    connect(slider_, &QSlider::valueChanged, this, &ParamSpinBinding::OnSliderChanged);
    // A finished drag, a released spin button or a field left behind ends
    // the row's undo step.
    auto endEdit = [this] {
        if (auto* owner = qobject_cast<CTabPage*>(parent())) owner->EndRowEdit();
    };
    connect(slider_, &QSlider::sliderReleased, this, endEdit);
    connect(spin_->UpButton(), &QToolButton::released, this, endEdit);
    connect(spin_->DownButton(), &QToolButton::released, this, endEdit);
    connect(edit_, &QLineEdit::editingFinished, this, endEdit);
}

void ParamSpinBinding::Initialize() {
    edit_->SetAllowNegative(min_ < 0);
    refreshing_ = true;
    movingSlider_ = true;
    slider_->setRange(min_, max_);
    slider_->setValue(placeholder_);
    movingSlider_ = false;
    SetEditText(QString::number(placeholder_));
    refreshing_ = false;
    spin_->SetRange(min_, max_);
}

void ParamSpinBinding::RefreshFrom(double engineValue) {
    const bool wasRefreshing = refreshing_;
    refreshing_ = true;
    WriteValue(TruncateToInt(engineValue));
    refreshing_ = wasRefreshing;
}

void ParamSpinBinding::WriteValue(int value) { SetEditText(QString::number(value)); }

void ParamSpinBinding::SetRange(int minimum, int maximum) {
    min_ = std::min(minimum, maximum);
    max_ = std::max(minimum, maximum);
    edit_->SetAllowNegative(min_ < 0);
    spin_->SetRange(min_, max_);
    // A slider outside its new range moves; that is not the user's change.
    movingSlider_ = true;
    slider_->setRange(min_, max_);
    slider_->setValue(std::clamp(value_, min_, max_));
    movingSlider_ = false;
}

void ParamSpinBinding::SetControlsEnabled(bool enabled) {
    slider_->setEnabled(enabled);
    edit_->setEnabled(enabled);
    spin_->setEnabled(enabled);
}

// Like a change notification of the field, writing a text always runs the
// change handling, even when the field already shows that text.
void ParamSpinBinding::SetEditText(const QString& text) {
    if (edit_->text() == text) {
        OnEditChanged();
    } else {
        edit_->setText(text);  // textChanged runs OnEditChanged
    }
}

void ParamSpinBinding::OnEditChanged() {
    int value = boxora::ParseLeadingInt(edit_->text().toStdString());
    if (value > max_) {
        value = max_;
        edit_->setText(QString::number(max_));
    } else if (value < min_) {
        value = min_;
        edit_->setText(QString::number(min_));
    }
    if (setter_) setter_(value);
    SetSliderPosition(value);
    const int before = value_;
    value_ = value;
    if (!refreshing_ && before != value)
        if (auto* page = qobject_cast<CTabPage*>(parent())) page->RowEdited(this, before, value);
}

void ParamSpinBinding::OnSliderChanged(int position) {
    if (movingSlider_) return;
    edit_->setText(QString::number(position));
}

void ParamSpinBinding::SetSliderPosition(int position) {
    movingSlider_ = true;
    slider_->setValue(position);
    movingSlider_ = false;
}

void ParamSpinBinding::AppendRowRules(std::vector<LayoutRule>& rules, const ParamRowIds& row, int groupId,
                                      int previousSpinId, int labelUnits) {
    if (previousSpinId == 0)
        rules.push_back(LayoutMoveRule(row.spin, LayoutTop, groupId, LayoutTop, 10));
    else
        rules.push_back(LayoutMoveRule(row.spin, LayoutTop, previousSpinId, LayoutBottom, 3));
    rules.push_back(LayoutMoveRule(row.spin, LayoutRight, groupId, LayoutRight, -7));
    rules.push_back(LayoutMoveRule(row.edit, LayoutTop, row.spin, LayoutTop));
    rules.push_back(LayoutMoveRule(row.edit, LayoutRight, row.spin, LayoutLeft));
    rules.push_back(LayoutMoveRule(row.slider, LayoutTop, row.spin, LayoutTop));
    rules.push_back(LayoutMoveRule(row.slider, LayoutRight, row.edit, LayoutLeft, -7));
    rules.push_back(LayoutMoveRule(row.label, LayoutLeft, groupId, LayoutLeft, 7));
    rules.push_back(LayoutResizeRule(row.label, LayoutRight, row.label, LayoutLeft, labelUnits));
    rules.push_back(LayoutCenterVertRule(row.label, row.label, row.spin));
    rules.push_back(LayoutResizeRule(row.slider, LayoutLeft, row.label, LayoutRight, 7));
}

void ParamSpinBinding::AppendGroupRules(std::vector<LayoutRule>& rules, int groupId, int previousGroupId,
                                        int lastSpinId) {
    if (previousGroupId == 0)
        rules.push_back(LayoutMoveRule(groupId, LayoutTop, LAYOUT_ID_PARENT, LayoutTop, 3));
    else
        rules.push_back(LayoutMoveRule(groupId, LayoutTop, previousGroupId, LayoutBottom, 3));
    rules.push_back(LayoutMoveRule(groupId, LayoutLeft, LAYOUT_ID_PARENT, LayoutLeft, 7));
    rules.push_back(LayoutResizeRule(groupId, LayoutRight, LAYOUT_ID_PARENT, LayoutRight, -7));
    rules.push_back(LayoutResizeRule(groupId, LayoutBottom, lastSpinId, LayoutBottom, 7));
}
