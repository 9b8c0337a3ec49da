#pragma once
// Where a texture image named by a model or chosen by the user is found.
#include <optional>
#include <string>

// Backslashes of paths written on other systems become "/". A path with a
// folder is used when the file exists; a bare name, or a path whose file
// does not exist, is tried below textureFolder (which ends with "/") as it
// stands. No result when neither exists.
std::optional<std::string> ResolveTexturePath(const std::string& path, const std::string& textureFolder);

// The file of path's file name in sceneFolder (which ends with "/"), when it
// exists there.
std::optional<std::string> FindBesideScene(const std::string& path, const std::string& sceneFolder);
