#pragma once
// The Reflection tab: floor reflection length and opacity, and the background
// (a colour, or transparent).
#include "ui/TabPage.h"

class ColorButton;
class GroupBox;
class QRadioButton;

class CDialogReflection : public CTabPage {
    Q_OBJECT
public:
    explicit CDialogReflection(boxora::EngineBinding& engine, QWidget* parent = nullptr);

    void ApplyLanguageTexts() override;
    void RefreshFromEngine() override;

    ParamSpinBinding* Length() const { return rows_[0]; }
    ParamSpinBinding* Opacity() const { return rows_[1]; }
    QRadioButton* ColorRadio() const { return colorRadio_; }
    QRadioButton* TransparentRadio() const { return transparentRadio_; }
    ColorButton* BackgroundButton() const { return colorButton_; }

protected:
    std::vector<LayoutRule> BuildLayoutRules() const override;

private:
    GroupBox* reflectionGroup_;
    GroupBox* backgroundGroup_;
    ParamSpinBinding* rows_[2];
    QRadioButton* colorRadio_;
    QRadioButton* transparentRadio_;
    ColorButton* colorButton_;
};
