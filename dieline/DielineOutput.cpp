#include "dieline/DielineOutput.h"

#include <podofo/podofo.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "platform/AtomicFile.h"

namespace boxora::dieline {
namespace {

// Millimetres to four decimals (a tenth of a micrometre), without trailing
// zeros.
std::string Num(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4f", v);
    std::string s = buffer;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

const char* SideName(Side s) {
    switch (s) {
        case Side::Top: return "top";
        case Side::Bottom: return "bottom";
        case Side::Left: return "left";
        case Side::Right: return "right";
        case Side::None: break;
    }
    return "none";
}

std::string PathData(const std::vector<Segment>& segments) {
    std::string d;
    for (const Segment& s : segments) {
        if (!d.empty()) d += ' ';
        d += "M" + Num(s.a.x) + "," + Num(s.a.y) + "L" + Num(s.b.x) + "," + Num(s.b.y);
    }
    return d;
}

}  // namespace

bool FormatFromFileName(const std::string& path, Format& format) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".pdf")
        format = Format::Pdf;
    else if (ext == ".svg")
        format = Format::Svg;
    else if (ext == ".dxf")
        format = Format::Dxf;
    else
        return false;
    return true;
}

std::string SvgText(const Net& net) {
    const Params& p = net.params;
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(net.page.w) + "mm\" height=\"" + Num(net.page.h) +
         "mm\" viewBox=\"0 0 " + Num(net.page.w) + " " + Num(net.page.h) + "\">\n";
    s += "<title>Dieline " + std::string(StyleName(p.style)) + " " + Num(p.width) + " x " + Num(p.height) + " x " +
         Num(p.depth) + " mm, board " + Num(p.thickness) + " mm, bleed " + Num(p.bleed) + " mm</title>\n";
    // The panels and flaps carry what folding them needs: the piece they
    // fold from, the side of their rectangle on that fold, and where the
    // top of their artwork points.
    s += "<g id=\"pieces\" fill=\"none\" stroke=\"none\">\n";
    for (const Piece& piece : net.pieces) {
        std::string attrs = " data-up=\"" + std::string(SideName(piece.up)) + "\"";
        if (piece.parent >= 0)
            attrs += " data-parent=\"" + net.pieces[static_cast<std::size_t>(piece.parent)].name + "\" data-fold=\"" +
                     SideName(piece.foldSide) + "\"";
        if (piece.panel) {
            s += "<rect id=\"panel-" + piece.name + "\" x=\"" + Num(piece.rect.x) + "\" y=\"" + Num(piece.rect.y) +
                 "\" width=\"" + Num(piece.rect.w) + "\" height=\"" + Num(piece.rect.h) + "\"" + attrs + "/>\n";
        } else {
            std::string points;
            for (const Point& q : piece.outline) points += (points.empty() ? "" : " ") + Num(q.x) + "," + Num(q.y);
            s += "<polygon id=\"flap-" + piece.name + "\" points=\"" + points + "\"" + attrs + "/>\n";
        }
    }
    s += "</g>\n";
    s += "<g id=\"bleed\" fill=\"none\" stroke=\"#00a0e0\" stroke-width=\"0.2\"><path d=\"" + PathData(net.bleed) +
         "\"/></g>\n";
    s += "<g id=\"cut\" fill=\"none\" stroke=\"#e00000\" stroke-width=\"0.25\"><path d=\"" + PathData(net.cuts) +
         "\"/></g>\n";
    s += "<g id=\"crease\" fill=\"none\" stroke=\"#00a000\" stroke-width=\"0.25\" stroke-dasharray=\"2 1\"><path d=\"" +
         PathData(net.creases) + "\"/></g>\n";
    s += "</svg>\n";
    return s;
}

