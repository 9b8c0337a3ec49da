#pragma once
// Where a texture image named by a model or chosen by the user is found.
#include <optional>
#include <string>

// Backslashes of paths written on other systems become "/". A path with a
// folder is used when the file exists; a bare name, or a path whose file
// does not exist, is tried below textureFolder (which ends with "/") as it
// stands. No result when neither exists.
std::optional<std::string> ResolveTexturePath(const std::string& path, const std::string& textureFolder);

// A relative path (as projects store their own files) taken from sceneFolder
// (which ends with "/"), when the file exists there.
std::optional<std::string> ResolveInSceneFolder(const std::string& path, const std::string& sceneFolder);

// The file of path's file name in sceneFolder (which ends with "/") or, when
// not there, in the folders below it (the shallowest, then the first by
// name), when it exists: a project whose images were moved along with it.
// The search below is bounded, so a scene saved at the top of a huge tree
// does not walk all of it.
std::optional<std::string> FindBesideScene(const std::string& path, const std::string& sceneFolder);
