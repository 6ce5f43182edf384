#pragma once
// The day's backup of the database, taken at start-up once the database has been found.

#include <QDate>

// Copies App.Path/miles/miles.mil into miles/backups/miles-YYYY-MM-DD.mil unless today's backup is there,
// keeping the 14 most recent. A backup that fails is logged to error.log; the start-up goes on.
// Returns true when the day's backup is there afterwards.
bool BackupDatabase(const QDate& today = QDate::currentDate());
