#include "shell/frmMain.h"

#include "common/ChildWindows.h"
#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/Browser.h"
#include "platform/Help.h"
#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "platform/Picture.h"
#include "platform/ProgramLog.h"
#include "profile/frmEditOwner.h"
#include "reports/dataReport.h"
#include "reports/frmReport.h"
#include "reports/frmYearSummary.h"
#include "shell/frmAbout.h"
#include "tripdata/DatabaseCheck.h"
#include "tripdata/TripLoader.h"
#include "trips/frmAddTrip.h"
#include "trips/frmEditTrip.h"
#include "trips/frmImportTrips.h"
#include "trips/frmTripHistory.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>

namespace {
frmMain* theMainWindow = nullptr;

constexpr int errFileNotFound = 53;
constexpr int errInvalidPicture = 481;

int pictureError(const QString& path) {
    return QFileInfo::exists(path) ? errInvalidPicture : errFileNotFound;
}

// The trip record check could not read the trips at all: logs why and tells the user so.
void ReportUnreadableTrips() {
    DatabaseProblem why = ReadTripIdentifiers(App::Path() + QStringLiteral("/miles/miles.mil"));
    if (!why)
        why = DatabaseProblem{errObjectNotSet, ErrorDescription(errObjectNotSet)};
    AppendProgramErrorLog(why.number, why.description, QStringLiteral("RefreshTrip - Trip Record Check"));
    MsgBox(QStringLiteral("The Trip records could not be read! \r\n\r\nThe details are in the error log: ") +
               QDir::toNativeSeparators(App::Path() + QStringLiteral("/error.log")),
           vbCritical | vbOKOnly, App::Title());
}
} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    theMainWindow = this;
    // The reports hang off this window, so ShutDown learns here how to release their data environment.
    SetReportRelease([] {
        if (dataReportActive())
            ReleaseDataReport();
    });
    // The report previews open over this window.
    SetReportOwner(this);
    area_ = new BackdropArea(this);
    area_->setObjectName(QStringLiteral("mdiArea"));
    SetChildArea(area_);
    // A child window taller or wider than the client area stays reachable: the area scrolls to it.
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(area_);
    InstallButtonEnterKey();
    buildMenu();
    resize(900, 650);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        resize(available.size() * 0.8);
        move(available.center() - rect().center());
    }
    MDIForm_Load();
}

frmMain::~frmMain() {
    if (theMainWindow == this)
        theMainWindow = nullptr;
}

frmMain* frmMain::instance() {
    return theMainWindow;
}

void frmMain::buildMenu() {
    struct Item {
        const char* name; // empty: a separator
        const char* caption;
        void (frmMain::*handler)();
        QKeySequence shortcut = {};
    };
    struct Menu {
        const char* name;
        const char* caption;
        std::initializer_list<Item> items;
    };
    const Menu menus[] = {
        {"mnuFile",
         "&File",
         {{"mnuFileAddTrip", "Add New Trip", &frmMain::mnuFileAddTrip_Click, QKeySequence(Qt::CTRL | Qt::Key_N)},
          {"", "-", nullptr},
          {"mnuFileExit", "Exit", &frmMain::mnuFileExit_Click, QKeySequence(Qt::CTRL | Qt::Key_Q)}}},
        {"mnuUtils",
         "&Utilities",
         {{"mnuUtilsEditTripRecords", "UpdateTrip Records", &frmMain::mnuUtilsEditTripRecords_Click},
          {"", "-", nullptr},
          {"mnuUtilsEditUserProfile", "Update Your Profile", &frmMain::mnuUtilsEditUserProfile_Click},
          {"", "-", nullptr},
          {"mnuUtilsTripHistory", "Deleted and Changed Trips", &frmMain::mnuUtilsTripHistory_Click},
          {"mnuUtilsImportTrips", "Import Trips from CSV...", &frmMain::mnuUtilsImportTrips_Click}}},
        {"mnuReports",
         "&Reports",
         {{"mnuReportsTripList", "Trip List", &frmMain::mnuReportsTripList_Click},
          {"", "-", nullptr},
          {"mnuReportsTripReport", "Trip Report", &frmMain::mnuReportsTripReport_Click}}},
        {"mnuWindow",
         "&Window",
         {{"mnuWindowCascade", "Cascade", &frmMain::mnuWindowCascade_Click},
          {"", "-", nullptr},
          {"mnuWindowH", "Tile Horizontally", &frmMain::mnuWindowH_Click},
          {"", "-", nullptr},
          {"mnuWindowV", "Tile Vertically", &frmMain::mnuWindowV_Click},
          {"", "-", nullptr},
          {"mnuWindowArrangeIcons", "Arrange Icons", &frmMain::mnuWindowArrangeIcons_Click}}},
        {"mnuHelp",
         "&Help",
         {{"mnuHelpShowHelp", "Odomark Help", &frmMain::mnuHelpShowHelp_Click, QKeySequence(Qt::Key_F1)},
          {"", "-", nullptr},
          {"mnuHelpCheckUpdates", "Check For Updates", &frmMain::mnuHelpCheckUpdates_Click},
          {"", "-", nullptr},
          {"mnuHelpAbout", "About Wendlo", &frmMain::mnuHelpAbout_Click}}},
    };
    for (const Menu& m : menus) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(m.caption));
        menu->setObjectName(QString::fromLatin1(m.name));
        menu->menuAction()->setObjectName(QString::fromLatin1(m.name));
        for (const Item& item : m.items) {
            if (!item.handler) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromLatin1(item.caption));
            action->setObjectName(QString::fromLatin1(item.name));
            // The menu's F1 serves the main window and its child windows; there it takes the key before the
            // program-wide F1 of the other windows sees it, so help opens once.
            action->setShortcut(item.shortcut);
            const auto handler = item.handler;
            connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        }
    }

    // The year summary, after the Reports menu's other items.
    if (auto* reports = menuBar()->findChild<QMenu*>(QStringLiteral("mnuReports"))) {
        reports->addSeparator();
        QAction* summary = reports->addAction(QStringLiteral("Year Summary"));
        summary->setObjectName(QStringLiteral("mnuReportsYearSummary"));
        connect(summary, &QAction::triggered, this, &frmMain::mnuReportsYearSummary_Click);
    }
}

