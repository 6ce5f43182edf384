#pragma once
#include "trips/TripForm.h"

// The new-trip window: one trip after another, each with a new identifier made at save time.
class frmAddTrip : public TripForm {
    Q_OBJECT
public:
    explicit frmAddTrip(QWidget* parent = nullptr);

    void Form_Load();
    void cmdClear_Click() override;
    void cmdSave_Click() override;

protected:
    QString UnsavedQuestion() const override;
    bool SaveBeforeClose() override;

private:
    // Checks and stores the fields as a new trip, saying so when it fails; true when stored.
    bool StoreTrip();
    // "T-" and one more than the highest internal row number; nothing when the read failed.
    std::optional<QString> NextTripID();
};
