#pragma once
// A recording stand-in for the engine: every IEngine call is logged with its
// value, and the setters store into a SceneParams record the way the engine
// does (vertical rotation 0 becomes 0.5, zoom is clamped, shadow length is
// kept as elevation), so the windows can be driven and checked without
// OpenGL or worker threads.
#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "engine/IEngine.h"
#include "engine/SceneParams.h"
#include "render/FrameSink.h"
#include "ui/EngineBinding.h"

class FakeEngine : public IEngine {
public:
    struct Call {
        std::string name;
        double value = 0;
        bool underLock = false;
    };

    SceneParams scene;
    std::vector<Call> calls;
    IFrameSink* sink = nullptr;
    bool initializeResult = true;
    int initializeCount = 0;
    int releaseCount = 0;
    int redrawCount = 0;
    int previewWidth = 0;
    int previewHeight = 0;
    int lockDepth = 0;
    int lockCount = 0;
    std::vector<std::string> loadedScenes;

    boxora::EngineBinding Binding() {
        boxora::EngineBinding b;
        b.engine = this;
        b.scene = &scene;
        b.setPreviewSize = [this](int w, int h) {
            previewWidth = w;
            previewHeight = h;
        };
        b.lock = [this] {
            mutex_.lock();
            ++lockDepth;
            ++lockCount;
        };
        b.unlock = [this] {
            --lockDepth;
            mutex_.unlock();
        };
        return b;
    }

    // The last value given to the named operation; fallback when never called.
    double Last(const std::string& name, double fallback = -9999) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->name == name) return it->value;
        return fallback;
    }
    int Count(const std::string& name) const {
        return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const Call& c) { return c.name == name; }));
    }
    void ClearCalls() { calls.clear(); }

    bool Initialize(IFrameSink* s) override {
        ++initializeCount;
        sink = s;
        return initializeResult;
    }
    bool Release() override {
        ++releaseCount;
        sink = nullptr;
        return true;
    }
    void Redraw(int) override { ++redrawCount; }
    void Resize(int w, int h) override { Log("Resize", w * 100000.0 + h); }
    void AddObject(const std::string&) override { Log("AddObject", 0); }
    void SetObjectImage(int, int, const std::string&) override { Log("SetObjectImage", 0); }
    void DeleteObject(int id, bool) override { Log("DeleteObject", id); }
    C3DObject* GetObject(int) override { return nullptr; }
    std::vector<ObjectListEntry> GetObjectList() override { return {}; }
    void SetObjectTranslateX(int, int v) override { Log("SetObjectTranslateX", v); }
    void SetObjectTranslateY(int, int v) override { Log("SetObjectTranslateY", v); }
    void SetObjectTranslateZ(int, int v) override { Log("SetObjectTranslateZ", v); }
    void SetObjectRotateX(int, int v) override { Log("SetObjectRotateX", v); }
    void SetObjectRotateY(int, int v) override { Log("SetObjectRotateY", v); }
    void SetObjectRotateZ(int, int v) override { Log("SetObjectRotateZ", v); }
    void SetObjectScaleX(int, float v) override { Log("SetObjectScaleX", v); }
    void SetObjectScaleY(int, float v) override { Log("SetObjectScaleY", v); }
    void SetObjectScaleZ(int, float v) override { Log("SetObjectScaleZ", v); }

    void SetGlobalLightBrightness(float v) override {
        scene.globalLightBrightness = v;
        Log("SetGlobalLightBrightness", v);
    }
    void EnableLightSource1(bool on) override {
        scene.Light_Source_Enabled_1 = on;
        Log("EnableLightSource1", on);
    }
    void SetLightHorizontalRotation(float v) override {
        scene.light1HorizontalRotation = v;
        scene.RecomputeLight1Position();
        Log("SetLightHorizontalRotation", v);
    }
    void SetLightVerticalRotation(float v) override {
        scene.light1VerticalRotation = v;
        scene.RecomputeLight1Position();
        Log("SetLightVerticalRotation", v);
    }
    void SetLightDistance(float v) override {
        scene.light1Distance = v;
        scene.RecomputeLight1Position();
        Log("SetLightDistance", v);
    }
    void EnableLightSource2(bool on) override {
        scene.Light_Source_Enabled_2 = on;
        Log("EnableLightSource2", on);
    }
    void SetLightHorizontalRotation2(float v) override {
        scene.light2HorizontalRotation = v;
        scene.RecomputeLight2Position();
        Log("SetLightHorizontalRotation2", v);
    }
    void SetLightVerticalRotation2(float v) override {
        scene.light2VerticalRotation = v;
        scene.RecomputeLight2Position();
        Log("SetLightVerticalRotation2", v);
    }
    void SetLightDistance2(float v) override {
        scene.light2Distance = v;
        scene.RecomputeLight2Position();
        Log("SetLightDistance2", v);
    }
    void SetShadowDirection(float v) override {
        scene.SetShadowDirectionPlain(v);
        Log("SetShadowDirection", v);
    }
    void SetShadowLength(float v) override {
        scene.SetShadowLengthPlain(v);
        Log("SetShadowLength", v);
    }
    void SetShadowIntensity(int v) override {
        scene.Shadow_Intensity = v;
        Log("SetShadowIntensity", v);
    }
    void SetShadowBlur(int v) override {
        scene.Shadow_Blur = v;
        Log("SetShadowBlur", v);
    }
    void SetCameraHorizontalRotation(float v) override {
        scene.cameraHorizontalRotation = v;
        if (scene.cameraVerticalRotation <= 0) scene.cameraVerticalRotation = 0.5f;
        Log("SetCameraHorizontalRotation", v);
    }
    void SetCameraVerticalRotation(float v) override {
        scene.cameraVerticalRotation = v <= 0 ? 0.5f : v;
        Log("SetCameraVerticalRotation", v);
    }
    void SetCameraTargetHorizontal(int v) override {
        scene.cameraTarget.SetAt(0, static_cast<float>(v));
        Log("SetCameraTargetHorizontal", v);
    }
    void SetCameraTargetVertical(int v) override {
        scene.cameraTarget.SetAt(1, static_cast<float>(v));
        Log("SetCameraTargetVertical", v);
    }
    void SetCameraZoom(float v) override {
        scene.cameraZoom = std::clamp(v, 0.0f, 100.0f);
        Log("SetCameraZoom", v);
    }
    void SetCameraPerspective(float v) override {
        scene.Camera_Perspective = v;
        Log("SetCameraPerspective", v);
    }
    void SetReflectionOpacity(int v) override {
        scene.Reflection_Opacity = static_cast<float>(v);
        Log("SetReflectionOpacity", v);
    }
    void SetReflectionLength(int v) override {
        scene.Reflection_Length = static_cast<float>(v);
        Log("SetReflectionLength", v);
    }
    void SetBackgroundColor(unsigned int c) override {
        scene.backgroundColor = c;
        Log("SetBackgroundColor", c);
    }
    void SetBackgroundTransparent(bool t) override {
        scene.backgroundTransparent = t;
        Log("SetBackgroundTransparent", t);
    }
    void DeleteAllObjects() override { Log("DeleteAllObjects", 0); }
    void LoadScene(const std::string& path) override {
        loadedScenes.push_back(path);
        Log("LoadScene", 0);
    }
    bool SaveScene(const std::string&) override {
        Log("SaveScene", 0);
        return true;
    }
    void RenderToFile(const RenderJob&) override { Log("RenderToFile", 0); }

private:
    void Log(const char* name, double value) { calls.push_back({name, value, lockDepth > 0}); }
    std::recursive_mutex mutex_;
};
