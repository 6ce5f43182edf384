#include "Connection.h"

#include <cstring>
#include <new>
#include <sqlite3.h>

namespace wendlo {

ConnectionBase::ConnectionBase() = default;

ConnectionBase::~ConnectionBase() {
    Close();
}

std::string ConnectionBase::DataSource() const {
    static const std::string key = "Data Source=";
    static const std::string next = ";Persist Security Info=";
    const std::size_t start = ConnectionString.find(key);
    if (start == std::string::npos)
        return std::string();
    const std::size_t from = start + key.size();
    // The folder name may itself hold semicolons: the path ends where the last known item begins.
    std::size_t end = ConnectionString.rfind(next);
    if (end == std::string::npos || end < from)
        end = ConnectionString.find(';', from);
    return ConnectionString.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

bool ConnectionBase::fail(DbError& error, long number, std::string description) {
    error.number = number;
    error.description = std::move(description);
    Errors.push_back(error);
    return false;
}

bool ConnectionBase::failFromDb(DbError& error) {
    if (!db_)
        return fail(error, errNotOpen, "The connection is not open");
    return fail(error, sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
}

bool ConnectionBase::Open(DbError& error) {
    Close();
    const std::string path = DataSource();
    sqlite3* db = nullptr;
    // A connection lives for one call on one thread: without SQLite's per-call mutex a large read is a
    // fifth faster.
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const long number = db ? sqlite3_extended_errcode(db) : rc;
        const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return fail(error, number, message);
    }
    db_ = db;
    // SQLite reads the file only at the first statement; a file that is no database at all must fail to open,
    // as it would with a provider that reads the file when opening. Its first bytes never change: no lock needed.
    if (!hasDatabaseHeader()) {
        Close();
        return fail(error, SQLITE_NOTADB, sqlite3_errstr(SQLITE_NOTADB));
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    // Durable writes: a rollback journal and a full sync at every commit. FULL is SQLite's default; setting it
    // reads the schema and so waits out another connection's lock once more before the method's own statement
    // does, so it is set only where the linked SQLite was built with a weaker default.
    if (!fullSyncIsDefault()) {
        DbError ignored;
        run("PRAGMA synchronous=FULL", ignored);
    }
    Errors.clear();
    return true;
}

// False only when the file's first bytes were read and are not SQLite's header. An empty file is an empty
// database to SQLite, and a file that cannot be read is left for SQLite to report. The bytes are read through
// SQLite's own handle: opening and closing the file apart from it would drop the locks this process holds on it.
bool ConnectionBase::hasDatabaseHeader() const {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods)
        return true;
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK || size == 0)
        return true;
    static const char magic[] = "SQLite format 3"; // 16 bytes with its NUL
    char head[sizeof magic] = {};
    const int rc = file->pMethods->xRead(file, head, sizeof head, 0);
    if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) // a short read leaves the rest zeroed
        return true;
    return std::memcmp(head, magic, sizeof magic) == 0;
}

// Asked once of a private in-memory database, which has no file and takes no lock.
bool ConnectionBase::fullSyncIsDefault() {
    static const bool full = [] {
        sqlite3* memory = nullptr;
        sqlite3_stmt* st = nullptr;
        int level = 0;
        if (sqlite3_open_v2(":memory:", &memory, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
            sqlite3_prepare_v2(memory, "PRAGMA synchronous", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            level = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(memory);
        return level >= 2; // FULL (2) or EXTRA (3)
    }();
    return full;
}

bool ConnectionBase::run(const char* sql, DbError& error) {
    if (!db_)
        return failFromDb(error);
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        return failFromDb(error);
    return true;
}

bool ConnectionBase::Begin(bool immediate, DbError& error) {
    return run(immediate ? "BEGIN IMMEDIATE" : "BEGIN", error);
}

bool ConnectionBase::Commit(DbError& error) {
    if (db_ && sqlite3_get_autocommit(db_))
        return fail(error, SQLITE_ERROR, "cannot commit - no transaction is active");
#ifdef WENDLO_TESTING
    if (commitFaultsForTesting > 0) {
        --commitFaultsForTesting;
        return fail(error, errTestFault, "The commit failed on purpose");
    }
#endif
    return run("COMMIT", error);
}

bool ConnectionBase::Rollback() {
    if (!db_ || sqlite3_get_autocommit(db_))
        return false;
    DbError ignored;
    return run("ROLLBACK", ignored);
}

bool ConnectionBase::Execute(const std::string& sql, RecordsetPtr* rows, DbError& error) {
    if (!db_)
        return failFromDb(error);
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()) + 1, &stmt, &tail) != SQLITE_OK)
        return failFromDb(error);
    if (!stmt)
        return fail(error, SQLITE_MISUSE, "not an SQL statement");
    // One text, one statement: anything after it but blanks and comments is refused.
    if (tail && *tail) {
        sqlite3_stmt* more = nullptr;
        const int rc = sqlite3_prepare_v2(db_, tail, -1, &more, nullptr);
        const bool extra = rc != SQLITE_OK || more != nullptr;
        sqlite3_finalize(more);
        if (extra) {
            sqlite3_finalize(stmt);
            return fail(error, errTrailingCharacters, "Characters found after end of SQL statement");
        }
    }

    try {
        const int columns = sqlite3_column_count(stmt);
        std::vector<std::string> names;
        names.reserve(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            const char* name = sqlite3_column_name(stmt, c);
            names.emplace_back(name ? name : "");
        }
        std::vector<std::vector<Value>> data;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (!rows)
                continue;
            std::vector<Value> row;
            row.reserve(static_cast<std::size_t>(columns));
            for (int c = 0; c < columns; ++c) {
                switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_INTEGER:
                    row.push_back(Value::integer(sqlite3_column_int64(stmt, c)));
                    break;
                case SQLITE_FLOAT:
                    row.push_back(Value::real(sqlite3_column_double(stmt, c)));
                    break;
                case SQLITE_NULL:
                    row.emplace_back();
                    break;
                default: {
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                    const int bytes = sqlite3_column_bytes(stmt, c);
                    row.push_back(Value::text(text ? std::string_view(text, static_cast<std::size_t>(bytes))
                                                   : std::string_view()));
                }
                }
            }
            data.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE) {
            failFromDb(error);
            sqlite3_finalize(stmt);
            return false;
        }
        sqlite3_finalize(stmt);
        if (rows)
            *rows = std::make_shared<Recordset>(std::move(names), std::move(data));
        return true;
    } catch (const std::bad_alloc&) {
        sqlite3_finalize(stmt);
        return fail(error, errOutOfMemory, "Out of memory");
    }
}

long long ConnectionBase::TotalChanges() const {
    return db_ ? sqlite3_total_changes64(db_) : 0;
}

long long ConnectionBase::Changes() const {
    return db_ ? sqlite3_changes64(db_) : 0;
}

long long ConnectionBase::LastInsertId() const {
    return db_ ? sqlite3_last_insert_rowid(db_) : 0;
}

void ConnectionBase::Close() {
    if (db_) {
        // A statement still open would keep the file open: close_v2 finishes the job when it is finalized.
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

} // namespace wendlo
