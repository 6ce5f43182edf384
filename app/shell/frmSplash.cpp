#include "shell/frmSplash.h"

#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/MousePointer.h"
#include "platform/Picture.h"

#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace {
bool splashWaits = true;

QFont namedFont(const char* family, double points, bool bold) {
    // A face that is not installed falls back to the closest one the system has.
    QFont font(QString::fromLatin1(family));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QFont& font) {
    auto* l = new QLabel(text, parent);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    l->setFont(font);
    return l;
}
} // namespace

void frmSplash::setWaiting(bool waiting) {
    splashWaits = waiting;
}

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setFont(namedFont("MS Sans Serif", 8.25, false));

    auto* company =
        label(frame, "lblCompanyProduct", QStringLiteral("Quorvale Software"), namedFont("Comic Sans MS", 18, true));
    auto* product = label(frame, "lblProductName", QStringLiteral("Odomark"), namedFont("Comic Sans MS", 27.75, true));
    lblVersion_ = label(frame, "lblVersion", QStringLiteral("Version"), namedFont("Verdana", 9, false));
    auto* maker = label(frame, "lblCompany", QStringLiteral("Quorvale Software and Web Design"),
                        namedFont("MS Sans Serif", 8.25, false));
    auto* rights =
        label(frame, "lblCopyright", QStringLiteral("Copyright \u00A9 2007 Quorvale Software. All rights reserved."),
              namedFont("MS Sans Serif", 8.25, false));
    Image1_ = new QLabel(frame);
    Image1_->setObjectName(QStringLiteral("Image1"));
    Image1_->setMinimumSize(160, 120);
    Image1_->setAlignment(Qt::AlignCenter);
    auto* web = label(frame, "lblWebAddress", QStringLiteral("www.quorvale.example"), namedFont("Verdana", 8.25, true));
    proBar_ = new QProgressBar(frame);
    proBar_->setObjectName(QStringLiteral("proBar"));
    proBar_->setTextVisible(false);
    proBar_->setVisible(false);
    auto* status = label(frame, "Label1", QStringLiteral("Initializing..."), namedFont("MS Sans Serif", 8.25, false));

    auto* grid = new QGridLayout(frame);
    grid->addWidget(company, 0, 0, 1, 2);
    grid->addWidget(Image1_, 1, 0, 3, 1);
    grid->addWidget(product, 1, 1, Qt::AlignRight);
    grid->addWidget(lblVersion_, 2, 1, Qt::AlignRight);
    grid->addWidget(maker, 3, 1, Qt::AlignRight | Qt::AlignBottom);
    grid->addWidget(rights, 4, 0, 1, 2);
    grid->addWidget(web, 5, 0, 1, 2);
    grid->addWidget(proBar_, 6, 0, 1, 2);
    grid->addWidget(status, 7, 0, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(frame);
}

void frmSplash::Form_Load() {
    Screen::setMousePointer(vbHourglass);
    lblVersion_->setText(QStringLiteral("%1.%2").arg(App::Major()).arg(App::Minor()));
    const QPixmap picture =
        LoadPicture(App::Path() + QStringLiteral("/images/trip.wmf"), QSize(160, 120), devicePixelRatioF());
    if (!picture.isNull())
        Image1_->setPixmap(picture);
    proBar_->setVisible(true);
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    ShowProgress();
    Screen::setMousePointer(vbDefault);
}

void frmSplash::ShowProgress() {
    proBar_->setMinimum(0);
    proBar_->setMaximum(16);
    for (int value = 0; value <= 16; value += 2) {
        proBar_->setValue(value);
        if (value < 16) {
            if (splashWaits)
                Delay(0); // up to the next change of the clock's seconds
            else
                QCoreApplication::processEvents();
        }
    }
    SetMousePointer(this, vbDefault);
}
