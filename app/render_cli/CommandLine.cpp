#include "CommandLine.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <map>
#include <utility>

#include <CLI/CLI.hpp>

#include "DielineCommand.h"
#include "image/PrintSize.h"
#include "model/shapes/ShapeSpec.h"
#include "project/TurntableWriter.h"

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
    return ParseInt(text.substr(0, x), width) && ParseInt(text.substr(x + 1), height) && width >= 1 && height >= 1 &&
           width <= 8192 && height <= 8192;
}

// A render's "WxH": both in 1 .. 16000 (large pictures are drawn in tiles).
bool ParseRenderSize(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    return ParseInt(text.substr(0, x), width) && ParseInt(text.substr(x + 1), height) && width >= 1 && height >= 1 &&
           width <= 16000 && height <= 16000;
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
enum class Owner { Any, Preview, Render };

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

// How many arguments follow the "--" that ends the options (0 without one).
// An option that wants a value takes the next argument whatever it is, even
// "--", so the arguments are walked as the parser reads them.
std::size_t ArgumentsAfterEndOfOptions(const CLI::App& app, const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") return args.size() - i - 1;
        const CLI::Option* option =
            args[i].size() > 1 && args[i][0] == '-' ? app.get_option_no_throw(args[i]) : nullptr;
        if (option != nullptr && option->get_type_size_min() > 0) ++i;
    }
    return 0;
}

