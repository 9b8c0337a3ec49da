#pragma once
// boxora-render --dump FILE: loads a scene or a model into a running engine
// and prints the result as JSON.
#include <string>

class CEngine;

// Returns the exit status; the JSON goes to standard output.
// fitImages: every object is fitted to its images first (--fit-images).
int RunDumpCommand(const std::string& file, bool fitImages = false);

// The JSON text of the engine's current scene (engine lock taken inside).
std::string SceneToJson(CEngine& engine);
