#pragma once
// Base of the Translate, Rotate and Scale pages: one group with an X, a Y
// and a Z row (label, slider, field, spin buttons). Each change goes to the
// engine at once for the object selected in the Objects tab's list.
#include <array>
#include <functional>

#include "ui/ObjectPage.h"

class GroupBox;

class CDialogObjectTransform : public CObjectPage {
    Q_OBJECT
public:
    // Sends an axis value to the engine for the object with this id.
    using AxisSetter = std::function<void(IEngine* engine, int objectId, int value)>;

    struct Layout {
        int groupId;
        const char* groupTitle;  // default caption
        const char* groupKey;    // language key, section "TabObjects"
        std::array<ParamRowIds, 3> rows;
        int minimum;
        int maximum;
    };

    CDialogObjectTransform(boxora::EngineBinding& engine, const Layout& layout, std::array<AxisSetter, 3> setters,
                           QWidget* parent = nullptr);

    void ApplyLanguageTexts() override;
    void RefreshObject(const ObjectSnapshot* object) override;

    ParamSpinBinding* Row(int axis) const { return rows_[static_cast<std::size_t>(axis)]; }

protected:
    // The integer an axis of the object shows.
    virtual int DisplayValue(const ObjectSnapshot& object, int axis) const = 0;
    // Whether showing an object sends the shown values back to the engine.
    virtual bool SendsOnRefresh() const { return true; }
    // Shows a value in a row without sending it to the engine.
    void ShowRowValue(int axis, int value);
    std::vector<LayoutRule> BuildLayoutRules() const override;
    virtual void SetPageEnabled(bool enabled);
    const Layout& PageLayout() const { return layout_; }

private:
    Layout layout_;
    GroupBox* group_;
    std::array<ParamSpinBinding*, 3> rows_{};
    // Set while values are shown rather than sent (and while the rows are
    // made, before a derived page exists).
    bool muted_ = true;
};
