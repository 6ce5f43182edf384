#include "tripdata/HistoryKeeping.h"

#include "platform/MousePointer.h"
#include "platform/MsgBox.h"
#include "tripdata/TripLoader.h"

#include <QSet>

#include <sqlite3.h>

HistoryKeeping KeepTripHistory(const QString& appPath) {
    int err = 0;
    const std::shared_ptr<_Trip> object = CreateTripObject(appPath, &err, CLSID_Trip, IID__TripKeeping);
    if (!object) {
        return {false, err == errNoSuchInterface
                           ? QStringLiteral("the installed Wendlo library is from before the history.")
                           : QStringLiteral("the Wendlo library could not be loaded.")};
    }
    auto* history = static_cast<_TripKeeping*>(object.get());
    if (history->PrepareHistory())
        return {true, QString()};
    std::string description;
    const long number = history->HistoryFailure(description);
    return {false, HistoryFailureText(number, QString::fromStdString(description))};
}

QString HistoryFailureText(long number, const QString& description) {
    if (number == SQLITE_READONLY_DIRECTORY)
        return QStringLiteral("the folder of the trip file is read-only.");
    switch (number & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("another program is using the trip file.");
    case SQLITE_READONLY:
        return QStringLiteral("the trip file is read-only.");
    case SQLITE_FULL:
        return QStringLiteral("the disk is full.");
    case SQLITE_CANTOPEN:
        return QStringLiteral("the trip file cannot be opened for writing.");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("the trip file is damaged.");
    default:
        return QStringLiteral("the trip file cannot be changed (%1).").arg(description);
    }
}

void KeepHistoryBeforeChange(const QString& appPath) {
    static QSet<QString> told; // the trip files whose user has heard why, this session
    const int pointer = Screen::MousePointer();
    Screen::setMousePointer(vbHourglass); // a file another program holds keeps it waiting a moment
    const HistoryKeeping keeping = KeepTripHistory(appPath);
    Screen::setMousePointer(pointer);
    if (keeping.kept || told.contains(appPath))
        return;
    told.insert(appPath);
    MsgBox(QStringLiteral("Deleted and changed trips cannot be kept: ") + keeping.reason +
               QStringLiteral("\r\n\r\nA trip you change or delete now cannot be restored from Utilities > Deleted "
                              "and Changed Trips. "),
           vbExclamation | vbOKOnly);
}