std::string PdfBytes(const Net& net) {
    using namespace PoDoFo;
    constexpr double kPt = 72.0 / 25.4;
    const double pageH = net.page.h;
    PdfMemDocument doc;
    PdfPage* page = doc.CreatePage(PdfRect(0, 0, net.page.w * kPt, net.page.h * kPt));
    // The cut outline is the trim: what is left once the die has cut.
    PdfVariant trim;
    PdfRect(net.outline.x * kPt, (pageH - net.outline.Bottom()) * kPt, net.outline.w * kPt, net.outline.h * kPt)
        .ToVariant(trim);
    page->GetObject()->GetDictionary().AddKey("TrimBox", trim);
    PdfVariant bleedBox;
    PdfRect(0, 0, net.page.w * kPt, net.page.h * kPt).ToVariant(bleedBox);
    page->GetObject()->GetDictionary().AddKey("BleedBox", bleedBox);
    {
        PdfPainter painter;
        painter.SetPage(page);
        // The lines print over any artwork placed under them instead of
        // knocking it out, as RIPs expect of technical spot colours.
        PdfExtGState overprint(&doc);
        overprint.SetStrokeOverprint(true);
        overprint.SetNonZeroOverprint(true);
        painter.SetExtGState(&overprint);
        painter.SetStrokeWidth(0.5);
        auto stroke = [&](const std::vector<Segment>& segments, const char* name, const PdfColor& alternate) {
            painter.SetStrokingColor(PdfColorSeparation(name, 1.0, alternate));
            for (const Segment& s : segments)
                painter.DrawLine(s.a.x * kPt, (pageH - s.a.y) * kPt, s.b.x * kPt, (pageH - s.b.y) * kPt);
        };
        stroke(net.bleed, "Bleed", PdfColorCMYK(1.0, 0.3, 0.0, 0.0));
        stroke(net.creases, "Crease", PdfColorCMYK(1.0, 0.0, 1.0, 0.0));
        stroke(net.cuts, "CutContour", PdfColorCMYK(0.0, 1.0, 0.0, 0.0));
        painter.FinishPage();
    }
    const Params& p = net.params;
    doc.GetInfo()->SetCreator(PdfString("Boxora"));
    doc.GetInfo()->SetTitle(PdfString("Dieline " + std::string(StyleName(p.style)) + " " + Num(p.width) + " x " +
                                      Num(p.height) + " x " + Num(p.depth) + " mm"));
    PdfRefCountedBuffer buffer;
    PdfOutputDevice device(&buffer);
    doc.Write(&device);
    return std::string(buffer.GetBuffer(), device.GetLength());
}

// DXF R12 written as text: dxflib writes only to a file it opens itself,
// which the atomic writer cannot take over, and the few entities a net
// needs (layers and lines) are plain group codes.
std::string DxfText(const Net& net) {
    std::string s;
    auto code = [&s](int group, const std::string& value) { s += std::to_string(group) + "\n" + value + "\n"; };
    // Die makers' drawings have y upwards: the page's top left becomes
    // (0, page height).
    auto point = [&](int group, Point p) {
        code(group, Num(p.x));
        code(group + 10, Num(net.page.h - p.y));
    };
    code(0, "SECTION");
    code(2, "HEADER");
    code(9, "$ACADVER");
    code(1, "AC1009");
    code(9, "$INSUNITS");
    code(70, "4");
    code(9, "$MEASUREMENT");
    code(70, "1");
    code(9, "$EXTMIN");
    point(10, {0, net.page.h});
    code(9, "$EXTMAX");
    point(10, {net.page.w, 0});
    code(0, "ENDSEC");
    code(0, "SECTION");
    code(2, "TABLES");
    code(0, "TABLE");
    code(2, "LTYPE");
    code(70, "1");
    code(0, "LTYPE");
    code(2, "CONTINUOUS");
    code(70, "0");
    code(3, "Solid line");
    code(72, "65");
    code(73, "0");
    code(40, "0.0");
    code(0, "ENDTAB");
    struct Layer {
        const char* name;
        int colour;  // AutoCAD colour index
        const std::vector<Segment>* lines;
    };
    const Layer layers[] = {{"CUT", 1, &net.cuts}, {"CREASE", 3, &net.creases}, {"BLEED", 5, &net.bleed}};
    code(0, "TABLE");
    code(2, "LAYER");
    code(70, "3");
    for (const Layer& l : layers) {
        code(0, "LAYER");
        code(2, l.name);
        code(70, "0");
        code(62, std::to_string(l.colour));
        code(6, "CONTINUOUS");
    }
    code(0, "ENDTAB");
    code(0, "ENDSEC");
    code(0, "SECTION");
    code(2, "ENTITIES");
    for (const Layer& l : layers)
        for (const Segment& seg : *l.lines) {
            code(0, "LINE");
            code(8, l.name);
            point(10, seg.a);
            point(11, seg.b);
        }
    code(0, "ENDSEC");
    code(0, "EOF");
    return s;
}

Outcome WriteNet(const Net& net, const std::string& path) {
    Format format{};
    if (!FormatFromFileName(path, format))
        return Outcome::Failure({"Dieline",
                                 "badformat",
                                 "Cannot tell the format of %s: name it .pdf, .svg or .dxf.",
                                 {path},
                                 MsgIcon::Error});
    std::string bytes;
    try {
        bytes = format == Format::Pdf ? PdfBytes(net) : format == Format::Svg ? SvgText(net) : DxfText(net);
    } catch (const PoDoFo::PdfError& e) {
        return Outcome::Failure({"Dieline",
                                 "pdffailed",
                                 "The PDF could not be made (%s).",
                                 {PoDoFo::PdfError::ErrorName(e.GetError())},
                                 MsgIcon::Error});
    }
    std::string error;
    if (!WriteFileAtomically(path, bytes, &error))
        return Outcome::Failure({"Dieline", "writefailed", "Could not write %s: %s", {path, error}, MsgIcon::Error});
    return {};
}

}  // namespace boxora::dieline
