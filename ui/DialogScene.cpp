#include "ui/DialogScene.h"
#include "WaitCursor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <algorithm>
#include <filesystem>

#include "engine/IEngine.h"
#include "lang/Lng.h"
#include "platform/AppPaths.h"
#include "platform/Notifier.h"
#include "platform/TextUtil.h"
#include "ui/DialogAddShape.h"
#include "ui/GroupBox.h"
#include "ui/ObjectIconList.h"
#include "ui/Thumbnails.h"
#include "ui/undo/SceneHistory.h"

namespace {
constexpr int IDC_SCENE_GROUP = 1089;
constexpr int IDC_SCENE_LIST = 1058;
constexpr int IDC_ADD_OBJECT = 1002;
constexpr int IDC_DELETE_OBJECT = 1003;
constexpr int IDC_ADD_SHAPE = 1004;
constexpr int IDC_CATALOGUE_GROUP = 1090;
constexpr int IDC_CATALOGUE_LIST = 1059;
constexpr int kButtonUnits = 70;

QString Text(const char* key) { return QString::fromStdString(Lng().GetText("TabScene", key)); }

bool EndsWith3ds(const std::string& name) {
    if (name.size() < 4) return false;
    return boxora::EqualsIgnoreCase(std::string_view(name).substr(name.size() - 4), ".3ds");
}

}  // namespace

CDialogScene::CDialogScene(boxora::EngineBinding& engine, QWidget* parent) : CTabPage(engine, parent) {
    sceneGroup_ = AddGroup(IDC_SCENE_GROUP, "Objects in Scene");
    sceneList_ = AddControl(IDC_SCENE_LIST, new boxora::ObjectIconList(), 200, 60);
    addButton_ = AddControl(IDC_ADD_OBJECT, new QPushButton("Add Object"), kButtonUnits, 15);
    deleteButton_ = AddControl(IDC_DELETE_OBJECT, new QPushButton("Delete Object"), kButtonUnits, 15);
    addShapeButton_ = AddControl(IDC_ADD_SHAPE, new QPushButton("Add Shape..."), kButtonUnits, 15);
    catalogueGroup_ = AddGroup(IDC_CATALOGUE_GROUP, "Available Objects");
    catalogue_ = AddControl(IDC_CATALOGUE_LIST, new boxora::ObjectIconList(), 200, 100);
    SizeButtons();

    connect(addButton_, &QPushButton::clicked, this, &CDialogScene::AddObject);
    connect(deleteButton_, &QPushButton::clicked, this, &CDialogScene::DeleteObject);
    connect(addShapeButton_, &QPushButton::clicked, this, &CDialogScene::AddShape);
    connect(catalogue_, &QListWidget::itemDoubleClicked, this, [this] { AddObject(); });
    sceneList_->installEventFilter(this);
}

std::string CDialogScene::DeleteQuestion(const std::string& objectName) {
    // A fixed English question, not from the language file.
    return boxora::FormatText("Do you realy want to delete object '%s'?", {objectName});
}

void CDialogScene::ApplyLanguageTexts() {
    sceneGroup_->setTitle(Text("objinscn"));
    catalogueGroup_->setTitle(Text("avlblobj"));
    addButton_->setText(Text("addobj"));
    deleteButton_->setText(Text("delobj"));
    const std::string addShape = Lng().GetText("TabScene", "addshape");
    addShapeButton_->setText(QString::fromStdString(addShape.empty() ? "Add Shape..." : addShape));
    SizeButtons();
    Relayout();
}

// The rules only move the buttons: they keep the width of their captions.
void CDialogScene::SizeButtons() {
    for (QPushButton* button : {addButton_, deleteButton_, addShapeButton_})
        button->resize(std::max(DialogX(kButtonUnits), button->sizeHint().width() + DialogX(6)),
                       std::max(DialogY(15), button->sizeHint().height()));
}

void CDialogScene::RefreshFromEngine() { RefillSceneList(isVisible()); }

