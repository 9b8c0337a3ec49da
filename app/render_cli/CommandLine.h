#pragma once
// Options of boxora-render. Each command has its own source file; new
// commands add a Command value, their options here and a Run function.
#include <string>
#include <vector>

#include "PreviewCommand.h"
#include "RenderCommand.h"
#include "TurntableCommand.h"

enum class Command { None, Help, Version, Dump, Preview, Render, Collect };

struct CommandLine {
    Command command = Command::None;
    std::string file;            // the input file of the command
    PreviewOptions preview;      // --preview and its options
    RenderOptions render;        // SCENE -o OUT ... and the render options
    TurntableOptions turntable;  // --turntable N and its options (with render)
    std::string error;           // set when the arguments cannot be used
    bool fitImages = false;      // --fit-images
    std::string collectFolder;   // SCENE --collect DIR (with file the scene)
};

CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text printed by --help.
std::string HelpText();
