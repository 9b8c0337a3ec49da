#include "ui/MainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrlQuery>

#include "boxora/Version.h"
#include "engine/IEngine.h"
#include "lang/Lng.h"
#include "platform/AppPaths.h"
#include "platform/Notifier.h"
#include "platform/Settings.h"
#include "platform/TextUtil.h"
#include "ui/AboutDlg.h"
#include "ui/ChildView.h"
#include "ui/CommandIds.h"
#include "ui/DialogDieline.h"
#include "ui/DialogGeneral.h"
#include "ui/DialogMain.h"
#include "ui/DialogObjects.h"
#include "ui/DialogOpenGL.h"
#include "ui/DialogPrintRender.h"
#include "ui/DialogRender.h"
#include "ui/DialogTurntable.h"
#include "ui/FileDrop.h"
#include "ui/QtTranslations.h"
#include "ui/RecentProjects.h"
#include "ui/Resources.h"
#include "ui/TabCtrlMain.h"
#include "ui/UiTheme.h"
#include "ui/UndoKeyFilter.h"
#include "ui/undo/SceneHistory.h"

using namespace boxora;

namespace {

constexpr char kPlacementUnset[] = "1234567890";
constexpr int kPlacementUnsetValue = 1234567890;
constexpr char kCommandIdProperty[] = "boxoraCommandId";

struct MenuText {
    int id;
    const char* key;
};
// Item texts of the menus, section "Menu".
constexpr MenuText kMenuTexts[] = {
    {ID_FILE_NEW_PROJECT, "menunew"},
    {ID_FILE_OPEN_PROJECT, "menuopen"},
    {ID_FILE_SAVE_PROJECT, "menusave"},
    {ID_FILE_SAVE_PROJECT_AS, "menusaveas"},
    {ID_FILE_SAVE_AS_TEMPLATE, "menusaveast"},
    {ID_APP_EXIT, "menuexit"},
    {ID_RENDER_AND_SAVE, "menuras"},
    {ID_HELP_CONTENTS, "menucai"},
    {ID_HELP_HOMEPAGE, "menuhome"},
    {ID_APP_ABOUT, "menuabout"},
    {ID_EDIT_UNDO, "menuundo"},
    {ID_EDIT_REDO, "menuredo"},
    {ID_VIEW_PICTURE_FRAME, "menuframe"},
    {ID_FILE_COLLECT_PROJECT, "menucollect"},
};
// Settings value of View > Picture Frame ("0" off; on by default).
constexpr char kPictureFrameSetting[] = "PictureFrame";
// Toolbar tips, section "Toolbar".
constexpr MenuText kToolbarTips[] = {
    {ID_TOOLBAR_NEW, "tlbnew"},
    {ID_TOOLBAR_OPEN, "tlbopen"},
    {ID_TOOLBAR_SAVE_AS, "tlbsave"},
    {ID_TOOLBAR_RENDER, "tlbras"},
};

QString MenuString(const char* key) { return QString::fromStdString(Lng().GetText("Menu", key)); }

}  // namespace

CMainFrame::CMainFrame(EngineBinding& engine, QWidget* parent) : QMainWindow(parent), engine_(engine) {
    InitResources();
    setWindowTitle(WithModifiedMarker(QStringLiteral("Boxora")));
    setWindowIcon(QIcon(QStringLiteral(":/icons/logo256.png")));
    setMinimumSize(800, 572);
    resize(1180, 760);

    view_ = new CChildView(engine_, this);
    setCentralWidget(view_);

    BuildMenus();
    BuildToolBar();
    BuildLanguageMenu();  // also applies the language texts
    BuildStatusBar();
    ConnectHistory();
    qApp->installEventFilter(new boxora::UndoKeyFilter(this));

    hooks_.openByPath = [this](const std::string& path, const std::string& fileName) {
        if (engine_.engine) engine_.engine->LoadScene(path);
        SetProjectTitle(fileName);
    };
    urlOpener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    // A project file dropped on the window opens like Open Project does.
    setAcceptDrops(true);
    if (CDialogMain* panel = Panel()) {
        panel->SetOpenProjectHook([this](const std::string& path, const std::string& fileName) {
            if (hooks_.openWithQuestion)
                hooks_.openWithQuestion(path);
            else
                OpenProjectByPath(path, fileName);
        });
        panel->Tabs()->GeneralPage()->SetLoadGuard(
            [this] { return !hooks_.mayDiscardChanges || hooks_.mayDiscardChanges(); });
    }
}

