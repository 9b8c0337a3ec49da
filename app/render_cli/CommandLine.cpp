#include "CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>

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

namespace {

// Options and the command they belong to.
enum class Owner { Preview, Render };

struct OptionSpec {
    const char* name;
    bool takesValue;
    Owner owner;
};

const OptionSpec kOptions[] = {
    {"--mode", true, Owner::Preview},        {"--camera", true, Owner::Preview},
    {"--background", true, Owner::Preview},  {"--supersample", true, Owner::Preview},
    {"--format", true, Owner::Render},       {"--quality", true, Owner::Render},
    {"--progressive", false, Owner::Render}, {"--optimize", false, Owner::Render},
    {"--interlace", false, Owner::Render},   {"--gif", true, Owner::Render},
    {"--tiff", true, Owner::Render},         {"--transparent", false, Owner::Render},
    {"--seed", true, Owner::Render},         {"--progress", false, Owner::Render},
    {"--quiet", false, Owner::Render},       {"--thumbnail", true, Owner::Render},
    {"--allow-missing", false, Owner::Render}, {"--gif-transparent", false, Owner::Render},
};

const OptionSpec* FindOption(const std::string& name) {
    for (const OptionSpec& o : kOptions)
        if (name == o.name) return &o;
    return nullptr;
}

// Scenes and -o values in command-line order: the render command pairs
// each -o with the scene before it.
struct Item {
    bool output;
    std::string value;
};

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    std::vector<Item> items;
    std::vector<const OptionSpec*> used;
    std::string sizeText;
    auto setCommand = [&cl](Command command) {
        if (cl.command != Command::None) {
            cl.error = "only one command may be given";
            return false;
        }
        cl.command = command;
        return true;
    };
    auto fail = [&cl](const std::string& error) {
        cl.error = error;
        return cl;
    };
    PreviewOptions& p = cl.preview;
    RenderOptions& r = cl.render;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h" || a == "--version") {
            cl = CommandLine{};
            cl.command = a == "--version" ? Command::Version : Command::Help;
            return cl;
        }
        if (a.empty() || a[0] != '-' || a == "-") {
            items.push_back({false, a});
            continue;
        }
        const bool core = a == "--dump" || a == "--preview" || a == "-o" || a == "--output" || a == "--size";
        const OptionSpec* spec = core ? nullptr : FindOption(a);
        if (!core && spec == nullptr) return fail("unknown option " + a);
        if (spec && !spec->takesValue) {
            used.push_back(spec);
            if (a == "--progressive") r.jpegOptions |= 16;
            if (a == "--optimize") r.jpegOptions |= 8;
            if (a == "--interlace") r.pngInterlace = 1;
            if (a == "--transparent") r.transparent = true;
            if (a == "--progress") r.progress = true;
            if (a == "--quiet") r.progress = false;
            if (a == "--allow-missing") r.allowMissing = true;
            if (a == "--gif-transparent") r.gifTransparent = true;
            continue;
        }
        if (i + 1 >= args.size()) return fail(a + " needs a value");
        const std::string& value = args[++i];
        if (a == "--dump" || a == "--preview") {
            if (!setCommand(a == "--dump" ? Command::Dump : Command::Preview)) return cl;
            cl.file = value;
            continue;
        }
        if (a == "-o" || a == "--output") {
            items.push_back({true, value});
            continue;
        }
        if (a == "--size") {
            sizeText = value;
            continue;
        }
        used.push_back(spec);
        if (a == "--mode") {
            if (value != "0" && value != "1") return fail("--mode takes 0 (quick) or 1 (full)");
            p.request.renderMode = value == "0" ? 0 : 1;
        } else if (a == "--camera") {
            std::array<float, 3> camera{};
            if (!ParseCamera(value, camera)) return fail("--camera takes HORIZONTAL,VERTICAL,ZOOM");
            p.request.camera = camera;
        } else if (a == "--background") {
            uint32_t colour = 0;
            if (!ParseColour(value, colour)) return fail("--background takes a colour RRGGBB in hexadecimal");
            p.request.background = colour;
        } else if (a == "--supersample") {
            if (!ParseInt(value, p.supersample) || p.supersample < 1 || p.supersample > 8)
                return fail("--supersample takes 1 to 8");
        } else if (a == "--format") {
            r.format = ExportFormatFromName(value);
            if (!r.format) return fail("--format takes png, jpg, gif, tiff, bmp, tga, jp2, jpc, ras or pnm");
        } else if (a == "--quality") {
            if (!ParseInt(value, r.jpegQuality) || r.jpegQuality < 0 || r.jpegQuality > 100)
                return fail("--quality takes 0 to 100");
        } else if (a == "--gif") {
            if (value == "lzw") r.gifCompression = 0;
            else if (value == "none") r.gifCompression = 1;
            else if (value == "rle") r.gifCompression = 2;
            else return fail("--gif takes lzw, none or rle");
        } else if (a == "--tiff") {
            if (value == "auto") r.tiffCompression = 0;
            else if (value == "none") r.tiffCompression = 1;
            else if (value == "packbits") r.tiffCompression = 32773;
            else if (value == "jpeg") r.tiffCompression = 7;
            else if (value == "lzw") r.tiffCompression = 5;
            else return fail("--tiff takes auto, none, packbits, jpeg or lzw");
        } else if (a == "--seed") {
            unsigned seed = 0;
            const char* end = value.data() + value.size();
            auto [ptr, ec] = std::from_chars(value.data(), end, seed);
            if (ec != std::errc() || ptr != end) return fail("--seed takes a whole number 0 to 4294967295");
            r.seed = seed;
        } else if (a == "--thumbnail") {
            int size = 0;
            if (!ParseInt(value, size) || size < 1 || size > 3000) return fail("--thumbnail takes a size 1 to 3000");
            r.thumbnailSize = size;
        }
    }

    const bool anyScene = std::any_of(items.begin(), items.end(), [](const Item& i) { return !i.output; });
    if (cl.command == Command::None && anyScene) cl.command = Command::Render;
    if (cl.command == Command::None) {
        if (!items.empty() || !sizeText.empty() || !used.empty())
            return fail("-o, --size and the other options go with a scene to render or with --preview");
        return fail("no command given");
    }
    for (const OptionSpec* spec : used) {
        const Owner owner = cl.command == Command::Render ? Owner::Render : Owner::Preview;
        if (cl.command == Command::Dump || spec->owner != owner)
            return fail(std::string(spec->name) +
                        (spec->owner == Owner::Preview ? " goes with --preview" : " goes with a scene to render"));
    }

    if (cl.command == Command::Dump) {
        if (!items.empty() || !sizeText.empty()) return fail("--dump takes no other arguments");
    } else if (cl.command == Command::Preview) {
        p.request.file = cl.file;
        if (anyScene) return fail("--preview takes one file; give other scenes to another run");
        if (items.size() > 1) return fail("--preview writes one picture: give -o once");
        if (items.empty()) return fail("--preview needs -o OUT.png");
        p.output = items.front().value;
        if (!sizeText.empty() && !ParseSize(sizeText, p.request.width, p.request.height))
            return fail("--size takes WIDTHxHEIGHT, each 1 to 8192");
        if (static_cast<long long>(p.request.width) * p.supersample > 8192 ||
            static_cast<long long>(p.request.height) * p.supersample > 8192)
            return fail("--size times --supersample must stay within 8192 pixels each way");
    } else if (cl.command == Command::Render) {
        if (!sizeText.empty() &&
            (!ParseSize(sizeText, r.width, r.height) || r.width > 3000 || r.height > 3000))
            return fail("--size takes WIDTHxHEIGHT, each 1 to 3000");
        if (r.thumbnailSize) {
            // A thumbnail is a square PNG whatever the output is named: file
            // managers hand over temporary names.
            if (!sizeText.empty() || r.format) return fail("--thumbnail sets the size and the format itself");
            if (items.size() != 2 || items[0].output || !items[1].output || IsDirectory(items[0].value))
                return fail("--thumbnail SIZE takes one scene file and -o OUT");
            r.width = r.height = *r.thumbnailSize;
            r.format = ExportFormatFromName("png");
            r.progress = false;
        }
        for (const Item& item : items) {
            if (!item.output) {
                r.targets.push_back({item.value, ""});
            } else if (r.targets.empty() || !r.targets.back().output.empty()) {
                return fail("-o " + item.value + " must follow the scene it is for");
            } else {
                r.targets.back().output = item.value;
            }
        }
        for (const RenderTarget& t : r.targets) {
            if (t.output.empty()) return fail(t.scene + " needs -o OUT (a picture, or a folder for a folder of scenes)");
            if (!r.format && !IsDirectory(t.scene) && !ExportFormatFromFileName(t.output))
                return fail("cannot tell the format of " + t.output + " from its extension: give --format");
        }
    }
    return cl;
}

