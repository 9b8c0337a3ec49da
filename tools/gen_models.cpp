// gen_models: writes the package-model catalogue (data/Objects/*.3ds).
//
//   gen_models [FOLDER]
//
// FOLDER defaults to data/Objects/ of the source tree. Each model is written
// as "<name>.3ds"; a file is replaced only once its new copy is complete.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "boxora/SourceTree.h"
#include "platform/AtomicFile.h"
#include "tools/model3ds/CatalogueModels.h"

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))) {
        std::printf(
            "Usage: gen_models [FOLDER]\n"
            "Writes the package models of the catalogue as FOLDER/<name>.3ds\n"
            "(default folder: %s/data/Objects).\n",
            BOXORA_SOURCE_DIR);
        return argc > 2 ? 2 : 0;
    }
    const std::filesystem::path folder =
        argc == 2 ? std::filesystem::path(argv[1]) : std::filesystem::path(BOXORA_SOURCE_DIR) / "data" / "Objects";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    int failures = 0;
    for (const model3ds::CatalogueModel& entry : model3ds::BuildCatalogue()) {
        const std::vector<uint8_t> bytes = model3ds::Write(entry.model);
        const std::string path = (folder / (entry.name + ".3ds")).string();
        std::string error;
        if (!boxora::WriteFileAtomically(
                path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), &error)) {
            std::fprintf(stderr, "gen_models: cannot write %s: %s\n", path.c_str(), error.c_str());
            ++failures;
            continue;
        }
        const model3ds::Mesh& mesh = entry.model.meshes.front();
        std::printf("%-12s %5zu vertices %5zu triangles %2zu materials %7zu bytes\n", entry.name.c_str(),
                    mesh.vertices.size(), mesh.faces.size(), entry.model.materials.size(), bytes.size());
    }
    return failures == 0 ? 0 : 1;
}
