#pragma once
// Render ▸ Turntable…: frames, size, format and file of a turntable, an
// optional out-and-back sweep of the camera's vertical angle and lossless
// WebP, then the run itself on a worker thread, with a progress bar and Cancel. The
// window stays responsive throughout; an animation or video that is
// cancelled leaves no file.
#include <QDialog>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "project/TurntableWriter.h"
#include "ui/EngineBinding.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;

class CDialogTurntable : public QDialog {
    Q_OBJECT
public:
    // The output choices in list order.
    enum Format { Gif = 0, Webp, Mp4, Webm, PngSequence };

    explicit CDialogTurntable(boxora::EngineBinding& engine, QWidget* parent = nullptr);
    ~CDialogTurntable() override;

    // The settings the fields give; the file of a PNG sequence becomes a
    // numbered name ("spin.png" → "spin-%03d.png").
    boxora::TurntableSettings CurrentSettings() const;

    // Starts the run (false when the file is missing or a run is going).
    bool Start();
    // Asks the run to stop after the frame being rendered.
    void Cancel();
    bool Running() const { return worker_.joinable(); }
    // The last run's outcome (Failed before the first).
    const boxora::TurntableResult& LastResult() const { return lastResult_; }

    QSpinBox* FramesBox() const { return frames_; }
    QSpinBox* WidthBox() const { return width_; }
    QSpinBox* HeightBox() const { return height_; }
    QComboBox* FormatList() const { return format_; }
    QCheckBox* SweepBox() const { return sweep_; }
    QSpinBox* SweepFromBox() const { return sweepFrom_; }
    QSpinBox* SweepToBox() const { return sweepTo_; }
    QCheckBox* LosslessBox() const { return lossless_; }
    QLineEdit* FileEdit() const { return file_; }
    QProgressBar* Progress() const { return progress_; }
    QPushButton* RenderButton() const { return render_; }
    QPushButton* CancelButton() const { return cancel_; }

    // The file chooser (replaced by tests).
    std::function<QString(QWidget* parent, const QString& filter, const QString& suffix)> chooser_;

protected:
    void reject() override;

private:
    void OnFormatChanged(int index);
    void Browse();
    void Poll();
    void Finished();
    void ShowIdle();
    // Enables the choices that apply to the present format and sweep.
    void UpdateChoices();
    void SetInputsEnabled(bool enabled);

    boxora::EngineBinding& engine_;
    QSpinBox* frames_;
    QSpinBox* fps_;
    QSpinBox* width_;
    QSpinBox* height_;
    QComboBox* format_;
    QCheckBox* sweep_;
    QSpinBox* sweepFrom_;
    QSpinBox* sweepTo_;
    QCheckBox* lossless_;
    QLineEdit* file_;
    QPushButton* browse_;
    QProgressBar* progress_;
    QLabel* status_;
    QPushButton* render_;
    QPushButton* cancel_;
    QTimer* poll_;

    std::thread worker_;
    std::atomic<bool> cancelRequested_{false};
    std::atomic<bool> done_{false};
    std::atomic<int> framesDone_{0};
    boxora::TurntableSettings running_;
    boxora::TurntableResult result_;  // written by the worker, read after it ends
    boxora::TurntableResult lastResult_;
    bool closeWhenDone_ = false;
};
