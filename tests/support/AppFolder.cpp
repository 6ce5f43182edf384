#include "support/AppFolder.h"

#include "common/modGlobal.h"
#include "platform/AppInfo.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
void copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + "/" + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(file, target);
    }
}

QString readSchema() {
    QFile f(QStringLiteral(ODOMARK_SCHEMA));
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

struct Db {
    explicit Db(const QString& path) { sqlite3_open(QFile::encodeName(path).constData(), &db); sqlite3_busy_timeout(db, 5000); }
    ~Db() { sqlite3_close(db); }
    sqlite3* db = nullptr;
};
} // namespace

AppFolder::AppFolder() {
    QDir root(path());
    root.mkpath("miles");
    QFile::copy(QStringLiteral(WENDLO_LIBRARY), path() + "/libwendlo.so");
    for (const char* sub : {"images", "help", "text"})
        copyTree(QStringLiteral(ODOMARK_RESOURCES) + "/" + sub, path() + "/" + sub);
    exec(readSchema());
    App::setPathForTesting(path());
}

AppFolder::~AppFolder() {
    objTrip.reset();
    rsTrip.reset();
    App::setPathForTesting(QString());
}

void AppFolder::exec(const QString& sql) const {
    Db d(databasePath());
    char* error = nullptr;
    if (sqlite3_exec(d.db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        ADD_FAILURE() << "SQL failed: " << (error ? error : "?") << "\n" << sql.toStdString();
        sqlite3_free(error);
    }
}

QVariant AppFolder::scalar(const QString& sql) const {
    Db d(databasePath());
    sqlite3_stmt* st = nullptr;
    QVariant result;
    if (sqlite3_prepare_v2(d.db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
        switch (sqlite3_column_type(st, 0)) {
        case SQLITE_INTEGER:
            result = QVariant::fromValue<qlonglong>(sqlite3_column_int64(st, 0));
            break;
        case SQLITE_FLOAT:
            result = sqlite3_column_double(st, 0);
            break;
        case SQLITE_NULL:
            result = QVariant();
            break;
        default:
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        }
    }
    sqlite3_finalize(st);
    return result;
}

QString AppFolder::addTrip(const QString& destination, const QString& date, double total, const QString& notes) const {
    QString dest = destination;
    QString note = notes;
    dest.replace("'", "''");
    note.replace("'", "''");
    exec(QString("INSERT INTO tblMain (Destination,Rate,StartOdometer,EndOdometer,Miles,Fuel,Parking,Meals,Motel,"
                 "Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,Notes) VALUES "
                 "('%1',0.475,0,0,10,0,0,0,0,0,0,0,0,4.75,%2,'%3','%4');")
             .arg(dest)
             .arg(total, 0, 'g', 10)
             .arg(date, note));
    const qlonglong id = scalar("SELECT MAX(ID) FROM tblMain").toLongLong();
    const QString tripId = QString("T-%1").arg(id);
    exec(QString("UPDATE tblMain SET TripID = '%1' WHERE ID = %2").arg(tripId).arg(id));
    return tripId;
}

void AppFolder::addOwner(const QString& first, const QString& last) const {
    exec(QString("INSERT INTO tblOwner (OwnerID,LName,FName,Address,City,State,Zip,Email,FullName,AddDate) VALUES "
                 "('%2 - 431','%2','%1','1 Main St','Springfield','IL','62701','','%1 %2','10/18/2007 10:20:36 PM');")
             .arg(first, last));
}

QString AppFolder::trips(const QString& where) const {
    QString columns;
    for (const char* c :
         {"ID", "TripID", "Destination", "Rate", "StartOdometer", "EndOdometer", "Miles", "Fuel", "Parking", "Meals",
          "Motel", "Phone", "Repairs", "Towing", "Expense", "Mileage", "TotalTrip", "StartDate", "Notes"})
        columns += QString(columns.isEmpty() ? "quote(%1)" : "||','||quote(%1)").arg(c);
    return scalar("SELECT group_concat(line, char(10)) FROM (SELECT " + columns + " AS line FROM tblMain WHERE " +
                  where + " ORDER BY ID)")
        .toString();
}
