#include "ui/DialogRender.h"
#include "WaitCursor.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "engine/IEngine.h"
#include "image/RenderOptions.h"
#include "lang/Lng.h"
#include "platform/Settings.h"
#include "platform/TextUtil.h"
#include "render/RenderJob.h"
#include "scene/SceneParams.h"
#include "ui/FileFilter.h"
#include "ui/GroupBox.h"
#include "ui/LayoutAdapter.h"
#include "ui/NumberEdit.h"
#include "ui/SpinButtons.h"
#include "ui/undo/SceneHistory.h"

namespace {
constexpr int IDC_FILE_GROUP = 1099;
constexpr int IDC_FORMAT_LABEL = 1100;
constexpr int IDC_FORMAT_LIST = 1093;
constexpr int IDC_FILE_LABEL = 1101;
constexpr int IDC_FILE_EDIT = 1102;
constexpr int IDC_BROWSE = 1097;
constexpr int IDC_SIZE_GROUP = 1103;
constexpr int IDC_WIDTH_LABEL = 1104;
constexpr int IDC_WIDTH_EDIT = 1106;
constexpr int IDC_WIDTH_SPIN = 1095;
constexpr int IDC_KEEP_PROPORTION = 1098;
constexpr int IDC_HEIGHT_LABEL = 1105;
constexpr int IDC_HEIGHT_EDIT = 1107;
constexpr int IDC_HEIGHT_SPIN = 1096;
constexpr int IDC_OPTIONS_GROUP = 1128;
constexpr int IDC_OPTIONS_CAPTION = 1126;
constexpr int IDC_QUALITY_EDIT = 1127;
constexpr int IDC_QUALITY_SPIN = 1109;
constexpr int IDC_BASELINE = 1123;
constexpr int IDC_PROGRESSIVE = 1124;
constexpr int IDC_OPTIMIZE = 1125;
constexpr int IDC_NOT_INTERLACED = 1118;
constexpr int IDC_INTERLACED = 1119;
constexpr int IDC_GIF_FIRST = 1120;   // LZW, None, RLE
constexpr int IDC_TIFF_FIRST = 1111;  // Auto, None, RLE, Fax, Packbits, Jpeg, LZW
constexpr int IDC_RENDER_AND_SAVE = 1092;
constexpr int IDC_WEBP_LOSSLESS = 1140;

constexpr int JPEG_OPTIMIZE = 8;
constexpr int JPEG_PROGRESSIVE = 16;

constexpr int kGifValues[3] = {0, 1, 2};
constexpr int kTiffValues[7] = {0, 1, 2, 4, 32773, 7, 5};
constexpr const char* kGifDefaults[3] = {"LZW", "None", "RLE"};
constexpr const char* kGifKeys[3] = {"lzw", "none", "rle"};
constexpr const char* kTiffDefaults[7] = {"Auto", "None", "RLE", "Fax", "Packbits", "Jpeg", "LZW"};
constexpr const char* kTiffKeys[7] = {"auto", "none", "rle", "fax", "pckb", "jpeg", "lzw"};
// TIFF buttons placed and shown, top to bottom (RLE and Fax never are).
constexpr int kTiffShown[5] = {0, 1, 4, 5, 6};

QString Text(const char* key) { return QString::fromStdString(Lng().GetText("TabRendering", key)); }

}  // namespace

