#pragma once
// Folders the program reads from and writes to. Paths use "/" and folder
// paths returned here end without a separator unless stated.
#include <string>

namespace boxora {

// $BOXORA_HOME when set (portable copies and tests); else the shared-data
// folder of an installed copy (../share/boxora from the executable's folder)
// when it exists; else the folder of the running executable (a build tree).
// No trailing separator.
std::string ProgramFolder();
// The folder of the running executable, whatever $BOXORA_HOME says.
std::string ExecutableFolder();
// ProgramFolder() + "/languages/".
std::string LanguagesFolder();
// ProgramFolder() + "/data/Objects/".
std::string ObjectsFolder();
// ProgramFolder() + "/data/texture/".
std::string TextureFolder();
// The per-user data folder: $XDG_DATA_HOME, or ~/.local/share.
std::string UserDataFolder();
// UserDataFolder() + "/Boxora/Templates/", created with its parents when
// missing. Ends with "/".
std::string TemplateFolder();

// File name part of a path (text after the last "/"), or the whole text when
// nothing follows the last separator.
std::string FileNamePart(const std::string& path);

}  // namespace boxora
