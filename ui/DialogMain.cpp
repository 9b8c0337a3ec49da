#include "ui/DialogMain.h"

#include <QApplication>
#include <QLabel>
#include <QWheelEvent>
#include <algorithm>

#include "engine/IEngine.h"
#include "lang/Lng.h"
#include "model/ModelTypes.h"
#include "platform/AppPaths.h"
#include "ui/DialogCamera.h"
#include "ui/DialogGeneral.h"
#include "ui/DialogLight.h"
#include "ui/DialogObjects.h"
#include "ui/DialogOpenGL.h"
#include "ui/DialogReflection.h"
#include "ui/DialogRender.h"
#include "ui/DialogScene.h"
#include "ui/DialogShadow.h"
#include "ui/GroupBox.h"
#include "ui/LayoutAdapter.h"
#include "ui/TabCtrlMain.h"
#include "ui/TabPage.h"
#include "ui/undo/SceneHistory.h"

namespace {
constexpr int IDC_PREVIEW_GROUP = 1133;
constexpr int IDC_PREVIEW_SETTINGS_GROUP = 1134;
constexpr int IDC_TAB_MAIN = 1000;
constexpr int IDC_PREVIEW = 1139;  // the preview window's own id among the panel's children
}  // namespace

CDialogMain::CDialogMain(boxora::EngineBinding& engine, QWidget* parent)
    : QWidget(parent), engine_(engine), history_(new boxora::SceneHistory(engine, this)) {
    setAutoFillBackground(true);
    previewGroup_ = new GroupBox("Preview", this);
    boxora::SetControlId(previewGroup_, IDC_PREVIEW_GROUP);
    previewSettingsGroup_ = new GroupBox("Preview settings", this);
    boxora::SetControlId(previewSettingsGroup_, IDC_PREVIEW_SETTINGS_GROUP);
    previewSettingsGroup_->hide();

    tabs_ = new CTabCtrlMain(engine, this);
    boxora::SetControlId(tabs_, IDC_TAB_MAIN);

    preview_ = new CDialogOpenGL(engine, this);
    boxora::SetControlId(preview_, IDC_PREVIEW);
    preview_->SetPages(tabs_->CameraPage(), tabs_->LightPage(), tabs_->ShadowPage());
    preview_->SetDropTarget(this);

    // Every page, the object sub-pages among them, and the preview keep the
    // user's changes in the history; an undo makes the pages show the scene
    // again.
    for (CTabPage* page : tabs_->findChildren<CTabPage*>()) page->SetHistory(history_);
    preview_->SetHistory(history_);
    history_->SetRefresh([this] { RefreshFromScene(); });

    CDialogRender* render = tabs_->RenderPage();
    preview_->SetPictureSize(render->ImageWidth(), render->ImageHeight());
    connect(render, &CDialogRender::imageSizeChanged, preview_, &CDialogOpenGL::SetPictureSize);

    // Template geometry in dialog units, replaced by the first layout.
    const DialogUnits du = boxora::DialogUnitsOf(this);
    auto place = [&du](QWidget* w, int x, int y, int cx, int cy) {
        w->setGeometry(du.ToPixelsX(x), du.ToPixelsY(y), du.ToPixelsX(cx), du.ToPixelsY(cy));
    };
    place(tabs_, 308, 6, 320, 294);
    place(previewGroup_, 0, 1, 292, 239);
    place(previewSettingsGroup_, 1, 257, 291, 48);
    place(preview_, 7, 11, 278, 221);

    // Wheel turns anywhere on the panel reach the preview when the cursor is
    // over it.
    qApp->installEventFilter(this);
}

CDialogMain::~CDialogMain() {
    qApp->removeEventFilter(this);
    delete preview_;
    preview_ = nullptr;
}

int CDialogMain::TabWidthUnits(int clientWidth) { return std::min(static_cast<int>(clientWidth * 0.3), 400); }

std::vector<LayoutRule> CDialogMain::BuildLayoutRules() const {
    const int w = TabWidthUnits(width());
    return {
        LayoutMoveRule(IDC_TAB_MAIN, LayoutTop, LAYOUT_ID_PARENT, LayoutTop, 4),
        LayoutMoveRule(IDC_TAB_MAIN, LayoutLeft, LAYOUT_ID_PARENT, LayoutRight, -w),
        LayoutResizeRule(IDC_TAB_MAIN, LayoutRight, LAYOUT_ID_PARENT, LayoutRight),
        LayoutResizeRule(IDC_TAB_MAIN, LayoutBottom, LAYOUT_ID_PARENT, LayoutBottom),
        LayoutMoveRule(IDC_PREVIEW_GROUP, LayoutTop, LAYOUT_ID_PARENT, LayoutTop, 3),
        LayoutMoveRule(IDC_PREVIEW_GROUP, LayoutLeft, LAYOUT_ID_PARENT, LayoutLeft, 7),
        LayoutResizeRule(IDC_PREVIEW_GROUP, LayoutRight, IDC_TAB_MAIN, LayoutLeft, -3),
        LayoutResizeRule(IDC_PREVIEW_GROUP, LayoutBottom, LAYOUT_ID_PARENT, LayoutBottom, -7),
        LayoutMoveRule(IDC_PREVIEW, LayoutTop, IDC_PREVIEW_GROUP, LayoutTop, 10),
        LayoutMoveRule(IDC_PREVIEW, LayoutLeft, IDC_PREVIEW_GROUP, LayoutLeft, 7),
        LayoutResizeRule(IDC_PREVIEW, LayoutRight, IDC_PREVIEW_GROUP, LayoutRight, -7),
        LayoutResizeRule(IDC_PREVIEW, LayoutBottom, IDC_PREVIEW_GROUP, LayoutBottom, -7),
    };
}

