#pragma once
// The connection object of a Trip: a connection string, and an SQLite connection that is open only
// for the length of one method call.

#include "Recordset.h"

#include <string>
#include <vector>

struct sqlite3;

namespace wendlo {

// Error numbers. Database failures carry SQLite's extended result code (SQLITE_BUSY 5, SQLITE_CANTOPEN 14,
// SQLITE_NOTADB 26, SQLITE_IOERR_* ...), which is stable per kind of failure, and SQLite's message as the
// description. The library's own failures are numbered from 10001 up, beyond every SQLite code.
enum ErrorNumber : long {
    errAppFolderUnknown = 10001,   // the folder of the library file could not be determined
    errNoConnectionObject = 10002, // the connection object could not be made
    errTrailingCharacters = 10003, // more than one statement in one SQL text
    errInvalidDate = 10004,        // a date that is not a calendar day
    errNotOpen = 10005,            // a call on a connection that is not open
    errOutOfMemory = 10006,        // memory ran out while building or reading a result
    errTestFault = 10007,          // a failure made on purpose by a test hook
    errTripIdRange = 10008,        // a batch would need a trip identifier beyond 32 bits
    errNoVehicle = 10009,          // a trip's vehicle that is not stored
};

#ifdef WENDLO_TESTING
// Set by a test hook: how many of the next commits fail (leaving their transaction open, as a busy commit does).
inline int commitFaultsForTesting = 0;
#endif

struct DbError {
    long number = 0;
    std::string description;
};

class ConnectionBase {
public:
    // How long a statement waits for another connection's lock before it fails.
    static constexpr int kBusyTimeoutMs = 3000;

    ConnectionBase();
    ~ConnectionBase();
    ConnectionBase(const ConnectionBase&) = delete;
    ConnectionBase& operator=(const ConnectionBase&) = delete;

    std::string ConnectionString;
    int CursorLocation = 2;
    std::vector<DbError> Errors;

    // The file named by "Data Source=" in the connection string.
    std::string DataSource() const;

    bool isOpen() const { return db_ != nullptr; }
    // Opens an existing database file for reading and writing; never creates one.
    bool Open(DbError& error);
    // Writes take the write lock at once (BEGIN IMMEDIATE), so they never fail halfway on a lock upgrade.
    bool Begin(bool immediate, DbError& error);
    bool Commit(DbError& error);
    // False when there was no transaction to roll back.
    bool Rollback();
    // Runs exactly one statement; a read gives its rows as a detached record set.
    bool Execute(const std::string& sql, RecordsetPtr* rows, DbError& error);
    // Rows the open connection has changed so far, the triggers' rows among them; 0 when it is not open.
    long long TotalChanges() const;
    // Rows the last statement changed itself, without its triggers' rows.
    long long Changes() const;
    // The ID of the row the last INSERT added.
    long long LastInsertId() const;
    void Close();

private:
    // Whether a new connection of the linked SQLite syncs fully at every commit without being told to.
    static bool fullSyncIsDefault();
    bool hasDatabaseHeader() const;
    bool fail(DbError& error, long number, std::string description);
    bool failFromDb(DbError& error);
    bool run(const char* sql, DbError& error);

    sqlite3* db_ = nullptr;
};

} // namespace wendlo

// The type _Trip::conDataBase points to.
class Connection : public wendlo::ConnectionBase {};
