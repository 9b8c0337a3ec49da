#pragma once
// Loading a template's preview picture for the template list.
#include <QPixmap>
#include <string>

namespace boxora {

// The JPEG picture at path fitted into a square of side pixels (kept
// proportions, centred on a transparent square). Null when the file is
// missing or is not a readable JPEG.
QPixmap LoadTemplatePreview(const std::string& path, int side);

}  // namespace boxora
