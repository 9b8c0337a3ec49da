#pragma once
// Thumbnails of the model catalogue: the PNG beside each model, fitted into
// a 56 x 56 square, its mask colour RGB(192, 192, 192) transparent. Each file
// is decoded once per run.
#include <QPixmap>
#include <QSize>
#include <string>

namespace boxora {

constexpr int kThumbnailSize = 56;

// The thumbnail of the PNG file at path, fitted (aspect kept, centred) into
// kThumbnailSize x kThumbnailSize; a null pixmap when the file cannot be
// read.
QPixmap LoadThumbnail(const std::string& path);

// An empty square of the thumbnail size, for items without a picture.
QPixmap EmptyThumbnail();

}  // namespace boxora
