#include "trips/frmAddTrip.h"

#include "common/modGlobal.h"
#include "platform/MsgBox.h"

#include <QPlainTextEdit>

frmAddTrip::frmAddTrip(QWidget* parent) : TripForm(Kind::Add, parent) {
    setObjectName(QStringLiteral("frmAddTrip"));
    Form_Load();
}

void frmAddTrip::Form_Load() {
    ClearClipboard();
    LoadFormIcon();
    LoadPictures(QStringLiteral("trip.wmf"), QStringLiteral("hwy.wmf"));
    SetFormCaption();
    datBox->setDate(QDate::currentDate());
    NewTrip();
    markLoaded();
}

void frmAddTrip::cmdClear_Click() {
    clearFields();
    markLoaded();
    txtBox[fldDestination]->setFocus(Qt::OtherFocusReason);
}

std::optional<QString> frmAddTrip::NextTripID() {
    try {
        rsTrip = objTrip ? objTrip->GetNewTripID() : nullptr;
    } catch (...) {
        rsTrip.reset();
    }
    if (rsTrip)
        rsTrip->MoveFirst();
    const std::optional<QString> id = TripIDAfter(rsTrip.get());
    CloseRecordset();
    if (!id)
        return id;
    // Rows written by other tools may already carry the next number; skip past those.
    try {
        rsTrip = objTrip ? objTrip->RefreshTrip() : nullptr;
    } catch (...) {
        rsTrip.reset();
    }
    const QStringList taken = StoredTripIDs(rsTrip.get());
    CloseRecordset();
    return FreeTripID(*id, taken);
}

bool frmAddTrip::StoreTrip() {
    TrimTextFields(this);
    if (!ValidateTripFields() || !ValidateTripDate())
        return false;
    // A failed save keeps what was typed, so the user can try again.
    if (!GatherAndStore([this] { return NextTripID(); }, false)) {
        MsgBox(QStringLiteral("Trip Record was NOT Saved! "), vbCritical | vbOKOnly, QStringLiteral(" ERROR"));
        return false;
    }
    return true;
}

QString frmAddTrip::UnsavedQuestion() const {
    return QStringLiteral("The new trip is not saved. \r\n\r\nSave it before closing? ");
}

bool frmAddTrip::SaveBeforeClose() {
    if (!StoreTrip())
        return false;
    // Should the program stay open after all (Cancel in another window), the stored trip is not offered again.
    clearFields();
    markLoaded();
    return true;
}

void frmAddTrip::cmdSave_Click() {
    if (!StoreTrip())
        return;
    const int answer = MsgBox(QStringLiteral("New Trip Record Saved! \r\n\r\nDo you want to add another Trip record? "),
                              vbYesNo | vbQuestion | vbDefaultButton2, QStringLiteral("Record Saved Successfully"));
    if (answer == vbYes)
        cmdClear_Click();
    else
        closeForm();
}
