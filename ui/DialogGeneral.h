#pragma once
// The General tab: the template library. Templates are listed as a grid of
// 94 x 94 preview pictures with their names; they are loaded into the scene,
// saved from it (scene file plus a preview rendered by the engine), renamed
// in place and deleted.
#include <QMenu>
#include <functional>
#include <optional>
#include <string>

#include "ui/TabPage.h"

class GroupBox;
class QAction;
class QPushButton;
class TemplateList;

class CDialogGeneral : public CTabPage {
    Q_OBJECT
public:
    // Control ids.
    static constexpr int IDC_TEMPLATE_LIST = 1001;
    static constexpr int IDC_LOAD = 1013;
    static constexpr int IDC_SAVE = 1014;
    static constexpr int IDC_DELETE = 1004;
    static constexpr int IDC_TEMPLATES_GROUP = 1015;
    // Context-menu commands.
    static constexpr int ID_TEMPLATE_LOAD = 32798;
    static constexpr int ID_TEMPLATE_DELETE = 32796;
    static constexpr int ID_TEMPLATE_RENAME = 32797;

    // Codec options of the preview render, in the order of RenderJob.
    struct CodecOptions {
        int pngInterlace = 0;
        int jpegQuality = 0;
        int jpegOptions = 0;
        int gifCompression = 0;
        int tiffCompression = 0;
    };

    // Asks for the name of a new template; nothing when cancelled. The
    // default shows the Save Template dialog.
    using SaveTemplatePrompt = std::function<std::optional<std::string>()>;

    explicit CDialogGeneral(boxora::EngineBinding& engine, QWidget* parent = nullptr);

    void ApplyLanguageTexts() override;
    // The scene changed (a template may have got its picture): refill.
    void RefreshFromEngine() override;

    // Loads the selected template into the scene, through the template
    // opener when there is one (the project commands, which make it a new,
    // untitled project).
    void LoadTemplate();
    void SetTemplateOpener(std::function<void(const std::string& scenePath)> opener) { opener_ = std::move(opener); }
    // Asked before a template replaces the scene; false keeps the scene.
    void SetLoadGuard(std::function<bool()> guard) { loadGuard_ = std::move(guard); }
    // File > Save Project as Template and the Save button.
    virtual void SaveProjectAsTemplate();
    // Asks, then deletes the selected template.
    void DeleteTemplate();
    // Starts editing the selected template's name.
    void RenameTemplate();
    // Finishes a rename: checks the new name, renames the files and shows the
    // new name. False (the item keeps its old name) when refused or failed.
    bool FinishRename(const std::string& oldName, const std::string& newName);
    // Lists the templates of the folder again, keeping the selected position.
    void RefillList();
    // Opens the context menu for the item at pos (list viewport coordinates);
    // nothing happens over empty space.
    void ShowContextMenu(const QPoint& pos);

    void SetSaveTemplatePrompt(SaveTemplatePrompt prompt) { prompt_ = std::move(prompt); }

    TemplateList* List() const { return list_; }
    QPushButton* LoadButton() const { return load_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* DeleteButton() const { return delete_; }
    GroupBox* Group() const { return group_; }
    QMenu* ContextMenu() const { return contextMenu_; }
    QAction* ContextAction(int id) const;
    const CodecOptions& PreviewCodecOptions() const { return codecOptions_; }

protected:
    std::vector<LayoutRule> BuildLayoutRules() const override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    std::optional<std::string> RunSaveTemplateDialog();
    void BuildContextMenu();

    GroupBox* group_;
    TemplateList* list_;
    QPushButton* load_;
    QPushButton* save_;
    QPushButton* delete_;
    QMenu* contextMenu_ = nullptr;
    QAction* loadAction_ = nullptr;
    QAction* deleteAction_ = nullptr;
    QAction* renameAction_ = nullptr;
    int rememberedIndex_ = -1;
    std::function<bool()> loadGuard_;
    std::function<void(const std::string&)> opener_;
    bool refillPending_ = false;
    CodecOptions codecOptions_;
    SaveTemplatePrompt prompt_;
};
