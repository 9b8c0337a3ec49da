#pragma once
// Base of the control panel's tab pages: child controls carry control ids and
// are placed by the page's layout rules on every resize; the panel asks each
// page to apply its language texts and to re-read the scene.
#include <QWidget>
#include <functional>
#include <vector>

#include "ui/EngineBinding.h"
#include "ui/ParamSpinBinding.h"
#include "ui/layout/LayoutRules.h"

class QLabel;
class GroupBox;

namespace boxora {
class SceneHistory;
}

class CTabPage : public QWidget {
    Q_OBJECT
public:
    CTabPage(boxora::EngineBinding& engine, QWidget* parent = nullptr);

    // Sets every caption of the page from the current language.
    virtual void ApplyLanguageTexts() {}
    // Re-reads the page's values from the scene.
    virtual void RefreshFromEngine() {}

    // Where the page keeps the user's changes for undo (null: nowhere).
    void SetHistory(boxora::SceneHistory* history) { history_ = history; }
    boxora::SceneHistory* History() const { return history_; }
    // A row of the page went from before to after by the user's hand.
    virtual void RowEdited(ParamSpinBinding* row, int before, int after);
    // The user let go of a row: its next change is a step of its own.
    void EndRowEdit();

    // Places the controls by the page's rules (also done on every resize).
    bool Relayout();
    // The direct child with this control id, or null.
    QWidget* Control(int id) const;

protected:
    virtual std::vector<LayoutRule> BuildLayoutRules() const { return {}; }
    void resizeEvent(QResizeEvent* event) override;

    // Size in pixels of a rectangle given in dialog units of this page.
    QSize DialogSize(int widthUnits, int heightUnits) const;
    int DialogX(int units) const;
    int DialogY(int units) const;

    // Adopts widget as a child control with this id and an initial size in
    // dialog units.
    template <class W>
    W* AddControl(int id, W* widget, int widthUnits, int heightUnits) {
        AdoptControl(id, widget, widthUnits, heightUnits);
        return widget;
    }
    QLabel* AddLabel(int id, const QString& text, int widthUnits = 70, int heightUnits = 8);
    GroupBox* AddGroup(int id, const QString& title);
    // A settings row for a scene setting: its range and setter come from the
    // setting's table row, its undo steps go to the engine. Initialize() is
    // left to the page.
    ParamSpinBinding* AddSettingRow(ParamRowIds ids, boxora::Setting setting, int placeholder,
                                    const QString& defaultLabel);
    // Every row made by AddSettingRow shows what the scene holds.
    void RefreshSettingRows();
    // Creates a settings row (label, slider, field, spin buttons) with the
    // usual control sizes; Initialize() is left to the page.
    ParamSpinBinding* AddParamRow(ParamRowIds ids, int minimum, int maximum, int placeholder,
                                  const QString& defaultLabel, std::function<void(int)> setter);

    boxora::EngineBinding& engine_;
    boxora::SceneHistory* history_ = nullptr;

private:
    std::vector<ParamSpinBinding*> settingRows_;

    void AdoptControl(int id, QWidget* widget, int widthUnits, int heightUnits);
};
