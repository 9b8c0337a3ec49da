#include "ui/DialogGeneral.h"
#include "WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <exception>

#include "engine/IEngine.h"
#include "engine/SceneFileCheck.h"
#include "image/ImageFormat.h"
#include "lang/Lng.h"
#include "platform/Notifier.h"
#include "platform/TextUtil.h"
#include "project/TemplateLibrary.h"
#include "render/RenderJob.h"
#include "ui/DialogSaveTemplate.h"
#include "ui/GroupBox.h"
#include "ui/TemplateList.h"
#include "ui/TemplatePreview.h"
#include "ui/undo/SceneHistory.h"

using boxora::FormatText;
using boxora::MsgAnswer;
using boxora::MsgButtons;
using boxora::MsgIcon;
using boxora::Notifier;
using boxora::TemplateLibrary;

namespace {

std::string Text(const char* key) { return Lng().GetText("TabGeneral", key); }

}  // namespace

CDialogGeneral::CDialogGeneral(boxora::EngineBinding& engine, QWidget* parent) : CTabPage(engine, parent) {
    group_ = AddGroup(IDC_TEMPLATES_GROUP, "Templates");
    list_ = AddControl(IDC_TEMPLATE_LIST, new TemplateList(), 280, 180);
    load_ = AddControl(IDC_LOAD, new QPushButton("Load Template"), 90, 14);
    save_ = AddControl(IDC_SAVE, new QPushButton("Save Project as Template"), 90, 14);
    delete_ = AddControl(IDC_DELETE, new QPushButton("Delete Template"), 90, 14);
    BuildContextMenu();

    connect(load_, &QPushButton::clicked, this, &CDialogGeneral::LoadTemplate);
    connect(save_, &QPushButton::clicked, this, &CDialogGeneral::SaveProjectAsTemplate);
    connect(delete_, &QPushButton::clicked, this, &CDialogGeneral::DeleteTemplate);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { LoadTemplate(); });
    connect(list_, &TemplateList::deletePressed, this, &CDialogGeneral::DeleteTemplate);
    connect(list_, &QWidget::customContextMenuRequested, this, &CDialogGeneral::ShowContextMenu);
    // A finished edit is handled once the editor is gone: the messages it may
    // show must not take the focus from an editor that is still open.
    connect(list_, &TemplateList::renameCommitted, this, [this](const QString& oldName, const QString& newName) {
        QTimer::singleShot(0, this,
                           [this, o = oldName.toStdString(), n = newName.toStdString()] { FinishRename(o, n); });
    });
    connect(list_, &TemplateList::editingFinished, this, [this] {
        if (!refillPending_) return;
        QTimer::singleShot(0, this, [this] {
            if (refillPending_) RefillList();
        });
    });

    RefillList();
}

void CDialogGeneral::BuildContextMenu() {
    contextMenu_ = new QMenu(this);
    // The menu's own texts, not the language file's.
    loadAction_ =
        contextMenu_->addAction(QIcon(QStringLiteral(":/icons/menu/tmplload.png")), QStringLiteral("Load Template"));
    deleteAction_ = contextMenu_->addAction(QIcon(QStringLiteral(":/icons/menu/tmpldelete.png")),
                                            QStringLiteral("Delete Template"));
    contextMenu_->addSeparator();
    renameAction_ = contextMenu_->addAction(QIcon(QStringLiteral(":/icons/menu/tmplrename.png")),
                                            QStringLiteral("Rename Template"));
    loadAction_->setData(ID_TEMPLATE_LOAD);
    deleteAction_->setData(ID_TEMPLATE_DELETE);
    renameAction_->setData(ID_TEMPLATE_RENAME);
    connect(loadAction_, &QAction::triggered, this, &CDialogGeneral::LoadTemplate);
    connect(deleteAction_, &QAction::triggered, this, &CDialogGeneral::DeleteTemplate);
    connect(renameAction_, &QAction::triggered, this, &CDialogGeneral::RenameTemplate);
}

QAction* CDialogGeneral::ContextAction(int id) const {
    for (QAction* action : {loadAction_, deleteAction_, renameAction_})
        if (action && action->data().toInt() == id) return action;
    return nullptr;
}

void CDialogGeneral::ApplyLanguageTexts() {
    group_->setTitle(QString::fromStdString(Text("templates")));
    load_->setText(QString::fromStdString(Text("loadtemplate")));
    save_->setText(QString::fromStdString(Text("saveproj")));
    delete_->setText(QString::fromStdString(Text("delteml")));
}

void CDialogGeneral::RefreshFromEngine() { RefillList(); }

void CDialogGeneral::RefillList() {
    // Refilling would close an open name editor and lose the typing: wait
    // until the edit is finished.
    if (list_->IsEditing()) {
        refillPending_ = true;
        return;
    }
    refillPending_ = false;
    const int selected = list_->SelectedRow();
    list_->clear();
    const TemplateLibrary library = TemplateLibrary::ForCurrentUser();
    for (const std::string& name : library.Names()) {
        auto* item = new QListWidgetItem(QString::fromStdString(name));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setToolTip(item->text());  // long names are cut in the grid
        // Each item gets its own picture; one that cannot be read leaves only
        // that item without a picture.
        const QPixmap picture = boxora::LoadTemplatePreview(library.PicturePath(name), boxora::kTemplatePreviewSize);
        if (!picture.isNull()) item->setIcon(QIcon(picture));
        list_->addItem(item);
    }
    if (selected >= 0) list_->SelectRow(selected);
}

