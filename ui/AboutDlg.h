#pragma once
// The About box: product name, version and build, the legal notice and the
// logo.
#include <QDialog>
#include <QPixmap>

class QLabel;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QLabel* ProductLabel() const { return product_; }
    QLabel* VersionLabel() const { return version_; }
    QLabel* BuildLabel() const { return build_; }

    static QString VersionText();  // "<version key> 1.8"
    static QString BuildText();    // "<build key> 519"

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap logo_;
    QLabel* product_;
    QLabel* version_;
    QLabel* build_;
};
