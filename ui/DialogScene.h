#pragma once
// The Scene tab: the model catalogue (the ".3ds" files of the program's
// data/Objects folder with their thumbnails, read once per run) and the
// objects in the scene, with Add Object and Delete Object.
#include "ui/TabPage.h"

class GroupBox;
class QPushButton;

namespace boxora {
class ObjectIconList;
}

class CDialogScene : public CTabPage {
    Q_OBJECT
public:
    explicit CDialogScene(boxora::EngineBinding& engine, QWidget* parent = nullptr);

    void ApplyLanguageTexts() override;
    // Refills the objects-in-scene list.
    void RefreshFromEngine() override;

    // Adds the model of the first selected catalogue item to the scene.
    void AddObject();
    // Asks for a parametric shape and adds it (one undo step, as Add Object).
    void AddShape();
    // Asks, then queues the first selected object in the scene for deletion;
    // refills the list whatever the answer.
    void DeleteObject();

    boxora::ObjectIconList* SceneList() const { return sceneList_; }
    boxora::ObjectIconList* Catalogue() const { return catalogue_; }
    QPushButton* AddButton() const { return addButton_; }
    QPushButton* DeleteButton() const { return deleteButton_; }
    QPushButton* AddShapeButton() const { return addShapeButton_; }

    // The fixed confirmation text for an object's name.
    static std::string DeleteQuestion(const std::string& objectName);

protected:
    std::vector<LayoutRule> BuildLayoutRules() const override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Queues the model file or "shape:…" for adding, as one undo step.
    void AddModel(const std::string& path);
    // Deletes the object with this id (at the scene thread's next turn).
    void RemoveObject(int id);

    // keepCurrent: the selected row stays selected (a refresh while the
    // page is on screen); otherwise the row remembered at hiding is taken.
    void RefillSceneList(bool keepCurrent);
    void FillCatalogue();
    void SizeButtons();

    GroupBox* sceneGroup_;
    boxora::ObjectIconList* sceneList_;
    QPushButton* addButton_;
    QPushButton* deleteButton_;
    QPushButton* addShapeButton_;
    GroupBox* catalogueGroup_;
    boxora::ObjectIconList* catalogue_;
    bool catalogueFilled_ = false;
    int rememberedScene_ = -1;
    int rememberedCatalogue_ = -1;
};