// The parser's own messages for the common mistakes are replaced by ours;
// the rest (a flag given a value, ...) name the option themselves.
std::string ParseErrorText(const CLI::ParseError& e, const CLI::App& app) {
    std::vector<std::string> extras = app.remaining();
    std::erase(extras, "--");
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr && !extras.empty()) {
        const std::string& first = extras.front();
        return (first.size() > 1 && first[0] == '-' ? "unknown option " : "unexpected argument ") + first;
    }
    return e.what();
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    auto fail = [&cl](const std::string& error) {
        cl.error = error;
        return cl;
    };

    // Values are read as text and checked below, so that every mistake gets
    // a message that says what the option takes. An option given twice keeps
    // its last value.
    CLI::App app;
    app.set_help_flag("-h,--help");
    app.set_version_flag("--version", std::string());
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    std::vector<std::pair<CLI::Option*, Owner>> owned;
    std::map<std::string, std::string> value;
    auto add = [&](const std::string& name, const char* valueName, Owner owner) {
        CLI::Option* option = app.add_option(name, value[name])->type_name(valueName);
        owned.emplace_back(option, owner);
        return option;
    };
    auto flag = [&](const std::string& name) {
        CLI::Option* option = app.add_flag(name)->disable_flag_override();
        owned.emplace_back(option, Owner::Render);
        return option;
    };
    std::vector<std::string> sceneArgs, outputArgs;
    CLI::Option* scenes = app.add_option("SCENE", sceneArgs)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    CLI::Option* outputs = app.add_option("-o,--output", outputArgs)
                               ->type_name("OUT")
                               ->expected(1)
                               ->allow_extra_args(false)
                               ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    CLI::Option* dump = add("--dump", "FILE", Owner::Any);
    CLI::Option* preview = add("--preview", "FILE", Owner::Any);
    CLI::Option* size = add("--size", "WxH", Owner::Any);
    CLI::Option* mode = add("--mode", "0|1", Owner::Preview);
    CLI::Option* camera = add("--camera", "H,V,ZOOM", Owner::Preview);
    CLI::Option* background = add("--background", "RRGGBB", Owner::Preview);
    CLI::Option* supersample = add("--supersample", "K", Owner::Preview);
    CLI::Option* format = add("--format", "F", Owner::Render);
    CLI::Option* quality = add("--quality", "N", Owner::Render);
    CLI::Option* gif = add("--gif", "lzw|none|rle", Owner::Render);
    CLI::Option* tiff = add("--tiff", "auto|none|packbits|jpeg|lzw", Owner::Render);
    CLI::Option* seed = add("--seed", "N", Owner::Render);
    CLI::Option* thumbnail = add("--thumbnail", "SIZE", Owner::Render);
    CLI::Option* progressive = flag("--progressive");
    CLI::Option* optimize = flag("--optimize");
    CLI::Option* interlace = flag("--interlace");
    CLI::Option* transparent = flag("--transparent");
    CLI::Option* progress = flag("--progress");
    CLI::Option* quiet = flag("--quiet");
    CLI::Option* allowMissing = flag("--allow-missing");
    CLI::Option* gifTransparent = flag("--gif-transparent");
    // Fit to Images for every object, before a render or a dump.
    CLI::Option* fitImages = app.add_flag("--fit-images")->disable_flag_override();
    owned.emplace_back(fitImages, Owner::Any);
    // Turntables, and WebP pictures.
    CLI::Option* turntable = add("--turntable", "N", Owner::Render);
    CLI::Option* turntableVertical = add("--turntable-vertical", "FROM:TO", Owner::Render);
    CLI::Option* fps = add("--fps", "N", Owner::Render);
    CLI::Option* lossless = flag("--lossless");
    // Variant batches (VariantsCommand.h).
    CLI::Option* variants = add("--variants", "TABLE.csv", Owner::Render);
    CLI::Option* variantsReport = add("--report", "FILE", Owner::Render);
    CLI::Option* shard = add("--shard", "K/N", Owner::Render);
    CLI::Option* skipExisting = flag("--skip-existing");
    // Print sizes.
    CLI::Option* tile = add("--tile", "PX", Owner::Render);
    CLI::Option* dpi = add("--dpi", "N", Owner::Render);
    CLI::Option* print = add("--print", "WxH{mm|in}", Owner::Render);
    // Colour of the written pictures.
    CLI::Option* profile = add("--profile", "FILE.icc", Owner::Render);
    CLI::Option* cmyk = add("--cmyk", "FILE.icc", Owner::Render);
    CLI::Option* intent = add("--intent", "perceptual|relative|saturation|absolute", Owner::Render);
    CLI::Option* bpc = flag("--bpc");
    CLI::Option* collect = add("--collect", "DIR", Owner::Any);

    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
    } catch (const CLI::CallForHelp&) {
        cl.command = Command::Help;
        return cl;
    } catch (const CLI::CallForVersion&) {
        cl.command = Command::Version;
        return cl;
    } catch (const CLI::ParseError& e) {
        return fail(ParseErrorText(e, app));
    }
    auto given = [](const CLI::Option* option) { return option->count() > 0; };
    auto text = [&value](const CLI::Option* option) { return value[option->get_name()]; };

    // Scenes and -o values in command-line order: each -o goes with the
    // scene before it. Scenes after "--" cannot be followed by -o: they take,
    // in order, the -o values that follow no scene of their own.
    std::size_t sceneCount = 0, outputCount = 0;
    std::vector<RenderTarget> targets;
    std::vector<std::string> strayOutputs;
    for (const CLI::Option* option : app.parse_order()) {
        if (option == scenes) {
            targets.push_back({sceneArgs.at(sceneCount++), ""});
        } else if (option == outputs) {
            const std::string& out = outputArgs.at(outputCount++);
            if (targets.empty() || !targets.back().output.empty())
                strayOutputs.push_back(out);
            else
                targets.back().output = out;
        } else if (option == progress || option == quiet) {
            cl.render.progress = option == progress;
        }
    }

    if (given(dump) + given(preview) > 1 || dump->count() > 1 || preview->count() > 1)
        return fail("only one command may be given");
    if (given(dump))
        cl.command = Command::Dump;
    else if (given(preview))
        cl.command = Command::Preview;
    else if (!targets.empty())
        cl.command = Command::Render;
    const bool anyOption = std::any_of(owned.begin(), owned.end(), [](const auto& o) { return o.first->count() > 0; });
    if (given(collect)) {
        const bool other = std::any_of(owned.begin(), owned.end(),
                                       [collect](const auto& o) { return o.first != collect && o.first->count() > 0; });
        if (cl.command != Command::Render || targets.size() != 1 || !outputArgs.empty() || other)
            return fail("--collect takes one scene and nothing else: SCENE.scn --collect FOLDER");
        cl.command = Command::Collect;
        cl.file = targets.front().scene;
        cl.collectFolder = text(collect);
        return cl;
    }
    if (cl.command == Command::None) {
        if (!outputArgs.empty() || anyOption)
            return fail("-o, --size and the other options go with a scene to render or with --preview");
        return fail("no command given");
    }
    for (const CLI::Option* option : app.parse_order()) {
        const auto it = std::find_if(owned.begin(), owned.end(), [option](const auto& o) { return o.first == option; });
        if (it == owned.end() || it->second == Owner::Any) continue;
        const Owner owner = cl.command == Command::Render ? Owner::Render : Owner::Preview;
        if (cl.command == Command::Dump || it->second != owner)
            return fail(option->get_name() +
                        (it->second == Owner::Preview ? " goes with --preview" : " goes with a scene to render"));
    }

    cl.fitImages = cl.render.fitImages = given(fitImages);
    if (cl.fitImages && cl.command == Command::Preview)
        return fail("--fit-images goes with a scene to render or --dump");
    if (cl.command == Command::Dump) {
        cl.file = text(dump);
        if (!targets.empty() || !outputArgs.empty() || given(size)) return fail("--dump takes no other arguments");
        return cl;
    }
    if (cl.command == Command::Preview) {
        PreviewOptions& p = cl.preview;
        cl.file = p.request.file = text(preview);
        if (!targets.empty()) return fail("--preview takes one file; give other scenes to another run");
        if (outputArgs.size() > 1) return fail("--preview writes one picture: give -o once");
        if (outputArgs.empty()) return fail("--preview needs -o OUT.png");
        p.output = outputArgs.front();
        if (given(mode)) {
            if (text(mode) != "0" && text(mode) != "1") return fail("--mode takes 0 (quick) or 1 (full)");
            p.request.renderMode = text(mode) == "0" ? 0 : 1;
        }
        if (given(camera)) {
            std::array<float, 3> angles{};
            if (!ParseCamera(text(camera), angles)) return fail("--camera takes HORIZONTAL,VERTICAL,ZOOM");
            p.request.camera = angles;
        }
        if (given(background)) {
            uint32_t colour = 0;
            if (!ParseColour(text(background), colour))
                return fail("--background takes a colour RRGGBB in hexadecimal");
            p.request.background = colour;
        }
        if (given(supersample) &&
            (!ParseInt(text(supersample), p.supersample) || p.supersample < 1 || p.supersample > 8))
            return fail("--supersample takes 1 to 8");
        if (given(size) && !ParseSize(text(size), p.request.width, p.request.height))
            return fail("--size takes WIDTHxHEIGHT, each 1 to 8192");
        if (static_cast<long long>(p.request.width) * p.supersample > 8192 ||
            static_cast<long long>(p.request.height) * p.supersample > 8192)
            return fail("--size times --supersample must stay within 8192 pixels each way");
        return cl;
    }

    RenderOptions& r = cl.render;
    if (given(format)) {
        r.format = ExportFormatFromName(text(format));
        if (!r.format) return fail("--format takes png, jpg, gif, tiff, bmp, tga, jp2, jpc, ras, pnm or webp");
    }
    if (given(quality) && (!ParseInt(text(quality), r.jpegQuality) || r.jpegQuality < 0 || r.jpegQuality > 100))
        return fail("--quality takes 0 to 100");
    if (given(profile)) r.outputProfile = text(profile);
    if (given(cmyk)) r.cmykProfile = text(cmyk);
    if (given(profile) && given(cmyk)) return fail("--profile and --cmyk cannot be given together");
    if (given(intent)) {
        const std::string v = text(intent);
        if (v == "perceptual")
            r.colourIntent = 0;
        else if (v == "relative")
            r.colourIntent = 1;
        else if (v == "saturation")
            r.colourIntent = 2;
        else if (v == "absolute")
            r.colourIntent = 3;
        else
            return fail("--intent takes perceptual, relative, saturation or absolute");
    }
    if (given(bpc)) r.blackPointCompensation = true;
    if (given(progressive)) r.jpegOptions |= 16;
    if (given(optimize)) r.jpegOptions |= 8;
    if (given(interlace)) r.pngInterlace = 1;
    if (given(transparent)) r.transparent = true;
    if (given(allowMissing)) r.allowMissing = true;
    if (given(gifTransparent)) r.gifTransparent = true;
    if (given(gif)) {
        const std::string v = text(gif);
        if (v == "lzw")
            r.gifCompression = 0;
        else if (v == "none")
            r.gifCompression = 1;
        else if (v == "rle")
            r.gifCompression = 2;
        else
            return fail("--gif takes lzw, none or rle");
    }
    if (given(tiff)) {
        const std::string v = text(tiff);
        if (v == "auto")
            r.tiffCompression = 0;
        else if (v == "none")
            r.tiffCompression = 1;
        else if (v == "packbits")
            r.tiffCompression = 32773;
        else if (v == "jpeg")
            r.tiffCompression = 7;
        else if (v == "lzw")
            r.tiffCompression = 5;
        else
            return fail("--tiff takes auto, none, packbits, jpeg or lzw");
    }
    if (given(seed)) {
        const std::string v = text(seed);
        unsigned n = 0;
        auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
        if (ec != std::errc() || end != v.data() + v.size()) return fail("--seed takes a whole number 0 to 4294967295");
        r.seed = n;
    }
    if (given(thumbnail)) {
        int n = 0;
        if (!ParseInt(text(thumbnail), n) || n < 1 || n > 3000) return fail("--thumbnail takes a size 1 to 3000");
        r.thumbnailSize = n;
    }
    if (given(size) && !ParseRenderSize(text(size), r.width, r.height))
        return fail("--size takes WIDTHxHEIGHT, each 1 to 16000");
    r.sizeGiven = given(size) || given(print) || given(thumbnail);
    if (given(tile) && (!ParseInt(text(tile), r.tileSize) || r.tileSize < 64 || r.tileSize > 8192))
        return fail("--tile takes a tile side of 64 to 8192 pixels");
    if (given(dpi) && (!ParseInt(text(dpi), r.dpi) || r.dpi < 1 || r.dpi > 65535))
        return fail("--dpi takes 1 to 65535 dots per inch");
    if (given(print)) {
        if (given(size)) return fail("--print and --size both set the size: give one");
        if (!given(dpi)) return fail("--print needs --dpi N to know the pixels");
        std::string why;
        const auto pixels = imagecodec::PrintPixels(text(print), r.dpi, 16000, &why);
        if (!pixels) return fail("--print takes WIDTHxHEIGHT in mm or in, such as 210x297mm (" + why + ")");
        r.width = pixels->width;
        r.height = pixels->height;
    }
    if (given(lossless)) r.webpLossless = 1;
    if ((given(turntableVertical) || given(fps)) && !given(turntable))
        return fail("--turntable-vertical and --fps go with --turntable");
    if (given(turntable)) {
        TurntableOptions& t = cl.turntable;
        if (!ParseInt(text(turntable), t.frames) || t.frames < 1 || t.frames > boxora::kMaxTurntableFrames)
            return fail("--turntable takes a number of frames 1 to " + std::to_string(boxora::kMaxTurntableFrames));
        if (given(fps) && (!ParseInt(text(fps), t.fps) || t.fps < 1 || t.fps > 100))
            return fail("--fps takes 1 to 100 frames per second");
        if (given(turntableVertical)) {
            const std::string v = text(turntableVertical);
            const std::size_t colon = v.find(':');
            float from = 0, to = 0;
            if (colon == std::string::npos || !ParseFloat(v.substr(0, colon), from) ||
                !ParseFloat(v.substr(colon + 1), to) || from < 0 || from > 90 || to < 0 || to > 90)
                return fail("--turntable-vertical takes FROM:TO, vertical angles 0 to 90");
            t.vertical = std::make_pair(from, to);
        }
        if (given(thumbnail)) return fail("--turntable and --thumbnail cannot be combined");
        if (given(variants)) return fail("--turntable and --variants cannot be combined");
        // Frames are drawn in one piece and kept until the animation is
        // encoded, so they stay within the Rendering tab's sizes.
        if (r.width > 3000 || r.height > 3000 || given(tile))
            return fail("--turntable frames are at most 3000 x 3000 and drawn in one piece (no --tile)");
        if (targets.size() != 1 || outputArgs.size() != 1 || targets[0].output.empty() ||
            IsDirectory(targets[0].scene) || targets[0].output == "-")
            return fail("--turntable takes one scene file and -o OUT (a file)");
        std::string why;
        const auto kind = boxora::TurntableOutputFor(targets[0].output, &why);
        if (!kind) return fail(why);
        if (*kind == boxora::TurntableOutput::Sequence && !r.format &&
            !ExportFormatFromFileName(boxora::NumberedName(targets[0].output, 0)))
            return fail("cannot tell the format of " + targets[0].output + " from its extension: give --format");
        r.targets = std::move(targets);
        return cl;
    }

    // The scenes after "--" are the last ones read.
    const std::size_t lastScenes = std::min(ArgumentsAfterEndOfOptions(app, args), targets.size());
    std::size_t stray = 0;
    for (std::size_t i = targets.size() - lastScenes; i < targets.size() && stray < strayOutputs.size(); ++i)
        targets[i].output = strayOutputs[stray++];
    if (stray < strayOutputs.size()) return fail("-o " + strayOutputs[stray] + " must follow the scene it is for");
    r.targets = std::move(targets);
    if (given(variants) || given(variantsReport) || given(shard) || given(skipExisting)) {
        if (!given(variants)) return fail("--report, --shard and --skip-existing go with --variants");
        if (r.thumbnailSize) return fail("--thumbnail and --variants cannot be combined");
        if (r.targets.size() != 1 || outputArgs.size() != 1 || r.targets[0].output.empty() ||
            IsDirectory(r.targets[0].scene))
            return fail("--variants TABLE.csv takes one scene file and -o OUTPUT_FOLDER");
        r.variants = text(variants);
        r.variantsReport = text(variantsReport);
        r.skipExisting = given(skipExisting);
        if (given(shard)) {
            const std::string v = text(shard);
            const std::size_t slash = v.find('/');
            if (slash == std::string::npos || !ParseInt(v.substr(0, slash), r.shardIndex) ||
                !ParseInt(v.substr(slash + 1), r.shardCount) || r.shardCount < 1 || r.shardCount > 100000 ||
                r.shardIndex < 1 || r.shardIndex > r.shardCount)
                return fail("--shard takes K/N, K from 1 to N (N at most 100000)");
        }
        return cl;
    }
    if (r.thumbnailSize) {
        // A thumbnail is a square PNG whatever the output is named: file
        // managers hand over temporary names.
        if (given(size) || r.format) return fail("--thumbnail sets the size and the format itself");
        if (r.targets.size() != 1 || outputArgs.size() != 1 || r.targets[0].output.empty() ||
            IsDirectory(r.targets[0].scene))
            return fail("--thumbnail SIZE takes one scene file and -o OUT");
        r.width = r.height = *r.thumbnailSize;
        r.format = ExportFormatFromName("png");
        r.progress = false;
    }
    for (const RenderTarget& t : r.targets) {
        if (t.output.empty()) return fail(t.scene + " needs -o OUT (a picture, or a folder for a folder of scenes)");
        if (!r.format && !IsDirectory(t.scene) && !ExportFormatFromFileName(t.output))
            return fail("cannot tell the format of " + t.output + " from its extension: give --format");
    }
    return cl;
}