void CDialogScene::showEvent(QShowEvent* event) {
    CTabPage::showEvent(event);
    if (event->spontaneous()) return;
    RefillSceneList(false);
    if (!catalogueFilled_) {
        FillCatalogue();
        catalogueFilled_ = true;
        catalogue_->SelectIndex(rememberedCatalogue_ < 0 ? 0 : rememberedCatalogue_);
    }
}

void CDialogScene::hideEvent(QHideEvent* event) {
    CTabPage::hideEvent(event);
    if (event->spontaneous()) return;
    rememberedScene_ = sceneList_->FirstSelectedIndex();
    rememberedCatalogue_ = catalogue_->FirstSelectedIndex();
}

// The index remembered when the page was hidden is selected (the first item
// when none was); a refresh while the page is on screen keeps the current
// selection, or the last item when the selected one is gone.
void CDialogScene::RefillSceneList(bool keepCurrent) {
    int select = keepCurrent ? sceneList_->FirstSelectedIndex() : -1;
    if (select < 0) select = rememberedScene_ < 0 ? 0 : rememberedScene_;

    std::vector<boxora::ObjectIconList::Entry> entries;
    if (engine_.engine) entries = boxora::SceneObjectEntries(*engine_.engine);
    sceneList_->Fill(entries);
    if (!entries.empty()) sceneList_->SelectIndex(std::min(select, static_cast<int>(entries.size()) - 1));
}

void CDialogScene::FillCatalogue() {
    namespace fs = std::filesystem;
    const std::string folder = boxora::ObjectsFolder();
    std::vector<std::string> files;
    std::error_code error;
    for (fs::directory_iterator it(fs::path(folder), error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.' || !EndsWith3ds(name)) continue;
        std::error_code typeError;
        if (it->is_directory(typeError)) continue;
        files.push_back(name);
    }
    std::sort(files.begin(), files.end(),
              [](const std::string& a, const std::string& b) { return boxora::CompareUpperOrdinal(a, b) < 0; });

    std::vector<boxora::ObjectIconList::Entry> entries;
    for (const std::string& file : files) {
        const std::string name = file.substr(0, file.size() - 4);
        boxora::ObjectIconList::Entry entry;
        entry.text = QString::fromStdString(name);
        entry.thumbnail = boxora::LoadThumbnail(folder + name + ".png");
        entry.path = QString::fromStdString(folder + file);
        entries.push_back(std::move(entry));
    }
    catalogue_->Fill(entries);
}

void CDialogScene::AddObject() {
    const int row = catalogue_->FirstSelectedIndex();
    if (row < 0 || !engine_.engine) return;
    addButton_->setEnabled(false);
    addButton_->repaint();
    repaint();
    AddModel(catalogue_->PathAt(row).toStdString());
    addButton_->setEnabled(true);
}

void CDialogScene::AddShape() {
    if (!engine_.engine) return;
    CDialogAddShape dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    AddModel(dialog.ShapeName());
}

void CDialogScene::AddModel(const std::string& path) {
    boxora::WaitCursor wait;
    IEngine* engine = engine_.engine;
    auto add = [engine, path] {
        engine->AddObject(path);
        engine->Redraw(0);
    };
    const QByteArray before = history_ ? history_->TakeScene() : QByteArray();
    add();
    if (history_) history_->RecordSceneChange(before, add);
}

void CDialogScene::DeleteObject() {
    const int row = sceneList_->FirstSelectedIndex();
    const int id = row < 0 ? -1 : sceneList_->IdAt(row);
    if (row >= 0 && id != -1 && engine_.engine) {
        const std::string name = sceneList_->item(row)->text().toStdString();
        const boxora::MsgAnswer answer =
            boxora::Notifier().ShowMessage(DeleteQuestion(name), boxora::MsgIcon::Question, boxora::MsgButtons::YesNo);
        if (answer == boxora::MsgAnswer::Yes) {
            deleteButton_->setEnabled(false);
            {
                boxora::WaitCursor wait;
                const QByteArray before = history_ ? history_->TakeScene() : QByteArray();
                RemoveObject(id);
                // Done again, the step deletes whatever object then stands at
                // the same place in the list.
                if (history_)
                    history_->RecordSceneChange(before, [this, row] {
                        const std::vector<ObjectListEntry> objects = engine_.engine->GetObjectList();
                        if (row < static_cast<int>(objects.size()))
                            RemoveObject(objects[static_cast<std::size_t>(row)].id);
                    });
            }
            deleteButton_->setEnabled(true);
        }
    }
    RefillSceneList(true);
}

void CDialogScene::RemoveObject(int id) {
    if (engine_.queueObjectDeletion)
        engine_.queueObjectDeletion(id);
    else
        engine_.engine->DeleteObject(id, true);
    engine_.engine->Redraw(0);
}

bool CDialogScene::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sceneList_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DeleteObject();
        return true;
    }
    return CTabPage::eventFilter(watched, event);
}

