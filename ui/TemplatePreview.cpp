#include "ui/TemplatePreview.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace boxora {

QPixmap LoadTemplatePreview(const std::string& path, int side) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo(file).isFile()) return {};
    // Read as JPEG only, whatever the content looks like.
    QImageReader reader(file, "jpeg");
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > 8192 || size.height() > 8192) return {};
    QImage image = reader.read();
    if (image.isNull()) return {};
    if (image.width() == side && image.height() == side) return QPixmap::fromImage(image);

    const QImage scaled = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.drawImage((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
    painter.end();
    return QPixmap::fromImage(square);
}

}  // namespace boxora
