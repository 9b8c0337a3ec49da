#pragma once
// The live preview. The engine draws frames on its scene thread and hands
// each finished one to this window (IFrameSink), which copies it, schedules a
// repaint on the UI thread and paints it 1:1. The window reports its size to
// the engine and turns mouse drags and wheel turns into camera, light and
// shadow changes, updating the Camera, Lighting and Shadows tabs; each drag
// or wheel turn is one undo step.
//
// With the picture frame on, the scene is drawn at the rendered picture's
// width-to-height ratio, fitted into the window with the rest shaded: what
// lies inside the frame is what the rendered picture shows, at the same
// place.
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <atomic>
#include <mutex>

#include "render/FrameSink.h"
#include "ui/EngineBinding.h"

namespace boxora {
class IFileDropTarget;
class SceneHistory;
}  // namespace boxora

class CDialogCamera;
class CDialogLight;
class CDialogShadow;

class CDialogOpenGL : public QWidget, public IFrameSink {
    Q_OBJECT
public:
    explicit CDialogOpenGL(boxora::EngineBinding& engine, QWidget* parent = nullptr);
    // Stops the engine's threads (and with them the frames) before the window goes.
    ~CDialogOpenGL() override;

    // The pages the mouse control keeps up to date.
    void SetPages(CDialogCamera* camera, CDialogLight* light, CDialogShadow* shadow);
    // Where files dropped on the preview go (null: drops are refused).
    void SetDropTarget(boxora::IFileDropTarget* target) { dropTarget_ = target; }
    // Where mouse changes are kept for undo (null: nowhere).
    void SetHistory(boxora::SceneHistory* history) { history_ = history; }

    // The rendered picture's size, whose ratio the frame keeps.
    void SetPictureSize(int width, int height);
    // Picture frame on or off (off: the scene fills the window).
    void SetPictureFrame(bool on);
    bool PictureFrame() const { return frameOn_; }
    // Where the scene is drawn, in the window's coordinates.
    QRect SceneRect() const;
    // The largest rectangle of the picture's ratio centred in area.
    static QRect FitPicture(const QSize& area, int pictureWidth, int pictureHeight);

    // IFrameSink, called on the scene thread.
    void OnPreviewFrame(const uint8_t* rgba, int width, int height) override;

    // The latest finished frame, top row first (null before the first one).
    QImage LatestFrame() const;

    // Wheel handling: delta in eighths of a degree (120 per notch).
    void HandleWheel(int delta, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ReportSize();
    bool RightControlHeld(Qt::KeyboardModifiers modifiers) const;
    void DragShadow(int dx, int dy);
    void DragLight(bool secondLight, int dx, int dy);
    void Pan(int dx, int dy, bool redraw);
    void Orbit(int dx, int dy);
    void ChangePerspective(int dy);
    void RefreshCamera(int selector);
    void ApplyWheel(int delta, Qt::KeyboardModifiers modifiers);

    boxora::EngineBinding& engine_;
    CDialogCamera* camera_ = nullptr;
    CDialogLight* light_ = nullptr;
    CDialogShadow* shadow_ = nullptr;
    boxora::IFileDropTarget* dropTarget_ = nullptr;
    boxora::SceneHistory* history_ = nullptr;
    bool initialized_ = false;
    bool frameOn_ = false;
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    // A mouse change is being collected into one undo step.
    bool gestureOpen_ = false;

    mutable std::mutex frameMutex_;
    QImage frame_;
    std::atomic<bool> repaintQueued_{false};

    bool dragging_ = false;
    bool havePrevious_ = false;
    QPoint previous_;
    int wheelRemainder_ = 0;
};