CDialogRender::CDialogRender(boxora::EngineBinding& engine, QWidget* parent) : CTabPage(engine, parent) {
    fileGroup_ = AddGroup(IDC_FILE_GROUP, "Image File");
    formatLabel_ = AddLabel(IDC_FORMAT_LABEL, "Format:", 50);
    formatList_ = AddControl(IDC_FORMAT_LIST, new QComboBox(), 100, 14);
    fileLabel_ = AddLabel(IDC_FILE_LABEL, "File Name:", 50);
    fileEdit_ = AddControl(IDC_FILE_EDIT, new QLineEdit(), 150, 14);
    browseButton_ = AddControl(IDC_BROWSE, new QPushButton("Browse..."), 50, 14);

    sizeGroup_ = AddGroup(IDC_SIZE_GROUP, "Image Size");
    widthLabel_ = AddLabel(IDC_WIDTH_LABEL, "Image Width:", 50);
    widthEdit_ = AddControl(IDC_WIDTH_EDIT, new NumberEdit(), 36, 14);
    widthSpin_ = AddControl(IDC_WIDTH_SPIN, new SpinButtons(), 10, 14);
    keepBox_ = AddControl(IDC_KEEP_PROPORTION, new QCheckBox("Keep proportion"), 90, 10);
    heightLabel_ = AddLabel(IDC_HEIGHT_LABEL, "Image Height:", 50);
    heightEdit_ = AddControl(IDC_HEIGHT_EDIT, new NumberEdit(), 36, 14);
    heightSpin_ = AddControl(IDC_HEIGHT_SPIN, new SpinButtons(), 10, 14);

    optionsGroup_ = AddGroup(IDC_OPTIONS_GROUP, "Image Properties");
    optionsCaption_ = AddLabel(IDC_OPTIONS_CAPTION, "Quality:", 50);
    qualityEdit_ = AddControl(IDC_QUALITY_EDIT, new NumberEdit(), 36, 14);
    qualitySpin_ = AddControl(IDC_QUALITY_SPIN, new SpinButtons(), 10, 14);
    baseline_ = AddControl(IDC_BASELINE, new QRadioButton("Baseline"), 80, 10);
    progressive_ = AddControl(IDC_PROGRESSIVE, new QRadioButton("Progressive"), 80, 10);
    optimize_ = AddControl(IDC_OPTIMIZE, new QCheckBox("Optimize"), 80, 10);
    notInterlaced_ = AddControl(IDC_NOT_INTERLACED, new QRadioButton("Not interlaced"), 80, 10);
    interlaced_ = AddControl(IDC_INTERLACED, new QRadioButton("Interlaced"), 80, 10);
    for (int i = 0; i < 3; ++i) gif_[i] = AddControl(IDC_GIF_FIRST + i, new QRadioButton(kGifDefaults[i]), 80, 10);
    for (int i = 0; i < 7; ++i) tiff_[i] = AddControl(IDC_TIFF_FIRST + i, new QRadioButton(kTiffDefaults[i]), 80, 10);
    lossless_ = AddControl(IDC_WEBP_LOSSLESS, new QCheckBox("Lossless"), 80, 10);
    renderButton_ = AddControl(IDC_RENDER_AND_SAVE, new QPushButton("Render and Save"), 100, 18);

    // Each format's buttons form their own exclusive set.
    auto makeGroup = [this](std::initializer_list<QRadioButton*> buttons) {
        auto* group = new QButtonGroup(this);
        group->setExclusive(true);
        for (QRadioButton* b : buttons) group->addButton(b);
    };
    makeGroup({baseline_, progressive_});
    makeGroup({notInterlaced_, interlaced_});
    makeGroup({gif_[0], gif_[1], gif_[2]});
    makeGroup({tiff_[0], tiff_[1], tiff_[2], tiff_[3], tiff_[4], tiff_[5], tiff_[6]});

    widthSpin_->SetBuddy(widthEdit_);
    heightSpin_->SetBuddy(heightEdit_);
    qualitySpin_->SetBuddy(qualityEdit_);
    for (QPushButton* b : {browseButton_, renderButton_}) b->setAutoDefault(false);

    chooser_ = [](QWidget* parentWidget, const QString& filter, const QString& defaultSuffix) {
        QFileDialog dialog(parentWidget);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(filter);
        dialog.setDefaultSuffix(defaultSuffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
        return dialog.selectedFiles().constFirst();
    };

    connect(widthEdit_, &QLineEdit::textChanged, this, [this] { OnSizeEdited(Dimension::Width); });
    connect(heightEdit_, &QLineEdit::textChanged, this, [this] { OnSizeEdited(Dimension::Height); });
    connect(qualityEdit_, &QLineEdit::textChanged, this, &CDialogRender::OnQualityEdited);
    connect(fileEdit_, &QLineEdit::textChanged, this, [this](const QString& text) { fileName_ = text; });
    connect(keepBox_, &QCheckBox::clicked, this, [this](bool checked) { SetKeepProportion(checked); });
    connect(browseButton_, &QPushButton::clicked, this, &CDialogRender::Browse);
    connect(renderButton_, &QPushButton::clicked, this, [this] { RenderAndSave(); });

    connect(notInterlaced_, &QRadioButton::clicked, this, [this] { pngInterlace_ = 0; });
    connect(interlaced_, &QRadioButton::clicked, this, [this] { pngInterlace_ = 1; });
    connect(baseline_, &QRadioButton::clicked, this, [this] { jpegOptions_ &= ~JPEG_PROGRESSIVE; });
    connect(progressive_, &QRadioButton::clicked, this, [this] { jpegOptions_ |= JPEG_PROGRESSIVE; });
    connect(optimize_, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked)
            jpegOptions_ |= JPEG_OPTIMIZE;
        else
            jpegOptions_ &= ~JPEG_OPTIMIZE;
    });
    connect(lossless_, &QCheckBox::clicked, this, [this](bool checked) { webpLossless_ = checked ? 1 : 0; });
    for (int i = 0; i < 3; ++i)
        connect(gif_[i], &QRadioButton::clicked, this, [this, i] { gifCompression_ = kGifValues[i]; });
    for (int i = 0; i < 7; ++i)
        connect(tiff_[i], &QRadioButton::clicked, this, [this, i] { tiffCompression_ = kTiffValues[i]; });

    // 1. The formats.
    {
        const QSignalBlocker blocker(formatList_);
        for (const boxora::RenderFormatEntry& f : boxora::RenderFormats()) formatList_->addItem(f.name);
        formatList_->setCurrentIndex(0);
    }
    // 2. The stored size; each field runs its change handling.
    boxora::ISettingsStore& settings = boxora::Settings();
    widthEdit_->setText(QString::fromStdString(settings.GetString("RenderImageWidth", "300")));
    heightEdit_->setText(QString::fromStdString(settings.GetString("RenderImageHeight", "300")));
    widthSpin_->SetRange(boxora::kMinRenderSize, boxora::kMaxRenderSize);
    heightSpin_->SetRange(boxora::kMinRenderSize, boxora::kMaxRenderSize);
    // 3. Keep proportion.
    if (settings.GetString("KeepProportion", "0") == "1") {
        keepBox_->setChecked(true);
        SetKeepProportion(true);
    }
    // 4. Quality.
    qualitySpin_->SetRange(0, 100);
    qualityEdit_->setText(QStringLiteral("100"));
    // 5. Default choices of the option buttons.
    baseline_->setChecked(true);
    notInterlaced_->setChecked(true);
    gif_[0]->setChecked(true);
    tiff_[0]->setChecked(true);
    tiff_[2]->hide();
    tiff_[3]->hide();
    // 6. PNG.
    SelectFormat(0);
    connect(formatList_, &QComboBox::currentIndexChanged, this, &CDialogRender::SelectFormat);
    SizeCaptionedControls();
}