void frmMain::MDIForm_Load() {
    Screen::setMousePointer(vbArrow);
    // From here a failed step goes to loadFailure, which creates objTrip and resumes after the step.
    QGuiApplication::clipboard()->clear();

    const QString iconPath = App::Path() + QStringLiteral("/images/earth.ico");
    const QIcon icon = LoadIcon(iconPath);
    if (icon.isNull()) {
        if (!loadFailure(pictureError(iconPath)))
            return;
    } else {
        setWindowIcon(icon);
    }

    setWindowTitle(App::Caption());

    const QString backdropPath = App::Path() + QStringLiteral("/images/trip_01.jpg");
    const QPixmap backdrop = LoadPicture(backdropPath);
    if (backdrop.isNull()) {
        if (!loadFailure(pictureError(backdropPath)))
            return;
    } else {
        area_->setPicture(backdrop);
    }

    if (const int err = NewTrip()) {
        if (!loadFailure(err))
            return;
    }
    Screen::setMousePointer(vbArrow);
}

bool frmMain::loadFailure(int number) {
    if (number == errObjectNotSet || number == errNoSuchInterface)
        RegisterLibrary();
    if (const int err = NewTrip()) {
        loadError_ = err; // leaves the load; the start-up's handler takes it
        return false;
    }
    return true;
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!QueryUnloadChildren()) {
        event->ignore();
        return;
    }
    MDIForm_Unload();
    event->accept();
}

bool frmMain::QueryUnloadChildren() {
    const QList<TripForm*> tripForms{addTrip_.data(), editTrip_.data()};
    for (TripForm* form : tripForms) {
        if (form && !form->Form_QueryUnload())
            return false;
    }
    return !editOwner_ || editOwner_->Form_QueryUnload();
}

void frmMain::MDIForm_Unload() {
    Screen::setMousePointer(vbDefault);
    ShutDown();
}

bool frmMain::TripRecordsFound() {
    rsTrip = objTrip ? objTrip->RefreshTrip() : nullptr;
    // No record set at all means the read failed: the trips may well be there, so the user is not told
    // that there are none.
    if (!rsTrip) {
        SetMousePointer(this, vbDefault);
        ReportUnreadableTrips();
        return false;
    }
    if (rsTrip->eof() && rsTrip->bof()) {
        CloseRecordset();
        SetMousePointer(this, vbDefault);
        MsgBox(QStringLiteral("No Trip records were found! "), vbExclamation | vbOKOnly, App::Title());
        return false;
    }
    CloseRecordset();
    return true;
}

void frmMain::mnuFileAddTrip_Click() {
    if (!addTrip_)
        addTrip_ = new frmAddTrip(nullptr);
    ShowChild(addTrip_);
    Arrange(0);
}

void frmMain::mnuFileExit_Click() {
    close();
}