void CDialogGeneral::showEvent(QShowEvent* event) {
    CTabPage::showEvent(event);
    group_->lower();
    for (QWidget* w : std::initializer_list<QWidget*>{load_, save_, delete_, list_}) w->raise();
    list_->SelectRow(rememberedIndex_ < 0 ? 0 : rememberedIndex_);
}

void CDialogGeneral::hideEvent(QHideEvent* event) {
    rememberedIndex_ = list_->SelectedRow();
    CTabPage::hideEvent(event);
}

std::vector<LayoutRule> CDialogGeneral::BuildLayoutRules() const {
    const int cx = width();
    if (cx <= 0) return {};
    const int b = (cx - 42) / 3;
    const int p = static_cast<int>(static_cast<double>(b) / cx * 100.0);
    return {
        LayoutMoveRule(IDC_TEMPLATES_GROUP, LayoutTop, LAYOUT_ID_PARENT, LayoutTop, 3),
        LayoutMoveRule(IDC_TEMPLATES_GROUP, LayoutLeft, LAYOUT_ID_PARENT, LayoutLeft, 7),
        LayoutResizeRule(IDC_TEMPLATES_GROUP, LayoutRight, LAYOUT_ID_PARENT, LayoutRight, -7),
        LayoutResizeRule(IDC_TEMPLATES_GROUP, LayoutBottom, LAYOUT_ID_PARENT, LayoutBottom, -7),
        LayoutMoveRule(IDC_LOAD, LayoutLeft, IDC_TEMPLATES_GROUP, LayoutLeft, 7),
        LayoutMoveRule(IDC_LOAD, LayoutBottom, IDC_TEMPLATES_GROUP, LayoutBottom, -7),
        LayoutResizeRule(IDC_LOAD, LayoutWidth, IDC_TEMPLATES_GROUP, LayoutWidth, 0, p),
        LayoutMoveRule(IDC_DELETE, LayoutRight, IDC_TEMPLATES_GROUP, LayoutRight, -7),
        LayoutMoveRule(IDC_DELETE, LayoutBottom, IDC_TEMPLATES_GROUP, LayoutBottom, -7),
        LayoutResizeRule(IDC_DELETE, LayoutWidth, IDC_LOAD, LayoutWidth, 0, 100),
        LayoutMoveRule(IDC_SAVE, LayoutLeft, IDC_LOAD, LayoutRight, 7),
        LayoutMoveRule(IDC_SAVE, LayoutBottom, IDC_TEMPLATES_GROUP, LayoutBottom, -7),
        LayoutResizeRule(IDC_SAVE, LayoutWidth, IDC_LOAD, LayoutWidth, 0, 100),
        LayoutCenterHorzRule(IDC_SAVE, IDC_SAVE, IDC_TEMPLATES_GROUP, 0),
        LayoutMoveRule(IDC_TEMPLATE_LIST, LayoutTop, IDC_TEMPLATES_GROUP, LayoutTop, 10),
        LayoutMoveRule(IDC_TEMPLATE_LIST, LayoutLeft, IDC_TEMPLATES_GROUP, LayoutLeft, 7),
        LayoutResizeRule(IDC_TEMPLATE_LIST, LayoutRight, IDC_TEMPLATES_GROUP, LayoutRight, -7),
        LayoutResizeRule(IDC_TEMPLATE_LIST, LayoutBottom, IDC_LOAD, LayoutTop, -7),
    };
}

void CDialogGeneral::LoadTemplate() {
    const std::string name = list_->SelectedName().toStdString();
    if (name.empty() || !engine_.engine) return;
    const std::string scene = TemplateLibrary::ForCurrentUser().ScenePath(name);
    if (opener_) {
        save_->setEnabled(false);
        opener_(scene);
        save_->setEnabled(true);
        return;
    }
    if (loadGuard_ && !loadGuard_()) return;
    if (!IsReadableSceneFile(scene)) {
        Notifier().ShowMessage(CouldNotOpenFileText(scene), MsgIcon::Error, MsgButtons::Ok);
        return;
    }
    save_->setEnabled(false);
    {
        boxora::WaitCursor wait;
        IEngine* engine = engine_.engine;
        auto load = [engine, scene] {
            Notifier().EngineNotify(boxora::WM_ENGINE_BEGIN, boxora::ENGINE_OP_TEMPLATE);
            engine->LoadScene(scene);
            Notifier().EngineNotify(boxora::WM_ENGINE_END, 0);
        };
        const QByteArray before = history_ ? history_->TakeScene() : QByteArray();
        load();
        if (history_) history_->RecordSceneChange(before, load);
    }
    save_->setEnabled(true);
}

