#pragma once
// The Rendering tab: output format and its encoder options, output file,
// image size (1..3000, optionally keeping the proportion) and the Render and
// Save action, which hands a render job to the engine. The size and the
// keep-proportion choice are kept in the settings from one run to the next.
#include <QString>
#include <array>
#include <functional>

#include "scene/SettingTable.h"
#include "ui/TabPage.h"

class GroupBox;
class NumberEdit;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class SpinButtons;
struct RenderJob;

class CDialogRender : public CTabPage {
    Q_OBJECT
public:
    // Asks for the output file; an empty result means cancelled.
    using SaveFileChooser =
        std::function<QString(QWidget* parent, const QString& filter, const QString& defaultSuffix)>;

    explicit CDialogRender(boxora::EngineBinding& engine, QWidget* parent = nullptr);
    // Stores the size and the keep-proportion choice.
    ~CDialogRender() override;

    void ApplyLanguageTexts() override;
    // The scene parameters may have been reset (a new or loaded project):
    // the chosen format is written into them again.
    void RefreshFromEngine() override;

    // Render > Render and Save, the toolbar button and the page's button:
    // asks for a file when none is named, then starts the render job.
    virtual void RenderAndSave();
    // The Browse button: a save dialog with the format's filter.
    void Browse();
    void SelectFormat(int index);
    // Hands a picture setting the user changed to the engine (and to undo).
    void StorePictureSetting(boxora::Setting setting, int value);
    void SetFileChooser(SaveFileChooser chooser) { chooser_ = std::move(chooser); }

    // The job Render and Save hands to the engine.
    RenderJob CurrentJob() const;

    int ImageWidth() const { return width_; }
    int ImageHeight() const { return height_; }
    bool KeepProportion() const { return keepProportion_; }
    float Ratio() const { return ratio_; }
    int FormatId() const { return formatId_; }
    QString FileName() const { return fileName_; }
    QString Filter() const { return filter_; }
    int PngInterlace() const { return pngInterlace_; }
    int JpegQuality() const { return jpegQuality_; }
    int JpegOptions() const { return jpegOptions_; }
    int GifCompression() const { return gifCompression_; }
    int TiffCompression() const { return tiffCompression_; }

    QComboBox* FormatList() const { return formatList_; }
    QLineEdit* FileNameEdit() const { return fileEdit_; }
    NumberEdit* WidthEdit() const { return widthEdit_; }
    NumberEdit* HeightEdit() const { return heightEdit_; }
    NumberEdit* QualityEdit() const { return qualityEdit_; }
    QCheckBox* KeepProportionBox() const { return keepBox_; }
    QLabel* OptionsCaption() const { return optionsCaption_; }
    GroupBox* OptionsGroup() const { return optionsGroup_; }
    QPushButton* RenderButton() const { return renderButton_; }
    // The option button with this control id (radio buttons and the
    // Optimize check box), or null.
    QWidget* OptionControl(int id) const;

signals:
    // The picture's size changed (the preview frames it at this ratio).
    void imageSizeChanged(int width, int height);

protected:
    std::vector<LayoutRule> BuildLayoutRules() const override;

private:
    enum class Dimension { Width, Height };

    void OnSizeEdited(Dimension dimension);
    void OnQualityEdited();
    void SetKeepProportion(bool on);
    void WriteOtherDimension(Dimension changed);
    void SizeCaptionedControls();
    void ShowOptionCaption();

    GroupBox* fileGroup_;
    QLabel* formatLabel_;
    QComboBox* formatList_;
    QLabel* fileLabel_;
    QLineEdit* fileEdit_;
    QPushButton* browseButton_;
    GroupBox* sizeGroup_;
    QLabel* widthLabel_;
    NumberEdit* widthEdit_;
    SpinButtons* widthSpin_;
    QCheckBox* keepBox_;
    QLabel* heightLabel_;
    NumberEdit* heightEdit_;
    SpinButtons* heightSpin_;
    GroupBox* optionsGroup_;
    QLabel* optionsCaption_;
    NumberEdit* qualityEdit_;
    SpinButtons* qualitySpin_;
    QRadioButton* baseline_;
    QRadioButton* progressive_;
    QCheckBox* optimize_;
    QCheckBox* lossless_;  // WebP
    QRadioButton* notInterlaced_;
    QRadioButton* interlaced_;
    std::array<QRadioButton*, 3> gif_{};
    std::array<QRadioButton*, 7> tiff_{};
    QPushButton* renderButton_;

    SaveFileChooser chooser_;
    // Width of the label column in dialog units: at least 50, wider when a
    // language's captions need it.
    int labelUnits_ = 50;

    int width_ = 1;
    int height_ = 1;
    QString fileName_;
    int formatId_ = 4;
    int comboIndex_ = 0;
    bool keepProportion_ = false;
    // Set while the page shows the scene's picture settings.
    bool showingScene_ = false;
    float ratio_ = 1.0f;
    QString filter_;
    QString extension_;
    int pngInterlace_ = 0;
    int jpegQuality_ = 0;
    int jpegOptions_ = 0;
    int gifCompression_ = 0;
    int tiffCompression_ = 0;
    int webpLossless_ = 0;
};
