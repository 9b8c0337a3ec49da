#include "ui/DialogScaleObject.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSlider>
#include <algorithm>
#include <cmath>

#include "engine/IEngine.h"
#include "lang/Lng.h"
#include "platform/Settings.h"
#include "snapshot/SceneSnapshot.h"
#include "ui/ObjectTransformValues.h"
#include "ui/undo/SceneHistory.h"

namespace {
constexpr int IDC_SCALE_GROUP = 1033;
const CDialogObjectTransform::Layout kLayout{
    IDC_SCALE_GROUP,
    "Scale",
    "scale",
    {{{55542, 1030, 1045, 1042}, {55543, 1031, 1046, 1043}, {55544, 1032, 1047, 1044}}},
    -100,
    100};
constexpr int kSizeIds[3] = {1061, 1062, 1063};
constexpr int IDC_SCALE_LOCK = 1064;
constexpr int IDC_SCALE_UNIT = 1065;
// Wide enough for "width", "height" and "depth" in every language.
constexpr int kLabelUnits = 40;
constexpr double kMmPerInch = 25.4;
constexpr float kMinFactor = 0.001f, kMaxFactor = 1000.0f;
constexpr char kUnitSetting[] = "ScaleSizeUnit";

// Undo steps of typed sizes and of locked slider changes.
constexpr char kTypedSource = 0;
constexpr char kLockedSource = 0;

QString Text(const char* key, const char* fallback) {
    const std::string text = Lng().GetText("TabObjects", key);
    return QString::fromStdString(text.empty() ? fallback : text);
}

using boxora::ScaleFactorFromPercent;
}  // namespace

CDialogScaleObject::CDialogScaleObject(boxora::EngineBinding& engine, QWidget* parent)
    : CDialogObjectTransform(engine, kLayout,
                             {[this](IEngine* e, int id, int v) { SendAxis(e, id, 0, v); },
                              [this](IEngine* e, int id, int v) { SendAxis(e, id, 1, v); },
                              [this](IEngine* e, int id, int v) { SendAxis(e, id, 2, v); }},
                             parent) {
    for (int axis = 0; axis < 3; ++axis) {
        auto* edit = AddControl(kSizeIds[axis], new QLineEdit(), 40, 14);
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        connect(edit, &QLineEdit::editingFinished, this, [this, axis, edit] {
            if (edit->isModified()) EnterSize(axis, edit->text());
        });
        sizes_[static_cast<std::size_t>(axis)] = edit;
    }
    lock_ = AddControl(IDC_SCALE_LOCK, new QCheckBox("Lock proportions"), 90, 12);
    unit_ = AddControl(IDC_SCALE_UNIT, new QComboBox(), 30, 14);
    unit_->addItem("mm");
    unit_->addItem("in");
    // The user's last choice; until there is one, the locale's.
    const std::string stored = boxora::Settings().GetString(kUnitSetting, "");
    if (stored == "mm" || stored == "in")
        unit_->setCurrentIndex(stored == "mm" ? 0 : 1);
    else
        unit_->setCurrentIndex(QLocale().measurementSystem() == QLocale::MetricSystem ? 0 : 1);
    connect(unit_, &QComboBox::currentIndexChanged, this, [this] {
        boxora::Settings().SetString(kUnitSetting, CurrentUnit() == Unit::Inch ? "in" : "mm");
        const std::optional<ObjectSnapshot> object = CurrentObject();
        ShowSizes(object ? &*object : nullptr);
    });
    SetPageEnabled(false);
}

void CDialogScaleObject::ApplyLanguageTexts() {
    CDialogObjectTransform::ApplyLanguageTexts();
    // Sizes are thought of as width, height and depth, not as axes.
    Row(0)->Label()->setText(Text("scalewidth", "Width"));
    Row(1)->Label()->setText(Text("scaleheight", "Height"));
    Row(2)->Label()->setText(Text("scaledepth", "Depth"));
    lock_->setText(Text("lockscale", "Lock proportions"));
    unit_->setToolTip(Text("sizeunit", "Unit of the real size"));
}

int CDialogScaleObject::DisplayValue(const ObjectSnapshot& object, int axis) const {
    return boxora::ScalePercentFromFactor(object.scale[axis]);
}

void CDialogScaleObject::SetPageEnabled(bool enabled) {
    CDialogObjectTransform::SetPageEnabled(enabled);
    if (!lock_) return;  // the base page disables itself before these exist
    lock_->setEnabled(enabled);
    unit_->setEnabled(enabled);
}

void CDialogScaleObject::RefreshObject(const ObjectSnapshot* object) {
    if (object)
        for (int axis = 0; axis < 3; ++axis)
            FitRowRange(axis, DisplayValue(*object, axis), !Row(axis)->Slider()->isSliderDown());
    CDialogObjectTransform::RefreshObject(object);
    ShowSizes(object);
}

