#include "ui/DialogAddShape.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <charconv>
#include <cmath>
#include <cstring>

#include "lang/Lng.h"
#include "model/shapes/ShapeBuilder.h"

namespace {

QString Text(const char* key, const char* fallback) {
    const std::string text = Lng().GetText("TabScene", key);
    return QString::fromStdString(text.empty() ? fallback : text);
}

constexpr double kMmPerInch = 25.4;

// Angles and choices keep their own units; everything else is a length.
bool IsLength(const boxora::ShapeParam& p) { return !p.choices && std::strcmp(p.name, "open") != 0; }

std::string Number(double v) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

}  // namespace

CDialogAddShape::CDialogAddShape(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Text("shapetitle", "Add Shape"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout();
    kind_ = new QComboBox();
    for (const boxora::ShapeKind& k : boxora::ShapeKinds()) kind_->addItem(k.name);
    units_ = new QComboBox();
    units_->addItems({"mm", "in"});
    top->addRow(Text("shapekind", "Shape"), kind_);
    top->addRow(Text("shapeunits", "Units"), units_);
    layout->addLayout(top);
    faces_ = new QLabel();
    faces_->setWordWrap(true);
    layout->addWidget(faces_);
    form_ = new QFormLayout();
    layout->addLayout(form_);
    error_ = new QLabel();
    error_->setWordWrap(true);
    error_->setStyleSheet("color: #b00020");
    layout->addWidget(error_);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &CDialogAddShape::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { RebuildFields(); });
    connect(units_, &QComboBox::currentIndexChanged, this, [this] { ChangeUnits(); });
    setMinimumWidth(420);
    RebuildFields();
}

double CDialogAddShape::Scale(std::size_t param) const {
    const boxora::ShapeKind& kind = boxora::ShapeKinds()[static_cast<std::size_t>(kind_->currentIndex())];
    return inches_ && IsLength(kind.params[param]) ? kMmPerInch : 1.0;
}

void CDialogAddShape::RebuildFields() {
    while (form_->rowCount() > 0) form_->removeRow(0);
    fields_.clear();
    error_->clear();
    const boxora::ShapeKind& kind = boxora::ShapeKinds()[static_cast<std::size_t>(kind_->currentIndex())];
    faces_->setText(QString::fromStdString(std::string(kind.summary) + ".\n" +
                                           Text("shapefaces", "Faces").toStdString() + ": " + kind.faceSlots + "."));
    for (std::size_t i = 0; i < kind.params.size(); ++i) {
        const boxora::ShapeParam& p = kind.params[i];
        QWidget* field;
        if (p.choices) {
            auto* box = new QComboBox();
            box->addItems(QString(p.choices).split('|'));
            box->setCurrentIndex(static_cast<int>(p.defaultValue));
            if (i == 0 && !kind.presets.empty())
                connect(box, &QComboBox::currentIndexChanged, this, [this, &kind](int choice) {
                    const std::vector<double>& values = kind.presets[static_cast<std::size_t>(choice)];
                    for (std::size_t k = 1; k < fields_.size() && k < values.size(); ++k)
                        if (auto* spin = qobject_cast<QDoubleSpinBox*>(fields_[k]))
                            spin->setValue(values[k] / Scale(k));
                });
            field = box;
        } else {
            auto* spin = new QDoubleSpinBox();
            spin->setDecimals(inches_ && IsLength(p) ? 3 : 1);
            const double scale = Scale(i);
            spin->setRange(p.min / scale, p.max / scale);
            spin->setValue(p.defaultValue / scale);
            spin->setSuffix(IsLength(p) ? (inches_ ? " in" : " mm") : QString::fromUtf8(" \xC2\xB0"));
            field = spin;
        }
        field->setObjectName(p.name);
        field->setToolTip(p.help);
        form_->addRow(p.name, field);
        fields_.push_back(field);
    }
}

void CDialogAddShape::ChangeUnits() {
    const bool inches = units_->currentIndex() == 1;
    if (inches == inches_) return;
    const boxora::ShapeKind& kind = boxora::ShapeKinds()[static_cast<std::size_t>(kind_->currentIndex())];
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        auto* spin = qobject_cast<QDoubleSpinBox*>(fields_[i]);
        if (!spin || !IsLength(kind.params[i])) continue;
        const double mm = spin->value() * Scale(i);
        const double scale = inches ? kMmPerInch : 1.0;
        spin->setDecimals(inches ? 3 : 1);
        spin->setRange(kind.params[i].min / scale, kind.params[i].max / scale);
        spin->setSuffix(inches ? " in" : " mm");
        spin->setValue(mm / scale);
    }
    inches_ = inches;
}

QDoubleSpinBox* CDialogAddShape::Field(const std::string& param) const {
    for (QWidget* field : fields_)
        if (field->objectName().toStdString() == param) return qobject_cast<QDoubleSpinBox*>(field);
    return nullptr;
}

std::string CDialogAddShape::ShapeName() const {
    const boxora::ShapeKind& kind = boxora::ShapeKinds()[static_cast<std::size_t>(kind_->currentIndex())];
    std::string text = std::string(boxora::kShapePrefix) + kind.name;
    for (std::size_t i = 0; i < fields_.size() && i < kind.params.size(); ++i) {
        const boxora::ShapeParam& p = kind.params[i];
        text += std::string(",") + p.name + "=";
        if (auto* box = qobject_cast<QComboBox*>(fields_[i]))
            text += box->currentText().toStdString();
        else if (auto* spin = qobject_cast<QDoubleSpinBox*>(fields_[i]))
            text += Number(std::round(spin->value() * Scale(i) * 1000) / 1000);  // micrometres are plenty
    }
    return text;
}

void CDialogAddShape::accept() {
    std::string error;
    const std::optional<boxora::ShapeSpec> spec = boxora::ParseShapeSpec(ShapeName(), error);
    boxora::ShapeMesh mesh;
    if (!spec || !boxora::BuildShapeMesh(*spec, mesh, error)) {
        error_->setText(QString::fromStdString(error));
        return;
    }
    QDialog::accept();
}
