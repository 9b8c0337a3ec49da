#pragma once
// The Shadows tab: direction, length, intensity and blur of the drop shadow.
#include "ui/TabPage.h"

class GroupBox;

class CDialogShadow : public CTabPage {
    Q_OBJECT
public:
    explicit CDialogShadow(boxora::EngineBinding& engine, QWidget* parent = nullptr);

    void ApplyLanguageTexts() override;
    void RefreshFromEngine() override;

    ParamSpinBinding* Direction() const { return rows_[0]; }
    ParamSpinBinding* Length() const { return rows_[1]; }
    ParamSpinBinding* Intensity() const { return rows_[2]; }
    ParamSpinBinding* Blur() const { return rows_[3]; }

protected:
    std::vector<LayoutRule> BuildLayoutRules() const override;

private:
    GroupBox* group_;
    ParamSpinBinding* rows_[4];
};
