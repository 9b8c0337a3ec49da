#pragma once
// One settings row: label, slider, numeric edit field and spin buttons bound
// to one engine setter. The edit field is the row's single source of truth:
// the slider and the spin buttons write into it, and every change of its text
// (typed, stepped or set by the program) is clamped to the row's range and
// sent to the engine. Changes that do not come from re-reading the scene are
// reported to the page, which keeps them in the undo history.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "scene/SettingTable.h"

#include "ui/layout/LayoutRules.h"

class CTabPage;
class NumberEdit;
class QLabel;
class QSlider;
class SpinButtons;

struct ParamRowIds {
    int label = 0;
    int slider = 0;
    int edit = 0;
    int spin = 0;
};

class ParamSpinBinding : public QObject {
    Q_OBJECT
public:
    using Setter = std::function<void(int value)>;

    // Creates the row's four controls on page with their control ids.
    ParamSpinBinding(CTabPage* page, ParamRowIds ids, int minimum, int maximum, int placeholder,
                     const QString& defaultLabel, Setter setter, QLabel* label, QSlider* slider, NumberEdit* edit,
                     SpinButtons* spin);

    // Sets the ranges and writes the placeholder into the field (which, like
    // any change of the field, reaches the engine).
    void Initialize();

    // Writes the engine's value, truncated to an integer, into the field.
    void RefreshFrom(double engineValue);
    // Writes an integer into the field, as if it had been typed.
    void WriteValue(int value);
    // The value the row last sent to the engine.
    int Value() const { return value_; }

    // Gives the row another range without sending anything: the slider,
    // the spin buttons and the field's clamp follow; the value stays.
    void SetRange(int minimum, int maximum);

    // Enables or disables slider, field and spin buttons (the label stays).
    void SetControlsEnabled(bool enabled);

    // The scene setting the row edits, when it is one of the table's.
    void SetSetting(boxora::Setting setting) { setting_ = setting; }
    std::optional<boxora::Setting> SettingShown() const { return setting_; }

    const ParamRowIds& Ids() const { return ids_; }
    int Minimum() const { return min_; }
    int Maximum() const { return max_; }
    QLabel* Label() const { return label_; }
    QSlider* Slider() const { return slider_; }
    NumberEdit* Edit() const { return edit_; }
    SpinButtons* Spin() const { return spin_; }

    // Layout rules of a row inside its group: previousSpinId 0 puts the row at
    // the top of the group; the label is labelUnits wide.
    static void AppendRowRules(std::vector<LayoutRule>& rules, const ParamRowIds& row, int groupId, int previousSpinId,
                               int labelUnits = 70);
    // Layout rules of a group box holding rows: previousGroupId 0 puts it at the
    // top of the page; it ends 7 units below lastSpinId.
    static void AppendGroupRules(std::vector<LayoutRule>& rules, int groupId, int previousGroupId, int lastSpinId);

private:
    void OnEditChanged();
    void OnSliderChanged(int position);
    void SetEditText(const QString& text);
    void SetSliderPosition(int position);

    ParamRowIds ids_;
    int min_;
    int max_;
    int placeholder_;
    Setter setter_;
    QLabel* label_;
    QSlider* slider_;
    NumberEdit* edit_;
    SpinButtons* spin_;
    bool movingSlider_ = false;
    // Set while the row shows what the scene holds (not the user's change).
    bool refreshing_ = false;
    int value_ = 0;
    std::optional<boxora::Setting> setting_;
};
