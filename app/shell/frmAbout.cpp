#include "shell/frmAbout.h"

#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/Picture.h"
#include "platform/RichText.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    QFont ownFont(QStringLiteral("Verdana"));
    ownFont.setPointSizeF(8.25);
    setFont(ownFont);

    lblTitle_ = new QLabel(App::Title(), this);
    lblTitle_->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont(QStringLiteral("Comic Sans MS"));
    titleFont.setPointSizeF(12);
    titleFont.setBold(true);
    lblTitle_->setFont(titleFont);

    lblVersion_ = new QLabel(QStringLiteral("Version"), this);
    lblVersion_->setObjectName(QStringLiteral("lblVersion"));
    QFont boldFont(QStringLiteral("Verdana"));
    boldFont.setPointSizeF(8.25);
    boldFont.setBold(true);
    lblVersion_->setFont(boldFont);

    rtBox_ = new QTextEdit(this);
    rtBox_->setObjectName(QStringLiteral("rtBox"));
    rtBox_->setReadOnly(true);
    rtBox_->setMinimumSize(420, 260);

    cmdOK_ = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setFont(boldFont);
    cmdOK_->setDefault(true); // Enter presses it; Escape closes the box as a cancel button would
    connect(cmdOK_, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    auto* heading = new QHBoxLayout;
    heading->addWidget(lblTitle_);
    heading->addStretch();
    heading->addWidget(lblVersion_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addWidget(rtBox_, 1);
    layout->addLayout(buttons);
}

bool frmAbout::Form_Load() {
    const QIcon icon = LoadIcon(App::Path() + QStringLiteral("/images/earth.ico"));
    if (icon.isNull())
        return false;
    setWindowIcon(icon);
    setWindowTitle(QStringLiteral("About ") + App::Title());
    lblVersion_->setText(QStringLiteral("v%1.%2").arg(App::Major()).arg(App::Minor()));
    if (!LoadRtfFile(rtBox_, App::Path() + QStringLiteral("/text/About.rtf")))
        return false;
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    return true;
}

void frmAbout::cmdOK_Click() {
    accept();
}
