#pragma once
// Whether a file can be opened as a scene before the current scene is given
// up for it.
#include <string>

// A regular file that can be read and holds at least one section a scene
// file has: one of the four fixed ones, or an object section naming its
// model. Missing files, folders, random bytes and unrelated text files are
// not scenes.
bool IsReadableSceneFile(const std::string& path);

// The message for a file that is not: "Could not open file: PATH".
std::string CouldNotOpenFileText(const std::string& path);
