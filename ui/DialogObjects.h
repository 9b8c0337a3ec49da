#pragma once
// The Objects tab: the objects of the scene and, below them, the sub-tabs
// that edit the selected object's face images, position, rotation and scale.
#include "ui/TabPage.h"

class QAction;
class QMenu;
class QPushButton;
struct ObjectSnapshot;
class CTabCtrlObjects;
class GroupBox;

namespace boxora {
class ObjectIconList;
}

class CDialogObjects : public CTabPage {
    Q_OBJECT
public:
    explicit CDialogObjects(boxora::EngineBinding& engine, QWidget* parent = nullptr);

    void ApplyLanguageTexts() override;
    // Refills the list and shows the selected object on the sub-tabs.
    void RefreshFromEngine() override;

    // Id of the selected object, -1 when none is selected.
    int SelectedObjectId() const;

    // Scales the selected object so that each cover face takes the
    // proportions of its image; one undo step. False when no image gave a
    // proportion (the user is told) or nothing is selected.
    bool FitSelectedToImages();

    boxora::ObjectIconList* ObjectList() const { return list_; }
    QPushButton* FitButton() const { return fitButton_; }
    QAction* FitAction() const { return fitAction_; }
    CTabCtrlObjects* SubTabs() const { return subTabs_; }

protected:
    std::vector<LayoutRule> BuildLayoutRules() const override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // keepCurrent: the selected row stays selected (a refresh while the
    // page is on screen); otherwise the row remembered at hiding is taken.
    void Refill(bool keepCurrent);
    void OnSelectionChanged();
    // Hands the object with this id (or none) to the sub-tabs, as the
    // engine's snapshot shows it.
    void ShowObject(int id);

    void ShowContextMenu(const QPoint& at);

    GroupBox* group_;
    QPushButton* fitButton_;
    QAction* fitAction_;
    QMenu* contextMenu_;
    boxora::ObjectIconList* list_;
    CTabCtrlObjects* subTabs_;
    int remembered_ = -1;
};