std::string HelpText() {
    return "Usage: boxora-render SCENE.scn -o OUT.ext [SCENE.scn -o OUT.ext ...] [options]\n"
           "       boxora-render SCENE_FOLDER -o OUT_FOLDER [options]\n"
           "       boxora-render --preview FILE -o OUT.png [--size WxH] [--mode 0|1]\n"
           "                     [--camera H,V,ZOOM] [--background RRGGBB] [--supersample K]\n"
           "       boxora-render --thumbnail SIZE SCENE.scn -o OUT.png\n"
           "       boxora-render --dump FILE\n"
           "       boxora-render --help | --version\n"
           "\n"
           "The command-line front end of the Boxora engine.\n"
           "\n"
           "Rendering scenes\n"
           "  SCENE.scn -o OUT.ext\n"
           "               Loads the scene file (as \"Open\" does) and renders it off screen\n"
           "               as \"Render and Save\" on the Rendering tab does: antialiased\n"
           "               with eight jittered passes, the full soft shadow, the floor\n"
           "               reflection, mirrors and transparent sides, and writes OUT.ext.\n"
           "               Give as many SCENE -o OUT pairs as you like: one engine renders\n"
           "               them all in turn. A SCENE that is a folder renders every scene\n"
           "               file (*.scn) in it into the folder named by its -o (made when\n"
           "               missing), each picture named after its scene.\n"
           "               OUT may be a link (its target is written, the link stays), a\n"
           "               pipe or terminal such as /dev/stdout, or - for standard output\n"
           "               (give --format then). A file that is replaced keeps its mode;\n"
           "               no temporary file is ever left beside it.\n"
           "               A scene holds at most 1000 objects.\n"
           "               The options below apply to every picture of the run:\n"
           "    --size WxH       picture size in pixels, each 1 to 3000 (default 300x300)\n"
           "    --format F       png, jpg, gif, tiff, bmp, tga, jp2, jpc, ras or pnm; by\n"
           "                     default the format follows OUT's extension (.png, .jpg or\n"
           "                     .jpeg, .gif, .tif or .tiff, .bmp, .tga, .jp2, .jpc or .j2k,\n"
           "                     .ras, .pnm or .ppm), and pictures of a folder are PNG\n"
           "    --quality N      JPEG quality 0 to 100 (default 100)\n"
           "    --progressive    JPEG with a progressive scan (default baseline)\n"
           "    --optimize       JPEG with optimised coding tables\n"
           "    --interlace      PNG with Adam7 interlacing\n"
           "    --gif lzw|none|rle   GIF compression (default lzw); GIF pictures are\n"
           "                     reduced to 256 colours and carry no alpha: a\n"
           "                     transparent background shows white, as in JPEG\n"
           "    --gif-transparent  GIF pictures of a transparent background keep it as\n"
           "                     the GIF's transparent colour instead\n"
           "    --tiff auto|none|packbits|jpeg|lzw   TIFF compression (default auto)\n"
           "    --transparent    renders with a transparent background whatever the\n"
           "                     scene says: PNG, TIFF and TGA pictures keep the alpha\n"
           "                     channel (0 where only background is seen); PNG also gets\n"
           "                     a stronger reflection and shadow, as the program does for\n"
           "                     transparent PNG pictures; the other formats show white\n"
           "    --allow-missing  renders a scene even when an image it names is missing\n"
           "                     or cannot be decoded (those faces stay blank); without\n"
           "                     it such a scene is reported and its picture not made\n"
           "    --seed N         seeds the random spread of the soft shadow's samples, so\n"
           "                     that the same scene renders to the same picture\n"
           "    --progress       shows a progress bar on standard error (the default when\n"
           "                     standard error is a terminal) and a line per picture\n"
           "    --quiet          no progress bar\n"
           "  --thumbnail SIZE SCENE.scn -o OUT\n"
           "               Renders one scene as above into a SIZE x SIZE PNG picture\n"
           "               (1 to 3000), whatever OUT is named, for file managers'\n"
           "               thumbnails; gives up with status 1 after 30 seconds.\n"
           "\n"
           "Looking at scenes and models\n"
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
           "  --version    Shows the program's version.\n"
           "\n"
           "Models named by scene files are read from data/Objects/ and textures from\n"
           "data/texture/ below the program folder (or $BOXORA_HOME when set).\n"
           "\n"
           "Exit status: 0 on success; 1 when a scene cannot be read (\"Could not open\n"
           "file\"), names a model that cannot be loaded or an image that is missing\n"
           "or cannot be decoded (see --allow-missing), or a picture cannot be\n"
           "rendered or written (the other pictures of the run are still made; a\n"
           "picture that fails is not written, and a file of its name keeps its old\n"
           "content); 2 for wrong\n"
           "arguments; 130 when interrupted (Ctrl+C: the picture being rendered is\n"
           "given up and not written).\n";
}