void frmMain::mnuUtilsEditTripRecords_Click() {
    if (!TripRecordsFound())
        return;
    SetMousePointer(this, vbDefault);
    if (!editTrip_) {
        editTrip_ = new frmEditTrip(nullptr);
        // Print These goes to the trip list report.
        connect(editTrip_, &frmEditTrip::printRequested, this,
                [](const std::shared_ptr<const TripTable>& table, const std::vector<int>& rows) {
                    if (table)
                        PrintTripRows(*table, rows);
                });
    }
    ShowChild(editTrip_);
    Arrange(0);
}

// CSV import: its own window; trips it stores show in an open editing list at once.
void frmMain::mnuUtilsImportTrips_Click() {
    SetMousePointer(this, vbDefault);
    if (!importTrips_) {
        importTrips_ = new frmImportTrips(nullptr);
        connect(importTrips_, &frmImportTrips::tripsImported, this, [this] {
            if (editTrip_)
                editTrip_->RefreshTripList();
        });
    }
    ShowChild(importTrips_);
    Arrange(0);
}

void frmMain::mnuUtilsEditUserProfile_Click() {
    SetMousePointer(this, vbDefault);
    if (!editOwner_)
        editOwner_ = new frmEditOwner(nullptr);
    ShowChild(editOwner_);
    Arrange(0);
}

// No trip record check: the history matters most once the last trip is gone.
void frmMain::mnuUtilsTripHistory_Click() {
    SetMousePointer(this, vbDefault);
    const bool opening = !tripHistory_;
    if (opening) {
        tripHistory_ = new frmTripHistory(nullptr);
        // A restore changes the stored trips under the trip editing window's list.
        connect(tripHistory_, &frmTripHistory::tripsChanged, this, [this] {
            if (editTrip_)
                editTrip_->RefreshTripList();
        });
        connect(tripHistory_, &frmTripHistory::tripRestored, this, [this](const QString& tripId) {
            if (editTrip_)
                editTrip_->ReloadTrip(tripId);
        });
    }
    ShowChild(tripHistory_);
    if (opening) {
        // Trips deleted or changed in another window since are listed when the user comes back to it.
        if (auto* sub = qobject_cast<QMdiSubWindow*>(tripHistory_->parentWidget())) {
            frmTripHistory* history = tripHistory_;
            connect(sub, &QMdiSubWindow::windowStateChanged, history,
                    [history](Qt::WindowStates before, Qt::WindowStates now) {
                        if (!(before & Qt::WindowActive) && (now & Qt::WindowActive))
                            history->FillHistoryList();
                    });
        }
    }
    Arrange(0);
}

void frmMain::mnuReportsTripReport_Click() {
    SetMousePointer(this, vbHourglass);
    if (!TripRecordsFound())
        return;
    SetMousePointer(this, vbDefault);
    if (!report_)
        report_ = new frmReport(nullptr);
    ShowChild(report_);
    Arrange(0);
}

void frmMain::mnuReportsTripList_Click() {
    SetMousePointer(this, vbHourglass);
    if (!TripRecordsFound())
        return;
    // An open preview is built afresh on the current trips.
    if (dataReport().rscmdTrip().isOpen()) {
        dataReport().rscmdTrip().Close();
        rptTrips::Unload();
    }
    SetMousePointer(this, vbDefault);
    dataReport().cmdTrip();
    rptTrips::Show();
    Arrange(0);
}

void frmMain::mnuReportsYearSummary_Click() {
    SetMousePointer(this, vbHourglass);
    if (!TripRecordsFound())
        return;
    SetMousePointer(this, vbDefault);
    if (!summary_)
        summary_ = new frmYearSummary(nullptr);
    ShowChild(summary_);
    Arrange(0);
}

void frmMain::mnuWindowCascade_Click() {
    Arrange(0);
}
void frmMain::mnuWindowH_Click() {
    Arrange(1);
}
void frmMain::mnuWindowV_Click() {
    Arrange(2);
}
void frmMain::mnuWindowArrangeIcons_Click() {
    Arrange(3);
}

void frmMain::mnuHelpShowHelp_Click() {
    ShowHelpContents(App::Path() + QStringLiteral("/help/wendlo.hlp"), this);
}

void frmMain::mnuHelpCheckUpdates_Click() {
    // The browser's command line as found, a blank, the page; without a browser nothing starts.
    const QString browser = DefaultBrowserCommand();
    if (browser.isEmpty())
        return;
    StartDetached(browser + QStringLiteral(" ") + ProductWebPage());
}

void frmMain::mnuHelpAbout_Click() {
    frmAbout box(this);
    if (box.Form_Load())
        box.exec();
}
