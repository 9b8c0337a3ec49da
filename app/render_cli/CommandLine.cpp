#include "CommandLine.h"

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            cl.command = Command::Help;
            return cl;
        }
        if (a == "--dump") {
            if (cl.command != Command::None) {
                cl.error = "only one command may be given";
                return cl;
            }
            if (i + 1 >= args.size()) {
                cl.error = "--dump needs a file";
                return cl;
            }
            cl.command = Command::Dump;
            cl.file = args[++i];
            continue;
        }
        cl.error = "unknown option " + a;
        return cl;
    }
    if (cl.command == Command::None) cl.error = "no command given";
    return cl;
}

std::string HelpText() {
    return "Usage: boxora-render --dump FILE\n"
           "       boxora-render --help\n"
           "\n"
           "The command-line front end of the Boxora engine.\n"
           "\n"
           "  --dump FILE  Loads FILE into the engine and prints the scene as JSON on\n"
           "               standard output. FILE is a scene file (.scn, loaded as\n"
           "               \"Open\" does) or a package model (.3ds, added as \"Add\n"
           "               Object\" does). The JSON object has four members:\n"
           "                 scene      every scene parameter (camera, lights, shadow\n"
           "                            with both its length and its elevation,\n"
           "                            reflection, background, render mode, passes,\n"
           "                            output format)\n"
           "                 objects    per object: id, name, userName, type (0 none,\n"
           "                            1 Box, 2 CD_DVD, 3 DVD Box), translate, rotate,\n"
           "                            scale, images (Front, Back, Left, Right, Top,\n"
           "                            Bottom), vertexCount, faceCount, height, width\n"
           "                 materials  per material: index, name, file, colour (R, G,\n"
           "                            B, A), owner (object id, 65535 = none),\n"
           "                            mirrorLevel, transparencyLevel, coverFace (-1 or\n"
           "                            0..5)\n"
           "                 sides      per side, front-most first: kind (\"plain\",\n"
           "                            \"mirror\" or \"transparent\"), material, object,\n"
           "                            faceCount\n"
           "               Messages of the engine (missing files, textures not found)\n"
           "               go to standard error.\n"
           "  --help       Shows this text.\n"
           "\n"
           "Models named by scene files are read from data/Objects/ and textures from\n"
           "data/texture/ below the program folder (or $BOXORA_HOME when set).\n"
           "\n"
           "Exit status: 0 on success, 1 when FILE cannot be read or holds nothing\n"
           "usable, 2 for wrong arguments.\n";
}