CMainFrame::~CMainFrame() = default;

CDialogMain* CMainFrame::Panel() const { return view_ ? view_->Panel() : nullptr; }

QAction* CMainFrame::AddCommand(QMenu* menu, int id, const QString& text, const QString& icon) {
    auto* action = new QAction(text, this);
    action->setProperty(kCommandIdProperty, id);
    if (!icon.isEmpty()) action->setIcon(QIcon(icon));
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    if (menu) menu->addAction(action);
    actions_[id] = action;
    return action;
}

void CMainFrame::BuildMenus() {
    QMenuBar* bar = menuBar();
    fileMenu_ = bar->addMenu(QStringLiteral("&File"));
    QAction* newProject = AddCommand(fileMenu_, ID_FILE_NEW_PROJECT, QStringLiteral("&New Project\tCtrl+N"),
                                     QStringLiteral(":/icons/menu/new.png"));
    newProject->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    newProject->setShortcutContext(Qt::ApplicationShortcut);
    AddCommand(fileMenu_, ID_FILE_OPEN_PROJECT, QStringLiteral("&Open Project..."), ":/icons/menu/open.png")
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    recentMenu_ = fileMenu_->addMenu(QStringLiteral("&Recent Projects"));
    connect(recentMenu_, &QMenu::aboutToShow, this, &CMainFrame::FillRecentMenu);
    AddCommand(fileMenu_, ID_FILE_SAVE_PROJECT, QStringLiteral("&Save Project"), ":/icons/menu/save.png")
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    AddCommand(fileMenu_, ID_FILE_SAVE_PROJECT_AS, QStringLiteral("Save Project &As..."), ":/icons/menu/saveas.png")
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    fileMenu_->addSeparator();
    AddCommand(fileMenu_, ID_FILE_SAVE_AS_TEMPLATE, QStringLiteral("Save Project as &Template..."),
               ":/icons/menu/template.png");
    AddCommand(fileMenu_, ID_FILE_COLLECT_PROJECT, QStringLiteral("&Collect Project..."), QString());
    AddCommand(fileMenu_, ID_FILE_EXPORT_DIELINE, QStringLiteral("Export &Dieline..."), QString());
    fileMenu_->addSeparator();
    AddCommand(fileMenu_, ID_APP_EXIT, QStringLiteral("E&xit"), ":/icons/menu/exit.png")
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    BuildEditAndViewMenus();

    renderMenu_ = bar->addMenu(QStringLiteral("&Render"));
    AddCommand(renderMenu_, ID_RENDER_AND_SAVE, QStringLiteral("Render and &Save"), ":/icons/menu/render.png")
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    AddCommand(renderMenu_, ID_RENDER_TURNTABLE, QStringLiteral("&Turntable..."), QString());
    AddCommand(renderMenu_, ID_RENDER_PRINT_SIZE, QStringLiteral("&Print Size..."), QString());

    optionsMenu_ = bar->addMenu(QStringLiteral("&Options"));
    themeMenu_ = optionsMenu_->addMenu(QStringLiteral("&UI Theme"));
    languageMenu_ = optionsMenu_->addMenu(QStringLiteral("&Language"));
    BuildThemeMenu();

    helpMenu_ = bar->addMenu(QStringLiteral("&Help"));
    AddCommand(helpMenu_, ID_HELP_CONTENTS, QStringLiteral("Contents and &Index"), ":/icons/menu/help.png")
        ->setShortcut(QKeySequence(Qt::Key_F1));
    helpMenu_->addSeparator();
    AddCommand(helpMenu_, ID_HELP_HOMEPAGE, QStringLiteral("Visit &Homepage..."), ":/icons/menu/home.png");
    helpMenu_->addSeparator();
    AddCommand(helpMenu_, ID_APP_ABOUT, QStringLiteral("&About Boxora..."), ":/icons/menu/about.png");

    // Item texts follow the language each time a menu opens.
    for (QMenu* menu : {fileMenu_, editMenu_, viewMenu_, renderMenu_, helpMenu_})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateMenuTexts);
    connect(languageMenu_, &QMenu::aboutToShow, this, &CMainFrame::UpdateLanguageMarks);
    connect(themeMenu_, &QMenu::aboutToShow, this, &CMainFrame::UpdateThemeMarks);
}

