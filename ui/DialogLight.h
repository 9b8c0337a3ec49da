#pragma once
// The Lighting tab: global brightness and the two light sources, each with a
// check box on its group frame that switches the light and greys its rows.
#include "ui/TabPage.h"

class GroupBox;
class QCheckBox;

class CDialogLight : public CTabPage {
    Q_OBJECT
public:
    explicit CDialogLight(boxora::EngineBinding& engine, QWidget* parent = nullptr);

    void ApplyLanguageTexts() override;
    void RefreshFromEngine() override;

    ParamSpinBinding* Brightness() const { return brightness_; }
    // light 1 or 2: rows 0 horizontal rotation, 1 vertical rotation, 2 distance.
    ParamSpinBinding* LightRow(int light, int row) const { return lightRows_[light == 2 ? 1 : 0][row]; }
    QCheckBox* LightCheck(int light) const { return checks_[light == 2 ? 1 : 0]; }

protected:
    std::vector<LayoutRule> BuildLayoutRules() const override;

private:
    void OnLightClicked(int light);
    void EnableLightRows(int light, bool enabled);

    GroupBox* globalGroup_;
    GroupBox* lightGroups_[2];
    QCheckBox* checks_[2];
    ParamSpinBinding* brightness_;
    ParamSpinBinding* lightRows_[2][3];
};
