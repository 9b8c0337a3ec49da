#include "DumpCommand.h"

#include <cstdio>

#include <nlohmann/json.hpp>

#include "engine/Engine.h"
#include "engine/FitToImages.h"
#include "engine/SceneFileCheck.h"
#include "model/CoverFaces.h"
#include "model/shapes/ShapeSpec.h"
#include "platform/RegularFile.h"
#include "platform/TextUtil.h"
#include "scene/SettingTable.h"

namespace {

bool EndsWithIgnoreCase(const std::string& s, std::string_view suffix) {
    return s.size() >= suffix.size() &&
           boxora::EqualsIgnoreCase(std::string_view(s).substr(s.size() - suffix.size()), suffix);
}

// Every number of the scene is a float: the document stores floats, so each
// prints as the shortest text that reads back as the same float. Members
// keep the order in which they are written.
using Json =
    nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool, std::int64_t, std::uint64_t, float>;

// Text from files may be anything: what is not UTF-8 becomes U+FFFD (as on
// the terminal), and the dump escapes everything beyond ASCII, so that no
// control or reordering character reaches a terminal the JSON is shown on.
Json Text(std::string_view text) { return boxora::Utf16ToUtf8(boxora::Utf8ToUtf16(text)); }

Json Floats(const SharedValue<float>* values, int n) {
    Json a = Json::array();
    for (int i = 0; i < n; ++i) a.push_back(values[i].Get());
    return a;
}

Json Vec4(const SharedVec4& v) {
    Json a = Json::array();
    for (int i = 0; i < 4; ++i) a.push_back(v[i]);
    return a;
}

Json SettingJson(const boxora::SettingRow& row, double value) {
    switch (row.form) {
        case boxora::FileForm::Float:
        case boxora::FileForm::WholeFloat: return static_cast<float>(value);
        case boxora::FileForm::Int: return static_cast<std::int64_t>(value);
        case boxora::FileForm::FlagIsOne:
        case boxora::FileForm::FlagNotZero: return value != 0;
        case boxora::FileForm::ColourRef: return static_cast<std::uint64_t>(value);
    }
    return nullptr;
}

// Every setting by its name, then what the renderers derive from them.
Json Scene(const SceneParams& p) {
    Json s;
    s["renderMode"] = p.RenderMode.Get();
    for (const boxora::SettingRow& row : boxora::SettingTable()) s[row.dumpName] = SettingJson(row, row.get(p));
    s["cameraTarget"] = Vec4(p.cameraTarget);
    s["eyeBase"] = Vec4(p.eyeBase);
    s["referenceDistance"] = p.referenceDistance.Get();
    s["viewportWidth"] = p.viewportWidth.Get();
    s["viewportHeight"] = p.viewportHeight.Get();
    s["light1Position"] = Vec4(p.light1Position);
    s["light2Position"] = Vec4(p.light2Position);
    s["shadowElevation"] = p.shadowElevation.Get();
    s["shadowLightDir"] = Vec4(p.ShadowLightDir);
    s["accumulationPasses"] = p.accumulationPasses.Get();
    s["outputFormat"] = p.outputFormat.Get();
    return s;
}

Json Objects(const SceneModel& model) {
    Json objects = Json::array();
    for (const auto& o : model.objects) {
        Json j;
        j["id"] = o->id;
        j["name"] = Text(o->name);
        j["userName"] = Text(o->userName);
        j["type"] = o->type;
        j["translate"] = Floats(o->translate, 3);
        j["rotate"] = Floats(o->rotate, 3);
        j["scale"] = Floats(o->scale, 3);
        Json images = Json::array();
        for (const std::string& image : o->coverImages) images.push_back(Text(image));
        j["images"] = std::move(images);
        j["vertexCount"] = o->VertexCount();
        j["faceCount"] = o->FaceCount();
        j["height"] = o->height;
        j["width"] = o->width;
        j["depth"] = o->depth;
        const float size[3] = {o->width * o->scale[0].Get(), o->height * o->scale[1].Get(),
                               o->depth * o->scale[2].Get()};
        j["size"] = Json::array({size[0], size[1], size[2]});
        if (o->realSizeMm[0] > 0)
            j["realSize"] = Json::array({o->realSizeMm[0] * o->scale[0].Get(), o->realSizeMm[1] * o->scale[1].Get(),
                                         o->realSizeMm[2] * o->scale[2].Get()});
        if (!o->shape.empty()) j["shape"] = Text(o->shape);
        objects.push_back(std::move(j));
    }
    return objects;
}

Json Materials(const SceneModel& model) {
    Json materials = Json::array();
    for (const tMaterialInfo& m : model.materials) {
        Json j;
        j["index"] = m.index;
        j["name"] = Text(m.name);
        j["file"] = Text(m.file);
        Json colour = Json::array();
        for (uint8_t c : m.color) colour.push_back(c);
        j["colour"] = std::move(colour);
        j["owner"] = m.ownerObject;
        j["mirrorLevel"] = m.mirrorLevel;
        j["transparencyLevel"] = m.transparencyLevel;
        j["coverFace"] = m.coverFace;
        // The slot whose artwork the material prints, if any.
        if (m.coverFace >= 0 && m.coverFace < kCoverFaceCount) j["printable"] = kCoverFaceNames[m.coverFace];
        materials.push_back(std::move(j));
    }
    return materials;
}

const char* KindName(int kind) {
    switch (kind) {
        case SIDE_MIRROR: return "mirror";
        case SIDE_TRANSPARENT: return "transparent";
        default: return "plain";
    }
}

Json Sides(const CSideManager& sides) {
    Json list = Json::array();
    for (const CSide* side : sides.DirectOrder()) {
        Json j;
        j["kind"] = KindName(side->kind);
        j["material"] = side->material;
        j["object"] = side->object ? side->object->id : -1;
        j["faceCount"] = side->faces.size();
        list.push_back(std::move(j));
    }
    return list;
}

}  // namespace

std::string SceneToJson(CEngine& engine) {
    std::lock_guard lock(engine.Lock());
    Json doc;
    doc["scene"] = Scene(engine.Params());
    doc["objects"] = Objects(engine.Models().Model());
    doc["materials"] = Materials(engine.Models().Model());
    doc["sides"] = Sides(engine.Sides());
    return doc.dump(2, ' ', true) + "\n";
}

int RunDumpCommand(const std::string& file, bool fitImages) {
    const bool isScene = EndsWithIgnoreCase(file, ".scn");
    const bool isShape = boxora::IsShapeName(file);
    if (isScene ? !IsReadableSceneFile(file) : !isShape && !boxora::CanReadRegularFile(file)) {
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
    bool idle = engine.WaitForIdle(std::chrono::minutes(5));
    if (idle && fitImages) {
        boxora::FitEveryObjectToImages(engine);
        idle = engine.WaitForIdle(std::chrono::minutes(5));
    }
    int status = 0;
    if (!idle) {
        std::fprintf(stderr, "boxora-render: loading did not finish\n");
        status = 1;
    } else if (!isScene && engine.Models().Model().ObjectCount() == 0) {
        std::fprintf(stderr, "boxora-render: %s: no object in it could be loaded\n",
                     boxora::EscapeForTerminal(file).c_str());
        status = 1;
    }
    if (status == 0) {
        const std::string json = SceneToJson(engine);
        std::fwrite(json.data(), 1, json.size(), stdout);
    }
    engine.Release();
    return status;
}
