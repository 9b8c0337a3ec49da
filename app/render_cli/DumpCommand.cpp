#include "DumpCommand.h"

#include <cstdio>

#include "JsonWriter.h"
#include "engine/Engine.h"
#include "platform/RegularFile.h"
#include "engine/SceneFileCheck.h"
#include "platform/TextUtil.h"

namespace {

bool EndsWithIgnoreCase(const std::string& s, std::string_view suffix) {
    return s.size() >= suffix.size() &&
           boxora::EqualsIgnoreCase(std::string_view(s).substr(s.size() - suffix.size()), suffix);
}

void WriteFloats(JsonWriter& w, const SharedValue<float>* values, int n) {
    w.BeginInlineArray();
    for (int i = 0; i < n; ++i) w.Number(values[i].Get());
    w.EndArray();
}

void WriteVec4(JsonWriter& w, const SharedVec4& v) {
    w.BeginInlineArray();
    for (int i = 0; i < 4; ++i) w.Number(v[i]);
    w.EndArray();
}

void WriteScene(JsonWriter& w, const SceneParams& p) {
    w.Key("scene").BeginObject();
    w.Key("renderMode").Int(p.RenderMode);
    w.Key("cameraHorizontalRotation").Number(p.cameraHorizontalRotation);
    w.Key("cameraVerticalRotation").Number(p.cameraVerticalRotation);
    w.Key("cameraTargetHorizontal").Number(p.cameraTarget[0]);
    w.Key("cameraTargetVertical").Number(p.cameraTarget[1]);
    w.Key("cameraTarget");
    WriteVec4(w, p.cameraTarget);
    w.Key("cameraZoom").Number(p.cameraZoom);
    w.Key("cameraPerspective").Number(p.Camera_Perspective);
    w.Key("eyeBase");
    WriteVec4(w, p.eyeBase);
    w.Key("referenceDistance").Number(p.referenceDistance);
    w.Key("viewportWidth").Int(p.viewportWidth);
    w.Key("viewportHeight").Int(p.viewportHeight);
    w.Key("globalLightBrightness").Number(p.globalLightBrightness);
    w.Key("light1Enabled").Bool(p.Light_Source_Enabled_1);
    w.Key("light1HorizontalRotation").Number(p.light1HorizontalRotation);
    w.Key("light1VerticalRotation").Number(p.light1VerticalRotation);
    w.Key("light1Distance").Number(p.light1Distance);
    w.Key("light1Position");
    WriteVec4(w, p.light1Position);
    w.Key("light2Enabled").Bool(p.Light_Source_Enabled_2);
    w.Key("light2HorizontalRotation").Number(p.light2HorizontalRotation);
    w.Key("light2VerticalRotation").Number(p.light2VerticalRotation);
    w.Key("light2Distance").Number(p.light2Distance);
    w.Key("light2Position");
    WriteVec4(w, p.light2Position);
    w.Key("shadowDirection").Number(p.shadowDirection);
    w.Key("shadowLength").Number(p.ShadowLength());
    w.Key("shadowElevation").Number(p.shadowElevation);
    w.Key("shadowLightDir");
    WriteVec4(w, p.ShadowLightDir);
    w.Key("shadowIntensity").Int(p.Shadow_Intensity);
    w.Key("shadowBlur").Int(p.Shadow_Blur);
    w.Key("reflectionLength").Number(p.Reflection_Length);
    w.Key("reflectionOpacity").Number(p.Reflection_Opacity);
    w.Key("backgroundColor").Int(p.backgroundColor);
    w.Key("backgroundTransparent").Bool(p.backgroundTransparent);
    w.Key("accumulationPasses").Int(p.accumulationPasses);
    w.Key("outputFormat").Int(p.outputFormat);
    w.EndObject();
}

void WriteObjects(JsonWriter& w, const SceneModel& model) {
    w.Key("objects").BeginArray();
    for (const auto& o : model.objects) {
        w.BeginObject();
        w.Key("id").Int(o->id);
        w.Key("name").String(o->name);
        w.Key("userName").String(o->userName);
        w.Key("type").Int(o->type);
        w.Key("translate");
        WriteFloats(w, o->translate, 3);
        w.Key("rotate");
        WriteFloats(w, o->rotate, 3);
        w.Key("scale");
        WriteFloats(w, o->scale, 3);
        w.Key("images").BeginArray();
        for (const std::string& image : o->coverImages) w.String(image);
        w.EndArray();
        w.Key("vertexCount").Int(o->VertexCount());
        w.Key("faceCount").Int(o->FaceCount());
        w.Key("height").Number(o->height);
        w.Key("width").Number(o->width);
        w.EndObject();
    }
    w.EndArray();
}

void WriteMaterials(JsonWriter& w, const SceneModel& model) {
    w.Key("materials").BeginArray();
    for (const tMaterialInfo& m : model.materials) {
        w.BeginObject();
        w.Key("index").Int(m.index);
        w.Key("name").String(m.name);
        w.Key("file").String(m.file);
        w.Key("colour").BeginInlineArray();
        for (uint8_t c : m.color) w.Int(c);
        w.EndArray();
        w.Key("owner").Int(m.ownerObject);
        w.Key("mirrorLevel").Int(m.mirrorLevel);
        w.Key("transparencyLevel").Int(m.transparencyLevel);
        w.Key("coverFace").Int(m.coverFace);
        w.EndObject();
    }
    w.EndArray();
}

const char* KindName(int kind) {
    switch (kind) {
        case SIDE_MIRROR: return "mirror";
        case SIDE_TRANSPARENT: return "transparent";
        default: return "plain";
    }
}

void WriteSides(JsonWriter& w, const CSideManager& sides) {
    w.Key("sides").BeginArray();
    for (const CSide* side : sides.DirectOrder()) {
        w.BeginObject();
        w.Key("kind").String(KindName(side->kind));
        w.Key("material").Int(side->material);
        w.Key("object").Int(side->object ? side->object->id : -1);
        w.Key("faceCount").Int(static_cast<long long>(side->faces.size()));
        w.EndObject();
    }
    w.EndArray();
}

}  // namespace