std::optional<std::string> CDialogGeneral::RunSaveTemplateDialog() {
    CDialogSaveTemplate dialog(TemplateLibrary::ForCurrentUser(), window());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Name();
}

void CDialogGeneral::SaveProjectAsTemplate() {
    const std::optional<std::string> name = prompt_ ? prompt_() : RunSaveTemplateDialog();
    if (!name || !engine_.engine) return;
    bool saved = false;
    {
        boxora::WaitCursor wait;
        if (name->empty()) return;
        try {
            const TemplateLibrary library = TemplateLibrary::ForCurrentUser();
            // The scene file is replaced only once the new one is completely
            // written, so a failed save keeps the template it would replace.
            if (engine_.engine->SaveScene(library.ScenePath(*name))) {
                codecOptions_.jpegQuality = 100;
                RenderJob job;
                job.fileName = library.PicturePath(*name);
                job.width = boxora::kTemplatePreviewSize;
                job.height = boxora::kTemplatePreviewSize;
                job.format = static_cast<int>(FORMAT_JPG);
                job.pngInterlace = codecOptions_.pngInterlace;
                job.jpegQuality = codecOptions_.jpegQuality;
                job.jpegOptions = codecOptions_.jpegOptions;
                job.gifCompression = codecOptions_.gifCompression;
                job.tiffCompression = codecOptions_.tiffCompression;
                // The engine renders the picture on its render thread and then
                // reports the scene change, which refills the list.
                engine_.engine->RenderToFile(job);
                saved = true;
            }
        } catch (const std::exception&) {
            saved = false;
        }
    }
    if (!saved) {
        Notifier().ShowMessage(Text("ersavetemplate"), MsgIcon::None, MsgButtons::Ok);
        return;
    }
    // The new template is listed at once; its picture follows the render.
    RefillList();
}

void CDialogGeneral::DeleteTemplate() {
    const std::string name = list_->SelectedName().toStdString();
    const std::string question = FormatText(Text("deltemplate"), {name});
    if (name.empty()) return;
    if (Notifier().ShowMessage(question, MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes) return;
    bool removed = false;
    try {
        removed = TemplateLibrary::ForCurrentUser().Remove(name);
    } catch (const std::exception&) {
        removed = false;
    }
    if (!removed) Notifier().ShowMessage(FormatText(Text("erdeltemplate"), {name}), MsgIcon::None, MsgButtons::Ok);
    RefillList();
}

void CDialogGeneral::RenameTemplate() { list_->EditSelectedName(); }

bool CDialogGeneral::FinishRename(const std::string& oldName, const std::string& newName) {
    if (newName == oldName) return true;  // nothing changed
    if (!TemplateLibrary::IsValidName(newName)) {
        Notifier().ShowMessage(FormatText(Text("invalidname"), {oldName, newName}), MsgIcon::Error, MsgButtons::Ok);
        return false;
    }
    const TemplateLibrary library = TemplateLibrary::ForCurrentUser();
    if (library.Exists(newName)) {
        Notifier().ShowMessage(FormatText(Text("tmplexist"), {newName}), MsgIcon::Error, MsgButtons::Ok);
        return false;
    }
    TemplateLibrary::RenameResult result = TemplateLibrary::RenameResult::Failed;
    const std::string oldPicture = library.PicturePath(oldName);
    try {
        result = library.Rename(oldName, newName);
    } catch (const std::exception&) {
        result = TemplateLibrary::RenameResult::Failed;
    }
    if (result == TemplateLibrary::RenameResult::NameTaken) {
        Notifier().ShowMessage(FormatText(Text("tmplexist"), {newName}), MsgIcon::Error, MsgButtons::Ok);
        return false;
    }
    if (result != TemplateLibrary::RenameResult::Renamed) {
        Notifier().ShowMessage(FormatText(Text("errrename"), {oldName}), MsgIcon::Error, MsgButtons::Ok);
        return false;
    }
    // A preview still being rendered lands under the new name.
    if (engine_.retargetRenderOutput) engine_.retargetRenderOutput(oldPicture, library.PicturePath(newName));

    // The item takes the new name, keeps its picture and moves to its place
    // in the order; it stays selected.
    const QString oldText = QString::fromStdString(oldName);
    const QString newText = QString::fromStdString(newName);
    for (int row = 0; row < list_->count(); ++row) {
        if (list_->item(row)->text() != oldText) continue;
        QListWidgetItem* item = list_->takeItem(row);
        item->setText(newText);
        item->setToolTip(newText);
        int target = 0;
        while (target < list_->count() && boxora::TemplateNameLess(list_->item(target)->text().toStdString(), newName))
            ++target;
        list_->insertItem(target, item);
        list_->SelectRow(target);
        break;
    }
    return true;
}

void CDialogGeneral::ShowContextMenu(const QPoint& pos) {
    QListWidgetItem* item = list_->itemAt(pos);
    if (!item) return;
    list_->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    contextMenu_->exec(list_->viewport()->mapToGlobal(pos));
}
