#pragma once
// The Save Template dialog: asks for the name of a new template, proposing
// the first free "Template NN", and confirms replacing a template of the
// same name.
#include <QDialog>
#include <string>

#include "project/TemplateLibrary.h"

class GroupBox;
class QLineEdit;
class QPushButton;

class CDialogSaveTemplate : public QDialog {
    Q_OBJECT
public:
    // Control ids.
    static constexpr int IDC_NAME_GROUP = 1090;
    static constexpr int IDC_NAME_EDIT = 1091;
    static constexpr int IDC_OK = 1;
    static constexpr int IDC_CANCEL = 2;
    // Longest name the edit box takes, in UTF-16 units.
    static constexpr int kMaxNameLength = 260;

    explicit CDialogSaveTemplate(boxora::TemplateLibrary library, QWidget* parent = nullptr);

    // The name typed (the dialog's result).
    const std::string& Name() const { return name_; }

    QLineEdit* NameEdit() const { return edit_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // OK: asks before replacing an existing template; on No the dialog stays
    // open with the focus in the name.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ApplyLanguageTexts();
    void OnNameEdited(const QString& text);

    boxora::TemplateLibrary library_;
    std::string name_;
    GroupBox* group_;
    QLineEdit* edit_;
    QPushButton* ok_;
    QPushButton* cancel_;
};