std::vector<LayoutRule> CDialogScene::BuildLayoutRules() const {
    return {
        LayoutMoveRule(IDC_SCENE_GROUP, LayoutTop, LAYOUT_ID_PARENT, LayoutTop, 3),
        LayoutMoveRule(IDC_SCENE_GROUP, LayoutLeft, LAYOUT_ID_PARENT, LayoutLeft, 7),
        LayoutResizeRule(IDC_SCENE_GROUP, LayoutRight, LAYOUT_ID_PARENT, LayoutRight, -7),
        LayoutResizeRule(IDC_SCENE_GROUP, LayoutBottom, IDC_SCENE_LIST, LayoutBottom, 7),
        LayoutMoveRule(IDC_SCENE_LIST, LayoutTop, IDC_SCENE_GROUP, LayoutTop, 10),
        LayoutMoveRule(IDC_SCENE_LIST, LayoutLeft, IDC_SCENE_GROUP, LayoutLeft, 7),
        LayoutResizeRule(IDC_SCENE_LIST, LayoutRight, IDC_SCENE_GROUP, LayoutRight, -7),
        LayoutResizeRule(IDC_SCENE_LIST, LayoutBottom, IDC_SCENE_GROUP, LayoutTop, 70),
        LayoutMoveRule(IDC_ADD_OBJECT, LayoutTop, IDC_SCENE_GROUP, LayoutBottom, 7),
        LayoutMoveRule(IDC_ADD_OBJECT, LayoutLeft, LAYOUT_ID_PARENT, LayoutWidth, 0, 15),
        LayoutMoveRule(IDC_DELETE_OBJECT, LayoutTop, IDC_SCENE_GROUP, LayoutBottom, 7),
        LayoutMoveRule(IDC_DELETE_OBJECT, LayoutRight, LAYOUT_ID_PARENT, LayoutWidth, 0, 85),
        LayoutMoveRule(IDC_ADD_SHAPE, LayoutTop, IDC_SCENE_GROUP, LayoutBottom, 7),
        LayoutCenterHorzRule(IDC_ADD_SHAPE, IDC_ADD_SHAPE, LAYOUT_ID_PARENT),
        LayoutMoveRule(IDC_CATALOGUE_GROUP, LayoutTop, IDC_ADD_OBJECT, LayoutBottom, 3),
        LayoutMoveRule(IDC_CATALOGUE_GROUP, LayoutLeft, LAYOUT_ID_PARENT, LayoutLeft, 7),
        LayoutResizeRule(IDC_CATALOGUE_GROUP, LayoutRight, LAYOUT_ID_PARENT, LayoutRight, -7),
        LayoutResizeRule(IDC_CATALOGUE_GROUP, LayoutBottom, LAYOUT_ID_PARENT, LayoutBottom, -7),
        LayoutMoveRule(IDC_CATALOGUE_LIST, LayoutTop, IDC_CATALOGUE_GROUP, LayoutTop, 10),
        LayoutMoveRule(IDC_CATALOGUE_LIST, LayoutLeft, IDC_CATALOGUE_GROUP, LayoutLeft, 7),
        LayoutResizeRule(IDC_CATALOGUE_LIST, LayoutRight, IDC_CATALOGUE_GROUP, LayoutRight, -7),
        LayoutResizeRule(IDC_CATALOGUE_LIST, LayoutBottom, IDC_CATALOGUE_GROUP, LayoutBottom, -7),
    };
}
