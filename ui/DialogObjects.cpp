#include "ui/DialogObjects.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>

#include "engine/FitToImages.h"
#include "engine/IEngine.h"
#include "lang/Lng.h"
#include "platform/Notifier.h"
#include "ui/GroupBox.h"
#include "ui/ObjectIconList.h"
#include "ui/TabCtrlObjects.h"
#include "ui/WaitCursor.h"
#include "ui/undo/SceneHistory.h"

namespace {
constexpr int IDC_OBJECTS_GROUP = 1009;
constexpr int IDC_OBJECTS_LIST = 1010;
constexpr int IDC_OBJECT_TABS = 1007;
constexpr int IDC_FIT_IMAGES = 1011;

QString Text(const char* key, const char* fallback) {
    const std::string text = Lng().GetText("TabObjects", key);
    return QString::fromStdString(text.empty() ? fallback : text);
}
}  // namespace

CDialogObjects::CDialogObjects(boxora::EngineBinding& engine, QWidget* parent) : CTabPage(engine, parent) {
    group_ = AddGroup(IDC_OBJECTS_GROUP, "Objects");
    list_ = AddControl(IDC_OBJECTS_LIST, new boxora::ObjectIconList(), 200, 60);
    list_->SetHotTracking(true);
    subTabs_ = AddControl(IDC_OBJECT_TABS, new CTabCtrlObjects(engine), 200, 150);
    subTabs_->SetObjectList(list_);
    connect(list_, &QListWidget::itemSelectionChanged, this, &CDialogObjects::OnSelectionChanged);

    fitButton_ = AddControl(IDC_FIT_IMAGES, new QPushButton("Fit to Images"), 80, 14);
    connect(fitButton_, &QPushButton::clicked, this, [this] { FitSelectedToImages(); });
    contextMenu_ = new QMenu(this);
    fitAction_ = contextMenu_->addAction("Fit to Images");
    connect(fitAction_, &QAction::triggered, this, [this] { FitSelectedToImages(); });
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &CDialogObjects::ShowContextMenu);
}

void CDialogObjects::ShowContextMenu(const QPoint& at) {
    if (SelectedObjectId() < 0) return;
    contextMenu_->popup(list_->viewport()->mapToGlobal(at));
}

bool CDialogObjects::FitSelectedToImages() {
    const int id = SelectedObjectId();
    if (id < 0 || !engine_.engine) return false;
    const SceneSnapshotPtr scene = boxora::ReadSnapshot(engine_);
    const ObjectSnapshot* object = scene->Find(id);
    if (!object) return false;
    std::optional<std::array<float, 3>> fitted;
    {
        const boxora::WaitCursor wait;  // print art can take a moment to read
        fitted = boxora::FitObjectToImages(*engine_.engine, *object);
    }
    if (!fitted) {
        boxora::Notifier().ShowMessage(Text("fitnoimages",
                                            "None of this object's face images could be read, so "
                                            "there are no proportions to fit.")
                                           .toStdString(),
                                       boxora::MsgIcon::Information, boxora::MsgButtons::Ok);
        return false;
    }
    engine_.engine->Redraw();
    if (history_) {
        static const char kFitSource = 0;
        history_->RecordScale(&kFitSource, list_->FirstSelectedIndex(), object->scale, *fitted);
    }
    ShowObject(id);
    return true;
}

void CDialogObjects::ApplyLanguageTexts() {
    group_->setTitle(QString::fromStdString(Lng().GetText("TabObjects", "objs")));
    fitButton_->setText(Text("fitimages", "Fit to Images"));
    fitAction_->setText(fitButton_->text());
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
    const ObjectSnapshot* object = id != -1 ? scene->Find(id) : nullptr;
    fitButton_->setEnabled(object != nullptr);
    subTabs_->Refresh(object);
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
        LayoutMoveRule(IDC_FIT_IMAGES, LayoutTop, IDC_OBJECTS_LIST, LayoutBottom, 3),
        LayoutMoveRule(IDC_FIT_IMAGES, LayoutLeft, IDC_OBJECTS_GROUP, LayoutLeft, 7),
        LayoutMoveRule(IDC_OBJECT_TABS, LayoutTop, IDC_FIT_IMAGES, LayoutBottom, 3),
        LayoutMoveRule(IDC_OBJECT_TABS, LayoutLeft, IDC_OBJECTS_GROUP, LayoutLeft, 7),
        LayoutResizeRule(IDC_OBJECT_TABS, LayoutRight, IDC_OBJECTS_GROUP, LayoutRight, -7),
        LayoutResizeRule(IDC_OBJECT_TABS, LayoutBottom, IDC_OBJECTS_GROUP, LayoutBottom, -7),
    };
}
