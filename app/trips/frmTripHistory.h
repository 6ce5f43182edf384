#pragma once
// The window "Deleted and Changed Trips": the trip history, newest first, from which a deleted trip or
// the earlier values of a changed one are restored, and old entries emptied.

#include "Wendlo.h"
#include "tripdata/HistoryKeeping.h"

#include <QWidget>

#include <memory>

class DateBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class TripHistoryFilter;
class TripHistoryModel;

class frmTripHistory : public QWidget {
    Q_OBJECT
public:
    explicit frmTripHistory(QWidget* parent = nullptr);
    ~frmTripHistory() override;

    QLineEdit* txtFind = nullptr;
    QLabel* lblCount = nullptr;
    QLabel* lblNotKept = nullptr; // why the list is empty or cannot be read, when it is
    QTreeView* lvHistory = nullptr;
    QPushButton* cmdRestore = nullptr;
    DateBox* datEmpty = nullptr;
    QPushButton* cmdEmpty = nullptr;
    QPushButton* cmdExit = nullptr;

    TripHistoryModel* model() const { return model_; }
    TripHistoryFilter* filter() const { return filter_; }

    // Reads the history again; the search text stays.
    void FillHistoryList();
    void cmdRestore_Click();
    void cmdEmpty_Click();
    void cmdExit_Click();

signals:
    // A restore changed the stored trips: open trip lists should read them again.
    void tripsChanged();
    // After tripsChanged: the stored trip that now has a restored entry's values.
    void tripRestored(const QString& tripId);

private:
    void txtFind_Change();
    void updateCount();
    _TripHistory* history() const;
    // A changed entry goes back to the one trip it was kept from: asks first when other trips share its Trip ID.
    bool confirmSharedTripID(const QString& id);

    std::shared_ptr<_Trip> trip_; // asked for by the history interface; null with an older library
    HistoryKeeping keeping_;      // as found when the window opened
    TripHistoryModel* model_ = nullptr;
    TripHistoryFilter* filter_ = nullptr;
};
