#pragma once
// The current project: the full path of its scene file (empty until the
// project is first saved or opened) and the file name shown in the window
// title and offered as the default file name.
#include <string>
#include <string_view>

namespace boxora {

// The name of a project that was never saved or opened.
inline constexpr char kNewProjectName[] = "New Project";
// The one file type of the project dialogs, in the classic "text|pattern||"
// form.
inline constexpr char kSceneFileFilter[] = "Boxora Scene|*.scn||";
inline constexpr char kSceneFileExtension[] = ".scn";

class ProjectState {
public:
    const std::string& Path() const { return path_; }
    const std::string& Name() const { return name_; }

    // A project saved or opened under path; name is its file name.
    void Set(std::string path, std::string name);
    // Back to the unsaved "New Project".
    void Reset();

private:
    std::string path_;
    std::string name_ = kNewProjectName;
};

// The main window's title for a project name: "<name> - Boxora".
std::string ProjectTitle(std::string_view projectName);

// A "text|pattern|text|pattern||" filter as Qt file dialogs take it:
// "text (pattern);;text (pattern)". Several patterns separated by ";" become
// space-separated; pairs without a pattern are dropped.
std::string QtFileFilter(std::string_view classicFilter);

}  // namespace boxora
