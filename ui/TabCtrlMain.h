#pragma once
// The control panel's tab container: the eight pages that edit the scene, in
// their fixed order.
#include <QTabWidget>
#include <array>

#include "ui/EngineBinding.h"

class CTabPage;
class CDialogGeneral;
class CDialogScene;
class CDialogObjects;
class CDialogCamera;
class CDialogLight;
class CDialogShadow;
class CDialogReflection;
class CDialogRender;

class CTabCtrlMain : public QTabWidget {
    Q_OBJECT
public:
    enum Page { General, Scene, Objects, Camera, Lighting, Shadows, Reflection, Rendering, PageCount };

    explicit CTabCtrlMain(boxora::EngineBinding& engine, QWidget* parent = nullptr);

    // Tab titles from the current language, then every page's own texts.
    void ApplyLanguageTexts();

    CTabPage* PageAt(int index) const { return pages_[static_cast<std::size_t>(index)]; }
    CDialogGeneral* GeneralPage() const { return general_; }
    CDialogScene* ScenePage() const { return scene_; }
    CDialogObjects* ObjectsPage() const { return objects_; }
    CDialogCamera* CameraPage() const { return camera_; }
    CDialogLight* LightPage() const { return light_; }
    CDialogShadow* ShadowPage() const { return shadow_; }
    CDialogReflection* ReflectionPage() const { return reflection_; }
    CDialogRender* RenderPage() const { return render_; }

private:
    CDialogGeneral* general_;
    CDialogScene* scene_;
    CDialogObjects* objects_;
    CDialogCamera* camera_;
    CDialogLight* light_;
    CDialogShadow* shadow_;
    CDialogReflection* reflection_;
    CDialogRender* render_;
    std::array<CTabPage*, PageCount> pages_{};
};
