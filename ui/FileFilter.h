#pragma once
// File-dialog filters written the classic way, "Description|*.a;*.b|...||",
// turned into Qt's "Description (*.a *.b);;..." form, and the filter of the
// face-image dialog with the file test that goes with it.
#include <QString>
#include <QStringList>
#include <string_view>

namespace boxora {

// Each description/pattern pair becomes "Description (patterns)" with the
// patterns separated by blanks; a description that already ends with a
// bracketed pattern list gets the real list in its place. Pairs are joined
// with ";;"; the empty pair that ends the list is dropped.
QString QtFileFilter(std::string_view classicFilter);

// The filter of the face-image dialog of the Textures page.
extern const char kFaceImageFilter[];

// Lower-case suffixes (without "*.") of the first ("Supported files") entry
// of kFaceImageFilter.
const QStringList& FaceImageSuffixes();
// True when the file name ends with one of those suffixes (any case).
bool IsFaceImageFile(const QString& path);

}  // namespace boxora