CDialogRender::~CDialogRender() {
    boxora::ISettingsStore& settings = boxora::Settings();
    settings.SetString("RenderImageWidth", std::to_string(width_));
    settings.SetString("RenderImageHeight", std::to_string(height_));
    settings.SetString("KeepProportion", keepProportion_ ? "1" : "0");
}

QWidget* CDialogRender::OptionControl(int id) const {
    switch (id) {
        case IDC_BASELINE: return baseline_;
        case IDC_PROGRESSIVE: return progressive_;
        case IDC_OPTIMIZE: return optimize_;
        case IDC_NOT_INTERLACED: return notInterlaced_;
        case IDC_INTERLACED: return interlaced_;
        case IDC_WEBP_LOSSLESS: return lossless_;
        default: break;
    }
    if (id >= IDC_GIF_FIRST && id < IDC_GIF_FIRST + 3) return gif_[static_cast<std::size_t>(id - IDC_GIF_FIRST)];
    if (id >= IDC_TIFF_FIRST && id < IDC_TIFF_FIRST + 7) return tiff_[static_cast<std::size_t>(id - IDC_TIFF_FIRST)];
    return nullptr;
}

void CDialogRender::ApplyLanguageTexts() {
    fileGroup_->setTitle(Text("imgf"));
    formatLabel_->setText(Text("frmt"));
    fileLabel_->setText(Text("flnm"));
    browseButton_->setText(Text("brws"));
    sizeGroup_->setTitle(Text("imgsz"));
    widthLabel_->setText(Text("imgwdt"));
    heightLabel_->setText(Text("imghgt"));
    keepBox_->setText(Text("kpprop"));
    optionsGroup_->setTitle(Text("imgprt"));
    ShowOptionCaption();
    baseline_->setText(Text("bsln"));
    progressive_->setText(Text("prgrs"));
    optimize_->setText(Text("optmz"));
    interlaced_->setText(Text("intrl"));
    notInterlaced_->setText(Text("notintrl"));
    lossless_->setText(Text("lsslss"));
    for (int i = 0; i < 3; ++i) gif_[i]->setText(Text(kGifKeys[i]));
    for (int i = 0; i < 7; ++i) tiff_[i]->setText(Text(kTiffKeys[i]));
    renderButton_->setText(Text("rndsave"));
    SizeCaptionedControls();
    Relayout();
}

