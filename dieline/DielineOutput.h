#pragma once
// A net as the files the trades read: PDF for printers (cut, crease and
// bleed lines each stroked in a spot colour of its own, "CutContour",
// "Crease" and "Bleed", which RIPs and cutting tables pick out), DXF for
// die makers (layers CUT, CREASE and BLEED, millimetres) and SVG for
// designers (the panels as named rectangles in millimetres, on the page the
// print file uses, bleed included).
#include <string>

#include "dieline/DielineNet.h"
#include "platform/Outcome.h"

namespace boxora::dieline {

enum class Format { Pdf, Svg, Dxf };

// The format of a file name's extension (.pdf, .svg, .dxf, any case).
bool FormatFromFileName(const std::string& path, Format& format);

std::string PdfBytes(const Net& net);
std::string SvgText(const Net& net);
std::string DxfText(const Net& net);

// Writes net to path in the format of its extension; a file already there
// keeps its content when writing fails.
Outcome WriteNet(const Net& net, const std::string& path);

}  // namespace boxora::dieline
