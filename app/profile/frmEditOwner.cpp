#include "profile/frmEditOwner.h"

#include "common/ChildWindows.h"
#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "platform/Picture.h"
#include "profile/ProfileFields.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmEditOwner::frmEditOwner(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmEditOwner"));

    QLabel* heading = MakeProfileHeading(this, QStringLiteral("Update User Profile"));
    fields_ = new ProfileFields(this);
    QWidget* buttons = MakeProfileButtons(fields_, this, &cmdSave_, &cmdExit_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(heading);
    layout->addSpacing(8);
    layout->addWidget(fields_);
    layout->addSpacing(8);
    layout->addWidget(buttons);

    connect(cmdSave_, &QPushButton::clicked, this, &frmEditOwner::cmdSave_Click);
    connect(cmdExit_, &QPushButton::clicked, this, &frmEditOwner::cmdExit_Click);

    setFixedSize(sizeHint()); // a fixed single border
    Form_Load();
}

void frmEditOwner::Form_Load() {
    const QIcon icon = LoadIcon(App::Path() + QStringLiteral("/images/earth.ico"));
    if (!icon.isNull())
        setWindowIcon(icon);
    setWindowTitle(App::Caption());
    NewTrip();
    LoadProfile();
}

void frmEditOwner::LoadProfile() {
    SetMousePointer(this, vbHourglass);
    rsTrip = std::make_shared<Recordset>();
    if (objTrip)
        rsTrip = objTrip->LoadOwner();
    if (rsTrip) {
        rsTrip->MoveFirst();
        // With several rows the last one is what the boxes show.
        while (!rsTrip->eof()) {
            for (int i = 0; i < ProfileRules::kFieldCount; ++i) {
                // Every box shows the current row, so a null clears what an earlier row left there.
                const Value value = rsTrip->Fields(ProfileRules::Column(i));
                fields_->txtBox(i)->setText(value.isNull() ? QString() : QString::fromStdString(value.toString()));
            }
            rsTrip->MoveNext();
        }
    }
    CloseRecordset();
    loaded_ = fields_->texts();
    SetMousePointer(this, vbDefault);
}

void frmEditOwner::cmdSave_Click() {
    if (!SaveProfile(this, fields_, false))
        return;
    loaded_ = fields_->texts();
    close();
}

bool frmEditOwner::Form_QueryUnload() {
    if (!ProfileRules::InputChanged(loaded_, fields_->texts()))
        return true;
    ShowChild(this); // the user sees which window asks
    const int answer = MsgBox(QStringLiteral("Your changes to the profile are not saved. \r\n\r\nSave them before "
                                             "closing? "),
                              vbSaveDiscardCancel | vbExclamation);
    if (answer != vbSave)
        return answer == vbDiscard;
    if (!SaveProfile(this, fields_, false))
        return false;
    loaded_ = fields_->texts();
    return true;
}

void frmEditOwner::closeEvent(QCloseEvent* event) {
    if (Form_QueryUnload())
        event->accept();
    else
        event->ignore();
}

void frmEditOwner::cmdExit_Click() {
    close();
}
