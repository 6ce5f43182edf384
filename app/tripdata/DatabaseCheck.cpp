#include "tripdata/DatabaseCheck.h"

#include <QFile>
#include <QStringList>

#include <sqlite3.h>

namespace {
constexpr int kBusyTimeoutMs = 3000;
constexpr int kMostReported = 10; // the quick check's first findings are enough for the log

DatabaseProblem failure(sqlite3* db, int rc) {
    const int code = db ? sqlite3_extended_errcode(db) : rc;
    return DatabaseProblem{code ? code : rc, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc))};
}

// Runs sql and collects the first column of each row; the failure that stopped it, if any.
DatabaseProblem run(const QString& file, const char* sql, QStringList* rows) {
    sqlite3* db = nullptr;
    // Read and write, as the library opens it, so that a journal left by a crash is rolled back, not taken
    // for damage; no statement here writes.
    int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const DatabaseProblem problem = failure(db, rc);
        sqlite3_close(db);
        return problem;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_stmt* st = nullptr;
    rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            if (rows && rows->size() < kMostReported)
                rows->append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))));
        }
    }
    const DatabaseProblem problem = rc == SQLITE_DONE ? DatabaseProblem{} : failure(db, rc);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return problem;
}

bool meansDamage(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_IOERR;
}
} // namespace

DatabaseProblem QuickCheckDatabase(const QString& file) {
    QStringList findings;
    const DatabaseProblem problem = run(file, "PRAGMA quick_check(10)", &findings);
    if (problem)
        return meansDamage(problem.number) ? problem : DatabaseProblem{};
    if (findings == QStringList{QStringLiteral("ok")})
        return {};
    return DatabaseProblem{SQLITE_CORRUPT, findings.isEmpty() ? QStringLiteral("The quick check found damage")
                                                              : findings.join(QStringLiteral("; "))};
}

DatabaseProblem ReadTripIdentifiers(const QString& file) {
    return run(file, "SELECT TripID FROM tblMain;", nullptr);
}

DatabaseProblem ReadProfile(const QString& file) {
    return run(file, "SELECT * FROM tblOwner;", nullptr);
}
