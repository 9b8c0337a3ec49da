#pragma once
// The Add Shape dialog: a parametric shape's kind and its parameters, with
// lengths in millimetres or inches. OK is refused (with the reason shown)
// while the parameters do not make a shape.
#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QLabel;
class QDialogButtonBox;

class CDialogAddShape : public QDialog {
    Q_OBJECT
public:
    explicit CDialogAddShape(QWidget* parent = nullptr);

    // "shape:KIND,param=value,…" with every parameter in millimetres (the
    // dialog's result).
    std::string ShapeName() const;

    QComboBox* KindBox() const { return kind_; }
    QComboBox* UnitsBox() const { return units_; }
    // The field of a parameter by name, or null (a choice parameter has a
    // combo box instead).
    QDoubleSpinBox* Field(const std::string& param) const;
    QLabel* ErrorLabel() const { return error_; }

    void accept() override;

private:
    void RebuildFields();
    void ChangeUnits();
    // Millimetres per shown unit of a parameter's field (1 for angles).
    double Scale(std::size_t param) const;

    QComboBox* kind_;
    QComboBox* units_;
    QFormLayout* form_;
    QLabel* faces_;
    QLabel* error_;
    QDialogButtonBox* buttons_;
    std::vector<QWidget*> fields_;  // one per parameter of the kind
    bool inches_ = false;
};