std::string HelpText() {
    return "Usage: boxora-render SCENE.scn -o OUT.ext [SCENE.scn -o OUT.ext ...] [options]\n"
           "       boxora-render SCENE_FOLDER -o OUT_FOLDER [options]\n"
           "       boxora-render --preview FILE -o OUT.png [--size WxH] [--mode 0|1]\n"
           "                     [--camera H,V,ZOOM] [--background RRGGBB] [--supersample K]\n"
           "       boxora-render --thumbnail SIZE SCENE.scn -o OUT.png\n"
           "       boxora-render --dump FILE [--fit-images]\n"
           "       boxora-render --dieline STYLE --size-mm WxHxD -o OUT.pdf|OUT.svg|OUT.dxf\n"
           "       boxora-render SCENE.scn --collect FOLDER\n"
           "       boxora-render --help | --version\n"
           "\n"
           "The command-line front end of the Boxora engine.\n"
           "\n"
           "An option's value is the next argument or follows an equals sign\n"
           "(--size=800x600). \"--\" ends the options: every argument after it is a\n"
           "scene, even one whose name starts with '-'; the -o values of those scenes\n"
           "come before \"--\", one for each in turn (-o a.png -- -a.scn).\n"
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
           "               no temporary file is ever left beside it. (On filesystems\n"
           "               without unnamed files, a write killed midway can leave a\n"
           "               .boxora-XXXXXXXXXXXX file; the next write into that folder\n"
           "               removes such files when they are older than the run and not\n"
           "               in use.)\n"
           "               Variant outputs (--variants) stay inside the -o folder: a row\n"
           "               whose name passes through a link or a file there is refused.\n"
           "               A scene holds at most 1000 objects.\n"
           "               The options below apply to every picture of the run:\n"
           "    --size WxH       picture size in pixels, each 1 to 16000 (default 300x300);\n"
           "                     beyond 3000 the picture is drawn in tiles\n"
           "    --format F       png, jpg, gif, tiff, bmp, tga, jp2, jpc, ras, pnm or webp;\n"
           "                     by default the format follows OUT's extension (.png, .jpg\n"
           "                     or .jpeg, .gif, .tif or .tiff, .bmp, .tga, .jp2, .jpc or\n"
           "                     .j2k, .ras, .pnm or .ppm, .webp), and pictures of a\n"
           "                     folder are PNG\n"
           "    --quality N      JPEG and lossy WebP quality 0 to 100 (default 100)\n"
           "    --lossless       WebP without loss (the quality is then not used)\n"
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
           "    --dpi N          writes N dots per inch into PNG, JPEG and TIFF pictures\n"
           "    --print WxH{mm|in}  the size from a paper size at --dpi N, each side\n"
           "                     rounded to the nearest pixel (210x297mm at 300 dpi is\n"
           "                     2480x3508)\n"
           "    --tile PX        draws the picture in tiles of PX x PX pixels (64 to\n"
           "                     8192) whatever its size\n"
           "    --progress       shows a progress bar on standard error (the default when\n"
           "                     standard error is a terminal) and a line per picture\n"
           "    --quiet          no progress bar\n"
           "  SCENE.scn --turntable N -o OUT\n"
           "               Renders the scene N times (1 to 3600), the camera's horizontal\n"
           "               rotation stepped by 360/N degrees from the scene's own, each\n"
           "               frame as a still above (frame i seeded with --seed + i, 1 by\n"
           "               default, so frames are reproducible). OUT is:\n"
           "                 a numbered name (spin-%03d.png: exactly one %d or %0Nd, %%\n"
           "                 for a percent sign): one still per frame, numbered from 0,\n"
           "                 in the format of its extension or --format;\n"
           "                 .gif: an animated GIF looping forever, one palette for all\n"
           "                 frames (--transparent keeps the background see-through);\n"
           "                 .webp: an animated WebP looping forever (--quality,\n"
           "                 --lossless; --transparent keeps the alpha channel);\n"
           "                 .mp4 (H.264) or .webm (VP9): a video.\n"
           "               An animation or video is written only when complete: an\n"
           "               interrupted run leaves no file. Its options:\n"
           "    --fps N          frames per second, 1 to 100 (default 12)\n"
           "    --turntable-vertical FROM:TO  also sweeps the vertical angle (0 to\n"
           "                     90 degrees) from FROM to TO at half the turn and back\n"
           "  --thumbnail SIZE SCENE.scn -o OUT\n"
           "               Renders one scene as above into a SIZE x SIZE PNG picture\n"
           "               (1 to 3000), whatever OUT is named, for file managers'\n"
           "               thumbnails; gives up with status 1 after 30 seconds.\n"
           "\n"
           "Variant batches\n"
           "  SCENE.scn --variants TABLE.csv -o OUTPUT_FOLDER\n"
           "               Loads the scene once and renders one picture per row of the\n"
           "               table into OUTPUT_FOLDER (made when missing). The table is\n"
           "               comma-separated text (UTF-8, fields with commas, quotes or\n"
           "               line breaks in double quotes, a quote in them written twice)\n"
           "               whose first row names the columns, in any order and case:\n"
           "                 output     the picture's file name inside OUTPUT_FOLDER\n"
           "                            (subfolders allowed, no absolute names and no\n"
           "                            \"..\"); its extension picks the format unless\n"
           "                            --format is given\n"
           "                 Front Back Left Right Top Bottom\n"
           "                            images of the faces of the scene's first object\n"
           "                 N:Front .. N:Bottom  the same for object N (from 1, in the\n"
           "                            scene's order)\n"
           "                 width height  the size in pixels (1 to 3000)\n"
           "                 camera_horizontal camera_vertical  camera rotation in\n"
           "                            degrees\n"
           "                 background  background colour RRGGBB (or #RRGGBB)\n"
           "               Only output is required. An empty cell keeps the scene's\n"
           "               value (the size: --size's). Relative image paths start at\n"
           "               the table's folder. A row that fails (missing or unreadable\n"
           "               image, bad cell, picture not written) is reported with its\n"
           "               number and the reason, and the other rows go on; a summary\n"
           "               line ends the run. Rows are numbered from 1 after the header.\n"
           "               The options above apply to every picture; and:\n"
           "    --report FILE    writes one JSON object per row as it ends: row,\n"
           "                     output, status (\"ok\", \"failed\" or \"skipped\"),\n"
           "                     seconds, message\n"
           "    --shard K/N      renders only the rows r with (r - 1) mod N = K - 1, so\n"
           "                     N runs (on as many machines) share one table\n"
           "    --skip-existing  leaves pictures that are already there alone (a run cut\n"
           "                     short can be run again: pictures are only ever written\n"
           "                     whole)\n"
           "\n" +
           DielineHelpText() +
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
           "                            Bottom), vertexCount, faceCount, height, width,\n"
           "                            depth (the model's extents), size (width,\n"
           "                            height and depth after scaling, model units),\n"
           "                            realSize (mm after scaling; absent when the\n"
           "                            catalogue declares none)\n"
           "                 materials  per material: index, name, file, colour (R, G,\n"
           "                            B, A), owner (object id, 65535 = none),\n"
           "                            mirrorLevel, transparencyLevel, coverFace (-1 or\n"
           "                            0..5)\n"
           "                 sides      per side, front-most first: kind (\"plain\",\n"
           "                            \"mirror\" or \"transparent\"), material, object,\n"
           "                            faceCount\n"
           "               Text beyond ASCII is written as \\u escapes.\n"
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
           "  --fit-images Before rendering or dumping, scales every object so that\n"
           "               each cover face takes the proportions of its image (front:\n"
           "               width to height, sides: depth to height, top: width to\n"
           "               depth; the height stays), as \"Fit to Images\" does.\n"
           "  SCENE.scn --collect FOLDER\n"
           "               Copies the scene and every image it uses into FOLDER (made\n"
           "               when missing), the scene naming them relative to it, ready\n"
           "               to be sent; status 1 when an image is found nowhere.\n"
           "  --help       Shows this text.\n"
           "  --version    Shows the program's version.\n"
           "\n"
           "Models named by scene files are read from data/Objects/ and textures from\n"
           "data/texture/ below the program folder (or $BOXORA_HOME when set).\n"
           "\n"
           "Exit status: 0 on success; 1 when a scene cannot be read (\"Could not open\n"
           "file\"), names a model that cannot be loaded or an image that is missing\n"
           "or cannot be decoded (see --allow-missing), or a picture cannot be\n"
           "rendered or written, or a row of a --variants table fails (the other\n"
           "pictures of the run are still made; a\n"
           "picture that fails is not written, and a file of its name keeps its old\n"
           "content); 2 for wrong\n"
           "arguments; 130 when interrupted (Ctrl+C: the picture being rendered is\n"
           "given up and not written).\n\n" +
           boxora::ShapeHelpText();
}
