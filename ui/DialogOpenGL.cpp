#include "ui/DialogOpenGL.h"

#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/IEngine.h"
#include "render/PreviewMouse.h"
#include "scene/SceneParams.h"
#include "ui/DialogCamera.h"
#include "ui/DialogLight.h"
#include "ui/DialogShadow.h"
#include "ui/FileDrop.h"
#include "ui/RightControlKey.h"
#include "ui/undo/SceneHistory.h"

namespace {
// Source of the undo steps of drags and of wheel turns (consecutive turns
// make one step).
constexpr char kDragSource = 0;
constexpr char kWheelSource = 0;
}  // namespace

CDialogOpenGL::CDialogOpenGL(boxora::EngineBinding& engine, QWidget* parent) : QWidget(parent), engine_(engine) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(1, 1);
    setAcceptDrops(true);
    RightControlKey::Instance();
    initialized_ = engine_.engine && engine_.engine->Initialize(this);
}

CDialogOpenGL::~CDialogOpenGL() {
    if (engine_.engine) engine_.engine->Release();
}

void CDialogOpenGL::SetPages(CDialogCamera* camera, CDialogLight* light, CDialogShadow* shadow) {
    camera_ = camera;
    light_ = light;
    shadow_ = shadow;
}

void CDialogOpenGL::OnPreviewFrame(const uint8_t* rgba, int width, int height) {
    if (!rgba || width <= 0 || height <= 0) return;
    // Rows arrive bottom first; store them top first. Alpha is not shown.
    QImage image(width, height, QImage::Format_RGBX8888);
    if (image.isNull()) return;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(height - 1 - y), rgba + static_cast<std::size_t>(y) * rowBytes, rowBytes);
    {
        std::lock_guard lock(frameMutex_);
        frame_ = std::move(image);
    }
    if (!repaintQueued_.exchange(true)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                repaintQueued_ = false;
                update();
            },
            Qt::QueuedConnection);
    }
}

QImage CDialogOpenGL::LatestFrame() const {
    std::lock_guard lock(frameMutex_);
    return frame_;
}

QRect CDialogOpenGL::FitPicture(const QSize& area, int pictureWidth, int pictureHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || area.isEmpty()) return QRect(QPoint(0, 0), area);
    const double scale =
        std::min(static_cast<double>(area.width()) / pictureWidth, static_cast<double>(area.height()) / pictureHeight);
    const int w = std::clamp(static_cast<int>(std::lround(pictureWidth * scale)), 1, area.width());
    const int h = std::clamp(static_cast<int>(std::lround(pictureHeight * scale)), 1, area.height());
    return QRect((area.width() - w) / 2, (area.height() - h) / 2, w, h);
}

QRect CDialogOpenGL::SceneRect() const {
    if (!frameOn_) return rect();
    return FitPicture(size(), pictureWidth_, pictureHeight_);
}

void CDialogOpenGL::SetPictureSize(int width, int height) {
    if (width == pictureWidth_ && height == pictureHeight_) return;
    pictureWidth_ = width;
    pictureHeight_ = height;
    if (frameOn_) ReportSize();
}

void CDialogOpenGL::SetPictureFrame(bool on) {
    if (on == frameOn_) return;
    frameOn_ = on;
    ReportSize();
}

void CDialogOpenGL::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QImage frame = LatestFrame();
    const QRect scene = SceneRect();
    // Outside the picture frame the window is shaded.
    const QColor outside = palette().color(QPalette::Mid);
    if (scene != rect()) {
        const QRegion shaded = QRegion(rect()).subtracted(QRegion(scene));
        for (const QRect& r : shaded) p.fillRect(r, outside);
    }
    const QColor empty = palette().color(QPalette::Base);
    if (frame.isNull()) {
        p.fillRect(scene, empty);
        return;
    }
    p.setClipRect(scene);
    QImage shown = frame;
    shown.setDevicePixelRatio(devicePixelRatioF());
    p.drawImage(QPointF(scene.topLeft()), shown);
    const QSizeF logical = QSizeF(frame.size()) / devicePixelRatioF();
    const qreal right = scene.x() + logical.width();
    const qreal bottom = scene.y() + logical.height();
    if (right < scene.x() + scene.width())
        p.fillRect(QRectF(right, scene.y(), scene.x() + scene.width() - right, scene.height()), empty);
    if (bottom < scene.y() + scene.height())
        p.fillRect(QRectF(scene.x(), bottom, logical.width(), scene.y() + scene.height() - bottom), empty);
}

