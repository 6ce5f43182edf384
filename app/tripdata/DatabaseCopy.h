#pragma once
// Copies of the trip log database made with SQLite's online backup API: the daily backups the program
// takes at start-up, and the move of a database from an older install place to the new one.
// Plain C++ over sqlite3, so the install tool uses the same code as the program.

#include <string>
#include <vector>

namespace dbcopy {

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
};

// The backup's file name for a day: "miles-YYYY-MM-DD.mil".
std::string BackupName(const Date& day);

struct BackupResult {
    enum Kind { Taken, AlreadyTaken, Failed } kind = Failed;
    std::string path;                 // the day's backup file
    std::string error;                // why it failed
    std::vector<std::string> removed; // old backups removed by the rotation
};

// Copies database into backupsDir/miles-YYYY-MM-DD.mil unless that day's backup is there, then removes
// the oldest dated backups beyond keep, today's counted; backups dated after today are neither counted nor
// removed. Only reads the database; a failure leaves it untouched and leaves no partial backup behind.
BackupResult TakeDailyBackup(const std::string& database, const std::string& backupsDir, const Date& today,
                             int keep = 14);

// Rows in tblMain plus rows in tblOwner, or -1 when the file cannot be read as a trip log.
long long CountRows(const std::string& database);

struct MoveResult {
    enum Kind {
        NothingToMove, // no old database, or one without trips or profile
        NewHasData,    // the new place already holds a database with data: nothing is touched
        Moved,         // copied, checked and put in place; the old file renamed aside
        Failed
    } kind = Failed;
    long long rows = 0;
    std::string asidePath; // where the old file now is
    std::string error;
};

// Moves the database oldDb to newDb when oldDb holds data and newDb holds none (absent or without rows):
// a backup-API copy that must pass integrity_check with the same row count, then the old file is
// renamed aside (never deleted).
MoveResult MoveDatabase(const std::string& oldDb, const std::string& newDb);

} // namespace dbcopy
