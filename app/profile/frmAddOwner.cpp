#include "profile/frmAddOwner.h"

#include "common/modGlobal.h"
#include "platform/Look.h"
#include "profile/ProfileFields.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

frmAddOwner::frmAddOwner(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmAddOwner"));
    setModal(true);

    auto* border = new QFrame(this); // without a title bar the window still needs an edge
    border->setFrameShape(QFrame::Box);
    QLabel* heading = MakeProfileHeading(border, QStringLiteral("User Profile"));
    fields_ = new ProfileFields(border);
    QWidget* buttons = MakeProfileButtons(fields_, border, &cmdSave_, &cmdExit_);

    auto* note = new QLabel(QStringLiteral("This only needs to be done on first use"), border);
    note->setObjectName(QStringLiteral("lblNote"));
    SetColours(note, QColor(), QColor(0, 0, 255));
    note->setAlignment(Qt::AlignCenter);

    auto* inner = new QVBoxLayout(border);
    inner->setContentsMargins(16, 12, 16, 12);
    inner->addWidget(heading);
    inner->addSpacing(8);
    inner->addWidget(fields_);
    inner->addSpacing(8);
    inner->addWidget(buttons);
    inner->addWidget(note);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(border);

    connect(cmdSave_, &QPushButton::clicked, this, &frmAddOwner::cmdSave_Click);
    connect(cmdExit_, &QPushButton::clicked, this, &frmAddOwner::cmdExit_Click);

    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    fields_->txtBox(0)->setFocus();
    Form_Load();
}

void frmAddOwner::Form_Load() {
    NewTrip();
}

void frmAddOwner::cmdSave_Click() {
    if (!SaveProfile(this, fields_, true))
        return;
    stored_ = true;
    hide(); // back to the start-up; the window stays loaded, so leaving it ends nothing
}

void frmAddOwner::cmdExit_Click() {
    close();
}

void frmAddOwner::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_Unload();
}

void frmAddOwner::Form_Unload() {
    ShutDown();
}
