#pragma once
// The main window: menus, toolbar, the client view with the control panel,
// and the status bar whose message pane and progress bar follow the engine's
// notifications. It keeps its placement in the settings, builds the language
// and theme menus and pushes the current language's texts everywhere.
#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <map>
#include <string>

#include "ui/EngineBinding.h"

class CChildView;
class CDialogMain;
class CDialogPrintRender;
class QActionGroup;
class QLabel;
class QMenu;
class QProgressBar;
class QTextBrowser;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Project commands; the defaults only open a project by path (the
    // engine's LoadScene and the title).
    struct ProjectHooks {
        std::function<void()> newProject;
        std::function<void()> openProject;
        std::function<bool()> saveProject;
        std::function<bool()> saveProjectAs;
        std::function<void(const std::string& path, const std::string& fileName)> openByPath;
        // A dropped or recent project: with the save question first.
        std::function<void(const std::string& path)> openWithQuestion;
        // Before closing or loading a template; false keeps things as they are.
        std::function<bool()> mayDiscardChanges;
        // File > Collect Project.
        std::function<void()> collectProject;
        // A template chosen on the General tab, by its scene file.
        std::function<void(const std::string& scenePath)> openTemplate;
    };
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit CMainFrame(boxora::EngineBinding& engine, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // One engine notification (WM_ENGINE_BEGIN ... WM_ENGINE_SCENE_CHANGED).
    void OnEngineNotify(int message, int wParam);

    // Menus, toolbar tips and the control panel in the current language.
    void ApplyLanguageTexts();
    // Options > Language: make language number index current, apply texts.
    void SelectLanguage(int index);

    // Reads the stored placement and shows the window (maximized when
    // "WinMaximized" is exactly "1").
    void RestorePlacement();
    // Stores the placement; the rectangle only when not maximized.
    void SavePlacement();

    void SetProjectHooks(ProjectHooks hooks);
    void SetUrlOpener(UrlOpener opener) { urlOpener_ = std::move(opener); }
    // Opens a project (command line and Open Project).
    void OpenProjectByPath(const std::string& path, const std::string& fileName);
    // "<name> - Boxora".
    void SetProjectTitle(const std::string& projectName);
    // The title with the place of the modified marker ("[*]") after the
    // project name.
    static QString WithModifiedMarker(const QString& title);
    // Puts path first in File > Recent Projects.
    void RememberRecentProject(const std::string& path);
    // File > Recent Projects: opens path, or drops it from the list with a
    // message when the file is gone.
    void OpenRecentProject(const std::string& path);

    // Runs a menu or toolbar command by id.
    void RunCommand(int id);
    // The menu or toolbar action with this command id, or null.
    QAction* CommandAction(int id) const;

    QLabel* MessagePane() const { return messagePane_; }
    QProgressBar* ProgressBar() const { return progress_; }
    CChildView* View() const { return view_; }
    CDialogMain* Panel() const;
    QMenu* FileMenu() const { return fileMenu_; }
    QMenu* EditMenu() const { return editMenu_; }
    QMenu* ViewMenu() const { return viewMenu_; }
    QMenu* RecentMenu() const { return recentMenu_; }
    QMenu* RenderMenu() const { return renderMenu_; }
    QMenu* OptionsMenu() const { return optionsMenu_; }
    QMenu* HelpMenu() const { return helpMenu_; }
    QMenu* ThemeMenu() const { return themeMenu_; }
    QMenu* LanguageMenu() const { return languageMenu_; }
    QToolBar* MainToolBar() const { return toolbar_; }

    static QString HelpFilePath();
    static QUrl HomePageUrl();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Files dropped anywhere on the window go to the control panel.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, int id, const QString& text, const QString& icon);
    void BuildMenus();
    void BuildEditAndViewMenus();
    void ConnectHistory();
    void FillRecentMenu();
    void ShowPictureFrame(bool on);
    void BuildToolBar();
    void BuildStatusBar();
    void BuildLanguageMenu();
    void BuildThemeMenu();
    void UpdateMenuTexts();
    void UpdateLanguageMarks();
    void UpdateThemeMarks();
    void ShowAbout();
    void OpenHelp();
    void OpenHomePage();
    // The status bar's "saved to" message after a render wrote its file.
    void ShowWrittenFile();

    boxora::EngineBinding& engine_;
    CChildView* view_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QMenu* renderMenu_ = nullptr;
    QMenu* optionsMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QMenu* themeMenu_ = nullptr;
    QMenu* languageMenu_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QActionGroup* languageGroup_ = nullptr;
    QActionGroup* themeGroup_ = nullptr;
    QLabel* messagePane_ = nullptr;
    QWidget* progressPane_ = nullptr;
    QProgressBar* progress_ = nullptr;
    // The open Print Size dialog follows its job through the notifications.
    QPointer<CDialogPrintRender> printDialog_;
    std::map<int, QAction*> actions_;
    ProjectHooks hooks_;
    UrlOpener urlOpener_;
    QPointer<QTextBrowser> helpWindow_;
    QString renderFile_;
    QDateTime renderStarted_;
};
