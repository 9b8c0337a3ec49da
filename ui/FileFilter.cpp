#include "ui/FileFilter.h"

#include <QFileInfo>

namespace boxora {

const char kFaceImageFilter[] =
    "Supported files|*.bmp;*.gif;*.jpg;*.jpeg;*.png;*.webp;*.ico;*.tif;*.tiff;*.tga;*.pcx;*.wbmp;*.wmf;*.emf;"
    "*.j2k;*.jp2;*.jbg;*.j2c;*.jpc;*.pgx;*.pnm;*.pgm;*.ppm;*.ras;*.svg;*.pdf|PNG files|*.png|JPG files|*.jpg;*.jpeg|"
    "WebP files|*.webp|GIF files|*.gif|"
    "BMP files|*.bmp|ICO CUR files|*.ico;*.cur|TIF files|*.tif;*.tiff|TGA files|*.tga|PCX files|*.pcx|"
    "WBMP files|*.wbmp|WMF EMF files|*.wmf;*.emf|JP2 files|*.j2k;*.jp2|JPC files|*.j2c;*.jpc|PGX files|*.pgx|"
    "RAS files|*.ras|PNM files|*.pnm;*.pgm;*.ppm|SVG files|*.svg|PDF files|*.pdf||";

QString QtFileFilter(std::string_view classicFilter) {
    const QStringList parts =
        QString::fromUtf8(classicFilter.data(), static_cast<qsizetype>(classicFilter.size())).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed();
        if (description.isEmpty() && patterns.isEmpty()) break;
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            if (open >= 0) description = description.left(open).trimmed();
        }
        QStringList list = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : list) p = p.trimmed();
        entries << description + QStringLiteral(" (") + list.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

const QStringList& FaceImageSuffixes() {
    static const QStringList suffixes = [] {
        QStringList result;
        const QString filter = QString::fromLatin1(kFaceImageFilter);
        const QStringList parts = filter.split(QLatin1Char('|'));
        if (parts.size() < 2) return result;
        for (const QString& pattern : parts[1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            if (pattern.startsWith(QStringLiteral("*."))) result << pattern.mid(2).toLower();
        return result;
    }();
    return suffixes;
}

bool IsFaceImageFile(const QString& path) { return FaceImageSuffixes().contains(QFileInfo(path).suffix().toLower()); }

}  // namespace boxora
