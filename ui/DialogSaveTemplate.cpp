#include "ui/DialogSaveTemplate.h"

#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include "lang/Lng.h"
#include "platform/Notifier.h"
#include "platform/TextUtil.h"
#include "ui/GroupBox.h"
#include "ui/LayoutAdapter.h"

namespace {

QString Text(const char* key) { return QString::fromStdString(Lng().GetText("TabGeneral", key)); }

// Template names become file names: the characters a template may not be
// renamed to cannot be typed here either, nor a leading dot.
class TemplateNameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        if (input.isEmpty()) return Intermediate;
        return boxora::TemplateLibrary::IsValidName(input.toStdString()) ? Acceptable : Invalid;
    }
};

}  // namespace

CDialogSaveTemplate::CDialogSaveTemplate(boxora::TemplateLibrary library, QWidget* parent)
    : QDialog(parent), library_(std::move(library)) {
    setWindowTitle(QStringLiteral("Save Template"));
    setModal(true);
    setSizeGripEnabled(false);

    group_ = new GroupBox(QStringLiteral("Template name"), this);
    boxora::SetControlId(group_, IDC_NAME_GROUP);
    edit_ = new QLineEdit(this);
    boxora::SetControlId(edit_, IDC_NAME_EDIT);
    edit_->setMaxLength(kMaxNameLength);
    edit_->setValidator(new TemplateNameValidator(edit_));
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    boxora::SetControlId(ok_, IDC_OK);
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    boxora::SetControlId(cancel_, IDC_CANCEL);

    // Fixed layout in dialog units: 252 x 67.
    const DialogUnits du = boxora::DialogUnitsOf(this);
    auto place = [&du](QWidget* w, int x, int y, int cx, int cy) {
        w->setGeometry(du.ToPixelsX(x), du.ToPixelsY(y), du.ToPixelsX(cx), du.ToPixelsY(cy));
    };
    place(group_, 7, 3, 238, 33);
    place(edit_, 14, 15, 224, 14);
    place(ok_, 141, 45, 50, 14);
    place(cancel_, 195, 45, 50, 14);
    setFixedSize(du.ToPixelsX(252), du.ToPixelsY(67));
    group_->lower();

    connect(edit_, &QLineEdit::textChanged, this, &CDialogSaveTemplate::OnNameEdited);
    connect(ok_, &QPushButton::clicked, this, &CDialogSaveTemplate::accept);
    connect(cancel_, &QPushButton::clicked, this, &CDialogSaveTemplate::reject);

    // Propose the first free number.
    edit_->setText(QString::fromStdString(library_.ProposeName()));
    OnNameEdited(edit_->text());
    edit_->selectAll();
    edit_->setFocus();
    ApplyLanguageTexts();
}

void CDialogSaveTemplate::showEvent(QShowEvent* event) {
    ApplyLanguageTexts();
    QDialog::showEvent(event);
    edit_->setFocus();
}

void CDialogSaveTemplate::ApplyLanguageTexts() {
    setWindowTitle(Text("savetempl"));
    ok_->setText(Text("ok"));
    cancel_->setText(Text("cancel"));
    group_->setTitle(Text("templname"));
}

void CDialogSaveTemplate::OnNameEdited(const QString& text) {
    name_ = boxora::CutToUtf16Units(text.toStdString(), kMaxNameLength);
    ok_->setEnabled(!name_.empty() && boxora::TemplateLibrary::IsValidName(name_));
}

void CDialogSaveTemplate::accept() {
    if (!ok_->isEnabled()) return;
    if (library_.Exists(name_)) {
        // A fixed question, not from the language file.
        const std::string question = boxora::FormatText("Template '%s' already exists. Overwrite?", {name_});
        if (boxora::Notifier().ShowMessage(question, boxora::MsgIcon::Question, boxora::MsgButtons::YesNo) !=
            boxora::MsgAnswer::Yes) {
            edit_->setFocus();
            return;
        }
    }
    QDialog::accept();
}
