#pragma once
// The Camera tab: orbit rotations, target, zoom and perspective.
#include "ui/TabPage.h"

class GroupBox;

class CDialogCamera : public CTabPage {
    Q_OBJECT
public:
    // Refresh selectors: every row, the two rotation rows, the zoom row.
    enum Refresh { RefreshAll = 0, RefreshRotation = 1, RefreshZoom = 2 };

    explicit CDialogCamera(boxora::EngineBinding& engine, QWidget* parent = nullptr);

    void ApplyLanguageTexts() override;
    void RefreshFromEngine() override { RefreshFromEngine(RefreshAll); }
    void RefreshFromEngine(int selector);

    ParamSpinBinding* HorizontalRotation() const { return rows_[0]; }
    ParamSpinBinding* VerticalRotation() const { return rows_[1]; }
    ParamSpinBinding* TargetHorizontal() const { return rows_[2]; }
    ParamSpinBinding* TargetVertical() const { return rows_[3]; }
    ParamSpinBinding* Zoom() const { return rows_[4]; }
    ParamSpinBinding* Perspective() const { return rows_[5]; }

protected:
    std::vector<LayoutRule> BuildLayoutRules() const override;

private:
    GroupBox* group_;
    ParamSpinBinding* rows_[6];
};
