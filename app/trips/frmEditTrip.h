#pragma once
#include "tripdata/TripTable.h"
#include "trips/TripForm.h"

#include <memory>
#include <vector>

class QLabel;
class QTreeView;
class TripListView;

// The trip editing window: the list of stored trips above the fields; a row click loads a trip,
// Save rewrites it and Delete removes it.
class frmEditTrip : public TripForm {
    Q_OBJECT
public:
    explicit frmEditTrip(QWidget* parent = nullptr);
    ~frmEditTrip() override;
    QSize sizeHint() const override;

    QTreeView* lvTrip = nullptr;
    QLabel* lblID = nullptr; // the identifier of the loaded trip; empty when none is loaded
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdExport = nullptr;
    TripListView* tripList() const { return list_; }

    void Form_Load();
    void FillTripList();
    void lvTrip_Click();
    void lvTrip_ColumnClick(int column);
    void cmdClear_Click() override;
    void cmdSave_Click() override;
    void cmdDelete_Click();
    // The trip list report over the rows the list shows, in their order.
    void cmdPrint_Click();
    // The trips as a CSV file: the rows shown or all of them when a filter hides some.
    void cmdExport_Click();
    // A new list of every stored trip (after an import, say); the filter and the loaded trip stay.
    void RefreshTripList();
    // Shows a trip's stored values again when it is the one loaded (another window restored it), so that
    // Save never writes the values it had before over them. Unsaved changes to it stay when the user says
    // so; Save then asks before writing them over the restored values.
    void ReloadTrip(const QString& tripId);

signals:
    // Print These: the trip list report over these rows of the table, in this order.
    void printRequested(const std::shared_ptr<const TripTable>& table, const std::vector<int>& rows);

protected:
    bool HasUnsavedInput() const override; // only with a trip loaded: nothing else can be saved
    QString UnsavedQuestion() const override;
    bool SaveBeforeClose() override;

private:
    // Checks and rewrites the loaded trip, saying so when it fails; true when stored.
    bool StoreTrip();
    void emptyList();
    // Update and delete act on every row with the Trip ID: when more than one stored trip has it, the
    // user is told and asked first. True to go on.
    bool ConfirmSharedTripID(const QString& id, bool deleting);
    // After a stored update or delete: Yes clears the fields and rebuilds the list, No closes the window.
    void AnotherOrClose(int answer);

    TripListView* list_ = nullptr;
    int dateWarned_ = -1; // the table row whose unreadable date was last reported
    QString restoredOver_; // the loaded trip, restored in the history window while the user kept changes
};
