#include "ui/AboutDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "boxora/Version.h"
#include "lang/Lng.h"
#include "platform/TextUtil.h"
#include "ui/Resources.h"

namespace {
constexpr char kVersion[] = BOXORA_VERSION;
constexpr char kBuild[] = BOXORA_BUILD;
// The logo is drawn into this client rectangle.
const QRect kLogoRect(30, 30, 64, 64);
}  // namespace

QString CAboutDlg::VersionText() {
    return QString::fromStdString(boxora::FormatText("%s %s", {Lng().GetText("About", "version"), kVersion}));
}

QString CAboutDlg::BuildText() {
    return QString::fromStdString(boxora::FormatText("%s %s", {Lng().GetText("About", "build"), kBuild}));
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    boxora::InitResources();
    logo_ = QPixmap(QStringLiteral(":/icons/logo256.png"));
    setWindowTitle(QStringLiteral("Boxora"));
    setSizeGripEnabled(false);
    setModal(true);

    product_ = new QLabel(QStringLiteral("Boxora"));
    QFont big = product_->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    product_->setFont(big);
    version_ = new QLabel(VersionText());
    build_ = new QLabel(BuildText());
    auto* notice = new QLabel(
        QStringLiteral("Copyright \u00a9 Talvenor. All rights reserved.\n\n"
                       "This program is protected by copyright law. Copying or distributing it, or any part of it, "
                       "without the written permission of Talvenor is prohibited."));
    notice->setMinimumWidth(380);
    notice->setWordWrap(true);
    notice->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    ok->setMinimumWidth(90);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto* text = new QVBoxLayout;
    text->setSpacing(4);
    text->addWidget(product_);
    text->addWidget(version_);
    text->addWidget(build_);
    text->addSpacing(12);
    text->addWidget(notice);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(kLogoRect.right() + 28, kLogoRect.top() - 4, 24, 18);
    grid->addLayout(text, 0, 0);
    grid->setRowStretch(1, 1);
    grid->addLayout(buttons, 2, 0);
    setMinimumSize(520, 230);
}

void CAboutDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (logo_.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(kLogoRect, logo_);
}
