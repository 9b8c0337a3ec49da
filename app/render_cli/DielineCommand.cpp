#include "DielineCommand.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdio>

#include "dieline/DielineNet.h"
#include "dieline/DielineOutput.h"
#include "lang/Messages.h"
#include "platform/TextUtil.h"

namespace {

using namespace boxora::dieline;

bool ParseMm(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && p == end;
}

// "WxHxD" in millimetres, decimals allowed.
bool ParseSizeMm(const std::string& text, Params& params) {
    const std::size_t x1 = text.find_first_of("xX");
    const std::size_t x2 = x1 == std::string::npos ? x1 : text.find_first_of("xX", x1 + 1);
    if (x2 == std::string::npos) return false;
    return ParseMm(text.substr(0, x1), params.width) && ParseMm(text.substr(x1 + 1, x2 - x1 - 1), params.height) &&
           ParseMm(text.substr(x2 + 1), params.depth);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "boxora-render: %s\n", boxora::EscapeForTerminal(message).c_str());
    return 2;
}

// Errors first with their status, warnings only shown.
void Print(const boxora::Outcome& outcome) {
    for (const boxora::UserMessage& m : outcome.messages)
        std::fprintf(stderr, "boxora-render: %s%s\n", m.icon == boxora::MsgIcon::Error ? "" : "warning: ",
                     boxora::EscapeForTerminal(boxora::MessageText(m)).c_str());
}

}  // namespace

bool IsDielineCommand(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--") break;
        if (a == "--dieline" || a.rfind("--dieline=", 0) == 0) return true;
    }
    return false;
}

int RunDielineCommand(const std::vector<std::string>& args) {
    CLI::App app;
    app.set_help_flag();
    std::string style, size, thickness, bleed, glue, output;
    app.add_option("--dieline", style)->required();
    CLI::Option* sizeOption = app.add_option("--size-mm", size);
    CLI::Option* thicknessOption = app.add_option("--thickness", thickness);
    CLI::Option* bleedOption = app.add_option("--bleed", bleed);
    CLI::Option* glueOption = app.add_option("--glue-flap", glue);
    CLI::Option* outputOption = app.add_option("-o,--output", output);
    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
    } catch (const CLI::ParseError& e) {
        const std::vector<std::string> extras = app.remaining();
        if (!extras.empty()) return Fail("--dieline does not take " + extras.front());
        return Fail(e.what());
    }
    Params params;
    if (!StyleFromName(style, params.style))
        return Fail("unknown dieline style \"" + style +
                    "\": give rte, ste, snap-lock, auto-lock, mailer or tray-sleeve");
    if (sizeOption->count() == 0) return Fail("--dieline needs --size-mm WxHxD (millimetres)");
    if (!ParseSizeMm(size, params)) return Fail("--size-mm takes WIDTHxHEIGHTxDEPTH in millimetres, such as 60x190x40");
    if (thicknessOption->count() > 0 && !ParseMm(thickness, params.thickness))
        return Fail("--thickness takes the board thickness in millimetres, such as 0.4");
    if (bleedOption->count() > 0 && !ParseMm(bleed, params.bleed)) return Fail("--bleed takes millimetres, such as 3");
    if (glueOption->count() > 0 && !ParseMm(glue, params.glueFlap))
        return Fail("--glue-flap takes millimetres, such as 15");
    if (outputOption->count() == 0) return Fail("--dieline needs -o OUT.pdf, OUT.svg or OUT.dxf");
    Format format{};
    if (!FormatFromFileName(output, format))
        return Fail("cannot tell the format of " + output + ": name it .pdf, .svg or .dxf");
    Net net;
    const boxora::Outcome made = MakeNet(params, net);
    Print(made);
    if (made.failed) return 2;
    if (params.style == Style::Mailer && glueOption->count() > 0)
        std::fprintf(stderr, "boxora-render: warning: a mailer is not glued: --glue-flap is not used\n");
    const boxora::Outcome written = WriteNet(net, output);
    Print(written);
    return written.failed ? 1 : 0;
}

std::string DielineHelpText() {
    return "Dielines\n"
           "  --dieline STYLE --size-mm WxHxD -o OUT.pdf|OUT.svg|OUT.dxf\n"
           "               Writes the flat net of a folding box: its cut lines, crease\n"
           "               lines and bleed outline. STYLE is rte (reverse tuck end), ste\n"
           "               (straight tuck end), snap-lock (tuck top, 1-2-3 bottom),\n"
           "               auto-lock (crash-lock bottom), mailer (roll-end front-tuck\n"
           "               mailer, not glued) or tray-sleeve (a sleeve and the tray\n"
           "               that slides into it). W is the width of the front panel, H\n"
           "               its height and D the depth, the inside sizes of the box in\n"
           "               millimetres (more than 0, at most 2000). Each panel measures\n"
           "               crease to crease its inside size plus one board thickness.\n"
           "               The page is the net's bounding box grown by the bleed.\n"
           "               .pdf: cut, crease and bleed lines in the spot colours\n"
           "               CutContour, Crease and Bleed, page size in millimetres;\n"
           "               .dxf: lines on the layers CUT, CREASE and BLEED, in mm;\n"
           "               .svg: the panels as rectangles panel-front, panel-back,\n"
           "               panel-left, panel-right, panel-top, panel-bottom and the\n"
           "               flaps as polygons flap-..., in mm on the PDF's page.\n"
           "    --thickness MM   board thickness (default 0.4; at most a quarter of the\n"
           "                     smallest side)\n"
           "    --bleed MM       bleed around the net (default 3, 0 to 50)\n"
           "    --glue-flap MM   width of the glue flap (default 15, up to 100)\n"
           "               Doubtful values (a glue flap wider than the panel it is\n"
           "               glued to, a bleed under 2 mm) are warned about, not changed.\n";
}