void CDialogOpenGL::ReportSize() {
    const qreal ratio = devicePixelRatioF();
    const QRect scene = SceneRect();
    const int w = static_cast<int>(scene.width() * ratio);
    const int h = static_cast<int>(scene.height() * ratio);
    if (engine_.setPreviewSize) engine_.setPreviewSize(w, h);
    if (engine_.engine) engine_.engine->Redraw(0);
    update();
}

void CDialogOpenGL::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ReportSize();
}

// The first showing starts the engine's threads (through Redraw). Repaints
// that follow a finished frame never ask for another one.
void CDialogOpenGL::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ReportSize();
}

void CDialogOpenGL::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = true;
    // Everything one press of the buttons changes is one undo step.
    if (!gestureOpen_ && history_) {
        gestureOpen_ = true;
        history_->BeginSettingsChange();
    }
    event->accept();
}

void CDialogOpenGL::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
    if (gestureOpen_ && event->buttons() == Qt::NoButton) {
        gestureOpen_ = false;
        if (history_) history_->EndSettingsChange({&kDragSource, -1});
    }
    event->accept();
}

bool CDialogOpenGL::RightControlHeld(Qt::KeyboardModifiers modifiers) const {
    return RightControlKey::Instance().IsDown(modifiers & Qt::ControlModifier);
}

void CDialogOpenGL::mouseMoveEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    if (!havePrevious_) {
        previous_ = position;
        havePrevious_ = true;
    }
    const int dx = position.x() - previous_.x();
    const int dy = position.y() - previous_.y();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const Qt::MouseButtons buttons = event->buttons();

    if (engine_.engine && engine_.scene) {
        if (dragging_) {
            if (modifiers & Qt::AltModifier)
                DragShadow(dx, dy);
            else if (modifiers & Qt::ControlModifier)
                DragLight(RightControlHeld(modifiers), dx, dy);
            else if (modifiers & Qt::ShiftModifier)
                Pan(dx, dy, true);
            else
                Orbit(dx, dy);
        } else if (buttons & Qt::MiddleButton) {
            Pan(dx, dy, false);
        } else if (buttons & Qt::RightButton) {
            ChangePerspective(dy);
        }
    }
    previous_ = position;
    event->accept();
}

void CDialogOpenGL::DragShadow(int dx, int dy) {
    const SceneParams& s = *engine_.scene;
    const boxora::ShadowDragValues v = boxora::ShadowDrag(s.shadowDirection, s.ShadowLength(), dx, dy);
    // The shadow setters store plain values: no lock, so a drag never waits
    // for a render job.
    if (shadow_) {
        shadow_->Direction()->WriteValue(static_cast<int>(v.direction));
        shadow_->Length()->WriteValue(static_cast<int>(v.length));
    } else {
        engine_.engine->SetShadowDirection(static_cast<float>(static_cast<int>(v.direction)));
        engine_.engine->SetShadowLength(static_cast<float>(static_cast<int>(v.length)));
    }
    engine_.engine->Redraw(0);
}

void CDialogOpenGL::DragLight(bool secondLight, int dx, int dy) {
    const SceneParams& s = *engine_.scene;
    const boxora::LightDragValues a =
        secondLight ? boxora::LightDrag(s.light2HorizontalRotation, s.light2VerticalRotation, dx, dy)
                    : boxora::LightDrag(s.light1HorizontalRotation, s.light1VerticalRotation, dx, dy);
    const int h = static_cast<int>(a.horizontal);
    const int v = static_cast<int>(a.vertical);
    if (light_) {
        const int light = secondLight ? 2 : 1;
        light_->LightRow(light, 0)->WriteValue(h);
        light_->LightRow(light, 1)->WriteValue(v);
    } else if (secondLight) {
        engine_.engine->SetLightHorizontalRotation2(static_cast<float>(h));
        engine_.engine->SetLightVerticalRotation2(static_cast<float>(v));
    } else {
        engine_.engine->SetLightHorizontalRotation(static_cast<float>(h));
        engine_.engine->SetLightVerticalRotation(static_cast<float>(v));
    }
    engine_.engine->Redraw(0);
}

