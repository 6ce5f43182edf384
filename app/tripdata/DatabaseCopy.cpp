#include "tripdata/DatabaseCopy.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <system_error>

namespace fs = std::filesystem;

namespace dbcopy {
namespace {

struct Db {
    sqlite3* db = nullptr;
    Db(const std::string& path, int flags) {
        if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) == SQLITE_OK)
            sqlite3_busy_timeout(db, 5000);
    }
    ~Db() { sqlite3_close(db); }
    std::string error() const { return db ? sqlite3_errmsg(db) : "out of memory"; }
};

// Copies source into dest with the online backup API; an empty text on success, the reason otherwise.
// The source is opened read-only, so nothing here can change it.
std::string copyDatabase(const std::string& source, const std::string& dest) {
    Db from(source, SQLITE_OPEN_READONLY);
    if (!from.db || sqlite3_errcode(from.db) != SQLITE_OK)
        return "cannot open " + source + ": " + from.error();
    Db to(dest, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!to.db || sqlite3_errcode(to.db) != SQLITE_OK)
        return "cannot create " + dest + ": " + to.error();
    sqlite3_backup* backup = sqlite3_backup_init(to.db, "main", from.db, "main");
    if (!backup)
        return "cannot copy " + source + ": " + to.error();
    int rc = SQLITE_OK;
    // A writer elsewhere makes a step busy for a moment: wait a little, then give up.
    for (int tries = 0; tries < 100; ++tries) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            break;
        sqlite3_sleep(50);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        return "copy of " + source + " to " + dest + " failed: " + sqlite3_errstr(rc);
    if (sqlite3_errcode(to.db) != SQLITE_OK)
        return "copy of " + source + " to " + dest + " failed: " + to.error();
    return std::string();
}

bool integrityOk(const std::string& path) {
    Db db(path, SQLITE_OPEN_READONLY);
    sqlite3_stmt* st = nullptr;
    if (!db.db || sqlite3_prepare_v2(db.db, "PRAGMA integrity_check", -1, &st, nullptr) != SQLITE_OK)
        return false;
    bool ok = false;
    if (sqlite3_step(st) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        ok = text && std::string(text) == "ok" && sqlite3_step(st) == SQLITE_DONE;
    }
    sqlite3_finalize(st);
    return ok;
}

bool isBackupName(const std::string& name) {
    static const std::regex pattern(R"(miles-\d{4}-\d{2}-\d{2}\.mil)");
    return std::regex_match(name, pattern);
}

bool isPartName(const std::string& name) {
    static const std::regex pattern(R"(miles-\d{4}-\d{2}-\d{2}\.mil\.part)");
    return std::regex_match(name, pattern);
}

void removeQuietly(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
    fs::remove(path + "-journal", ec);
}

} // namespace

std::string BackupName(const Date& day) {
    char name[32];
    std::snprintf(name, sizeof name, "miles-%04d-%02d-%02d.mil", day.year, day.month, day.day);
    return name;
}

BackupResult TakeDailyBackup(const std::string& database, const std::string& backupsDir, const Date& today, int keep) {
    BackupResult result;
    const std::string name = BackupName(today);
    result.path = backupsDir + "/" + name;
    std::error_code ec;
    if (fs::exists(result.path, ec)) {
        result.kind = BackupResult::AlreadyTaken;
        return result;
    }
    fs::create_directories(backupsDir, ec);
    if (ec) {
        result.error = "cannot create " + backupsDir + ": " + ec.message();
        return result;
    }
    // Written under a temporary name, so a copy cut short never passes for the day's backup.
    const std::string part = result.path + ".part";
    removeQuietly(part); // left by a start that ended during its copy
    result.error = copyDatabase(database, part);
    if (result.error.empty()) {
        fs::rename(part, result.path, ec);
        if (ec)
            result.error = "cannot name the backup " + result.path + ": " + ec.message();
    }
    if (!result.error.empty()) {
        removeQuietly(part);
        return result;
    }
    result.kind = BackupResult::Taken;

    std::vector<std::string> dated;
    for (fs::directory_iterator it(backupsDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        // The names sort by date. One dated after today (the clock was once set ahead) is left alone and does
        // not count, or it would outlive every real backup while each day's removed the day before's.
        if (isBackupName(file) && file < name && it->is_regular_file())
            dated.push_back(file);
        else if (isPartName(file) && file != name + ".part")
            removeQuietly(it->path().string()); // an earlier day's copy that never finished
    }
    std::sort(dated.begin(), dated.end());
    const size_t others = keep > 0 ? size_t(keep - 1) : 0;
    for (size_t i = 0; i + others < dated.size(); ++i) {
        if (fs::remove(backupsDir + "/" + dated[i], ec))
            result.removed.push_back(dated[i]);
    }
    return result;
}

long long CountRows(const std::string& database) {
    std::error_code ec;
    if (!fs::is_regular_file(database, ec))
        return -1;
    Db db(database, SQLITE_OPEN_READONLY);
    sqlite3_stmt* st = nullptr;
    if (!db.db || sqlite3_prepare_v2(db.db, "SELECT (SELECT COUNT(*) FROM tblMain) + (SELECT COUNT(*) FROM tblOwner)",
                                     -1, &st, nullptr) != SQLITE_OK)
        return -1;
    const long long rows = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_finalize(st);
    return rows;
}

MoveResult MoveDatabase(const std::string& oldDb, const std::string& newDb) {
    MoveResult result;
    std::error_code ec;
    if (!fs::exists(oldDb, ec) || (fs::exists(newDb, ec) && fs::equivalent(oldDb, newDb, ec))) {
        result.kind = MoveResult::NothingToMove;
        return result;
    }
    result.rows = CountRows(oldDb);
    if (result.rows == 0) {
        result.kind = MoveResult::NothingToMove;
        return result;
    }
    if (result.rows < 0) {
        result.error = oldDb + " cannot be read as a trip log";
        return result;
    }
    // A file there that cannot be read counts as data: it is never replaced.
    if (fs::exists(newDb, ec) && CountRows(newDb) != 0) {
        result.kind = MoveResult::NewHasData;
        return result;
    }
    fs::create_directories(fs::path(newDb).parent_path(), ec);
    const std::string part = newDb + ".part";
    removeQuietly(part);
    result.error = copyDatabase(oldDb, part);
    if (result.error.empty() && !integrityOk(part))
        result.error = "the copy of " + oldDb + " failed its integrity check";
    if (result.error.empty() && CountRows(part) != result.rows)
        result.error = "the copy of " + oldDb + " does not hold every row";
    if (result.error.empty()) {
        fs::rename(part, newDb, ec);
        if (ec)
            result.error = "cannot put the copy in place as " + newDb + ": " + ec.message();
    }
    if (!result.error.empty()) {
        removeQuietly(part);
        return result;
    }
    result.kind = MoveResult::Moved;
    // The old file stays, under a name that no install or start looks for.
    std::string aside = oldDb + ".moved";
    for (int n = 2; fs::exists(aside, ec); ++n)
        aside = oldDb + ".moved-" + std::to_string(n);
    fs::rename(oldDb, aside, ec);
    result.asidePath = ec ? oldDb : aside;
    return result;
}

} // namespace dbcopy
