#pragma once
// IEngine: the one interface through which the user interface changes and
// shows the scene. 45 operations in a fixed order, then the destructor.
#include <string>
#include <vector>

#include "platform/Outcome.h"
#include "render/RenderJob.h"
#include "scene/SettingTable.h"

class C3DObject;
class IFrameSink;

// One entry of GetObjectList: the user-defined name (at most 255 UTF-16
// units), the object id, and the name of the object in its model file (which
// names the catalogue model and so its thumbnail).
struct ObjectListEntry {
    std::string name;
    int id = -1;
    std::string objectName;
};

class IEngine {
public:
    // 0: creates the preview ("window") context, whose finished frames go to
    // sink, and the offscreen context; seeds the random generator. False when
    // a context cannot be made.
    virtual bool Initialize(IFrameSink* sink) = 0;
    // 1: stops and joins both worker threads and releases the contexts.
    virtual bool Release() = 0;
    // 2: requests a preview redraw (starts the worker threads on first use).
    virtual void Redraw(int unused = 0) = 0;
    // 3: applies a viewport size (height 0 becomes 1).
    virtual void Resize(int width, int height) = 0;
    // 4: queues a model file for loading on the scene thread.
    virtual void AddObject(const std::string& path) = 0;
    // 5: sets the image of cover face 0..5 of an object.
    virtual void SetObjectImage(int id, int face, const std::string& path) = 0;
    // 6: deletes an object at once (on the thread that holds the engine lock).
    virtual void DeleteObject(int id, bool recompute) = 0;
    // 7: the object with this id, or null.
    virtual C3DObject* GetObject(int id) = 0;
    // 8: one entry per object, in list order.
    virtual std::vector<ObjectListEntry> GetObjectList() = 0;
    // 9-17
    virtual void SetObjectTranslateX(int id, int value) = 0;
    virtual void SetObjectTranslateY(int id, int value) = 0;
    virtual void SetObjectTranslateZ(int id, int value) = 0;
    virtual void SetObjectRotateX(int id, int degrees) = 0;
    virtual void SetObjectRotateY(int id, int degrees) = 0;
    virtual void SetObjectRotateZ(int id, int degrees) = 0;
    virtual void SetObjectScaleX(int id, float factor) = 0;
    virtual void SetObjectScaleY(int id, float factor) = 0;
    virtual void SetObjectScaleZ(int id, float factor) = 0;
    // 18-40: each a call of SetSetting with its setting.
    // 18-26
    virtual void SetGlobalLightBrightness(float value) { SetSetting(boxora::Setting::GlobalLightBrightness, value); }
    virtual void EnableLightSource1(bool enabled) { SetSetting(boxora::Setting::Light1Enabled, enabled); }
    virtual void SetLightHorizontalRotation(float value) { SetSetting(boxora::Setting::Light1Horizontal, value); }
    virtual void SetLightVerticalRotation(float value) { SetSetting(boxora::Setting::Light1Vertical, value); }
    virtual void SetLightDistance(float value) { SetSetting(boxora::Setting::Light1Distance, value); }
    virtual void EnableLightSource2(bool enabled) { SetSetting(boxora::Setting::Light2Enabled, enabled); }
    virtual void SetLightHorizontalRotation2(float value) { SetSetting(boxora::Setting::Light2Horizontal, value); }
    virtual void SetLightVerticalRotation2(float value) { SetSetting(boxora::Setting::Light2Vertical, value); }
    virtual void SetLightDistance2(float value) { SetSetting(boxora::Setting::Light2Distance, value); }
    // 27-30
    virtual void SetShadowDirection(float value) { SetSetting(boxora::Setting::ShadowDirection, value); }
    virtual void SetShadowLength(float value) { SetSetting(boxora::Setting::ShadowLength, value); }
    virtual void SetShadowIntensity(int value) { SetSetting(boxora::Setting::ShadowIntensity, value); }
    virtual void SetShadowBlur(int value) { SetSetting(boxora::Setting::ShadowBlur, value); }
    // 31-36
    virtual void SetCameraHorizontalRotation(float value) { SetSetting(boxora::Setting::CameraHorizontal, value); }
    virtual void SetCameraVerticalRotation(float value) { SetSetting(boxora::Setting::CameraVertical, value); }
    virtual void SetCameraTargetHorizontal(int value) { SetSetting(boxora::Setting::CameraTargetHorizontal, value); }
    virtual void SetCameraTargetVertical(int value) { SetSetting(boxora::Setting::CameraTargetVertical, value); }
    virtual void SetCameraZoom(float value) { SetSetting(boxora::Setting::CameraZoom, value); }
    virtual void SetCameraPerspective(float value) { SetSetting(boxora::Setting::CameraPerspective, value); }
    // 37-40
    virtual void SetReflectionOpacity(int value) { SetSetting(boxora::Setting::ReflectionOpacity, value); }
    virtual void SetReflectionLength(int value) { SetSetting(boxora::Setting::ReflectionLength, value); }
    virtual void SetBackgroundColor(unsigned int colorref) { SetSetting(boxora::Setting::BackgroundColor, colorref); }
    virtual void SetBackgroundTransparent(bool transparent) {
        SetSetting(boxora::Setting::BackgroundTransparent, transparent);
    }
    // 41-44
    virtual void DeleteAllObjects() = 0;
    virtual void LoadScene(const std::string& path) = 0;
    // Writes the scene file on the calling thread. Returns false when the
    // file could not be written (the previous file is then left intact).
    virtual bool SaveScene(const std::string& path) = 0;
    virtual void RenderToFile(const RenderJob& job) = 0;
    // 45
    virtual ~IEngine() = default;

    // SaveScene with its outcome: when the file could not be written, the
    // message for the user, not yet shown.
    virtual boxora::Outcome WriteScene(const std::string& path) = 0;

    // Sets one scene setting through its table row: the engine's rule for
    // it (a clamp, the camera's lift), what it renews, a redraw request.
    // Values that are not finite numbers are ignored.
    virtual void SetSetting(boxora::Setting setting, double value) = 0;

    // The scene as its file would hold it, kept in memory, and such a text
    // loaded back (queued like LoadScene); undo keeps whole scenes this way.
    virtual std::string SceneFileText() = 0;
    virtual void LoadSceneText(std::string text) = 0;
};
