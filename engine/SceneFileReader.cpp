#include <cmath>

#include "engine/SceneFile.h"
#include "platform/AppPaths.h"
#include "platform/TextUtil.h"

namespace {

constexpr std::size_t kValueUnits = 260;  // buffer for one value

class SectionReader {
public:
    SectionReader(const boxora::ProfileDocument& doc, const std::string& section) : doc_(doc), section_(section) {}

    std::string Text(std::string_view key, std::string_view def = "") const {
        return doc_.GetString(section_, key, def, kValueUnits);
    }
    int Int(std::string_view key, std::string_view def = "") const { return boxora::ParseLeadingInt(Text(key, def)); }
    bool Has(std::string_view key) const { return doc_.HasKey(section_, key); }

private:
    const boxora::ProfileDocument& doc_;
    const std::string& section_;
};

boxora::UserMessage ValueProblem(const boxora::ProfileDocument& doc, const std::string& section, std::string_view key,
                                 const std::string& text, const std::string& problem, boxora::MsgIcon icon) {
    // The value is shown, but only as much of it as tells what it was.
    return {"",
            "",
            "Scene file, line %s: %s=%s %s",
            {std::to_string(doc.KeyLine(section, key)), std::string(key), boxora::CutToUtf16Units(text, 24), problem},
            icon};
}

// A damaged file may repeat a fault in every section; a few messages say it.
constexpr std::size_t kMostProblems = 10;

void AddProblem(boxora::Outcome& problems, boxora::UserMessage message) {
    if (problems.messages.size() > kMostProblems) return;
    if (problems.messages.size() == kMostProblems)
        message = {"", "", "Scene file: further values were not used or changed", {}, message.icon};
    if (message.icon == boxora::MsgIcon::Error)
        problems.Fail(std::move(message));
    else
        problems.Note(std::move(message));
}

// The scene settings of one of the fixed sections.
void ReadSettings(const boxora::ProfileDocument& doc, const std::string& section, SceneFileData& data) {
    for (const boxora::SettingRow& row : boxora::SettingTable()) {
        if (section != row.section) continue;
        const bool present = doc.HasKey(section, row.key);
        const std::string text = present ? doc.GetString(section, row.key, "", kValueUnits) : row.absent;
        boxora::SettingReading reading = boxora::ReadSettingText(row, text);
        if (!reading.value)
            AddProblem(data.problems,
                       ValueProblem(doc, section, row.key, text, reading.problem + "; the value was not used",
                                    boxora::MsgIcon::Error));
        else if (!reading.problem.empty())
            AddProblem(data.problems,
                       ValueProblem(doc, section, row.key, text, reading.problem, boxora::MsgIcon::Warning));
        data.settings[static_cast<int>(row.id)] = reading.value;
    }
}

SceneObjectSection ReadObject(const SectionReader& r, const std::string& name, const boxora::ProfileDocument& doc,
                              boxora::Outcome& problems) {
    SceneObjectSection o;
    o.section = name;
    o.objectName = r.Text("Object_Name");
    if (r.Has("Shape")) o.shape = r.Text("Shape");
    if (r.Has("Model_File")) o.modelFile = r.Text("Model_File");
    if (r.Has("Model_Units")) o.modelUnits = r.Text("Model_Units");
    if (r.Has("User_Defined_Name")) o.userName = boxora::CutToUtf16Units(r.Text("User_Defined_Name"), 255);
    if (r.Has("Object_Type")) o.type = r.Int("Object_Type");
    for (int k = 0; k < kCoverFaceCount; ++k)
        if (r.Has(kImageKeys[k])) o.images[k] = r.Text(kImageKeys[k]);
    for (int k = 0; k < 9; ++k) {
        if (!r.Has(kTransformKeys[k])) continue;
        const std::string text = r.Text(kTransformKeys[k]);
        if (boxora::IsNonFiniteText(text))
            AddProblem(problems,
                       ValueProblem(doc, name, kTransformKeys[k], text,
                                    "is not a finite number; the value was not used", boxora::MsgIcon::Error));
        else
            o.transform[k] = boxora::ParseFloat(text);
    }
    return o;
}

}  // namespace

SceneFileData ReadSceneDocument(const boxora::ProfileDocument& doc) {
    SceneFileData data;
    data.objectsLeftOut = doc.SectionsSkipped();
    data.cutAfterLine = doc.CutAfterLine();
    const std::vector<std::string> names = doc.AllSectionNames();
    data.sectionCount = static_cast<int>(names.size() + doc.SectionsSkipped());
    for (const std::string& name : names) {
        const SectionReader r(doc, name);
        if (name == "LIGHT_SHADOW" || name == "CAMERA" || name == "REFLECTION" || name == "SCENE") {
            // "SCENE" also holds the version, which is not read.
            ReadSettings(doc, name, data);
        } else if (data.objects.size() < static_cast<std::size_t>(kMaxObjects)) {
            data.objects.push_back(ReadObject(r, name, doc, data.problems));
        } else {
            ++data.objectsLeftOut;
        }
    }
    return data;
}

namespace {

// Object sections beyond the ones a scene holds are passed over while the
// file is read, so that a file of a million sections costs no more than its
// bytes; the fixed sections come after the objects and are always kept.
boxora::ProfileDocument::SectionFilter SceneSections() {
    return [objects = std::size_t{0}](std::string_view name) mutable {
        for (const char* fixed : {"LIGHT_SHADOW", "CAMERA", "REFLECTION", "SCENE"})
            if (boxora::EqualsIgnoreCase(name, fixed)) return true;
        return objects++ < static_cast<std::size_t>(kMaxObjects);
    };
}

}  // namespace

SceneFileData ParseSceneFile(std::string_view bytes) {
    return ReadSceneDocument(boxora::ProfileDocument::Parse(bytes, SceneSections()));
}

SceneFileData ReadSceneFile(const std::string& path) {
    return ReadSceneDocument(boxora::ProfileDocument::Load(path, SceneSections()));
}

std::optional<std::string> ModelPathForObjectName(const std::string& objectName) {
    if (objectName.empty() || objectName == "." || objectName == ".." ||
        objectName.find_first_of("/\\") != std::string::npos || objectName.find('\0') != std::string::npos)
        return std::nullopt;
    return boxora::ObjectsFolder() + objectName + ".3ds";
}
