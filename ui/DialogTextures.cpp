#include "ui/DialogTextures.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "engine/IEngine.h"
#include "lang/Lng.h"
#include "snapshot/SceneSnapshot.h"
#include "ui/FileFilter.h"
#include "ui/GroupBox.h"
#include "ui/undo/SceneHistory.h"

namespace {
constexpr int IDC_TEXTURES_GROUP = 55535;

struct FaceRow {
    int face;  // cover face index
    int label;
    int edit;
    int button;
    const char* key;
    const char* defaultLabel;
};
// Screen order.
constexpr FaceRow kRows[6] = {
    {COVER_FRONT, 1052, 1048, 1051, "front", "Front:"}, {COVER_LEFT, 1053, 1049, 1004, "left", "Left:"},
    {COVER_TOP, 1054, 1050, 1005, "top", "Top:"},       {COVER_BACK, 1055, 1009, 1012, "back", "Back:"},
    {COVER_RIGHT, 1056, 1010, 1013, "right", "Right:"}, {COVER_BOTTOM, 1057, 1011, 1014, "bottom", "Bottom:"},
};

int ScreenRowOfFace(int face) {
    for (int i = 0; i < 6; ++i)
        if (kRows[i].face == face) return i;
    return -1;
}

QString Text(const char* key) { return QString::fromStdString(Lng().GetText("TabObjects", key)); }
}  // namespace

CDialogTextures::CDialogTextures(boxora::EngineBinding& engine, QWidget* parent) : CObjectPage(engine, parent) {
    group_ = AddGroup(IDC_TEXTURES_GROUP, "Textures");
    for (int i = 0; i < 6; ++i) {
        Row& row = rows_[static_cast<std::size_t>(i)];
        row.label = AddLabel(kRows[i].label, kRows[i].defaultLabel, 50, 10);
        row.edit = AddControl(kRows[i].edit, new QLineEdit(), 150, 14);
        row.edit->setReadOnly(true);
        row.button = AddControl(kRows[i].button, new QPushButton(QStringLiteral("...")), 16, 14);
        row.button->setAutoDefault(false);
        const int face = kRows[i].face;
        connect(row.button, &QPushButton::clicked, this, [this, face] { BrowseFace(face); });
    }
    chooser_ = [](QWidget* parentWidget, const QString& filter) {
        return QFileDialog::getOpenFileName(parentWidget, QString(), QString(), filter);
    };
    RefreshObject(nullptr);
}

QString CDialogTextures::ImageFilter() { return boxora::QtFileFilter(boxora::kFaceImageFilter); }

QLineEdit* CDialogTextures::FaceEdit(int face) const {
    const int i = ScreenRowOfFace(face);
    return i < 0 ? nullptr : rows_[static_cast<std::size_t>(i)].edit;
}
QPushButton* CDialogTextures::FaceButton(int face) const {
    const int i = ScreenRowOfFace(face);
    return i < 0 ? nullptr : rows_[static_cast<std::size_t>(i)].button;
}
QLabel* CDialogTextures::FaceLabel(int face) const {
    const int i = ScreenRowOfFace(face);
    return i < 0 ? nullptr : rows_[static_cast<std::size_t>(i)].label;
}

void CDialogTextures::ApplyLanguageTexts() {
    group_->setTitle(Text("txt"));
    for (int i = 0; i < 6; ++i) rows_[static_cast<std::size_t>(i)].label->setText(Text(kRows[i].key));
}

void CDialogTextures::RefreshObject(const ObjectSnapshot* object) {
    for (int i = 0; i < 6; ++i) {
        const Row& row = rows_[static_cast<std::size_t>(i)];
        const std::string* path = object ? &object->coverImages[static_cast<std::size_t>(kRows[i].face)] : nullptr;
        const bool present = path && !path->empty();
        row.edit->setEnabled(present);
        row.button->setEnabled(present);
        // "*" marks a face without an image.
        const QString shown = present && *path != "*" ? QString::fromStdString(*path) : QString();
        row.edit->setText(shown);
        row.edit->setToolTip(shown);
    }
}

void CDialogTextures::BrowseFace(int face) {
    QLineEdit* edit = FaceEdit(face);
    if (!edit || !chooser_) return;
    const QString path = chooser_(this, ImageFilter());
    if (path.isEmpty()) return;
    // The field shows no text for a face without an image ("*").
    const std::string before = edit->text().isEmpty() ? std::string("*") : edit->text().toStdString();
    edit->setText(path);
    edit->setToolTip(path);
    if (!engine_.engine) return;
    engine_.engine->SetObjectImage(SelectedObjectId(), face, path.toStdString());
    if (History()) History()->RecordImage(SelectedObjectIndex(), face, before, path.toStdString());
}

void CDialogTextures::showEvent(QShowEvent* event) {
    CObjectPage::showEvent(event);
    for (const Row& row : rows_) row.edit->raise();
    if (rows_[0].button->isEnabled()) rows_[0].button->setFocus();
}

std::vector<LayoutRule> CDialogTextures::BuildLayoutRules() const {
    std::vector<LayoutRule> rules = {
        LayoutMoveRule(IDC_TEXTURES_GROUP, LayoutTop, LAYOUT_ID_PARENT, LayoutTop, 3),
        LayoutMoveRule(IDC_TEXTURES_GROUP, LayoutLeft, LAYOUT_ID_PARENT, LayoutLeft),
        LayoutResizeRule(IDC_TEXTURES_GROUP, LayoutRight, LAYOUT_ID_PARENT, LayoutRight),
    };
    for (int i = 0; i < 6; ++i) {
        const FaceRow& r = kRows[i];
        rules.push_back(LayoutMoveRule(r.button, LayoutRight, IDC_TEXTURES_GROUP, LayoutRight, -7));
        rules.push_back(LayoutMoveRule(r.label, LayoutLeft, IDC_TEXTURES_GROUP, LayoutLeft, 7));
        rules.push_back(LayoutResizeRule(r.label, LayoutRight, r.label, LayoutLeft, 50));
        rules.push_back(LayoutMoveRule(r.edit, LayoutLeft, r.label, LayoutRight, 7));
        rules.push_back(LayoutResizeRule(r.edit, LayoutRight, r.button, LayoutLeft, -7));
        if (i == 0)
            rules.push_back(LayoutMoveRule(r.edit, LayoutTop, IDC_TEXTURES_GROUP, LayoutTop, 10));
        else
            rules.push_back(LayoutMoveRule(r.edit, LayoutTop, kRows[i - 1].edit, LayoutBottom, 3));
        rules.push_back(LayoutMoveRule(r.button, LayoutTop, r.edit, LayoutTop));
        rules.push_back(LayoutCenterVertRule(r.label, r.label, r.edit));
    }
    rules.push_back(LayoutResizeRule(IDC_TEXTURES_GROUP, LayoutBottom, kRows[5].edit, LayoutBottom, 7));
    return rules;
}
