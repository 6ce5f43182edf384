#include "shell/modMain.h"

#include "tripdata/DatabaseCheck.h"
#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "platform/SingleInstance.h"
#include "tripdata/TripLoader.h"
#include "profile/frmAddOwner.h"
#include "tripdata/DailyBackup.h"
#include "shell/frmMain.h"
#include "shell/frmSplash.h"
#include "common/modGlobal.h"
#include "tripdata/HistoryKeeping.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QString strProcedure = QStringLiteral("SubMain Load Procedure");

QByteArray rule() {
    return QByteArray("%") + QByteArray(51, '-') + "%";
}
QByteArray frame() {
    return QByteArray("%") + QByteArray(51, ' ') + "%";
}

// Date and time as the library writes them, so both writers' entries read alike.
QByteArray dateAndTime(const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return QStringLiteral("%1/%2/%3%4:%5:%6 %7")
        .arg(d.month())
        .arg(d.day())
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(hour12)
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'))
        .arg(t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"))
        .toLatin1();
}

// A number as text with its sign position: a blank before zero and positive numbers.
QByteArray signedNumber(int number) {
    return number >= 0 ? " " + QByteArray::number(number) : QByteArray::number(number);
}
} // namespace

QString ErrorDescription(int number) {
    switch (number) {
    case 5:
        return QStringLiteral("Invalid procedure call or argument");
    case 13:
        return QStringLiteral("Type mismatch");
    case 53:
        return QStringLiteral("File not found");
    case 75:
        return QStringLiteral("Path/File access error");
    case 91:
        return QStringLiteral("Object variable or With block variable not set");
    case 429:
        return QStringLiteral("ActiveX component can't create object");
    case 430:
        return QStringLiteral("Class does not support Automation or does not support expected interface");
    case 481:
        return QStringLiteral("Invalid picture");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

QByteArray ProgramLogEntry(bool newFile, const QDateTime& now, int number, const QString& description,
                           const QString& procedure) {
    QByteArray out;
    const auto line = [&out](const QByteArray& text) {
        out += text;
        out += "\r\n";
    };
    if (newFile) {
        line(rule());
        line("           Wendlo - Error Log");
        line(rule());
    }
    line(frame());
    line(dateAndTime(now) + "Error:" + signedNumber(number));
    line(procedure.toUtf8());
    line("---");
    line(description.toUtf8());
    line(rule());
    return out;
}

bool AppendProgramErrorLog(int number, const QString& description, const QString& procedure) {
    const QString path = App::Path() + QStringLiteral("/error.log");
    const QFileInfo info(path);
    const bool existed = info.exists() || info.isSymLink();
    // Only a regular file is a log: opening anything else could block or write to a device.
    if (existed && !info.isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    const qint64 before = file.size();
    const QByteArray entry = ProgramLogEntry(before == 0, QDateTime::currentDateTime(), number, description, procedure);
    // The whole entry in one write; a part of one (disk full) is cut off again, and a log that this entry
    // created is removed, so the log only ever holds whole entries.
    const bool written = file.write(entry) == entry.size() && file.flush();
    if (!written && existed)
        file.resize(before);
    file.close();
    if (!written && !existed)
        QFile::remove(path);
    return written && file.error() == QFileDevice::NoError;
}

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

void ReportUnreadableTrips() {
    DatabaseProblem why = ReadTripIdentifiers(databasePath());
    if (!why)
        why = DatabaseProblem{errObjectNotSet, ErrorDescription(errObjectNotSet)};
    AppendProgramErrorLog(why.number, why.description, QStringLiteral("RefreshTrip - Trip Record Check"));
    MsgBox(QStringLiteral("The Trip records could not be read! \r\n\r\nThe details are in the error log: ") +
               QDir::toNativeSeparators(App::Path() + QStringLiteral("/error.log")),
           vbCritical | vbOKOnly, App::Title());
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
