#include "profile/frmEditOwner.h"

#include "platform/MousePointer.h"
#include "platform/Picture.h"
#include "profile/ProfileFields.h"
#include "shell/modGlobal.h"

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
    SetMousePointer(this, vbDefault);
}

void frmEditOwner::cmdSave_Click() {
    if (SaveProfile(this, fields_, false))
        close();
}

void frmEditOwner::cmdExit_Click() {
    close();
}
