#pragma once
// The per-user template library: each template is a scene file
// "<name>.scn" with its 94 x 94 preview picture "<name>.jpg" beside it in
// one folder. This class lists, names, renames and deletes the pairs; the
// General tab shows them and the engine writes them.
#include <string>
#include <string_view>
#include <vector>

namespace boxora {

// Size of a template preview picture in pixels.
inline constexpr int kTemplatePreviewSize = 94;

class TemplateLibrary {
public:
    // folder ends with "/".
    explicit TemplateLibrary(std::string folder);
    // The current user's template folder (created when missing).
    static TemplateLibrary ForCurrentUser();

    const std::string& Folder() const { return folder_; }
    // The scene file and the picture of a template; the extension is matched
    // without regard to case ("X.SCN").
    std::string ScenePath(std::string_view name) const;
    std::string PicturePath(std::string_view name) const;

    // Names of the templates: the regular files "<name>.scn" (any case of the
    // extension) of the folder,
    // without entries whose name starts with "."; sorted by TemplateNameLess.
    std::vector<std::string> Names() const;
    // Whether the scene file of name exists.
    bool Exists(std::string_view name) const;

    // The first "Template NN" (two digits at least) whose scene file does not
    // exist: "Template 01", "Template 02", ... "Template 99", "Template 100".
    std::string ProposeName() const;

    // A name a template can be given: not empty, not starting with "." (such
    // files are not listed) and none of the characters \ / : * ? " < > | '.
    static bool IsValidName(std::string_view name);
    // The characters no template name may contain.
    static constexpr std::string_view kForbiddenCharacters = "\\/:*?\"<>|'";

    enum class RenameResult { Renamed, InvalidName, NameTaken, Failed };
    // Renames the scene file and then its picture. A template without a
    // picture is renamed all the same. When the picture cannot be renamed
    // the scene file is given its old name back, so a failed rename leaves
    // the template as it was. A picture of the new name that belongs to no
    // template is replaced.
    RenameResult Rename(std::string_view oldName, std::string_view newName) const;

    // Deletes the scene file and then its picture. False when a file that
    // exists could not be deleted (a picture is only deleted once its scene
    // file is gone, so a template is never left without its scene).
    bool Remove(std::string_view name) const;

private:
    std::string FindFile(std::string_view name, std::string_view extension) const;

    std::string folder_;
};

// Order of the template list: letters compared without regard to case, then
// ordinal as a tie-break.
bool TemplateNameLess(const std::string& a, const std::string& b);

}  // namespace boxora
