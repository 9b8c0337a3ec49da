#pragma once
// The control panel filling the main window: the "Preview" group with the
// live preview on the left, the tab container with the eight pages on the
// right. It keeps their geometry with the layout rules, forwards the mouse
// wheel to the preview, applies language texts and has every page re-read
// the scene when the engine reports a change. Files dropped on the preview
// or the main window end up here: images become the selected object's Front
// image, models are added, a project is opened.
#include <QWidget>

class QLabel;
#include <functional>
#include <string>
#include <vector>

#include "ui/EngineBinding.h"
#include "ui/FileDrop.h"
#include "ui/layout/LayoutRules.h"

class CDialogOpenGL;
class CTabCtrlMain;
class GroupBox;

namespace boxora {
class SceneHistory;
}

class CDialogMain : public QWidget, public boxora::IFileDropTarget {
    Q_OBJECT
public:
    explicit CDialogMain(boxora::EngineBinding& engine, QWidget* parent = nullptr);
    // The preview goes first: it stops the engine's threads.
    ~CDialogMain() override;

    void ApplyLanguageTexts();
    // Under the engine lock, every page re-reads the scene.
    void RefreshFromScene();
    void SaveProjectAsTemplate();
    void RenderAndSave();

    // How a dropped project file is opened (the main frame's open-by-path).
    using OpenProjectHook = std::function<void(const std::string& path, const std::string& fileName)>;
    void SetOpenProjectHook(OpenProjectHook hook) { openProject_ = std::move(hook); }
    // A project among the files is opened alone; otherwise every model is
    // added and the first image becomes the Front image of the object
    // selected on the Objects tab (the last object when none is selected).
    bool DropFiles(const QStringList& paths) override;

    // Tab width in dialog units for a client width in pixels.
    static int TabWidthUnits(int clientWidth);

    // The undo history of the user's changes to the scene.
    boxora::SceneHistory* History() const { return history_; }

    CTabCtrlMain* Tabs() const { return tabs_; }
    CDialogOpenGL* Preview() const { return preview_; }
    GroupBox* PreviewGroup() const { return previewGroup_; }

    // Layout by the panel's rules (done on every resize).
    bool Relayout();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<LayoutRule> BuildLayoutRules() const;
    // The hint over an empty preview (hidden once there is an object).
    void ShowEmptyHint();

    boxora::EngineBinding& engine_;
    boxora::SceneHistory* history_;
    GroupBox* previewGroup_;
    GroupBox* previewSettingsGroup_;
    CTabCtrlMain* tabs_;
    CDialogOpenGL* preview_;
    QLabel* emptyHint_ = nullptr;
    OpenProjectHook openProject_;
};
