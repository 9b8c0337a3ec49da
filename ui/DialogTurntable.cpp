#include "ui/DialogTurntable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <filesystem>

#include "image/RenderOptions.h"
#include "platform/Settings.h"
#include "platform/TextUtil.h"
#include "scene/SceneParams.h"
#include "ui/DialogTexts.h"
#include "ui/SaveFileChooser.h"

namespace {

using boxora::WithExtension;

QString Text(const char* key) { return boxora::LanguageText("Turntable", key); }

QString Filled(const char* key, std::initializer_list<QString> values) { return boxora::FillMarks(Text(key), values); }

// A stored number; a value edited into garbage reads as 0 and the field's
// range clamps it.
int StoredInt(const std::string& text) { return boxora::ParseLeadingInt(text); }

// The camera's vertical angle, as on the Camera tab and the command line.
constexpr int kMinVertical = 0, kMaxVertical = 90;

QSpinBox* AngleBox(int value) {
    auto* box = new QSpinBox;
    box->setRange(kMinVertical, kMaxVertical);
    box->setSuffix(QStringLiteral("\u00b0"));
    box->setValue(value);
    return box;
}

struct FormatInfo {
    const char* name;  // list entry; null: the language's text
    const char* extension;
    const char* filter;
};
const FormatInfo kFormats[] = {
    {"GIF", ".gif", "GIF (*.gif)"},         {"WebP", ".webp", "WebP (*.webp)"},
    {"MP4 (H.264)", ".mp4", "MP4 (*.mp4)"}, {"WebM (VP9)", ".webm", "WebM (*.webm)"},
    {nullptr, ".png", "PNG (*.png)"},
};

}  // namespace

