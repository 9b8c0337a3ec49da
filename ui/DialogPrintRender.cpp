#include "ui/DialogPrintRender.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "engine/IEngine.h"
#include "image/ImageFormat.h"
#include "platform/Notifier.h"
#include "platform/Settings.h"
#include "platform/TextUtil.h"
#include "render/TiledRender.h"
#include "ui/DialogTexts.h"
#include "ui/SaveFileChooser.h"

namespace {

using boxora::WithExtension;

QString Text(const char* key) { return boxora::LanguageText("PrintRender", key); }

QString Filled(const char* key, std::initializer_list<QString> values) { return boxora::FillMarks(Text(key), values); }

// A stored number; garbage reads as 0 and the field's range clamps it.
int StoredInt(const std::string& text) { return boxora::ParseLeadingInt(text); }
// Stored with a decimal point whatever the locale.
double StoredDouble(const std::string& text, double fallback) {
    bool ok = false;
    const double value = QString::fromStdString(text).toDouble(&ok);
    return ok ? value : fallback;
}

struct PaperInfo {
    const char* name;  // null: the language's "Custom"
    double shortSide;
    double longSide;
    bool inches;
};
const PaperInfo kPapers[] = {
    {"A5", 148, 210, false},   {"A4", 210, 297, false},  {"A3", 297, 420, false},   {"A2", 420, 594, false},
    {"Letter", 8.5, 11, true}, {"Legal", 8.5, 14, true}, {"Tabloid", 11, 17, true}, {nullptr, 0, 0, false},
};
constexpr int kPaperCount = static_cast<int>(std::size(kPapers));

struct FormatInfo {
    const char* name;
    int formatId;
    const char* extension;
    const char* filter;
};
// The formats that carry a resolution.
const FormatInfo kFormats[] = {
    {"PNG", FORMAT_PNG, ".png", "PNG (*.png)"},
    {"JPEG", FORMAT_JPG, ".jpg", "JPEG (*.jpg *.jpeg)"},
    {"TIFF", FORMAT_TIF, ".tif", "TIFF (*.tif *.tiff)"},
};
constexpr int kFormatCount = static_cast<int>(std::size(kFormats));

constexpr double kMmPerInch = 25.4;
// Paper sides the fields take, in millimetres (1 mm to 2 m).
constexpr double kMinSideMm = 1, kMaxSideMm = 2000;
constexpr int kMinDpi = 72, kMaxDpi = 1200;

void SetSideRange(QDoubleSpinBox* box, int unit) {
    const double scale = unit == CDialogPrintRender::Inches ? 1.0 / kMmPerInch : 1.0;
    box->setDecimals(unit == CDialogPrintRender::Inches ? 2 : 1);
    box->setRange(kMinSideMm * scale, kMaxSideMm * scale);
}

}  // namespace

