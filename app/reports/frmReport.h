#pragma once
#include <QWidget>

class QLabel;
class QPushButton;
class QTreeView;
class TripListView;

// The trip selection window that leads to the expense report.
class frmReport : public QWidget {
    Q_OBJECT
public:
    explicit frmReport(QWidget* parent = nullptr);
    ~frmReport() override;

    void lvTrip_Click();
    void lvTrip_ColumnClick(int column);
    void cmdSelect_Click();
    void cmdClear_Click();
    void cmdExit_Click();

private:
    void Form_Load();
    void FillTripList();
    void fitColumns();

    TripListView* list_ = nullptr;
    QTreeView* lvTrip_ = nullptr;
    QLabel* lblData_[3] = {};
    QPushButton* cmdSelect_ = nullptr;
    QPushButton* cmdClear_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
};
