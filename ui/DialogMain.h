#pragma once
// The control panel filling the main window: the "Preview" group with the
// live preview on the left, the tab container with the eight pages on the
// right. It keeps their geometry with the layout rules, forwards the mouse
// wheel to the preview, applies language texts and has every page re-read
// the scene when the engine reports a change.
#include <QWidget>
#include <vector>

#include "ui/EngineBinding.h"
#include "ui/layout/LayoutRules.h"

class CDialogOpenGL;
class CTabCtrlMain;
class GroupBox;

class CDialogMain : public QWidget {
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

    // Tab width in dialog units for a client width in pixels.
    static int TabWidthUnits(int clientWidth);

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

    boxora::EngineBinding& engine_;
    GroupBox* previewGroup_;
    GroupBox* previewSettingsGroup_;
    CTabCtrlMain* tabs_;
    CDialogOpenGL* preview_;
};
