#pragma once
// The day's backup of the database, taken at start-up once the database has been found.

#include <QByteArray>
#include <QDate>
#include <QString>

struct DailyBackupResult {
    bool taken = false; // the day's backup is there afterwards
    QString notice;     // for the user when it failed and no failure of that day was logged before; else empty
};

// Copies App.Path/miles/miles.mil into miles/backups/miles-YYYY-MM-DD.mil unless today's backup is there,
// keeping the 14 most recent. A backup that fails is logged to error.log; the start-up goes on, and the
// user is told once a day.
DailyBackupResult BackupDatabase(const QDate& today = QDate::currentDate());

// Whether the program's entries in log (error.log's bytes) hold one of procedure written on day.
bool LogHasEntryOn(const QByteArray& log, const QDate& day, const QString& procedure);
