#pragma once
// The program's main window: a multiple-document frame with the whole menu.

#include "shell/BackdropArea.h"

#include <QMainWindow>
#include <QPointer>

class frmAddTrip;
class frmEditTrip;
class frmEditOwner;
class frmImportTrips;
class frmReport;
class frmYearSummary;
class frmTripHistory;
class QCloseEvent;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window hidden and runs its load, which creates objTrip.
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The one main window, or null.
    static frmMain* instance();
    // The failure that left the load (creating objTrip failed even after the retry), or 0.
    int loadError() const { return loadError_; }
    BackdropArea* mdiArea() const { return area_; }

    void mnuFileAddTrip_Click();
    void mnuFileExit_Click();
    void mnuUtilsEditTripRecords_Click();
    void mnuUtilsEditUserProfile_Click();
    void mnuUtilsTripHistory_Click();
    void mnuUtilsImportTrips_Click();
    void mnuReportsTripList_Click();
    void mnuReportsTripReport_Click();
    void mnuReportsYearSummary_Click();
    void mnuWindowCascade_Click();
    void mnuWindowH_Click();
    void mnuWindowV_Click();
    void mnuWindowArrangeIcons_Click();
    void mnuHelpShowHelp_Click();
    void mnuHelpCheckUpdates_Click();
    void mnuHelpAbout_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void MDIForm_Load();
    void MDIForm_Unload();
    // Recovers from a failed load step by creating objTrip again; false when that fails too.
    bool loadFailure(int number);
    // The trip record check: false (after its message) when there are no trips or they cannot be read.
    bool TripRecordsFound();
    // The windows that hold unsaved input ask in turn before the program ends; false when the user cancels.
    bool QueryUnloadChildren();

    BackdropArea* area_ = nullptr;
    int loadError_ = 0;
    QPointer<frmAddTrip> addTrip_;
    QPointer<frmEditTrip> editTrip_;
    QPointer<frmEditOwner> editOwner_;
    QPointer<frmReport> report_;
    QPointer<frmYearSummary> summary_;
    QPointer<frmTripHistory> tripHistory_;
    QPointer<frmImportTrips> importTrips_;
};
