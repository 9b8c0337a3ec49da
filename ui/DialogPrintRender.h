#pragma once
// Render ▸ Print Size…: a picture for print, sized by paper and resolution
// rather than by pixels, so it can go far beyond the Rendering tab's 3000.
// The picture is an ordinary render job of the engine (tiled when large),
// with the resolution written into the file; the dialog follows it through
// the engine's notifications, and Cancel gives it up without touching a
// file of that name.
#include <QDialog>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "image/PrintSize.h"
#include "render/RenderJob.h"
#include "ui/EngineBinding.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

class CDialogPrintRender : public QDialog {
    Q_OBJECT
public:
    // The paper choices in list order.
    enum Paper { A5 = 0, A4, A3, A2, Letter, Legal, Tabloid, Custom };
    enum Unit { Millimetres = 0, Inches };
    // The output choices in list order.
    enum Format { Png = 0, Jpeg, Tiff };

    // formatOptions: the Rendering tab's job, whose encoder options (PNG
    // interlacing, JPEG quality and coding, TIFF compression) the picture
    // is written with.
    CDialogPrintRender(boxora::EngineBinding& engine, const RenderJob& formatOptions, QWidget* parent = nullptr);
    // Stores the choices; a job still running is cancelled.
    ~CDialogPrintRender() override;

    // The picture's size for the present paper and resolution; nothing when
    // it would exceed the largest picture the engine renders.
    std::optional<imagecodec::PixelSize> PictureSize() const;

    // Hands the job to the engine (false when the size is refused, the file
    // is missing or a job is running).
    bool Start();
    // Asks the running job to give up; it writes nothing.
    void Cancel();
    bool Running() const { return static_cast<bool>(job_); }

    // The engine's notifications while the dialog is open (the main window
    // passes them on): progress and end of the render job.
    void OnEngineNotify(int message, int wParam);

    QComboBox* PaperList() const { return paper_; }
    QComboBox* OrientationList() const { return orientation_; }
    QDoubleSpinBox* WidthBox() const { return width_; }
    QDoubleSpinBox* HeightBox() const { return height_; }
    QComboBox* UnitList() const { return unit_; }
    QSpinBox* DpiBox() const { return dpi_; }
    QComboBox* FormatList() const { return format_; }
    QLineEdit* FileEdit() const { return file_; }
    QLabel* PixelsLabel() const { return pixels_; }
    QLabel* StatusLabel() const { return status_; }
    QProgressBar* Progress() const { return progress_; }
    QPushButton* RenderButton() const { return render_; }
    QPushButton* CancelButton() const { return cancel_; }

    // The file chooser (replaced by tests).
    std::function<QString(QWidget* parent, const QString& filter, const QString& suffix)> chooser_;

protected:
    void reject() override;

private:
    // What the render thread tells of the job; shared so that a dialog
    // closed before the job ends leaves the job nothing dangling.
    struct JobState {
        std::atomic<bool> cancel{false};
        std::atomic<bool> ended{false};
        std::atomic<bool> written{false};
    };

    void OnPaperChanged();
    void OnUnitChanged(int index);
    void OnFormatChanged(int index);
    void UpdatePixels();
    void Browse();
    void Finished();
    void SetInputsEnabled(bool enabled);

    boxora::EngineBinding& engine_;
    RenderJob formatOptions_;
    QComboBox* paper_;
    QComboBox* orientation_;
    QDoubleSpinBox* width_;
    QDoubleSpinBox* height_;
    QComboBox* unit_;
    QSpinBox* dpi_;
    QLabel* pixels_;
    QComboBox* format_;
    QLineEdit* file_;
    QPushButton* browse_;
    QProgressBar* progress_;
    QLabel* status_;
    QPushButton* render_;
    QPushButton* cancel_;

    std::shared_ptr<JobState> job_;
    QString jobFile_;
    int shownUnit_ = Millimetres;
    bool closeWhenDone_ = false;
};