void CDialogRender::RefreshFromEngine() {
    if (!engine_.scene) return;
    // The project's picture: the fields run their usual handling, which
    // gives the values back to the engine unchanged.
    const SceneParams& scene = *engine_.scene;
    showingScene_ = true;
    const bool keep = keepProportion_;
    keepProportion_ = false;
    const int width = static_cast<int>(boxora::GetSetting(scene, boxora::Setting::PictureWidth));
    const int height = static_cast<int>(boxora::GetSetting(scene, boxora::Setting::PictureHeight));
    const int format = static_cast<int>(boxora::GetSetting(scene, boxora::Setting::PictureFormat));
    if (width != width_) widthEdit_->setText(QString::number(width));
    if (height != height_) heightEdit_->setText(QString::number(height));
    SetKeepProportion(keep);
    for (int i = 0; i < boxora::kRenderFormatCount; ++i)
        if (boxora::RenderFormats()[static_cast<std::size_t>(i)].formatId == format && format != formatId_)
            SelectFormat(i);
    showingScene_ = false;
    engine_.scene->outputFormat = formatId_;
}

void CDialogRender::StorePictureSetting(boxora::Setting setting, int value) {
    if (!engine_.engine || !engine_.scene) return;
    const double before = boxora::GetSetting(*engine_.scene, setting);
    if (before == value) return;
    engine_.engine->SetSetting(setting, value);
    if (history_ && !showingScene_) history_->RecordSetting(setting, before, value);
}

void CDialogRender::ShowOptionCaption() {
    const char* key = boxora::RenderFormats()[static_cast<std::size_t>(comboIndex_)].captionKey;
    optionsCaption_->setText(Text(key ? key : "imgprt"));
}

// The rules move option buttons and check boxes without sizing them: each
// gets the width of its caption. The label column is as wide as its widest
// caption in this language, and never below 50 units.
void CDialogRender::SizeCaptionedControls() {
    std::vector<QWidget*> captioned = {keepBox_,       baseline_,   progressive_, optimize_,
                                       notInterlaced_, interlaced_, lossless_};
    for (QRadioButton* b : gif_) captioned.push_back(b);
    for (QRadioButton* b : tiff_) captioned.push_back(b);
    for (QWidget* w : captioned) w->resize(w->sizeHint().width(), std::max(DialogY(10), w->sizeHint().height()));
    browseButton_->resize(std::max(DialogX(50), browseButton_->sizeHint().width() + DialogX(4)),
                          std::max(DialogY(14), browseButton_->sizeHint().height()));

    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QLabel* l : {formatLabel_, fileLabel_, widthLabel_, heightLabel_})
        widest = std::max(widest, metrics.horizontalAdvance(l->text()));
    for (const boxora::RenderFormatEntry& f : boxora::RenderFormats())
        if (f.captionKey) widest = std::max(widest, metrics.horizontalAdvance(Text(f.captionKey)));
    const int average = std::max(1, boxora::DialogUnitsOf(this).averageCharWidth);
    labelUnits_ = std::max(50, (widest * 4 + average - 1) / average + 2);
}

