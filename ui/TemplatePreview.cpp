#include "ui/TemplatePreview.h"

#include <QImage>
#include <QPainter>

#include "image/ImageCodec.h"
#include "image/ImageFormat.h"

namespace boxora {

QPixmap LoadTemplatePreview(const std::string& path, int side) {
    // Read as JPEG only, whatever the content looks like.
    ImageCodec codec;
    if (!codec.Load(path, FORMAT_JPG)) return {};
    const int width = static_cast<int>(codec.GetWidth());
    const int height = static_cast<int>(codec.GetHeight());
    const std::vector<uint8_t> rgba = codec.ToRgbaTopDown();
    if (width <= 0 || height <= 0 || rgba.size() != static_cast<std::size_t>(width) * height * 4) return {};
    const QImage image =
        QImage(rgba.data(), width, height, width * 4, QImage::Format_RGBA8888).convertToFormat(QImage::Format_RGB32);
    if (width == side && height == side) return QPixmap::fromImage(image);

    // Another size is fitted into the square, proportions kept.
    const QImage scaled = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.drawImage((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
    painter.end();
    return QPixmap::fromImage(square);
}

}  // namespace boxora