void CMainFrame::BuildEditAndViewMenus() {
    editMenu_ = menuBar()->addMenu(QStringLiteral("&Edit"));
    QAction* undo = AddCommand(editMenu_, ID_EDIT_UNDO, QStringLiteral("&Undo"), QString());
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = AddCommand(editMenu_, ID_EDIT_REDO, QStringLiteral("&Redo"), QString());
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    undo->setEnabled(false);
    redo->setEnabled(false);

    viewMenu_ = menuBar()->addMenu(QStringLiteral("&View"));
    QAction* frame = new QAction(QStringLiteral("Picture &Frame"), this);
    frame->setCheckable(true);
    frame->setProperty(kCommandIdProperty, ID_VIEW_PICTURE_FRAME);
    frame->setChecked(Settings().GetString(kPictureFrameSetting, "1") != "0");
    actions_[ID_VIEW_PICTURE_FRAME] = frame;
    viewMenu_->addAction(frame);
    connect(frame, &QAction::toggled, this, [this](bool on) {
        Settings().SetString(kPictureFrameSetting, on ? "1" : "0");
        ShowPictureFrame(on);
    });
}

// Undo and Redo follow the panel's history; the title's marker follows
// whether the scene differs from the project file.
void CMainFrame::ConnectHistory() {
    CDialogMain* panel = Panel();
    if (!panel) return;
    SceneHistory* history = panel->History();
    QUndoStack* stack = history->Stack();
    connect(stack, &QUndoStack::canUndoChanged, CommandAction(ID_EDIT_UNDO), &QAction::setEnabled);
    connect(stack, &QUndoStack::canRedoChanged, CommandAction(ID_EDIT_REDO), &QAction::setEnabled);
    connect(history, &SceneHistory::modifiedChanged, this, &QWidget::setWindowModified);
    ShowPictureFrame(CommandAction(ID_VIEW_PICTURE_FRAME)->isChecked());
}

void CMainFrame::ShowPictureFrame(bool on) {
    if (CDialogMain* panel = Panel()) panel->Preview()->SetPictureFrame(on);
}

void CMainFrame::FillRecentMenu() {
    recentMenu_->clear();
    const std::vector<std::string> paths = RecentProjects::Load();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        // "&1 name" with the full path as the tip.
        const QString path = QString::fromStdString(paths[i]);
        QString name = QString::fromStdString(FileNamePart(paths[i]));
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
        action->setToolTip(path);
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this, [this, p = paths[i]] { OpenRecentProject(p); });
    }
    recentMenu_->setEnabled(true);
}

void CMainFrame::RememberRecentProject(const std::string& path) { RecentProjects::Add(path); }

void CMainFrame::OpenRecentProject(const std::string& path) {
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        RecentProjects::Remove(path);
        Notifier().ShowMessage(FormatText(Lng().GetText("Common", "recentgone"), {path}), MsgIcon::Error,
                               MsgButtons::Ok);
        return;
    }
    if (hooks_.openWithQuestion)
        hooks_.openWithQuestion(path);
    else
        OpenProjectByPath(path, FileNamePart(path));
}

