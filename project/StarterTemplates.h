#pragma once
// The templates the program ships (data/templates/ below the program folder)
// are copied into the user's template folder the first time the program
// finds that folder empty, so a new user starts with a useful library.
#include <string>

namespace boxora {

// The shipped templates: ProgramFolder() + "/data/templates/".
std::string StarterTemplateFolder();

// Copies every "<name>.scn" of source, with its "<name>.jpg" when there is
// one, into target, but only when target holds no entries at all. A hidden
// marker file is left in target afterwards, so templates the user deletes
// later do not come back. Each file is written completely or not at all.
// Returns the number of templates copied.
int InstallStarterTemplates(const std::string& source, const std::string& target);

}  // namespace boxora
