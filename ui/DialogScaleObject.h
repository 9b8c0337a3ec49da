#pragma once
// The Scale page of the object sub-tabs: per axis the change of size in
// percent, -100..100 (factors 0.001..2; 0 is the model's own size), and
// beside it the object's real width, height and depth in millimetres or
// inches (the unit is remembered), where its catalogue model declares a
// real size; a size typed there scales the axis to it. With the lock on,
// every change scales all three axes together. An object scaled beyond
// factor 2 (fitted, or sized by a typed size) widens its rows, so the
// slider shows where the factor lies instead of resting at its end.
#include <array>
#include <optional>

#include "ui/DialogObjectTransform.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

class CDialogScaleObject : public CDialogObjectTransform {
    Q_OBJECT
public:
    enum class Unit { Millimetre = 0, Inch = 1 };

    explicit CDialogScaleObject(boxora::EngineBinding& engine, QWidget* parent = nullptr);

    void ApplyLanguageTexts() override;
    void RefreshObject(const ObjectSnapshot* object) override;
    void RowEdited(ParamSpinBinding* row, int before, int after) override;

    // Enters a size (in the page's unit) for an axis, as if typed.
    bool EnterSize(int axis, const QString& text);
    void SetUnit(Unit unit);
    Unit CurrentUnit() const;

    QLineEdit* SizeEdit(int axis) const { return sizes_[static_cast<std::size_t>(axis)]; }
    QCheckBox* LockBox() const { return lock_; }
    QComboBox* UnitBox() const { return unit_; }

protected:
    int DisplayValue(const ObjectSnapshot& object, int axis) const override;
    // The page keeps the object's exact factors (a fitted scale may lie
    // between the percent steps or beyond them).
    bool SendsOnRefresh() const override { return false; }
    std::vector<LayoutRule> BuildLayoutRules() const override;
    void SetPageEnabled(bool enabled) override;

private:
    void SendAxis(IEngine* engine, int id, int axis, int percent);
    // Sends all three factors and keeps them for undo.
    // editedAxis: the row the user is changing (-1: none).
    void ApplyScale(int id, const std::array<float, 3>& before, const std::array<float, 3>& after, int editedAxis = -1);
    std::optional<ObjectSnapshot> CurrentObject() const;
    void ShowSizes(const ObjectSnapshot* object);
    // Widens an axis row to show a value beyond its own range; with
    // mayNarrow, a row widened before returns toward its own range.
    void FitRowRange(int axis, int value, bool mayNarrow);

    std::array<QLineEdit*, 3> sizes_{};
    QCheckBox* lock_ = nullptr;
    QComboBox* unit_ = nullptr;
    // A locked slider change waiting for its undo step.
    std::optional<std::array<std::array<float, 3>, 2>> lockedStep_;
};