void CDialogScaleObject::SetUnit(Unit unit) { unit_->setCurrentIndex(static_cast<int>(unit)); }

CDialogScaleObject::Unit CDialogScaleObject::CurrentUnit() const {
    return unit_->currentIndex() == 1 ? Unit::Inch : Unit::Millimetre;
}

std::optional<ObjectSnapshot> CDialogScaleObject::CurrentObject() const {
    const int id = SelectedObjectId();
    if (id < 0) return std::nullopt;
    const SceneSnapshotPtr scene = boxora::ReadSnapshot(engine_);
    const ObjectSnapshot* object = scene->Find(id);
    return object ? std::optional<ObjectSnapshot>(*object) : std::nullopt;
}

void CDialogScaleObject::ShowSizes(const ObjectSnapshot* object) {
    const bool inches = CurrentUnit() == Unit::Inch;
    for (int axis = 0; axis < 3; ++axis) {
        QLineEdit* edit = sizes_[static_cast<std::size_t>(axis)];
        const bool known = object && object->realSizeMm[axis] > 0;
        edit->setEnabled(known);
        if (!known) {
            edit->clear();
            continue;
        }
        const double mm = double(object->realSizeMm[axis]) * object->scale[axis];
        edit->setText(inches ? QString::number(mm / kMmPerInch, 'f', 2) : QString::number(mm, 'f', 1));
        edit->setModified(false);
    }
}

void CDialogScaleObject::FitRowRange(int axis, int value, bool mayNarrow) {
    const int own = kLayout.maximum;
    int maximum = own;
    if (value > own) {
        // Half the value again, in whole factors: the slider sits about two
        // thirds along and can still be pulled further. The factors a typed
        // size can reach bound it (a scene file may hold any number).
        const long long reach = (static_cast<long long>(kMaxFactor) - 1) * 100;
        const long long wide = std::min<long long>(value, reach) * 3 / 2;
        maximum = static_cast<int>((wide + 99) / 100 * 100);
    }
    ParamSpinBinding* row = Row(axis);
    if (maximum > row->Maximum() || (mayNarrow && maximum < row->Maximum())) row->SetRange(kLayout.minimum, maximum);
}

bool CDialogScaleObject::EnterSize(int axis, const QString& text) {
    const std::optional<ObjectSnapshot> object = CurrentObject();
    if (!object || object->realSizeMm[axis] <= 0 || !engine_.engine) return false;
    // Either decimal mark is taken, whatever the locale.
    QString number = text.trimmed();
    number.replace(',', '.');
    bool ok = false;
    const double typed = number.toDouble(&ok);
    if (!ok || !(typed > 0) || !std::isfinite(typed)) {
        ShowSizes(&*object);
        return false;
    }
    const double mm = CurrentUnit() == Unit::Inch ? typed * kMmPerInch : typed;
    const float factor =
        static_cast<float>(std::clamp(mm / object->realSizeMm[axis], double(kMinFactor), double(kMaxFactor)));
    std::array<float, 3> after = object->scale;
    if (lock_->isChecked() && object->scale[axis] > 0) {
        const float ratio = factor / object->scale[axis];
        for (float& s : after) s = std::clamp(s * ratio, kMinFactor, kMaxFactor);
    }
    after[static_cast<std::size_t>(axis)] = factor;
    ApplyScale(object->id, object->scale, after);
    if (History()) History()->RecordScale(&kTypedSource, SelectedObjectIndex(), object->scale, after);
    return true;
}

void CDialogScaleObject::ApplyScale(int id, const std::array<float, 3>& before, const std::array<float, 3>& after,
                                    int editedAxis) {
    IEngine* engine = engine_.engine;
    if (!engine) return;
    if (after[0] != before[0]) engine->SetObjectScaleX(id, after[0]);
    if (after[1] != before[1]) engine->SetObjectScaleY(id, after[1]);
    if (after[2] != before[2]) engine->SetObjectScaleZ(id, after[2]);
    engine->Redraw();
    ObjectSnapshot shown;
    shown.scale = after;
    // The row being edited shows its own value already (and must still see
    // its change, to report it for undo).
    for (int axis = 0; axis < 3; ++axis) {
        if (axis == editedAxis) continue;
        // While a row is dragged the others only widen, so they do not
        // jump back and forth under a moving lock.
        FitRowRange(axis, DisplayValue(shown, axis), editedAxis < 0);
        ShowRowValue(axis, DisplayValue(shown, axis));
    }
    const std::optional<ObjectSnapshot> object = CurrentObject();
    ShowSizes(object ? &*object : nullptr);
}

