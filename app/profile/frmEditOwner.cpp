#include "profile/frmEditOwner.h"

#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "platform/Picture.h"
#include "profile/ProfileFields.h"
#include "shell/modGlobal.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmEditOwner::frmEditOwner(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmEditOwner"));

    auto* heading = new QLabel(QStringLiteral("Update User Profile"), this);
    heading->setObjectName(QStringLiteral("lblHeading"));
    QFont headingFont = heading->font();
    headingFont.setPointSizeF(16);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    heading->setAlignment(Qt::AlignCenter);

    fields_ = new ProfileFields(this);
    QWidget* buttons = MakeProfileButtons(this, &cmdSave_, &cmdExit_);
    fields_->setSaveButton(cmdSave_);
    setTabOrder(fields_->txtBox(6), cmdSave_);
    setTabOrder(cmdSave_, cmdExit_);

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
                const Value value = rsTrip->Fields(ProfileRules::Column(i));
                if (!value.isNull())
                    fields_->txtBox(i)->setText(QString::fromStdString(value.toString()));
            }
            rsTrip->MoveNext();
        }
    }
    CloseRecordset();
    SetMousePointer(this, vbDefault);
}

void frmEditOwner::cmdSave_Click() {
    TrimTextFields(this);
    if (!fields_->ValidateProfile(this))
        return;
    std::vector<std::string> strText = fields_->ProfileText(false);
    const bool saved = objTrip && objTrip->UpdateOwner(strText);
    // The reports print this name, so it changes only with the stored profile.
    if (saved)
        strFullName = QString::fromStdString(strText[7]);
    strText.clear();
    if (saved) {
        MsgBox(QStringLiteral("Profile Information Saved! "), vbExclamation | vbOKOnly,
               QStringLiteral("Record Saved Successfully"));
        close();
    } else {
        MsgBox(QStringLiteral("Profile Record was NOT Saved! "), vbCritical | vbOKOnly, App::Title());
    }
}

void frmEditOwner::cmdExit_Click() {
    close();
}
