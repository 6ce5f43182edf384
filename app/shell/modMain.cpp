#include "shell/modMain.h"

#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "platform/ProgramLog.h"
#include "platform/SingleInstance.h"
#include "profile/frmAddOwner.h"
#include "shell/frmMain.h"
#include "shell/frmSplash.h"
#include "tripdata/DailyBackup.h"
#include "tripdata/DatabaseCheck.h"
#include "tripdata/HistoryKeeping.h"
#include "tripdata/TripLoader.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QString strProcedure = QStringLiteral("SubMain Load Procedure");
} // namespace

bool StartUpFailure(int number, const QString& description) {
    if (number == 53 || number == 75) {
        Screen::setMousePointer(vbDefault);
        return true;
    }
    Screen::setMousePointer(vbHourglass);
    // A log that cannot be written does not keep the message from the user.
    AppendProgramErrorLog(number, description, strProcedure);
    Screen::setMousePointer(vbDefault);
    MsgBox(QStringLiteral("ERROR #") + QString::number(number) + QStringLiteral("\r\n\r\n") + description +
               QStringLiteral("\r\nIn the: ModMain code module\r\nProcedure: ") + strProcedure,
           vbCritical | vbOKOnly, App::Title());
    // Nothing could be shown after this failure: end here rather than leave a hidden program running.
    ShutDown();
    return false;
}

bool CheckDatabase() {
    Screen::setMousePointer(vbHourglass);
    // The reports name the database by a relative path, so the current directory must be the folder.
    if (QDir::currentPath() != App::Path())
        QDir::setCurrent(App::Path());
    // Only a file (or a link to one) is a database: a folder or a device of that name counts as missing.
    const bool present = QFileInfo(App::Path() + QStringLiteral("/miles/miles.mil")).isFile();
    Screen::setMousePointer(vbArrow);
    return present;
}

namespace {
QString databasePath() {
    return App::Path() + QStringLiteral("/miles/miles.mil");
}
} // namespace

bool CheckDatabaseDamage() {
    const DatabaseProblem damage = QuickCheckDatabase(databasePath());
    if (!damage)
        return true;
    AppendProgramErrorLog(damage.number, damage.description, QStringLiteral("CheckDatabase - Quick Check"));
    const int pointer = Screen::MousePointer();
    Screen::setMousePointer(vbDefault);
    MsgBox(QStringLiteral("The trip file is damaged:\r\n") + QDir::toNativeSeparators(databasePath()) +
               QStringLiteral("\r\n\r\nSome trips may be missing from the lists and reports. Odomark will not "
                              "change or repair the file without asking you.\r\n\r\nDaily backups are kept in:\r\n") +
               QDir::toNativeSeparators(App::Path() + QStringLiteral("/miles/backups")) +
               QStringLiteral("\r\nTo go back to one, close Odomark and copy it over miles.mil.\r\n\r\n"
                              "The details are in the error log: ") +
               QDir::toNativeSeparators(App::Path() + QStringLiteral("/error.log")),
           vbCritical | vbOKOnly, App::Title());
    Screen::setMousePointer(pointer);
    return false;
}

void PrepareTripHistory() {
    // A Trip object that could not be set up has told the user already; a library from before the history
    // has no such interface and the program works without it.
    if (!objTrip || !objTrip->conDataBase)
        return;
    // One that cannot be changed now is tried again before the first change; the start-up stays silent.
    KeepTripHistory(App::Path());
}

void CheckProfile() {
    rsTrip = objTrip ? objTrip->LoadOwner() : nullptr;
    // A read that failed is not a missing profile: the first-use window would write into a damaged or
    // locked file. The program goes on without the owner's name, and the log says why.
    if (objTrip && !rsTrip) {
        DatabaseProblem why = ReadProfile(databasePath());
        if (!why)
            why = DatabaseProblem{errObjectNotSet, ErrorDescription(errObjectNotSet)};
        AppendProgramErrorLog(why.number, why.description, QStringLiteral("LoadOwner - Profile Check"));
        Screen::setMousePointer(vbDefault);
        MsgBox(QStringLiteral("The User Profile could not be read! \r\n\r\nThe details are in the error log: ") +
                   QDir::toNativeSeparators(App::Path() + QStringLiteral("/error.log")),
               vbCritical | vbOKOnly, App::Title());
        return;
    }
    if (!rsTrip || (rsTrip->eof() && rsTrip->bof())) {
        {
            frmAddOwner firstUse;
            firstUse.exec();
        }
        CloseRecordset();
        return;
    }
    strFullName = QString::fromStdString(rsTrip->Fields("FullName").toString());
    CloseRecordset();
    Screen::setMousePointer(vbDefault);
}

bool StartUp() {
    Screen::setMousePointer(vbHourglass);
    App::setHelpFile(App::Path() + QStringLiteral("/help/wendlo.hlp"));
    InstallHelpKey();
    QGuiApplication::clipboard()->clear();

    QString lockError;
    const SingleInstance::Lock lock = SingleInstance::Acquire(App::Path(), &lockError);
    // A lock that cannot be made says nothing about other copies: the start goes on without the check.
    if (lock == SingleInstance::Lock::Unavailable)
        qWarning("Odomark: starting without the single-copy check: %s", qUtf8Printable(lockError));
    if (lock == SingleInstance::Lock::HeldElsewhere) {
        Screen::setMousePointer(vbDefault);
        MsgBox(App::Title() + QStringLiteral(" is already running on this computer! "), vbExclamation | vbOKOnly,
               App::Title());
        EndProcess(0);
        return false;
    }

    RegisterLibrary();

    QString backupNotice;
    if (CheckDatabase()) {
        // A damaged file is reported and what can still be read stays usable; it is not copied over the good
        // backups. A failed backup is logged and never stops the start-up.
        const bool sound = CheckDatabaseDamage();
        if (sound)
            backupNotice = BackupDatabase().notice;
        auto* main = frmMain::instance() ? frmMain::instance() : new frmMain;
        if (const int err = main->loadError()) {
            if (!StartUpFailure(err, ErrorDescription(err)))
                return false;
        }
        // A damaged file is not changed without asking, so it gets no history until it is sound again.
        if (sound)
            PrepareTripHistory();
    } else {
        Screen::setMousePointer(vbDefault);
        MsgBox(QStringLiteral("Database Not Found.\r\n\r\nThe database must reside in the folder where it was "
                              "originally installed."),
               vbCritical | vbOKOnly, QStringLiteral(" ERROR - DATABASE NOT FOUND"));
        ShutDown();
        return false;
    }

    CheckProfile();
    if (ProgramEnded())
        return false;

    {
        frmSplash splash;
        splash.Form_Load();
        Screen::setMousePointer(vbHourglass);
    } // the splash window goes here
    Screen::setMousePointer(vbDefault);

    frmMain::instance()->show();
    // Over the main window, once the program is usable.
    if (!backupNotice.isEmpty())
        MsgBox(backupNotice, vbExclamation | vbOKOnly, App::Title());
    return true;
}

int Main() {
    if (!StartUp())
        return 0;
    return QApplication::exec();
}