namespace {
void SetAxisScale(IEngine& engine, int id, int axis, float factor) {
    if (axis == 0)
        engine.SetObjectScaleX(id, factor);
    else if (axis == 1)
        engine.SetObjectScaleY(id, factor);
    else
        engine.SetObjectScaleZ(id, factor);
}
}  // namespace

void CDialogScaleObject::SendAxis(IEngine* engine, int id, int axis, int percent) {
    const float factor = ScaleFactorFromPercent(percent);
    const std::optional<ObjectSnapshot> object = CurrentObject();
    if (!object || object->id != id) {
        SetAxisScale(*engine, id, axis, factor);
        return;
    }
    std::array<float, 3> after = object->scale;
    if (lock_ && lock_->isChecked() && object->scale[axis] > 0) {
        const float ratio = factor / object->scale[axis];
        for (float& s : after) s = std::clamp(s * ratio, kMinFactor, kMaxFactor);
        after[static_cast<std::size_t>(axis)] = factor;
        // The row reports the edit next; the step takes all three axes.
        lockedStep_ = std::array<std::array<float, 3>, 2>{object->scale, after};
        ApplyScale(id, object->scale, after, axis);
        return;
    }
    after[static_cast<std::size_t>(axis)] = factor;
    if (after != object->scale) SetAxisScale(*engine, id, axis, factor);
    const std::optional<ObjectSnapshot> now = CurrentObject();
    ShowSizes(now ? &*now : nullptr);
}

void CDialogScaleObject::RowEdited(ParamSpinBinding* row, int before, int after) {
    if (lockedStep_) {
        const auto step = *lockedStep_;
        lockedStep_.reset();
        // A slider drag with the lock on is one step, like any drag.
        if (History()) History()->RecordScale(&kLockedSource, SelectedObjectIndex(), step[0], step[1], true);
        return;
    }
    CDialogObjectTransform::RowEdited(row, before, after);
}

std::vector<LayoutRule> CDialogScaleObject::BuildLayoutRules() const {
    const int group = IDC_SCALE_GROUP;
    std::vector<LayoutRule> rules{
        LayoutMoveRule(group, LayoutTop, LAYOUT_ID_PARENT, LayoutTop, 3),
        LayoutMoveRule(group, LayoutLeft, LAYOUT_ID_PARENT, LayoutLeft),
        LayoutResizeRule(group, LayoutRight, LAYOUT_ID_PARENT, LayoutRight),
    };
    int previous = 0;
    for (int axis = 0; axis < 3; ++axis) {
        const ParamRowIds& row = Row(axis)->Ids();
        const int size = kSizeIds[axis];
        if (previous == 0)
            rules.push_back(LayoutMoveRule(size, LayoutTop, group, LayoutTop, 10));
        else
            rules.push_back(LayoutMoveRule(size, LayoutTop, previous, LayoutBottom, 3));
        rules.push_back(LayoutMoveRule(size, LayoutRight, group, LayoutRight, -7));
        rules.push_back(LayoutMoveRule(row.spin, LayoutTop, size, LayoutTop));
        rules.push_back(LayoutMoveRule(row.spin, LayoutRight, size, LayoutLeft, -4));
        rules.push_back(LayoutMoveRule(row.edit, LayoutTop, row.spin, LayoutTop));
        rules.push_back(LayoutMoveRule(row.edit, LayoutRight, row.spin, LayoutLeft));
        rules.push_back(LayoutMoveRule(row.slider, LayoutTop, row.spin, LayoutTop));
        rules.push_back(LayoutMoveRule(row.slider, LayoutRight, row.edit, LayoutLeft, -7));
        rules.push_back(LayoutMoveRule(row.label, LayoutLeft, group, LayoutLeft, 7));
        rules.push_back(LayoutResizeRule(row.label, LayoutRight, row.label, LayoutLeft, kLabelUnits));
        rules.push_back(LayoutCenterVertRule(row.label, row.label, row.spin));
        rules.push_back(LayoutResizeRule(row.slider, LayoutLeft, row.label, LayoutRight, 7));
        previous = row.spin;
    }
    rules.push_back(LayoutMoveRule(IDC_SCALE_UNIT, LayoutTop, previous, LayoutBottom, 4));
    rules.push_back(LayoutMoveRule(IDC_SCALE_UNIT, LayoutRight, group, LayoutRight, -7));
    rules.push_back(LayoutMoveRule(IDC_SCALE_LOCK, LayoutLeft, group, LayoutLeft, 7));
    rules.push_back(LayoutCenterVertRule(IDC_SCALE_LOCK, IDC_SCALE_LOCK, IDC_SCALE_UNIT));
    rules.push_back(LayoutResizeRule(group, LayoutBottom, IDC_SCALE_UNIT, LayoutBottom, 7));
    return rules;
}
