#include "ui/DialogObjectTransform.h"

#include <QLabel>
#include <QSlider>

#include "lang/Lng.h"
#include "ui/GroupBox.h"
#include "ui/NumberEdit.h"
#include "ui/SpinButtons.h"

namespace {
constexpr const char* kAxisKeys[3] = {"x", "y", "z"};
constexpr const char* kAxisLabels[3] = {"X", "Y", "Z"};
constexpr int kLabelUnits = 10;

QString Text(const char* key) { return QString::fromStdString(Lng().GetText("TabObjects", key)); }
}  // namespace

CDialogObjectTransform::CDialogObjectTransform(boxora::EngineBinding& engine, const Layout& layout,
                                               std::array<AxisSetter, 3> setters, QWidget* parent)
    : CObjectPage(engine, parent), layout_(layout) {
    group_ = AddGroup(layout_.groupId, layout_.groupTitle);
    IEngine* e = engine_.engine;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        AxisSetter send = std::move(setters[axis]);
        rows_[axis] = AddParamRow(layout_.rows[axis], layout_.minimum, layout_.maximum, 0, kAxisLabels[axis],
                                  [this, e, send](int value) {
                                      if (e && send && !muted_) send(e, SelectedObjectId(), value);
                                  });
        rows_[axis]->Label()->setWordWrap(false);
        rows_[axis]->Label()->resize(DialogX(kLabelUnits), rows_[axis]->Label()->height());
    }
    for (ParamSpinBinding* row : rows_) row->Initialize();
    muted_ = false;
    SetPageEnabled(false);
}

void CDialogObjectTransform::ApplyLanguageTexts() {
    group_->setTitle(Text(layout_.groupKey));
    for (std::size_t axis = 0; axis < 3; ++axis) rows_[axis]->Label()->setText(Text(kAxisKeys[axis]));
}

void CDialogObjectTransform::SetPageEnabled(bool enabled) {
    group_->setEnabled(enabled);
    for (ParamSpinBinding* row : rows_) {
        row->SetControlsEnabled(enabled);
        row->Label()->setEnabled(enabled);
    }
}

void CDialogObjectTransform::RefreshObject(const ObjectSnapshot* object) {
    if (!object) {
        SetPageEnabled(false);
        return;
    }
    SetPageEnabled(true);
    // Writing the field sends the value back to the engine, so the object
    // holds exactly what the page shows (unless the page keeps finer values
    // than its rows show).
    muted_ = !SendsOnRefresh();
    for (int axis = 0; axis < 3; ++axis) Row(axis)->RefreshFrom(DisplayValue(*object, axis));
    muted_ = false;
}

void CDialogObjectTransform::ShowRowValue(int axis, int value) {
    const bool wasMuted = muted_;
    muted_ = true;
    Row(axis)->RefreshFrom(value);
    muted_ = wasMuted;
}

std::vector<LayoutRule> CDialogObjectTransform::BuildLayoutRules() const {
    std::vector<LayoutRule> rules;
    int previous = 0;
    for (const ParamSpinBinding* row : rows_) {
        ParamSpinBinding::AppendRowRules(rules, row->Ids(), layout_.groupId, previous, kLabelUnits);
        previous = row->Ids().spin;
    }
    rules.push_back(LayoutMoveRule(layout_.groupId, LayoutTop, LAYOUT_ID_PARENT, LayoutTop, 3));
    rules.push_back(LayoutMoveRule(layout_.groupId, LayoutLeft, LAYOUT_ID_PARENT, LayoutLeft));
    rules.push_back(LayoutResizeRule(layout_.groupId, LayoutRight, LAYOUT_ID_PARENT, LayoutRight));
    rules.push_back(LayoutResizeRule(layout_.groupId, LayoutBottom, previous, LayoutBottom, 7));
    return rules;
}