void CMainFrame::BuildToolBar() {
    toolbar_ = addToolBar(QStringLiteral("Standard"));
    toolbar_->setObjectName(QStringLiteral("StandardToolBar"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setIconSize(QSize(32, 32));
    toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar_->setContextMenuPolicy(Qt::PreventContextMenu);
    struct Button {
        int id;
        const char* tip;
        const char* icon;
    };
    const Button buttons[] = {
        {ID_TOOLBAR_NEW, "New Project", ":/icons/toolbar/new.png"},
        {ID_TOOLBAR_OPEN, "Open Project", ":/icons/toolbar/open.png"},
        {ID_TOOLBAR_SAVE_AS, "Save Project", ":/icons/toolbar/save.png"},
        {ID_TOOLBAR_RENDER, "Render and Save", ":/icons/toolbar/render.png"},
    };
    for (const Button& b : buttons) {
        if (b.id == ID_TOOLBAR_RENDER) toolbar_->addSeparator();
        QAction* action = AddCommand(nullptr, b.id, QString::fromLatin1(b.tip), QString::fromLatin1(b.icon));
        action->setToolTip(QString::fromLatin1(b.tip));
        toolbar_->addAction(action);
    }
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setMinimumHeight(21);
    bar->setSizeGripEnabled(true);
    // 150 pixels, or wider when a language's status text needs it.
    messagePane_ = new QLabel(bar);
    messagePane_->setMinimumWidth(150);
    messagePane_->setContentsMargins(4, 0, 4, 0);
    // After Render and Save the pane names the file with a link to its folder.
    messagePane_->setTextFormat(Qt::RichText);
    connect(messagePane_, &QLabel::linkActivated, this, [this](const QString& link) {
        if (urlOpener_) urlOpener_(QUrl(link));
    });
    bar->addWidget(messagePane_);

    progressPane_ = new QWidget(bar);
    progressPane_->setFixedWidth(500);
    auto* layout = new QHBoxLayout(progressPane_);
    layout->setContentsMargins(2, 2, 2, 2);
    progress_ = new QProgressBar(progressPane_);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setMaximumHeight(14);
    layout->addWidget(progress_);
    progress_->hide();
    bar->addWidget(progressPane_);
}

void CMainFrame::BuildLanguageMenu() {
    languageMenu_->clear();
    delete languageGroup_;
    languageGroup_ = new QActionGroup(this);
    languageGroup_->setExclusive(true);
    if (Lng().ListLanguages()) {
        for (const LNG_FILE& language : Lng().Languages()) {
            const int id = ID_LANGUAGE_FIRST + language.index;
            if (id > ID_LANGUAGE_LAST) break;
            QAction* action = AddCommand(languageMenu_, id, QString::fromStdString(language.name), QString());
            action->setCheckable(true);
            languageGroup_->addAction(action);
        }
    }
    UpdateLanguageMarks();
    ApplyLanguageTexts();
}

void CMainFrame::BuildThemeMenu() {
    themeGroup_ = new QActionGroup(this);
    themeGroup_->setExclusive(true);
    const auto themes = UiTheme::Available();
    for (std::size_t i = 0; i < themes.size(); ++i) {
        auto* action = new QAction(themes[i].name, this);
        action->setCheckable(true);
        action->setData(themes[i].id);
        action->setProperty(kCommandIdProperty, ID_THEME_FIRST + static_cast<int>(i));
        actions_[ID_THEME_FIRST + static_cast<int>(i)] = action;
        themeGroup_->addAction(action);
        themeMenu_->addAction(action);
        connect(action, &QAction::triggered, this, [this, id = themes[i].id] {
            UiTheme::Apply(id);
            UiTheme::Save();
            UpdateThemeMarks();
        });
        if (i == 1) themeMenu_->addSeparator();
    }
    UpdateThemeMarks();
}

void CMainFrame::UpdateLanguageMarks() {
    const int current = Lng().CurrentIndex();
    for (QAction* action : languageGroup_->actions())
        action->setChecked(action->property(kCommandIdProperty).toInt() - ID_LANGUAGE_FIRST == current);
}

void CMainFrame::UpdateThemeMarks() {
    for (QAction* action : themeGroup_->actions()) action->setChecked(action->data().toString() == UiTheme::Current());
}

void CMainFrame::ApplyLanguageTexts() {
    // Qt's standard dialogs and buttons follow the chosen language too.
    ApplyQtTranslations(Lng().GetText("Info", "Locale"));
    fileMenu_->setTitle(MenuString("menufile"));
    editMenu_->setTitle(MenuString("menuedit"));
    viewMenu_->setTitle(MenuString("menuview"));
    recentMenu_->setTitle(MenuString("menurecent"));
    renderMenu_->setTitle(MenuString("menurnd"));
    optionsMenu_->setTitle(MenuString("menuoptions"));
    helpMenu_->setTitle(MenuString("menuhelp"));
    themeMenu_->setTitle(MenuString("menutheme"));
    languageMenu_->setTitle(MenuString("menulng"));
    UpdateMenuTexts();
    for (const MenuText& tip : kToolbarTips) {
        if (QAction* action = CommandAction(tip.id)) {
            const QString text = QString::fromStdString(Lng().GetText("Toolbar", tip.key));
            action->setText(text);
            action->setToolTip(text);
        }
    }
    if (CDialogMain* panel = Panel()) {
        panel->ApplyLanguageTexts();
        panel->update();
    }
}

void CMainFrame::UpdateMenuTexts() {
    for (const MenuText& item : kMenuTexts)
        if (QAction* action = CommandAction(item.id)) action->setText(MenuString(item.key));
    if (QAction* action = CommandAction(ID_RENDER_TURNTABLE))
        action->setText(QString::fromStdString(Lng().GetText("Turntable", "menuturn")));
    if (QAction* action = CommandAction(ID_RENDER_PRINT_SIZE))
        action->setText(QString::fromStdString(Lng().GetText("PrintRender", "menuprint")));
    if (QAction* action = CommandAction(ID_FILE_EXPORT_DIELINE))
        action->setText(QString::fromStdString(Lng().GetText("Dieline", "menudieline")));
}

void CMainFrame::SelectLanguage(int index) {
    Lng().SelectLanguage(index);
    UpdateLanguageMarks();
    ApplyLanguageTexts();
}

void CMainFrame::OnEngineNotify(int message, int wParam) {
    if (printDialog_) printDialog_->OnEngineNotify(message, wParam);
    if (!progress_) return;
    switch (message) {
        case WM_ENGINE_BEGIN: {
            progress_->setValue(0);
            progress_->show();
            progress_->repaint();
            const char* key = nullptr;
            switch (wParam) {
                case ENGINE_OP_RENDER: key = "render"; break;
                case ENGINE_OP_TEMPLATE: key = "loadtmpl"; break;
                case ENGINE_OP_ADD_OBJECTS: key = "loadobj"; break;
                case ENGINE_OP_LOAD_SCENE: key = "loadproj"; break;
                default: break;
            }
            if (key) messagePane_->setText(QString::fromStdString(Lng().GetText("StatusBar", key)).toHtmlEscaped());
            renderFile_.clear();
            if (wParam == ENGINE_OP_RENDER) {
                if (CDialogMain* panel = Panel())
                    renderFile_ = QString::fromStdString(panel->Tabs()->RenderPage()->CurrentJob().fileName);
                renderStarted_ = QDateTime::currentDateTime().addSecs(-2);
            }
            break;
        }
        case WM_ENGINE_END:
            progress_->hide();
            progress_->repaint();
            messagePane_->setText(QString());
            ShowWrittenFile();
            break;
        case WM_ENGINE_PROGRESS:
            progress_->setValue(std::clamp(wParam, 0, 100));
            progress_->repaint();
            break;
        case WM_ENGINE_SCENE_CHANGED:
            if (CDialogMain* panel = Panel()) panel->RefreshFromScene();
            break;
        default: break;
    }
}

void CMainFrame::ShowWrittenFile() {
    const QFileInfo file(renderFile_);
    renderFile_.clear();
    // Only a file this render wrote: a failed render or a print-size render
    // into another file leaves the Rendering tab's file as it was.
    if (!file.exists() || file.lastModified() < renderStarted_) return;
    std::string text = Lng().GetText("StatusBar", "written");
    if (text.empty()) text = "Saved to %s";
    std::string open = Lng().GetText("StatusBar", "openfolder");
    if (open.empty()) open = "Open folder";
    const QString name = file.absoluteFilePath().toHtmlEscaped();
    const QString folder = QUrl::fromLocalFile(file.absolutePath()).toString();
    messagePane_->setText(QString::fromStdString(FormatText(text, {name.toStdString()})) +
                          QStringLiteral(" &middot; <a href=\"%1\">%2</a>")
                              .arg(folder.toHtmlEscaped(), QString::fromStdString(open).toHtmlEscaped()));
    messagePane_->setToolTip(file.absoluteFilePath());
}

void CMainFrame::RestorePlacement() {
    ISettingsStore& settings = Settings();
    const int x = ParseLeadingInt(settings.GetString("WinPosX", kPlacementUnset));
    const int y = ParseLeadingInt(settings.GetString("WinPosY", kPlacementUnset));
    const int w = ParseLeadingInt(settings.GetString("WinWidth", kPlacementUnset));
    const int h = ParseLeadingInt(settings.GetString("WinHeight", kPlacementUnset));
    if (x != kPlacementUnsetValue && y != kPlacementUnsetValue && w != kPlacementUnsetValue &&
        h != kPlacementUnsetValue) {
        move(x, y);
        resize(w, h);
    }
    if (settings.GetString("WinMaximized", kPlacementUnset) == "1")
        showMaximized();
    else
        show();
}

void CMainFrame::SavePlacement() {
    ISettingsStore& settings = Settings();
    const bool maximized = isMaximized();
    settings.SetString("WinMaximized", maximized ? "1" : "0");
    if (maximized) return;
    settings.SetString("WinPosX", std::to_string(x()));
    settings.SetString("WinPosY", std::to_string(y()));
    settings.SetString("WinWidth", std::to_string(width()));
    settings.SetString("WinHeight", std::to_string(height()));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    SavePlacement();
    // Unsaved changes are not thrown away without the user's word.
    if (hooks_.mayDiscardChanges && !hooks_.mayDiscardChanges()) {
        event->ignore();
        return;
    }
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (Panel() && CarriesUsableFiles(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* event) {
    if (Panel() && CarriesUsableFiles(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    CDialogMain* panel = Panel();
    if (panel && panel->DropFiles(DroppedLocalFiles(event->mimeData())))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CMainFrame::SetProjectHooks(ProjectHooks hooks) {
    if (hooks.newProject) hooks_.newProject = std::move(hooks.newProject);
    if (hooks.openProject) hooks_.openProject = std::move(hooks.openProject);
    if (hooks.saveProject) hooks_.saveProject = std::move(hooks.saveProject);
    if (hooks.saveProjectAs) hooks_.saveProjectAs = std::move(hooks.saveProjectAs);
    if (hooks.openByPath) hooks_.openByPath = std::move(hooks.openByPath);
    if (hooks.openWithQuestion) hooks_.openWithQuestion = std::move(hooks.openWithQuestion);
    if (hooks.mayDiscardChanges) hooks_.mayDiscardChanges = std::move(hooks.mayDiscardChanges);
    if (hooks.collectProject) hooks_.collectProject = std::move(hooks.collectProject);
    if (hooks.openTemplate) {
        hooks_.openTemplate = std::move(hooks.openTemplate);
        if (CDialogMain* panel = Panel())
            panel->Tabs()->GeneralPage()->SetTemplateOpener(
                [this](const std::string& scene) { hooks_.openTemplate(scene); });
    }
}

void CMainFrame::OpenProjectByPath(const std::string& path, const std::string& fileName) {
    if (hooks_.openByPath) hooks_.openByPath(path, fileName);
}

void CMainFrame::SetProjectTitle(const std::string& projectName) {
    setWindowTitle(WithModifiedMarker(QString::fromStdString(projectName) + QStringLiteral(" - Boxora")));
}

QString CMainFrame::WithModifiedMarker(const QString& title) {
    static const QString kSuffix = QStringLiteral(" - Boxora");
    if (title.endsWith(kSuffix)) return title.left(title.size() - kSuffix.size()) + QStringLiteral("[*]") + kSuffix;
    return title + QStringLiteral("[*]");
}

void CMainFrame::RunCommand(int id) {
    switch (id) {
        case ID_FILE_NEW_PROJECT:
        case ID_TOOLBAR_NEW:
            if (hooks_.newProject) hooks_.newProject();
            return;
        case ID_FILE_OPEN_PROJECT:
        case ID_TOOLBAR_OPEN:
            if (hooks_.openProject) hooks_.openProject();
            return;
        case ID_FILE_SAVE_PROJECT:
            if (hooks_.saveProject) hooks_.saveProject();
            return;
        case ID_FILE_SAVE_PROJECT_AS:
        case ID_TOOLBAR_SAVE_AS:
            if (hooks_.saveProjectAs) hooks_.saveProjectAs();
            return;
        case ID_FILE_COLLECT_PROJECT:
            if (hooks_.collectProject) hooks_.collectProject();
            return;
        case ID_FILE_SAVE_AS_TEMPLATE:
            if (CDialogMain* panel = Panel()) panel->SaveProjectAsTemplate();
            return;
        case ID_APP_EXIT: close(); return;
        case ID_EDIT_UNDO:
            if (CDialogMain* panel = Panel()) panel->History()->Undo();
            return;
        case ID_EDIT_REDO:
            if (CDialogMain* panel = Panel()) panel->History()->Redo();
            return;
        case ID_RENDER_AND_SAVE:
        case ID_TOOLBAR_RENDER:
            if (CDialogMain* panel = Panel()) panel->RenderAndSave();
            return;
        case ID_RENDER_TURNTABLE: {
            CDialogTurntable dialog(engine_, this);
            dialog.exec();
            return;
        }
        case ID_RENDER_PRINT_SIZE: {
            CDialogMain* panel = Panel();
            CDialogPrintRender dialog(engine_, panel ? panel->Tabs()->RenderPage()->CurrentJob() : RenderJob(), this);
            printDialog_ = &dialog;
            dialog.exec();
            return;
        }
        case ID_FILE_EXPORT_DIELINE: {
            CDialogMain* panel = Panel();
            CDialogDieline dialog(engine_, panel ? panel->Tabs()->ObjectsPage()->SelectedObjectId() : -1, this);
            dialog.exec();
            return;
        }
        case ID_HELP_CONTENTS: OpenHelp(); return;
        case ID_HELP_HOMEPAGE: OpenHomePage(); return;
        case ID_APP_ABOUT: ShowAbout(); return;
        default:
            if (id >= ID_LANGUAGE_FIRST && id <= ID_LANGUAGE_LAST) SelectLanguage(id - ID_LANGUAGE_FIRST);
            return;
    }
}

QAction* CMainFrame::CommandAction(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QString CMainFrame::HelpFilePath() {
    return QString::fromStdString(ProgramFolder()) + QStringLiteral("/help/index.html");
}

QUrl CMainFrame::HomePageUrl() {
    QUrl url(QStringLiteral("https://talvenor.example/boxora/"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("product"), QStringLiteral("Boxora"));
    query.addQueryItem(QStringLiteral("version"), QStringLiteral(BOXORA_VERSION));
    query.addQueryItem(QStringLiteral("build"), QStringLiteral(BOXORA_BUILD));
    url.setQuery(query);
    return url;
}

void CMainFrame::OpenHelp() {
    const QUrl help = QUrl::fromLocalFile(HelpFilePath());
    if (urlOpener_ && urlOpener_(help)) return;
    // No web browser (a bare desktop, a server session): the help is plain
    // HTML, which a text browser inside the program shows well enough.
    if (!helpWindow_) {
        helpWindow_ = new QTextBrowser(this);
        helpWindow_->setWindowFlag(Qt::Window);
        helpWindow_->setOpenExternalLinks(true);
        helpWindow_->resize(760, 640);
    }
    QString title = QString::fromStdString(Lng().GetText("Menu", "menuhelp")).remove(QLatin1Char('&'));
    helpWindow_->setWindowTitle((title.isEmpty() ? QStringLiteral("Help") : title) + QStringLiteral(" - Boxora"));
    helpWindow_->setSource(help);
    helpWindow_->show();
    helpWindow_->raise();
}

void CMainFrame::OpenHomePage() {
    if (urlOpener_) urlOpener_(HomePageUrl());
}

void CMainFrame::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}
