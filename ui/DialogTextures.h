#pragma once
// The Textures page of the object sub-tabs: one row per cover face (label,
// read-only image path, "..." to choose an image file). A face the object's
// model does not have is disabled; a face without an image is enabled and
// empty.
#include <QString>
#include <array>
#include <functional>

#include "ui/ObjectPage.h"

class GroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CDialogTextures : public CObjectPage {
    Q_OBJECT
public:
    // Asks the user for an image file; an empty result means cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& filter)>;

    explicit CDialogTextures(boxora::EngineBinding& engine, QWidget* parent = nullptr);

    void ApplyLanguageTexts() override;
    void RefreshObject(const ObjectSnapshot* object) override;

    // Runs the "..." button of cover face 0..5.
    void BrowseFace(int face);
    // Replaces the file dialog (tests).
    void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    // The controls of cover face 0..5 (Front, Back, Left, Right, Top, Bottom).
    QLineEdit* FaceEdit(int face) const;
    QPushButton* FaceButton(int face) const;
    QLabel* FaceLabel(int face) const;

    // The file dialog's filter in Qt's syntax.
    static QString ImageFilter();

protected:
    std::vector<LayoutRule> BuildLayoutRules() const override;
    void showEvent(QShowEvent* event) override;

private:
    struct Row {
        QLabel* label = nullptr;
        QLineEdit* edit = nullptr;
        QPushButton* button = nullptr;
    };
    // Rows in screen order: Front, Left, Top, Back, Right, Bottom.
    std::array<Row, 6> rows_;
    GroupBox* group_;
    FileChooser chooser_;
};