void CDialogRender::SelectFormat(int index) {
    if (index < 0 || index >= boxora::kRenderFormatCount) return;
    comboIndex_ = index;
    // 1. Hide every option control.
    optionsGroup_->hide();
    optionsCaption_->hide();
    qualityEdit_->hide();
    qualitySpin_->hide();
    for (QWidget* w :
         std::initializer_list<QWidget*>{baseline_, progressive_, optimize_, notInterlaced_, interlaced_, lossless_})
        w->hide();
    for (QRadioButton* b : gif_) b->hide();
    for (QRadioButton* b : tiff_) b->hide();

    // 2. The format's values and, for the first four, its controls.
    const boxora::RenderFormatEntry& format = boxora::RenderFormats()[static_cast<std::size_t>(index)];
    formatId_ = format.formatId;
    filter_ = boxora::QtFileFilter(format.filter);
    extension_ = QString::fromLatin1(format.extension);
    std::vector<QWidget*> shown;
    switch (index) {
        case 0: shown = {notInterlaced_, interlaced_}; break;
        case 1: shown = {qualityEdit_, qualitySpin_, baseline_, progressive_, optimize_}; break;
        case 2: shown = {gif_[0], gif_[1], gif_[2]}; break;
        case 3:
            for (int i : kTiffShown) shown.push_back(tiff_[static_cast<std::size_t>(i)]);
            break;
        case 10: shown = {qualityEdit_, qualitySpin_, lossless_}; break;
        default: break;
    }
    if (format.captionKey) {
        ShowOptionCaption();
        optionsGroup_->show();
        optionsCaption_->show();
        for (QWidget* w : shown) w->show();
    }
    if (formatList_->currentIndex() != index) {
        const QSignalBlocker blocker(formatList_);
        formatList_->setCurrentIndex(index);
    }

    // 3. The scene keeps the Rendering tab's choice (its jobs carry their
    // own); the project keeps it as its picture's format.
    if (engine_.scene) engine_.scene->outputFormat = formatId_;
    StorePictureSetting(boxora::Setting::PictureFormat, formatId_);

    // 4. The file name follows the format's extension.
    const std::string swapped = boxora::SwapExtension(fileName_.toStdString(), format.extension);
    const QString name = QString::fromStdString(swapped);
    if (name != fileEdit_->text()) fileEdit_->setText(name);
}

void CDialogRender::OnSizeEdited(Dimension dimension) {
    NumberEdit* edit = dimension == Dimension::Width ? widthEdit_ : heightEdit_;
    bool removed = false;
    const std::string cleaned = boxora::RemoveFirstNonDigit(edit->text().toStdString(), &removed);
    if (removed) {
        // Writing the field runs this handling again for the rest.
        edit->setText(QString::fromStdString(cleaned));
        return;
    }
    int value = boxora::ParseLeadingInt(cleaned);
    if (value < boxora::kMinRenderSize || value > boxora::kMaxRenderSize) {
        value = std::clamp(value, boxora::kMinRenderSize, boxora::kMaxRenderSize);
        edit->setText(QString::number(value));
        return;
    }
    (dimension == Dimension::Width ? width_ : height_) = value;
    StorePictureSetting(dimension == Dimension::Width ? boxora::Setting::PictureWidth : boxora::Setting::PictureHeight,
                        value);
    if (keepProportion_) WriteOtherDimension(dimension);
    emit imageSizeChanged(width_, height_);
    if (engine_.engine) engine_.engine->Redraw(0);
}

void CDialogRender::WriteOtherDimension(Dimension changed) {
    keepProportion_ = false;
    if (changed == Dimension::Width)
        heightEdit_->setText(QString::number(boxora::HeightForWidth(width_, ratio_)));
    else
        widthEdit_->setText(QString::number(boxora::WidthForHeight(height_, ratio_)));
    keepProportion_ = true;
}

// The ratio is taken from the current size, which therefore already has the
// proportion: the height is not computed again here, as the float ratio
// would turn 800 x 600 into 800 x 599 (and shrink a stored size at every
// start).
void CDialogRender::SetKeepProportion(bool on) {
    keepProportion_ = on;
    if (on) ratio_ = boxora::ProportionRatio(width_, height_);
}