bool CDialogMain::Relayout() {
    if (!tabs_ || !preview_) return false;
    const bool ok = ::ApplyLayoutRules(this, BuildLayoutRules(), true);
    preview_->raise();
    return ok;
}

void CDialogMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
    ShowEmptyHint();
}

bool CDialogMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && preview_ && watched != preview_) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && (widget == this || isAncestorOf(widget))) {
            auto* wheel = static_cast<QWheelEvent*>(event);
            const QPoint local = preview_->mapFromGlobal(wheel->globalPosition().toPoint());
            if (preview_->rect().contains(local)) {
                preview_->HandleWheel(wheel->angleDelta().y(), wheel->modifiers());
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CDialogMain::ApplyLanguageTexts() {
    previewGroup_->setTitle(QString::fromStdString(Lng().GetText("Preview", "preview")));
    tabs_->ApplyLanguageTexts();
}

void CDialogMain::RefreshFromScene() {
    // What the pages write back while showing the scene is not the user's.
    boxora::SceneHistory::Pause pause(history_);
    // The pages read parameters and the published snapshot: no lock, so a
    // refresh never waits for a render job.
    tabs_->GeneralPage()->RefreshFromEngine();
    tabs_->ScenePage()->RefreshFromEngine();
    tabs_->ObjectsPage()->RefreshFromEngine();
    tabs_->LightPage()->RefreshFromEngine();
    tabs_->ShadowPage()->RefreshFromEngine();
    tabs_->CameraPage()->RefreshFromEngine();
    tabs_->ReflectionPage()->RefreshFromEngine();
    tabs_->RenderPage()->RefreshFromEngine();
    ShowEmptyHint();
}

void CDialogMain::ShowEmptyHint() {
    // An empty preview says how to begin instead of showing a bare floor.
    const bool empty = boxora::ReadSnapshot(engine_)->objects.empty();
    if (!empty) {
        if (emptyHint_) emptyHint_->hide();
        return;
    }
    if (!emptyHint_) {
        emptyHint_ = new QLabel(preview_);
        emptyHint_->setWordWrap(true);
        emptyHint_->setAlignment(Qt::AlignCenter);
        emptyHint_->setAttribute(Qt::WA_TransparentForMouseEvents);
        emptyHint_->setStyleSheet(QStringLiteral(
            "QLabel { background: rgba(255, 255, 255, 200); color: #303030; border-radius: 6px; padding: 10px; }"));
    }
    std::string text = Lng().GetText("Preview", "emptyhint");
    if (text.empty())
        text =
            "Add a package on the Objects tab (or drop a .3ds model here), then drop its cover picture on it, "
            "or load a template on the General tab.";
    emptyHint_->setText(QString::fromStdString(text));
    const int width = std::max(120, preview_->width() * 3 / 4);
    emptyHint_->setFixedWidth(width);
    emptyHint_->adjustSize();
    emptyHint_->move((preview_->width() - emptyHint_->width()) / 2, (preview_->height() - emptyHint_->height()) / 2);
    emptyHint_->show();
    emptyHint_->raise();
}

bool CDialogMain::DropFiles(const QStringList& paths) {
    IEngine* engine = engine_.engine;
    for (const QString& path : paths) {
        if (boxora::ClassifyDroppedFile(path) != boxora::DroppedFileKind::Scene) continue;
        const std::string file = path.toStdString();
        if (openProject_)
            openProject_(file, boxora::FileNamePart(file));
        else if (engine)
            engine->LoadScene(file);
        return true;
    }
    if (!engine) return false;

    bool used = false;
    std::vector<std::string> models;
    QString image;
    for (const QString& path : paths) {
        switch (boxora::ClassifyDroppedFile(path)) {
            case boxora::DroppedFileKind::Model: models.push_back(path.toStdString()); break;
            case boxora::DroppedFileKind::Image:
                if (image.isEmpty()) image = path;
                break;
            default: break;
        }
    }
    if (!models.empty()) {
        auto add = [engine, models] {
            for (const std::string& model : models) engine->AddObject(model);
            engine->Redraw(0);
        };
        const QByteArray before = history_->TakeScene();
        add();
        history_->RecordSceneChange(before, add);
        used = true;
    }
    if (!image.isEmpty()) {
        int id = tabs_->ObjectsPage()->SelectedObjectId();
        if (id == -1) {
            const std::vector<ObjectListEntry> objects = engine->GetObjectList();
            if (!objects.empty()) id = objects.back().id;
        }
        if (id != -1) {
            const std::vector<ObjectListEntry> objects = engine->GetObjectList();
            int index = -1;
            for (std::size_t i = 0; i < objects.size(); ++i)
                if (objects[i].id == id) index = static_cast<int>(i);
            std::string before = "*";
            const SceneSnapshotPtr snapshot = boxora::ReadSnapshot(engine_);
            if (const ObjectSnapshot* object = snapshot->Find(id)) before = object->coverImages[COVER_FRONT];
            engine->SetObjectImage(id, COVER_FRONT, image.toStdString());
            history_->RecordImage(index, COVER_FRONT, before, image.toStdString());
            // The Textures page shows the path the engine resolved.
            tabs_->ObjectsPage()->RefreshFromEngine();
            used = true;
        }
    }
    return used;
}

void CDialogMain::SaveProjectAsTemplate() { tabs_->GeneralPage()->SaveProjectAsTemplate(); }

void CDialogMain::RenderAndSave() { tabs_->RenderPage()->RenderAndSave(); }
