#include "ui/Thumbnails.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "image/ImageCodec.h"

namespace boxora {
namespace {

// Catalogue pictures are drawn on this grey, which counts as transparent.
constexpr uint8_t kMaskGrey = 192;

// The square is made scale times larger and marked as such, so that screens
// with a device pixel ratio above 1 show every pixel of the picture instead
// of an enlarged small one.
QImage Decode(const std::string& path, int scale) {
    ImageCodec codec;
    if (!codec.Load(path, FORMAT_PNG)) return {};
    const int width = static_cast<int>(codec.GetWidth());
    const int height = static_cast<int>(codec.GetHeight());
    const std::vector<uint8_t> rgba = codec.ToRgbaTopDown();
    if (width <= 0 || height <= 0 || rgba.size() < static_cast<std::size_t>(width) * height * 4) return {};
    QImage image(width, height, QImage::Format_RGBA8888);
    if (image.isNull()) return {};
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rgba.data() + static_cast<std::size_t>(y) * width * 4;
        uint8_t* dst = image.scanLine(y);
        for (int x = 0; x < width; ++x, src += 4, dst += 4) {
            // The mask colour is transparent, before any scaling, so no
            // grey fringe is left around the picture.
            const bool masked = src[0] == kMaskGrey && src[1] == kMaskGrey && src[2] == kMaskGrey;
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = masked ? 0 : src[3];
        }
    }
    const int side = kThumbnailSize * scale;
    const QImage fitted = image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                              .scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.drawImage((side - fitted.width()) / 2, (side - fitted.height()) / 2, fitted);
    painter.end();
    square.setDevicePixelRatio(scale);
    return square;
}

}  // namespace

QPixmap LoadThumbnail(const std::string& path) {
    // Used on the user-interface thread only. Images, not pixmaps, are kept:
    // they may outlive the application object.
    static std::map<std::pair<std::string, int>, QImage> cache;
    const int scale = std::clamp(static_cast<int>(std::ceil(qGuiApp ? qGuiApp->devicePixelRatio() : 1.0)), 1, 4);
    auto found = cache.find({path, scale});
    if (found == cache.end()) found = cache.emplace(std::pair(path, scale), Decode(path, scale)).first;
    return found->second.isNull() ? QPixmap() : QPixmap::fromImage(found->second);
}

QPixmap EmptyThumbnail() {
    QPixmap empty(kThumbnailSize, kThumbnailSize);
    empty.fill(Qt::transparent);
    return empty;
}

}  // namespace boxora