void CDialogRender::OnQualityEdited() {
    int value = boxora::ParseLeadingInt(qualityEdit_->text().toStdString());
    if (value < 0) {
        value = 0;
        qualityEdit_->setText(QStringLiteral("0"));
    } else if (value > 100) {
        value = 100;
        qualityEdit_->setText(QStringLiteral("100"));
    }
    jpegQuality_ = value;
}

void CDialogRender::Browse() {
    if (!chooser_) return;
    const QString path = chooser_(this, filter_, extension_.mid(1));
    if (!path.isEmpty()) fileEdit_->setText(path);
}

RenderJob CDialogRender::CurrentJob() const {
    RenderJob job;
    job.fileName = fileName_.toStdString();
    job.width = width_;
    job.height = height_;
    job.format = formatId_;
    job.pngInterlace = pngInterlace_;
    job.jpegQuality = jpegQuality_;
    job.jpegOptions = jpegOptions_;
    job.gifCompression = gifCompression_;
    job.tiffCompression = tiffCompression_;
    job.webpLossless = webpLossless_;
    return job;
}

void CDialogRender::RenderAndSave() {
    if (fileName_.isEmpty()) Browse();
    if (fileName_.isEmpty() || !engine_.engine) return;
    boxora::WaitCursor wait;
    try {
        engine_.engine->RenderToFile(CurrentJob());
    } catch (...) {
        // The job reports its own failures (the "errsave" message).
    }
}

