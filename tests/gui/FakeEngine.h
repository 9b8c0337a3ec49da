#pragma once
// A recording stand-in for the engine: every IEngine call is logged with its
// value, and the setters store into a SceneParams record the way the engine
// does (vertical rotation 0 becomes 0.5, zoom is clamped, shadow length is
// kept as elevation), so the windows can be driven and checked without
// OpenGL or worker threads. Objects put in with AddFakeObject answer
// GetObject and GetObjectList, and the object setters change them.
#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/IEngine.h"
#include "model/ModelTypes.h"
#include "render/FrameSink.h"
#include "scene/SceneParams.h"
#include "ui/EngineBinding.h"

class FakeEngine : public IEngine {
public:
    struct Call {
        std::string name;
        double value = 0;
        int id = -1;       // object id of object operations
        std::string text;  // path of AddObject, SetObjectImage, LoadScene, RenderToFile
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
    std::vector<std::string> loadedScenes;
    std::vector<std::unique_ptr<C3DObject>> objects;
    std::vector<RenderJob> renderJobs;
    int nextObjectId = 0;
    int sceneTexts = 0;

    // An object with this name and these face images ("" = the model lacks
    // the face, "*" = no image).
    C3DObject& AddFakeObject(const std::string& name, const std::array<std::string, 6>& images = {}) {
        auto object = std::make_unique<C3DObject>();
        object->id = static_cast<uint16_t>(nextObjectId++);
        object->name = name;
        object->userName = name;
        for (std::size_t k = 0; k < images.size(); ++k) object->coverImages[k] = images[k];
        objects.push_back(std::move(object));
        return *objects.back();
    }
    C3DObject* Find(int id) const {
        for (const auto& o : objects)
            if (o->id == id) return o.get();
        return nullptr;
    }
    const Call* LastCall(const std::string& name) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->name == name) return &*it;
        return nullptr;
    }

    boxora::EngineBinding Binding() {
        boxora::EngineBinding b;
        b.engine = this;
        b.scene = &scene;
        b.setPreviewSize = [this](int w, int h) {
            previewWidth = w;
            previewHeight = h;
        };
        b.queueObjectDeletion = [this](int id) { LogObject("QueueObjectDeletion", id, id); };
        return b;
    }

    // The last value given to the named operation; fallback when never called.
    double Last(const std::string& name, double fallback = -9999) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->name == name) return it->value;
        return fallback;
    }
    int Count(const std::string& name) const {
        return static_cast<int>(
            std::count_if(calls.begin(), calls.end(), [&](const Call& c) { return c.name == name; }));
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
    void AddObject(const std::string& path) override { LogObject("AddObject", -1, 0, path); }
    void SetObjectImage(int id, int face, const std::string& path) override {
        LogObject("SetObjectImage", id, face, path);
        C3DObject* o = Find(id);
        if (o && face >= 0 && face < 6 && !o->coverImages[static_cast<std::size_t>(face)].empty())
            o->coverImages[static_cast<std::size_t>(face)] = path;
    }
    void DeleteObject(int id, bool) override { LogObject("DeleteObject", id, id); }
    C3DObject* GetObject(int id) override { return Find(id); }
    std::vector<ObjectListEntry> GetObjectList() override {
        std::vector<ObjectListEntry> list;
        for (const auto& o : objects) list.push_back({o->userName, o->id, o->name});
        return list;
    }
    void SetObjectTranslateX(int id, int v) override {
        SetField(id, &C3DObject::translate, 0, float(v), "SetObjectTranslateX");
    }
    void SetObjectTranslateY(int id, int v) override {
        SetField(id, &C3DObject::translate, 1, float(v), "SetObjectTranslateY");
    }
    void SetObjectTranslateZ(int id, int v) override {
        SetField(id, &C3DObject::translate, 2, float(v), "SetObjectTranslateZ");
    }
    void SetObjectRotateX(int id, int v) override { SetField(id, &C3DObject::rotate, 0, float(v), "SetObjectRotateX"); }
    void SetObjectRotateY(int id, int v) override { SetField(id, &C3DObject::rotate, 1, float(v), "SetObjectRotateY"); }
    void SetObjectRotateZ(int id, int v) override { SetField(id, &C3DObject::rotate, 2, float(v), "SetObjectRotateZ"); }
    void SetObjectScaleX(int id, float v) override { SetField(id, &C3DObject::scale, 0, v, "SetObjectScaleX"); }
    void SetObjectScaleY(int id, float v) override { SetField(id, &C3DObject::scale, 1, v, "SetObjectScaleY"); }
    void SetObjectScaleZ(int id, float v) override { SetField(id, &C3DObject::scale, 2, v, "SetObjectScaleZ"); }

    // Logged under the setting's scene-file key.
    void SetSetting(boxora::Setting setting, double v) override {
        boxora::ApplySetting(scene, setting, v);
        Log(boxora::RowOf(setting).key, v);
    }
    std::string SceneFileText() override {
        Log("SceneFileText", 0);
        return "scene " + std::to_string(++sceneTexts);
    }
    void LoadSceneText(std::string text) override {
        loadedScenes.push_back(text);
        LogObject("LoadSceneText", -1, 0, text);
    }
    void DeleteAllObjects() override { Log("DeleteAllObjects", 0); }
    void LoadScene(const std::string& path) override {
        loadedScenes.push_back(path);
        LogObject("LoadScene", -1, 0, path);
    }
    bool SaveScene(const std::string&) override {
        Log("SaveScene", 0);
        return true;
    }
    boxora::Outcome WriteScene(const std::string& path) override {
        if (SaveScene(path)) return {};
        return boxora::Outcome::Failure({"TabGeneral", "errsaveprj", "", {path}});
    }
    void RenderToFile(const RenderJob& job) override {
        renderJobs.push_back(job);
        LogObject("RenderToFile", -1, 0, job.fileName);
    }

private:
    void Log(const char* name, double value) { calls.push_back({name, value}); }
    void LogObject(const char* name, int id, double value, const std::string& text = {}) {
        calls.push_back({name, value, id, text});
    }
    void SetField(int id, SharedValue<float> (C3DObject::*field)[3], int axis, float value, const char* name) {
        LogObject(name, id, value);
        if (C3DObject* o = Find(id)) (o->*field)[axis] = value;
    }
};
