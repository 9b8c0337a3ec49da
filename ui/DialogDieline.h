#pragma once
// File ▸ Export Dieline…: the flat net of a box, its style and inside sizes
// prefilled from the selected object's real size, written as PDF, SVG or
// DXF (after the file's extension).
#include <QDialog>
#include <QString>
#include <functional>

#include "dieline/DielineNet.h"
#include "ui/EngineBinding.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CDialogDieline : public QDialog {
    Q_OBJECT
public:
    // objectId: the selected object (-1 for none): its real size, when the
    // catalogue gives one, fills the sizes.
    CDialogDieline(boxora::EngineBinding& engine, int objectId, QWidget* parent = nullptr);

    boxora::dieline::Params CurrentParams() const;
    // Writes the file the fields name; false (with the reason shown) when
    // it is not written.
    bool Export();

    QComboBox* StyleList() const { return style_; }
    QDoubleSpinBox* WidthBox() const { return sizes_[0]; }
    QDoubleSpinBox* HeightBox() const { return sizes_[1]; }
    QDoubleSpinBox* DepthBox() const { return sizes_[2]; }
    QLineEdit* FileEdit() const { return file_; }
    QLabel* Status() const { return status_; }

    // The file chooser (replaced by tests).
    std::function<QString(QWidget*, const QString&, const QString&)> chooser_;

private:
    void Browse();

    QComboBox* style_ = nullptr;
    QDoubleSpinBox* sizes_[3] = {};
    QDoubleSpinBox* thickness_ = nullptr;
    QDoubleSpinBox* bleed_ = nullptr;
    QDoubleSpinBox* glue_ = nullptr;
    QLineEdit* file_ = nullptr;
    QLabel* status_ = nullptr;
};
