#include "CommandLine.h"

#include <charconv>
#include <cstdint>

namespace {

bool ParseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && p == end;
}

bool ParseFloat(const std::string& text, float& value) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && p == end;
}

// "WxH" with both in 1 .. 8192.
bool ParseSize(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    return ParseInt(text.substr(0, x), width) && ParseInt(text.substr(x + 1), height) && width >= 1 &&
           height >= 1 && width <= 8192 && height <= 8192;
}

// "H,V,ZOOM"
bool ParseCamera(const std::string& text, std::array<float, 3>& camera) {
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = text.find(',', start);
        if ((i < 2) != (comma != std::string::npos)) return false;
        if (!ParseFloat(text.substr(start, i < 2 ? comma - start : std::string::npos), camera[i])) return false;
        start = comma + 1;
    }
    return true;
}

// "RRGGBB" (hexadecimal) as a COLORREF (red in the low byte).
bool ParseColour(const std::string& text, uint32_t& colorref) {
    if (text.size() != 6) return false;
    uint32_t rgb = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, rgb, 16);
    if (ec != std::errc() || p != end) return false;
    colorref = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
    return true;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    bool previewOption = false;
    auto setCommand = [&cl](Command command) {
        if (cl.command != Command::None) {
            cl.error = "only one command may be given";
            return false;
        }
        cl.command = command;
        return true;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            cl.command = Command::Help;
            cl.error.clear();
            return cl;
        }
        const bool takesValue = a == "--dump" || a == "--preview" || a == "-o" || a == "--output" ||
                                a == "--size" || a == "--mode" || a == "--camera" || a == "--background" ||
                                a == "--supersample";
        if (!takesValue) {
            cl.error = "unknown option " + a;
            return cl;
        }
        if (i + 1 >= args.size()) {
            cl.error = a + " needs a value";
            return cl;
        }
        const std::string& value = args[++i];
        if (a == "--dump" || a == "--preview") {
            if (!setCommand(a == "--dump" ? Command::Dump : Command::Preview)) return cl;
            cl.file = value;
            continue;
        }
        previewOption = true;
        PreviewOptions& p = cl.preview;
        if (a == "-o" || a == "--output") {
            p.output = value;
        } else if (a == "--size") {
            if (!ParseSize(value, p.request.width, p.request.height)) {
                cl.error = "--size takes WIDTHxHEIGHT, each 1 to 8192";
                return cl;
            }
        } else if (a == "--mode") {
            if (value != "0" && value != "1") {
                cl.error = "--mode takes 0 (quick) or 1 (full)";
                return cl;
            }
            p.request.renderMode = value == "0" ? 0 : 1;
        } else if (a == "--camera") {
            std::array<float, 3> camera{};
            if (!ParseCamera(value, camera)) {
                cl.error = "--camera takes HORIZONTAL,VERTICAL,ZOOM";
                return cl;
            }
            p.request.camera = camera;
        } else if (a == "--background") {
            uint32_t colour = 0;
            if (!ParseColour(value, colour)) {
                cl.error = "--background takes a colour RRGGBB in hexadecimal";
                return cl;
            }
            p.request.background = colour;
        } else if (a == "--supersample") {
            if (!ParseInt(value, p.supersample) || p.supersample < 1 || p.supersample > 8) {
                cl.error = "--supersample takes 1 to 8";
                return cl;
            }
        }
    }
    if (cl.command == Command::None) {
        cl.error = "no command given";
    } else if (cl.command == Command::Preview) {
        cl.preview.request.file = cl.file;
        if (cl.preview.output.empty()) {
            cl.error = "--preview needs -o OUT.png";
        } else if (static_cast<long long>(cl.preview.request.width) * cl.preview.supersample > 8192 ||
                   static_cast<long long>(cl.preview.request.height) * cl.preview.supersample > 8192) {
            cl.error = "--size times --supersample must stay within 8192 pixels each way";
        }
    } else if (previewOption) {
        cl.error = "-o, --size, --mode, --camera, --background and --supersample go with --preview";
    }
    return cl;
}

std::string HelpText() {
    return "Usage: boxora-render --dump FILE\n"
           "       boxora-render --preview FILE -o OUT.png [--size WxH] [--mode 0|1]\n"
           "                     [--camera H,V,ZOOM] [--background RRGGBB] [--supersample K]\n"
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
           "  --preview FILE\n"
           "               Loads FILE (a .scn scene or a .3ds model, as for --dump) and\n"
           "               writes one frame of the live preview as a PNG file, drawn by\n"
           "               the engine's scene thread exactly as the preview window shows\n"
           "               it. Its options:\n"
           "    -o OUT.png       the picture to write (required)\n"
           "    --size WxH       the preview's size in pixels (default 800x600)\n"
           "    --mode 0|1       0: the quick frame drawn while settings change;\n"
           "                     1: the full frame drawn once they stop, with mirrors,\n"
           "                     shadow and transparency (default)\n"
           "    --camera H,V,ZOOM  camera horizontal and vertical rotation (degrees)\n"
           "                     and zoom (0 to 100), set after loading\n"
           "    --background RRGGBB  an opaque background colour, set after loading\n"
           "    --supersample K  draws K times larger and averages K x K pixels into\n"
           "                     one, for smooth small pictures (1 to 8; default 1)\n"
           "  --help       Shows this text.\n"
           "\n"
           "Models named by scene files are read from data/Objects/ and textures from\n"
           "data/texture/ below the program folder (or $BOXORA_HOME when set).\n"
           "\n"
           "Exit status: 0 on success, 1 when FILE cannot be read or holds nothing\n"
           "usable or the picture cannot be written, 2 for wrong arguments.\n";
}
