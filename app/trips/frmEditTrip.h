#pragma once
#include "trips/TripForm.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

// The trip editing window: the list of stored trips above the fields; a row click loads a trip,
// Save rewrites it and Delete removes it.
class frmEditTrip : public TripForm {
    Q_OBJECT
public:
    explicit frmEditTrip(QWidget* parent = nullptr);
    ~frmEditTrip() override;
    QSize sizeHint() const override;

    QTreeWidget* lvTrip = nullptr;
    QLabel* lblID = nullptr; // the identifier of the loaded trip; empty when none is loaded

    void Form_Load();
    void FillTripList();
    void lvTrip_Click();
    void lvTrip_ColumnClick(int column);
    void cmdClear_Click() override;
    void cmdSave_Click() override;
    void cmdDelete_Click();
    // Reads the list again after another window changed the stored trips; the fields stay as they are.
    void RefreshTripList();

private:
    void emptyList();
    // Update and delete act on every row with the Trip ID: when more than one stored trip has it, the
    // user is told and asked first. True to go on.
    bool ConfirmSharedTripID(const QString& id, bool deleting);
    // After a stored update or delete: Yes clears the fields and rebuilds the list, No closes the window.
    void AnotherOrClose(int answer);

    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    QTreeWidgetItem* lastItem_ = nullptr;   // what this window last put into itmTrip
    QTreeWidgetItem* dateWarned_ = nullptr; // the row whose unreadable date was last reported
};
