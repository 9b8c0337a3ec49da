#pragma once
// The file chooser of the dialogs that write a file of their own (turntable,
// print size): asks for a new or existing file to save into.
#include <QString>

class QWidget;

namespace boxora {

// The chosen file, or empty when the user cancelled. filter is a Qt name
// filter ("PNG (*.png)"); suffix is added to a name typed without one.
QString ChooseSaveFile(QWidget* parent, const QString& filter, const QString& suffix);

}  // namespace boxora
