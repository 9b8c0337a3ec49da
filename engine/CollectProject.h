#pragma once
// File > Collect Project and "boxora-render SCENE --collect DIR": a scene
// and every image it uses, copied into one folder with the scene naming
// them relative to it, ready to be sent or archived. Models are the
// program's own and are named by their catalogue name, so they travel as
// they are.
#include <string>
#include <vector>

#include "platform/Outcome.h"

struct CollectResult {
    boxora::Outcome outcome;
    std::string scenePath;             // the scene written into the folder
    int copied = 0;                    // images copied
    std::vector<std::string> missing;  // images named but found nowhere (left as named)
};

// Reads the scene file at scenePath, finds its images as opening it would,
// copies them into folder (created when missing; two different files of one
// name get "-2", "-3"... before the extension) and writes the scene there
// under its own file name. A scene already in folder is rewritten in place.
CollectResult CollectSceneFile(const std::string& scenePath, const std::string& folder);
