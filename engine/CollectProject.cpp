#include "engine/CollectProject.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>

#include "engine/SceneFile.h"
#include "engine/SceneFileCheck.h"
#include "lang/Messages.h"
#include "platform/AppPaths.h"
#include "platform/ProfileFile.h"
#include "render/TexturePath.h"

namespace {

namespace fs = std::filesystem;

bool IsFixedSection(const std::string& name) {
    return name == "LIGHT_SHADOW" || name == "CAMERA" || name == "REFLECTION" || name == "SCENE";
}

std::optional<std::string> FindImage(const std::string& named, const std::string& sceneFolder) {
    if (auto found = ResolveInSceneFolder(named, sceneFolder)) return found;
    if (auto found = ResolveTexturePath(named, boxora::TextureFolder())) return found;
    return FindBesideScene(named, sceneFolder);
}

// A file name in folder not yet given to another source.
std::string FreeName(const fs::path& source, std::map<std::string, fs::path>& taken) {
    const std::string stem = source.stem().string(), extension = source.extension().string();
    std::string name = source.filename().string();
    for (int n = 2; taken.count(name) && taken[name] != source; ++n) name = stem + "-" + std::to_string(n) + extension;
    taken[name] = source;
    return name;
}

}  // namespace

CollectResult CollectSceneFile(const std::string& scenePath, const std::string& folder) {
    CollectResult result;
    if (!IsReadableSceneFile(scenePath)) {
        result.outcome.Fail({"", "", "Could not open file: %s", {scenePath}});
        return result;
    }
    std::error_code ec;
    const fs::path target = fs::absolute(folder, ec);
    fs::create_directories(target, ec);
    if (!fs::is_directory(target, ec)) {
        result.outcome.Fail({"", "", "Could not create the folder \"%s\".", {folder}});
        return result;
    }
    const fs::path scene = fs::absolute(scenePath, ec);
    const std::string sceneFolder = scene.parent_path().string() + "/";
    boxora::ProfileDocument doc = boxora::ProfileDocument::Load(scene.string());

    std::map<std::string, fs::path> taken;
    for (const std::string& section : doc.AllSectionNames()) {
        if (IsFixedSection(section)) continue;
        for (int k = 0; k < kCoverFaceCount; ++k) {
            if (!doc.HasKey(section, kImageKeys[k])) continue;
            const std::string named = doc.GetString(section, kImageKeys[k], "", 260);
            if (named.empty() || named == "*") continue;
            const std::optional<std::string> found = FindImage(named, sceneFolder);
            if (!found) {
                if (std::find(result.missing.begin(), result.missing.end(), named) == result.missing.end())
                    result.missing.push_back(named);
                continue;
            }
            const fs::path source = fs::weakly_canonical(*found, ec);
            const std::string name = FreeName(source, taken);
            const fs::path copy = target / name;
            if (fs::weakly_canonical(copy, ec) != source) {
                fs::copy_file(source, copy, fs::copy_options::overwrite_existing, ec);
                if (ec) {
                    result.outcome.Fail({"", "", "Could not copy \"%s\" to \"%s\".", {source.string(), copy.string()}});
                    return result;
                }
            }
            doc.SetString(section, kImageKeys[k], name);
        }
    }
    result.copied = static_cast<int>(taken.size());
    result.scenePath = (target / scene.filename()).string();
    if (!doc.Save(result.scenePath)) {
        result.outcome.Fail(
            {"TabGeneral", "errsaveprj", "The project could not be saved to \"%s\".", {result.scenePath}});
        return result;
    }
    if (!result.missing.empty()) {
        std::string list;
        for (const std::string& file : result.missing) list += "\n" + file;
        result.outcome.Fail({"Common",
                             "filesmissing",
                             "The scene uses files that were not found, neither where it names them nor beside it:%s",
                             {list}});
    }
    return result;
}
