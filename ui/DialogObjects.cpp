#include "ui/DialogObjects.h"

#include <QShowEvent>
#include <algorithm>

#include "engine/IEngine.h"
#include "lang/Lng.h"
#include "ui/GroupBox.h"
#include "ui/ObjectIconList.h"
#include "ui/TabCtrlObjects.h"

namespace {
constexpr int IDC_OBJECTS_GROUP = 1009;
constexpr int IDC_OBJECTS_LIST = 1010;
constexpr int IDC_OBJECT_TABS = 1007;
}  // namespace

CDialogObjects::CDialogObjects(boxora::EngineBinding& engine, QWidget* parent) : CTabPage(engine, parent) {
    group_ = AddGroup(IDC_OBJECTS_GROUP, "Objects");
    list_ = AddControl(IDC_OBJECTS_LIST, new boxora::ObjectIconList(), 200, 60);
    list_->SetHotTracking(true);
    subTabs_ = AddControl(IDC_OBJECT_TABS, new CTabCtrlObjects(engine), 200, 150);
    subTabs_->SetObjectList(list_);
    connect(list_, &QListWidget::itemSelectionChanged, this, &CDialogObjects::OnSelectionChanged);
}

void CDialogObjects::ApplyLanguageTexts() {
    group_->setTitle(QString::fromStdString(Lng().GetText("TabObjects", "objs")));
    subTabs_->ApplyLanguageTexts();
}

void CDialogObjects::RefreshFromEngine() { Refill(isVisible()); }

int CDialogObjects::SelectedObjectId() const { return list_->LastSelectedId(); }

void CDialogObjects::showEvent(QShowEvent* event) {
    CTabPage::showEvent(event);
    if (event->spontaneous()) return;
    subTabs_->Refresh(nullptr);
    Refill(false);
    list_->raise();
    subTabs_->raise();
}

void CDialogObjects::hideEvent(QHideEvent* event) {
    CTabPage::hideEvent(event);
    if (event->spontaneous()) return;
    remembered_ = list_->FirstSelectedIndex();
}

// A scene change while the page is on screen must not switch the object
// being edited, so such a refill keeps the selected row.
void CDialogObjects::Refill(bool keepCurrent) {
    int select = keepCurrent ? list_->FirstSelectedIndex() : -1;
    if (select < 0) select = remembered_;

    std::vector<boxora::ObjectIconList::Entry> entries;
    if (engine_.engine) entries = boxora::SceneObjectEntries(*engine_.engine);
    const int count = static_cast<int>(entries.size());
    if (select >= count) select = 0;
    {
        const QSignalBlocker blocker(list_);
        list_->Fill(entries);
        if (count > 0) list_->SelectIndex(select < 0 ? 0 : select);
    }
    ShowObject(count > 0 ? list_->LastSelectedId() : -1);
}

void CDialogObjects::OnSelectionChanged() { ShowObject(list_->LastSelectedId()); }

void CDialogObjects::ShowObject(int id) {
    // The snapshot stays alive while the pages write its values back.
    const SceneSnapshotPtr scene = boxora::ReadSnapshot(engine_);
    subTabs_->Refresh(id != -1 ? scene->Find(id) : nullptr);
}

std::vector<LayoutRule> CDialogObjects::BuildLayoutRules() const {
    return {
        LayoutMoveRule(IDC_OBJECTS_GROUP, LayoutTop, LAYOUT_ID_PARENT, LayoutTop, 3),
        LayoutMoveRule(IDC_OBJECTS_GROUP, LayoutLeft, LAYOUT_ID_PARENT, LayoutLeft, 7),
        LayoutResizeRule(IDC_OBJECTS_GROUP, LayoutRight, LAYOUT_ID_PARENT, LayoutRight, -7),
        LayoutResizeRule(IDC_OBJECTS_GROUP, LayoutBottom, LAYOUT_ID_PARENT, LayoutBottom, -7),
        LayoutMoveRule(IDC_OBJECTS_LIST, LayoutTop, IDC_OBJECTS_GROUP, LayoutTop, 10),
        LayoutMoveRule(IDC_OBJECTS_LIST, LayoutLeft, IDC_OBJECTS_GROUP, LayoutLeft, 7),
        LayoutResizeRule(IDC_OBJECTS_LIST, LayoutRight, IDC_OBJECTS_GROUP, LayoutRight, -7),
        LayoutResizeRule(IDC_OBJECTS_LIST, LayoutBottom, IDC_OBJECTS_GROUP, LayoutTop, 70),
        LayoutMoveRule(IDC_OBJECT_TABS, LayoutTop, IDC_OBJECTS_LIST, LayoutBottom, 3),
        LayoutMoveRule(IDC_OBJECT_TABS, LayoutLeft, IDC_OBJECTS_GROUP, LayoutLeft, 7),
        LayoutResizeRule(IDC_OBJECT_TABS, LayoutRight, IDC_OBJECTS_GROUP, LayoutRight, -7),
        LayoutResizeRule(IDC_OBJECT_TABS, LayoutBottom, IDC_OBJECTS_GROUP, LayoutBottom, -7),
    };
}