std::vector<LayoutRule> CDialogRender::BuildLayoutRules() const {
    const int label = labelUnits_;
    std::vector<LayoutRule> rules = {
        // Image File
        LayoutMoveRule(IDC_FILE_GROUP, LayoutTop, LAYOUT_ID_PARENT, LayoutTop, 3),
        LayoutMoveRule(IDC_FILE_GROUP, LayoutLeft, LAYOUT_ID_PARENT, LayoutLeft, 7),
        LayoutResizeRule(IDC_FILE_GROUP, LayoutRight, LAYOUT_ID_PARENT, LayoutRight, -7),
        LayoutMoveRule(IDC_FORMAT_LIST, LayoutTop, IDC_FILE_GROUP, LayoutTop, 10),
        LayoutCenterVertRule(IDC_FORMAT_LABEL, IDC_FORMAT_LABEL, IDC_FORMAT_LIST),
        LayoutMoveRule(IDC_FORMAT_LABEL, LayoutLeft, IDC_FILE_GROUP, LayoutLeft, 7),
        LayoutResizeRule(IDC_FORMAT_LABEL, LayoutRight, IDC_FORMAT_LABEL, LayoutLeft, label),
        LayoutMoveRule(IDC_FORMAT_LIST, LayoutLeft, IDC_FORMAT_LABEL, LayoutRight, 7),
        LayoutResizeRule(IDC_FORMAT_LIST, LayoutRight, IDC_FILE_GROUP, LayoutRight, -7),
        LayoutMoveRule(IDC_BROWSE, LayoutTop, IDC_FORMAT_LIST, LayoutBottom, 3),
        LayoutMoveRule(IDC_BROWSE, LayoutRight, IDC_FILE_GROUP, LayoutRight, -7),
        LayoutCenterVertRule(IDC_FILE_LABEL, IDC_FILE_LABEL, IDC_BROWSE),
        LayoutMoveRule(IDC_FILE_LABEL, LayoutLeft, IDC_FILE_GROUP, LayoutLeft, 7),
        LayoutResizeRule(IDC_FILE_LABEL, LayoutRight, IDC_FORMAT_LABEL, LayoutLeft, label),
        LayoutMoveRule(IDC_FILE_EDIT, LayoutTop, IDC_BROWSE, LayoutTop),
        LayoutMoveRule(IDC_FILE_EDIT, LayoutLeft, IDC_FILE_LABEL, LayoutRight, 7),
        LayoutResizeRule(IDC_FILE_EDIT, LayoutRight, IDC_BROWSE, LayoutLeft, -7),
        LayoutResizeRule(IDC_FILE_GROUP, LayoutBottom, IDC_BROWSE, LayoutBottom, 7),
        // Image Size
        LayoutMoveRule(IDC_SIZE_GROUP, LayoutTop, IDC_FILE_GROUP, LayoutBottom, 3),
        LayoutMoveRule(IDC_SIZE_GROUP, LayoutLeft, LAYOUT_ID_PARENT, LayoutLeft, 7),
        LayoutResizeRule(IDC_SIZE_GROUP, LayoutRight, LAYOUT_ID_PARENT, LayoutRight, -7),
        LayoutMoveRule(IDC_WIDTH_LABEL, LayoutLeft, IDC_SIZE_GROUP, LayoutLeft, 7),
        LayoutResizeRule(IDC_WIDTH_LABEL, LayoutRight, IDC_WIDTH_LABEL, LayoutLeft, label),
        LayoutMoveRule(IDC_WIDTH_EDIT, LayoutLeft, IDC_WIDTH_LABEL, LayoutRight, 7),
        LayoutMoveRule(IDC_WIDTH_EDIT, LayoutTop, IDC_SIZE_GROUP, LayoutTop, 10),
        LayoutCenterVertRule(IDC_WIDTH_LABEL, IDC_WIDTH_LABEL, IDC_WIDTH_EDIT),
        LayoutMoveRule(IDC_WIDTH_SPIN, LayoutTop, IDC_WIDTH_EDIT, LayoutTop),
        LayoutMoveRule(IDC_WIDTH_SPIN, LayoutLeft, IDC_WIDTH_EDIT, LayoutRight),
        LayoutMoveRule(IDC_KEEP_PROPORTION, LayoutLeft, IDC_WIDTH_SPIN, LayoutRight, 7),
        LayoutCenterVertRule(IDC_KEEP_PROPORTION, IDC_KEEP_PROPORTION, IDC_WIDTH_SPIN),
        LayoutMoveRule(IDC_HEIGHT_LABEL, LayoutLeft, IDC_SIZE_GROUP, LayoutLeft, 7),
        LayoutResizeRule(IDC_HEIGHT_LABEL, LayoutRight, IDC_HEIGHT_LABEL, LayoutLeft, label),
        LayoutMoveRule(IDC_HEIGHT_EDIT, LayoutTop, IDC_WIDTH_EDIT, LayoutBottom, 3),
        LayoutCenterVertRule(IDC_HEIGHT_LABEL, IDC_HEIGHT_LABEL, IDC_HEIGHT_EDIT),
        LayoutMoveRule(IDC_HEIGHT_EDIT, LayoutLeft, IDC_WIDTH_EDIT, LayoutLeft),
        LayoutResizeRule(IDC_HEIGHT_EDIT, LayoutRight, IDC_WIDTH_EDIT, LayoutRight),
        LayoutMoveRule(IDC_HEIGHT_SPIN, LayoutTop, IDC_HEIGHT_EDIT, LayoutTop),
        LayoutMoveRule(IDC_HEIGHT_SPIN, LayoutLeft, IDC_HEIGHT_EDIT, LayoutRight),
        LayoutResizeRule(IDC_SIZE_GROUP, LayoutBottom, IDC_HEIGHT_EDIT, LayoutBottom, 7),
        // Image Properties
        LayoutMoveRule(IDC_OPTIONS_GROUP, LayoutTop, IDC_SIZE_GROUP, LayoutBottom, 3),
        LayoutMoveRule(IDC_OPTIONS_GROUP, LayoutLeft, LAYOUT_ID_PARENT, LayoutLeft, 7),
        LayoutResizeRule(IDC_OPTIONS_GROUP, LayoutRight, LAYOUT_ID_PARENT, LayoutRight, -7),
        LayoutMoveRule(IDC_OPTIONS_CAPTION, LayoutLeft, IDC_OPTIONS_GROUP, LayoutLeft, 7),
        LayoutResizeRule(IDC_OPTIONS_CAPTION, LayoutRight, IDC_OPTIONS_CAPTION, LayoutLeft, label),
        LayoutMoveRule(IDC_QUALITY_EDIT, LayoutTop, IDC_OPTIONS_GROUP, LayoutTop, 10),
        LayoutMoveRule(IDC_QUALITY_EDIT, LayoutLeft, IDC_OPTIONS_CAPTION, LayoutRight, 7),
        LayoutCenterVertRule(IDC_OPTIONS_CAPTION, IDC_OPTIONS_CAPTION, IDC_QUALITY_EDIT),
        LayoutMoveRule(IDC_QUALITY_SPIN, LayoutTop, IDC_QUALITY_EDIT, LayoutTop),
        LayoutMoveRule(IDC_QUALITY_SPIN, LayoutLeft, IDC_QUALITY_EDIT, LayoutRight),
        // JPEG
        LayoutMoveRule(IDC_BASELINE, LayoutTop, IDC_QUALITY_EDIT, LayoutBottom, 7),
        LayoutMoveRule(IDC_BASELINE, LayoutLeft, IDC_QUALITY_EDIT, LayoutLeft),
        LayoutMoveRule(IDC_PROGRESSIVE, LayoutTop, IDC_BASELINE, LayoutBottom, 3),
        LayoutMoveRule(IDC_PROGRESSIVE, LayoutLeft, IDC_QUALITY_EDIT, LayoutLeft),
        LayoutMoveRule(IDC_OPTIMIZE, LayoutTop, IDC_PROGRESSIVE, LayoutBottom, 3),
        LayoutMoveRule(IDC_OPTIMIZE, LayoutLeft, IDC_QUALITY_EDIT, LayoutLeft),
        // WebP
        LayoutMoveRule(IDC_WEBP_LOSSLESS, LayoutTop, IDC_QUALITY_EDIT, LayoutBottom, 7),
        LayoutMoveRule(IDC_WEBP_LOSSLESS, LayoutLeft, IDC_QUALITY_EDIT, LayoutLeft),
        // PNG
        LayoutMoveRule(IDC_NOT_INTERLACED, LayoutLeft, IDC_QUALITY_EDIT, LayoutLeft),
        LayoutCenterVertRule(IDC_NOT_INTERLACED, IDC_NOT_INTERLACED, IDC_QUALITY_EDIT),
        LayoutMoveRule(IDC_INTERLACED, LayoutLeft, IDC_QUALITY_EDIT, LayoutLeft),
        LayoutMoveRule(IDC_INTERLACED, LayoutTop, IDC_NOT_INTERLACED, LayoutBottom, 3),
    };
    // GIF
    for (int i = 0; i < 3; ++i) {
        const int id = IDC_GIF_FIRST + i;
        rules.push_back(LayoutMoveRule(id, LayoutLeft, IDC_QUALITY_EDIT, LayoutLeft));
        if (i == 0)
            rules.push_back(LayoutCenterVertRule(id, id, IDC_QUALITY_EDIT));
        else
            rules.push_back(LayoutMoveRule(id, LayoutTop, id - 1, LayoutBottom, 3));
    }
    // TIFF
    int previous = 0;
    for (int i : kTiffShown) {
        const int id = IDC_TIFF_FIRST + i;
        rules.push_back(LayoutMoveRule(id, LayoutLeft, IDC_QUALITY_EDIT, LayoutLeft));
        if (previous == 0)
            rules.push_back(LayoutCenterVertRule(id, id, IDC_QUALITY_EDIT));
        else
            rules.push_back(LayoutMoveRule(id, LayoutTop, previous, LayoutBottom, 3));
        previous = id;
    }
    rules.push_back(LayoutResizeRule(IDC_OPTIONS_GROUP, LayoutBottom, previous, LayoutBottom, 7));
    // Render and Save
    rules.push_back(LayoutMoveRule(IDC_RENDER_AND_SAVE, LayoutTop, IDC_OPTIONS_GROUP, LayoutBottom, 10));
    rules.push_back(LayoutMoveRule(IDC_RENDER_AND_SAVE, LayoutLeft, IDC_OPTIONS_GROUP, LayoutLeft, 7));
    rules.push_back(LayoutResizeRule(IDC_RENDER_AND_SAVE, LayoutRight, IDC_OPTIONS_GROUP, LayoutRight, -7));
    return rules;
}
