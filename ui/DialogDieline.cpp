#include "ui/DialogDieline.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "dieline/DielineOutput.h"
#include "lang/Messages.h"
#include "snapshot/SceneSnapshot.h"
#include "ui/DialogTexts.h"
#include "ui/SaveFileChooser.h"

namespace {

using namespace boxora::dieline;

QString Text(const char* key) { return boxora::LanguageText("Dieline", key); }

struct StyleInfo {
    Style style;
    const char* key;
};
constexpr StyleInfo kStyles[] = {
    {Style::ReverseTuckEnd, "dlrte"}, {Style::StraightTuckEnd, "dlste"}, {Style::SnapLock, "dlsnaplock"},
    {Style::AutoLock, "dlautolock"},  {Style::Mailer, "dlmailer"},       {Style::TraySleeve, "dltraysleeve"},
};

QDoubleSpinBox* MmBox(double minimum, double maximum, double value, int decimals) {
    auto* box = new QDoubleSpinBox;
    box->setRange(minimum, maximum);
    box->setDecimals(decimals);
    box->setSuffix(QStringLiteral(" mm"));
    box->setValue(value);
    return box;
}

}  // namespace

CDialogDieline::CDialogDieline(boxora::EngineBinding& engine, int objectId, QWidget* parent) : QDialog(parent) {
    setWindowTitle(Text("dltitle"));
    setMinimumWidth(460);
    const Params defaults;
    style_ = new QComboBox;
    for (const StyleInfo& s : kStyles) style_->addItem(Text(s.key));
    // A box sized like the catalogue's 60 x 190 x 40 mm carton until an
    // object with a real size says otherwise.
    double size[3] = {60, 190, 40};
    if (objectId >= 0) {
        const SceneSnapshotPtr scene = boxora::ReadSnapshot(engine);
        const ObjectSnapshot* object = scene ? scene->Find(objectId) : nullptr;
        if (object && object->realSizeMm[0] > 0 && object->realSizeMm[1] > 0 && object->realSizeMm[2] > 0) {
            for (int axis = 0; axis < 3; ++axis)
                size[axis] = std::clamp(double(object->realSizeMm[axis]) * object->scale[axis], 1.0, kMaxBoxSide);
            // A box much lower than it is wide and deep ships as a mailer.
            if (size[1] * 2 < std::min(size[0], size[2])) style_->setCurrentIndex(4);
        }
    }
    for (int axis = 0; axis < 3; ++axis) sizes_[axis] = MmBox(1, kMaxBoxSide, size[axis], 1);
    thickness_ = MmBox(0.05, kMaxThickness, defaults.thickness, 2);
    bleed_ = MmBox(0, kMaxBleed, defaults.bleed, 1);
    glue_ = MmBox(1, kMaxGlueFlap, defaults.glueFlap, 1);
    file_ = new QLineEdit;
    auto* browse = new QPushButton(Text("dlbrowse"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse);

    auto* form = new QFormLayout;
    form->addRow(Text("dlstyle"), style_);
    form->addRow(Text("dlwidth"), sizes_[0]);
    form->addRow(Text("dlheight"), sizes_[1]);
    form->addRow(Text("dldepth"), sizes_[2]);
    form->addRow(Text("dlthickness"), thickness_);
    form->addRow(Text("dlbleed"), bleed_);
    form->addRow(Text("dlglue"), glue_);
    form->addRow(Text("dlfile"), fileRow);
    auto* note = new QLabel(Text("dlnote"));
    note->setWordWrap(true);
    status_ = new QLabel;
    status_->setWordWrap(true);
    auto* exportButton = new QPushButton(Text("dlexport"));
    exportButton->setDefault(true);
    auto* close = new QPushButton(Text("dlclose"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(exportButton);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    chooser_ = &boxora::ChooseSaveFile;
    connect(browse, &QPushButton::clicked, this, &CDialogDieline::Browse);
    connect(exportButton, &QPushButton::clicked, this, [this] { Export(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

Params CDialogDieline::CurrentParams() const {
    Params p;
    p.style = kStyles[std::clamp(style_->currentIndex(), 0, 5)].style;
    p.width = sizes_[0]->value();
    p.height = sizes_[1]->value();
    p.depth = sizes_[2]->value();
    p.thickness = thickness_->value();
    p.bleed = bleed_->value();
    p.glueFlap = glue_->value();
    return p;
}

void CDialogDieline::Browse() {
    const QString name = chooser_(this, QStringLiteral("PDF (*.pdf);;SVG (*.svg);;DXF (*.dxf)"), QStringLiteral("pdf"));
    if (!name.isEmpty()) file_->setText(name);
}

bool CDialogDieline::Export() {
    const QString path = file_->text().trimmed();
    if (path.isEmpty()) {
        Browse();
        if (file_->text().trimmed().isEmpty()) return false;
        return Export();
    }
    Net net;
    boxora::Outcome outcome = MakeNet(CurrentParams(), net);
    if (!outcome.failed) outcome.Merge(WriteNet(net, path.toStdString()));
    QStringList lines;
    for (const boxora::UserMessage& m : outcome.messages) lines << QString::fromStdString(boxora::MessageText(m));
    if (!outcome.failed) lines << boxora::FillMarks(Text("dldone"), {path});
    status_->setText(lines.join(QLatin1Char('\n')));
    return !outcome.failed;
}