CDialogTurntable::CDialogTurntable(boxora::EngineBinding& engine, QWidget* parent) : QDialog(parent), engine_(engine) {
    setWindowTitle(Text("tttitle"));
    boxora::ISettingsStore& settings = boxora::Settings();

    frames_ = new QSpinBox;
    frames_->setRange(1, boxora::kMaxTurntableFrames);
    frames_->setValue(StoredInt(settings.GetString("TurntableFrames", "24")));
    fps_ = new QSpinBox;
    fps_->setRange(1, 100);
    fps_->setValue(StoredInt(settings.GetString("TurntableFps", "12")));
    width_ = new QSpinBox;
    width_->setRange(boxora::kMinRenderSize, boxora::kMaxRenderSize);
    width_->setValue(StoredInt(settings.GetString("TurntableWidth", "400")));
    height_ = new QSpinBox;
    height_->setRange(boxora::kMinRenderSize, boxora::kMaxRenderSize);
    height_->setValue(StoredInt(settings.GetString("TurntableHeight", "400")));
    format_ = new QComboBox;
    for (const FormatInfo& f : kFormats) format_->addItem(f.name ? QString::fromLatin1(f.name) : Text("ttsequence"));
    sweep_ = new QCheckBox(Text("ttsweep"));
    sweep_->setChecked(settings.GetString("TurntableSweep", "0") == "1");
    sweepFrom_ = AngleBox(StoredInt(settings.GetString("TurntableSweepFrom", "10")));
    sweepTo_ = AngleBox(StoredInt(settings.GetString("TurntableSweepTo", "40")));
    lossless_ = new QCheckBox(Text("ttlossless"));
    lossless_->setChecked(settings.GetString("TurntableLossless", "0") == "1");
    file_ = new QLineEdit;
    browse_ = new QPushButton(Text("ttbrowse"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse_);

    auto* form = new QFormLayout;
    form->addRow(Text("ttframes"), frames_);
    form->addRow(Text("ttfps"), fps_);
    form->addRow(Text("ttwidth"), width_);
    form->addRow(Text("ttheight"), height_);
    form->addRow(QString(), sweep_);
    form->addRow(Text("ttfrom"), sweepFrom_);
    form->addRow(Text("ttto"), sweepTo_);
    form->addRow(Text("ttformat"), format_);
    form->addRow(QString(), lossless_);
    form->addRow(Text("ttfile"), fileRow);

    progress_ = new QProgressBar;
    progress_->setRange(0, 1);
    progress_->setValue(0);
    status_ = new QLabel;
    status_->setWordWrap(true);
    render_ = new QPushButton(Text("ttrender"));
    render_->setDefault(true);
    cancel_ = new QPushButton(Text("ttclose"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(render_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    chooser_ = &boxora::ChooseSaveFile;

    poll_ = new QTimer(this);
    poll_->setInterval(100);
    connect(poll_, &QTimer::timeout, this, &CDialogTurntable::Poll);
    connect(format_, &QComboBox::currentIndexChanged, this, &CDialogTurntable::OnFormatChanged);
    connect(sweep_, &QCheckBox::toggled, this, &CDialogTurntable::UpdateChoices);
    connect(browse_, &QPushButton::clicked, this, &CDialogTurntable::Browse);
    connect(render_, &QPushButton::clicked, this, [this] { Start(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { Running() ? Cancel() : reject(); });
    format_->setCurrentIndex(std::clamp(StoredInt(settings.GetString("TurntableFormat", "0")), 0, 4));
    UpdateChoices();
}

CDialogTurntable::~CDialogTurntable() {
    if (worker_.joinable()) {
        cancelRequested_ = true;
        worker_.join();
    }
    boxora::ISettingsStore& settings = boxora::Settings();
    settings.SetString("TurntableFrames", std::to_string(frames_->value()));
    settings.SetString("TurntableFps", std::to_string(fps_->value()));
    settings.SetString("TurntableWidth", std::to_string(width_->value()));
    settings.SetString("TurntableHeight", std::to_string(height_->value()));
    settings.SetString("TurntableFormat", std::to_string(format_->currentIndex()));
    settings.SetString("TurntableSweep", sweep_->isChecked() ? "1" : "0");
    settings.SetString("TurntableSweepFrom", std::to_string(sweepFrom_->value()));
    settings.SetString("TurntableSweepTo", std::to_string(sweepTo_->value()));
    settings.SetString("TurntableLossless", lossless_->isChecked() ? "1" : "0");
}

void CDialogTurntable::OnFormatChanged(int index) {
    UpdateChoices();
    if (index < 0 || index >= static_cast<int>(std::size(kFormats))) return;
    file_->setText(WithExtension(file_->text(), kFormats[index].extension));
}

void CDialogTurntable::UpdateChoices() {
    const bool idle = !Running();
    sweepFrom_->setEnabled(idle && sweep_->isChecked());
    sweepTo_->setEnabled(idle && sweep_->isChecked());
    lossless_->setEnabled(idle && format_->currentIndex() == Webp);
}

void CDialogTurntable::SetInputsEnabled(bool enabled) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{frames_, fps_, width_, height_, sweep_, format_, file_, browse_, render_})
        w->setEnabled(enabled);
    UpdateChoices();
}

void CDialogTurntable::Browse() {
    const FormatInfo& f = kFormats[std::clamp(format_->currentIndex(), 0, 4)];
    const QString path = chooser_(this, QString::fromLatin1(f.filter), QString::fromLatin1(f.extension + 1));
    if (!path.isEmpty()) file_->setText(WithExtension(path, f.extension));
}

boxora::TurntableSettings CDialogTurntable::CurrentSettings() const {
    boxora::TurntableSettings s;
    const int index = std::clamp(format_->currentIndex(), 0, 4);
    std::string name = WithExtension(file_->text().trimmed(), kFormats[index].extension).toStdString();
    if (index == PngSequence) {
        // The user's name is text, not a pattern: its percent signs are
        // doubled before the number goes in.
        const std::filesystem::path path(name);
        std::string escaped;
        for (char c : (path.parent_path() / path.stem()).string())
            escaped += c == '%' ? std::string("%%") : std::string(1, c);
        name = escaped + "-%03d.png";
    }
    static constexpr boxora::TurntableOutput kKinds[] = {boxora::TurntableOutput::Gif, boxora::TurntableOutput::Webp,
                                                         boxora::TurntableOutput::Mp4, boxora::TurntableOutput::Webm,
                                                         boxora::TurntableOutput::Sequence};
    s.kind = kKinds[index];
    s.output = name;
    s.frames = frames_->value();
    s.fps = fps_->value();
    s.width = width_->value();
    s.height = height_->value();
    s.stillFormat = FORMAT_PNG;
    s.quality = 90;
    s.lossless = index == Webp && lossless_->isChecked();
    if (sweep_->isChecked())
        s.vertical = std::make_pair(static_cast<float>(sweepFrom_->value()), static_cast<float>(sweepTo_->value()));
    if (engine_.scene) s.transparent = engine_.scene->backgroundTransparent;
    return s;
}

bool CDialogTurntable::Start() {
    if (Running() || !engine_.engine || !engine_.scene) return false;
    if (file_->text().trimmed().isEmpty()) Browse();
    if (file_->text().trimmed().isEmpty()) return false;
    running_ = CurrentSettings();
    // Like the desktop's still renders, each run draws its own shadow noise.
    running_.seed = static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
    cancelRequested_ = false;
    done_ = false;
    framesDone_ = 0;
    progress_->setRange(0, running_.frames);
    progress_->setValue(0);
    status_->setText(Filled("ttprogress", {QString::number(1), QString::number(running_.frames)}));
    cancel_->setText(Text("ttcancel"));
    IEngine* engine = engine_.engine;
    const SceneParams* scene = engine_.scene;
    worker_ = std::thread([this, engine, scene] {
        boxora::TurntableCallbacks callbacks;
        callbacks.cancelled = [this] { return cancelRequested_.load(); };
        callbacks.progress = [this](int done, int) { framesDone_ = done; };
        result_ = boxora::RenderTurntable(*engine, *scene, running_, callbacks);
        done_ = true;
    });
    SetInputsEnabled(false);
    poll_->start();
    return true;
}

void CDialogTurntable::Cancel() {
    if (Running()) cancelRequested_ = true;
}

void CDialogTurntable::reject() {
    if (Running()) {
        // Closing stops the run; the window goes once it has stopped.
        Cancel();
        closeWhenDone_ = true;
        return;
    }
    QDialog::reject();
}

void CDialogTurntable::Poll() {
    const int done = framesDone_.load();
    progress_->setValue(done);
    if (!done_) {
        if (!cancelRequested_)
            status_->setText(Filled("ttprogress", {QString::number(std::min(done + 1, running_.frames)),
                                                   QString::number(running_.frames)}));
        return;
    }
    Finished();
}

void CDialogTurntable::Finished() {
    poll_->stop();
    if (worker_.joinable()) worker_.join();
    lastResult_ = result_;
    const QString name = QString::fromStdString(running_.output);
    switch (lastResult_.status) {
        case boxora::TurntableResult::Status::Written: status_->setText(Filled("ttdone", {name})); break;
        case boxora::TurntableResult::Status::Cancelled:
            status_->setText(Text("ttcancelled"));
            progress_->setValue(0);
            break;
        case boxora::TurntableResult::Status::Failed:
            status_->setText(Filled("tterror", {name, QString::fromStdString(lastResult_.error)}));
            break;
    }
    ShowIdle();
    if (closeWhenDone_) {
        closeWhenDone_ = false;
        QDialog::reject();
    }
}

void CDialogTurntable::ShowIdle() {
    SetInputsEnabled(true);
    cancel_->setText(Text("ttclose"));
}