CDialogPrintRender::CDialogPrintRender(boxora::EngineBinding& engine, const RenderJob& formatOptions, QWidget* parent)
    : QDialog(parent), engine_(engine), formatOptions_(formatOptions) {
    setWindowTitle(Text("prtitle"));
    boxora::ISettingsStore& settings = boxora::Settings();

    paper_ = new QComboBox;
    for (const PaperInfo& p : kPapers) paper_->addItem(p.name ? QString::fromLatin1(p.name) : Text("prcustom"));
    orientation_ = new QComboBox;
    orientation_->addItem(Text("prportrait"));
    orientation_->addItem(Text("prlandscape"));
    unit_ = new QComboBox;
    unit_->addItem(Text("prmm"));
    unit_->addItem(Text("prin"));
    width_ = new QDoubleSpinBox;
    height_ = new QDoubleSpinBox;
    shownUnit_ = std::clamp(StoredInt(settings.GetString("PrintUnit", "0")), 0, 1);
    unit_->setCurrentIndex(shownUnit_);
    SetSideRange(width_, shownUnit_);
    SetSideRange(height_, shownUnit_);
    width_->setValue(StoredDouble(settings.GetString("PrintWidth", "100"), 100));
    height_->setValue(StoredDouble(settings.GetString("PrintHeight", "100"), 100));
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(width_, 1);
    sizeRow->addWidget(new QLabel(QStringLiteral("\u00d7")));
    sizeRow->addWidget(height_, 1);
    sizeRow->addWidget(unit_);
    dpi_ = new QSpinBox;
    dpi_->setRange(kMinDpi, kMaxDpi);
    dpi_->setSuffix(QStringLiteral(" dpi"));
    dpi_->setValue(StoredInt(settings.GetString("PrintDpi", "300")));
    pixels_ = new QLabel;
    pixels_->setWordWrap(true);
    format_ = new QComboBox;
    for (const FormatInfo& f : kFormats) format_->addItem(QString::fromLatin1(f.name));
    format_->setCurrentIndex(std::clamp(StoredInt(settings.GetString("PrintFormat", "0")), 0, kFormatCount - 1));
    file_ = new QLineEdit(QString::fromStdString(settings.GetString("PrintFile", "")));
    browse_ = new QPushButton(Text("prbrowse"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse_);

    auto* form = new QFormLayout;
    form->addRow(Text("prpaper"), paper_);
    form->addRow(Text("prorient"), orientation_);
    form->addRow(Text("prsize"), sizeRow);
    form->addRow(Text("prdpi"), dpi_);
    form->addRow(QString(), pixels_);
    form->addRow(Text("prformat"), format_);
    form->addRow(Text("prfile"), fileRow);

    progress_ = new QProgressBar;
    progress_->setRange(0, 100);
    progress_->setValue(0);
    status_ = new QLabel;
    status_->setWordWrap(true);
    render_ = new QPushButton(Text("prrender"));
    render_->setDefault(true);
    cancel_ = new QPushButton(Text("prclose"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(render_);
    buttons->addWidget(cancel_);

    // Room for two lines of the texts that change as the choices do, so a
    // longer one never hides under the next row.
    for (QLabel* label : {pixels_, status_}) {
        label->setMinimumHeight(2 * label->fontMetrics().lineSpacing());
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    setMinimumWidth(480);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    chooser_ = &boxora::ChooseSaveFile;

    paper_->setCurrentIndex(std::clamp(StoredInt(settings.GetString("PrintPaper", "1")), 0, kPaperCount - 1));
    orientation_->setCurrentIndex(std::clamp(StoredInt(settings.GetString("PrintOrientation", "0")), 0, 1));
    OnPaperChanged();
    connect(paper_, &QComboBox::currentIndexChanged, this, &CDialogPrintRender::OnPaperChanged);
    connect(orientation_, &QComboBox::currentIndexChanged, this, &CDialogPrintRender::OnPaperChanged);
    connect(unit_, &QComboBox::currentIndexChanged, this, &CDialogPrintRender::OnUnitChanged);
    connect(width_, &QDoubleSpinBox::valueChanged, this, &CDialogPrintRender::UpdatePixels);
    connect(height_, &QDoubleSpinBox::valueChanged, this, &CDialogPrintRender::UpdatePixels);
    connect(dpi_, &QSpinBox::valueChanged, this, &CDialogPrintRender::UpdatePixels);
    connect(format_, &QComboBox::currentIndexChanged, this, &CDialogPrintRender::OnFormatChanged);
    connect(browse_, &QPushButton::clicked, this, &CDialogPrintRender::Browse);
    connect(render_, &QPushButton::clicked, this, [this] { Start(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { Running() ? Cancel() : reject(); });
    UpdatePixels();
}

CDialogPrintRender::~CDialogPrintRender() {
    // The job holds its own share of the state: it may end after the window.
    if (job_) job_->cancel = true;
    boxora::ISettingsStore& settings = boxora::Settings();
    settings.SetString("PrintPaper", std::to_string(paper_->currentIndex()));
    settings.SetString("PrintOrientation", std::to_string(orientation_->currentIndex()));
    settings.SetString("PrintUnit", std::to_string(unit_->currentIndex()));
    settings.SetString("PrintWidth", QString::number(width_->value(), 'f', 2).toStdString());
    settings.SetString("PrintHeight", QString::number(height_->value(), 'f', 2).toStdString());
    settings.SetString("PrintDpi", std::to_string(dpi_->value()));
    settings.SetString("PrintFormat", std::to_string(format_->currentIndex()));
    settings.SetString("PrintFile", file_->text().trimmed().toStdString());
}

void CDialogPrintRender::OnPaperChanged() {
    const int index = std::clamp(paper_->currentIndex(), 0, kPaperCount - 1);
    const bool custom = index == Custom;
    if (!custom) {
        const PaperInfo& p = kPapers[index];
        const bool landscape = orientation_->currentIndex() == 1;
        const QSignalBlocker blockUnit(unit_);
        unit_->setCurrentIndex(p.inches ? Inches : Millimetres);
        OnUnitChanged(unit_->currentIndex());
        const QSignalBlocker blockWidth(width_), blockHeight(height_);
        width_->setValue(landscape ? p.longSide : p.shortSide);
        height_->setValue(landscape ? p.shortSide : p.longSide);
    }
    // A custom paper is as wide and as high as the fields say.
    orientation_->setEnabled(!Running() && !custom);
    for (QWidget* w : std::initializer_list<QWidget*>{width_, height_, unit_}) w->setEnabled(!Running() && custom);
    UpdatePixels();
}

void CDialogPrintRender::OnUnitChanged(int index) {
    if (index == shownUnit_ || index < 0) return;
    const double factor = index == Inches ? 1.0 / kMmPerInch : kMmPerInch;
    const double w = width_->value() * factor, h = height_->value() * factor;
    const QSignalBlocker blockWidth(width_), blockHeight(height_);
    SetSideRange(width_, index);
    SetSideRange(height_, index);
    width_->setValue(w);
    height_->setValue(h);
    shownUnit_ = index;
    UpdatePixels();
}

void CDialogPrintRender::OnFormatChanged(int index) {
    if (index < 0 || index >= kFormatCount) return;
    file_->setText(WithExtension(file_->text().trimmed(), kFormats[index].extension));
}

std::optional<imagecodec::PixelSize> CDialogPrintRender::PictureSize() const {
    const QString unit = unit_->currentIndex() == Inches ? QStringLiteral("in") : QStringLiteral("mm");
    const QString text =
        QString::number(width_->value(), 'f', 2) + QLatin1Char('x') + QString::number(height_->value(), 'f', 2) + unit;
    return imagecodec::PrintPixels(text.toStdString(), dpi_->value(), boxora::kMaxPictureSide);
}

void CDialogPrintRender::UpdatePixels() {
    const std::optional<imagecodec::PixelSize> size = PictureSize();
    if (size)
        pixels_->setText(Filled("prpixels", {QString::number(size->width), QString::number(size->height)}));
    else
        pixels_->setText(Filled("prtoolarge", {QString::number(boxora::kMaxPictureSide)}));
    render_->setEnabled(!Running() && size.has_value());
}

void CDialogPrintRender::Browse() {
    const FormatInfo& f = kFormats[std::clamp(format_->currentIndex(), 0, kFormatCount - 1)];
    const QString path = chooser_(this, QString::fromLatin1(f.filter), QString::fromLatin1(f.extension + 1));
    if (!path.isEmpty()) file_->setText(WithExtension(path, f.extension));
}

void CDialogPrintRender::SetInputsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{paper_, dpi_, format_, file_, browse_}) w->setEnabled(enabled);
    OnPaperChanged();
}

bool CDialogPrintRender::Start() {
    const std::optional<imagecodec::PixelSize> size = PictureSize();
    if (Running() || !size || !engine_.engine) return false;
    if (file_->text().trimmed().isEmpty()) Browse();
    const FormatInfo& f = kFormats[std::clamp(format_->currentIndex(), 0, kFormatCount - 1)];
    jobFile_ = WithExtension(file_->text().trimmed(), f.extension);
    if (jobFile_.isEmpty()) return false;
    file_->setText(jobFile_);

    RenderJob job;
    job.fileName = jobFile_.toStdString();
    job.width = size->width;
    job.height = size->height;
    job.format = f.formatId;
    job.pngInterlace = formatOptions_.pngInterlace;
    job.jpegQuality = formatOptions_.jpegQuality;
    job.jpegOptions = formatOptions_.jpegOptions;
    job.tiffCompression = formatOptions_.tiffCompression;
    job.dpi = dpi_->value();
    job.tileSize = 0;
    auto state = std::make_shared<JobState>();
    job.cancelled = [state] { return state->cancel.load(); };
    job.finished = [state](bool written) {
        state->written = written;
        state->ended = true;
    };
    job_ = state;
    progress_->setValue(0);
    status_->setText(Filled("prrendering", {QString::number(size->width), QString::number(size->height)}));
    cancel_->setText(Text("prcancel"));
    SetInputsEnabled(false);
    UpdatePixels();
    engine_.engine->RenderToFile(job);
    return true;
}

void CDialogPrintRender::Cancel() {
    if (job_) job_->cancel = true;
}

void CDialogPrintRender::reject() {
    if (Running()) {
        // Closing gives the job up; the window goes once it has stopped.
        Cancel();
        closeWhenDone_ = true;
        return;
    }
    QDialog::reject();
}

void CDialogPrintRender::OnEngineNotify(int message, int wParam) {
    if (!job_) return;
    if (message == boxora::WM_ENGINE_PROGRESS && !job_->cancel) progress_->setValue(std::clamp(wParam, 0, 100));
    // Jobs end in order: an end before this job's is another job's.
    if (message == boxora::WM_ENGINE_END && job_->ended) Finished();
}

void CDialogPrintRender::Finished() {
    const std::shared_ptr<JobState> state = std::move(job_);
    job_.reset();
    if (state->written) {
        progress_->setValue(100);
        status_->setText(Filled("prdone", {jobFile_}));
    } else if (state->cancel) {
        progress_->setValue(0);
        status_->setText(Text("prcancelled"));
    } else {
        status_->setText(Filled("prerror", {jobFile_}));
    }
    cancel_->setText(Text("prclose"));
    SetInputsEnabled(true);
    UpdatePixels();
    if (closeWhenDone_) {
        closeWhenDone_ = false;
        QDialog::reject();
    }
}
