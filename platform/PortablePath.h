#pragma once
// How a project names the files it uses, so that it can be moved or sent:
// a file in the scene's folder or below it is named relative to that folder
// ("art/front.png"), one close by with at most two "../" steps; one of the
// program's own textures by its name in the texture folder ("wood.jpg"),
// never by where the program happens to be installed; anything else keeps
// its absolute path.
#include <string>

namespace boxora {

// The name to store for file in a scene saved into sceneFolder. Empty names,
// "*" (no picture) and names that are not absolute are kept as they are.
std::string PortablePath(const std::string& file, const std::string& sceneFolder, const std::string& textureFolder);

}  // namespace boxora