std::string SceneToJson(CEngine& engine) {
    std::lock_guard lock(engine.Lock());
    JsonWriter w;
    w.BeginObject();
    WriteScene(w, engine.Params());
    WriteObjects(w, engine.Models().Model());
    WriteMaterials(w, engine.Models().Model());
    WriteSides(w, engine.Sides());
    w.EndObject();
    return w.Text();
}

int RunDumpCommand(const std::string& file) {
    const bool isScene = EndsWithIgnoreCase(file, ".scn");
    if (isScene ? !IsReadableSceneFile(file) : !boxora::CanReadRegularFile(file)) {
        std::fprintf(stderr, "boxora-render: %s\n", boxora::EscapeForTerminal(CouldNotOpenFileText(file)).c_str());
        return 1;
    }
    CEngine& engine = Engine();
    if (!engine.Initialize(nullptr)) {
        std::fprintf(stderr, "boxora-render: the engine could not start\n");
        return 1;
    }
    engine.Redraw();  // starts the worker threads
    if (isScene) {
        engine.LoadScene(file);
    } else {
        engine.AddObject(file);
        engine.Redraw();
    }
    const bool idle = engine.WaitForIdle(std::chrono::minutes(5));
    int status = 0;
    if (!idle) {
        std::fprintf(stderr, "boxora-render: loading did not finish\n");
        status = 1;
    } else if (!isScene && engine.Models().Model().ObjectCount() == 0) {
        status = 1;  // the reader has said why on standard error
    }
    if (status == 0) {
        const std::string json = SceneToJson(engine);
        std::fwrite(json.data(), 1, json.size(), stdout);
    }
    engine.Release();
    return status;
}