void CDialogOpenGL::Pan(int dx, int dy, bool redraw) {
    const SceneParams& s = *engine_.scene;
    const boxora::PanValues t = boxora::PanDrag(s.cameraTarget[0], s.cameraTarget[1], dx, dy);
    engine_.engine->SetCameraTargetHorizontal(t.targetHorizontal);
    engine_.engine->SetCameraTargetVertical(t.targetVertical);
    RefreshCamera(CDialogCamera::RefreshAll);
    if (redraw) engine_.engine->Redraw(0);
}

void CDialogOpenGL::Orbit(int dx, int dy) {
    const SceneParams& s = *engine_.scene;
    const boxora::OrbitValues a = boxora::OrbitDrag(s.cameraHorizontalRotation, s.cameraVerticalRotation, dx, dy);
    engine_.engine->SetCameraHorizontalRotation(a.horizontal);
    engine_.engine->SetCameraVerticalRotation(a.vertical);
    RefreshCamera(CDialogCamera::RefreshRotation);
    engine_.engine->Redraw(0);
}

void CDialogOpenGL::ChangePerspective(int dy) {
    const int perspective = boxora::PerspectiveDrag(engine_.scene->Camera_Perspective, dy);
    engine_.engine->SetCameraPerspective(static_cast<float>(perspective));
    RefreshCamera(CDialogCamera::RefreshAll);
}

void CDialogOpenGL::RefreshCamera(int selector) {
    if (camera_) camera_->RefreshFromEngine(selector);
}

void CDialogOpenGL::wheelEvent(QWheelEvent* event) {
    HandleWheel(event->angleDelta().y(), event->modifiers());
    event->accept();
}

void CDialogOpenGL::HandleWheel(int delta, Qt::KeyboardModifiers modifiers) {
    if (!engine_.engine || !engine_.scene || delta == 0) return;
    // Turn after turn of the wheel is one undo step.
    if (history_) history_->BeginSettingsChange();
    ApplyWheel(delta, modifiers);
    if (history_) history_->EndSettingsChange({&kWheelSource, -1}, true);
}

void CDialogOpenGL::ApplyWheel(int delta, Qt::KeyboardModifiers modifiers) {
    const SceneParams& s = *engine_.scene;
    if (!(modifiers & Qt::ControlModifier)) {
        // Fine-grained wheels send fractions of a notch: whole 40ths count,
        // the rest waits for the next turn.
        const int total = wheelRemainder_ + delta;
        const int usable = total / 40 * 40;
        wheelRemainder_ = total - usable;
        if (usable == 0) return;
        // Wheel up (away from the user) zooms in, as in other 3D programs.
        engine_.engine->SetCameraZoom(static_cast<float>(boxora::WheelZoom(s.cameraZoom, -usable)));
        RefreshCamera(CDialogCamera::RefreshZoom);
        return;
    }
    const bool second = RightControlHeld(modifiers);
    const int distance = boxora::WheelLightDistance(second ? s.light2Distance : s.light1Distance, delta);
    if (light_) {
        light_->LightRow(second ? 2 : 1, 2)->WriteValue(distance);
    } else if (second) {
        engine_.engine->SetLightDistance2(static_cast<float>(distance));
    } else {
        engine_.engine->SetLightDistance(static_cast<float>(distance));
    }
}

void CDialogOpenGL::dragEnterEvent(QDragEnterEvent* event) {
    if (dropTarget_ && boxora::CarriesUsableFiles(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CDialogOpenGL::dragMoveEvent(QDragMoveEvent* event) {
    if (dropTarget_ && boxora::CarriesUsableFiles(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CDialogOpenGL::dropEvent(QDropEvent* event) {
    if (dropTarget_ && dropTarget_->DropFiles(boxora::DroppedLocalFiles(event->mimeData())))
        event->acceptProposedAction();
    else
        event->ignore();
}
