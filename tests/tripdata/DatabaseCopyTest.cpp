// Database copies: the daily backup (once a day, 14 kept, a failure changes nothing) and the move of a
// database from the older install place (every row kept, the old file renamed aside, never replaced data).
#include "tripdata/DatabaseCopy.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
std::string s(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QByteArray sha256(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
}

void exec(const QString& db, const QString& sql) {
    sqlite3* h = nullptr;
    sqlite3_open(s(db).c_str(), &h);
    char* error = nullptr;
    if (sqlite3_exec(h, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
        ADD_FAILURE() << (error ? error : "?") << " in " << sql.toStdString();
    sqlite3_free(error);
    sqlite3_close(h);
}

// A trip log with the schema and the given number of trips (and a profile when there are trips).
void makeLog(const QString& db, int trips) {
    QFile schema(QStringLiteral(ODOMARK_SCHEMA));
    ASSERT_TRUE(schema.open(QIODevice::ReadOnly));
    exec(db, QString::fromUtf8(schema.readAll()));
    QStringList sql{"BEGIN;"};
    for (int i = 1; i <= trips; ++i)
        sql << QStringLiteral("INSERT INTO tblMain (TripID, Destination, Rate, Miles, TotalTrip, StartDate, Notes) "
                              "VALUES ('T-%1', 'O''Hare %1', 0.475, %1, %1.5, '10/18/2007', 'line one\nline two');")
                   .arg(i);
    if (trips > 0)
        sql << QStringLiteral("INSERT INTO tblOwner (OwnerID, LName, FName, FullName) VALUES ('SA1', 'Smith', 'Anne', "
                              "'Anne Smith');");
    sql << "COMMIT;";
    exec(db, sql.join('\n'));
}

// Every row of both tables as text, to compare two files' contents.
QStringList rows(const QString& db) {
    QStringList out;
    sqlite3* h = nullptr;
    sqlite3_open_v2(s(db).c_str(), &h, SQLITE_OPEN_READONLY, nullptr);
    for (const char* sql : {"SELECT * FROM tblMain ORDER BY ID", "SELECT * FROM tblOwner"}) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(h, sql, -1, &st, nullptr) != SQLITE_OK) {
            out << QStringLiteral("unreadable");
            continue;
        }
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
            out << row.join('|');
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(h);
    return out;
}

dbcopy::Date day(const QDate& d) {
    return dbcopy::Date{d.year(), d.month(), d.day()};
}

QStringList backups(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}
} // namespace

TEST(DailyBackup, OncePerDayKeepsTheFourteenMostRecentAndOnlyItsOwnFiles) {
    QTemporaryDir tmp;
    const QString db = tmp.path() + "/miles.mil", dir = tmp.path() + "/backups";
    makeLog(db, 3);
    QDir().mkpath(dir);
    // Files the user put there are not the rotation's to remove.
    for (const char* other : {"notes.txt", "miles-copy.mil", "miles-2000-01-01.mil.keep", "miles-2026-12-19.mil.part"})
        QFile(dir + "/" + other).open(QIODevice::WriteOnly);

    const QDate first(2026, 12, 20);
    const auto r = dbcopy::TakeDailyBackup(s(db), s(dir), day(first));
    ASSERT_EQ(r.kind, dbcopy::BackupResult::Taken) << r.error;
    EXPECT_EQ(r.path, s(dir + "/miles-2026-12-20.mil"));
    EXPECT_EQ(rows(dir + "/miles-2026-12-20.mil"), rows(db));
    EXPECT_FALSE(QFile::exists(dir + "/miles-2026-12-19.mil.part")) << "a copy cut short on an earlier day";

    // The day's second start leaves the morning's backup as it was, though the trips have changed since.
    const QByteArray morning = sha256(dir + "/miles-2026-12-20.mil");
    exec(db, "DELETE FROM tblMain WHERE TripID = 'T-1'");
    EXPECT_EQ(dbcopy::TakeDailyBackup(s(db), s(dir), day(first)).kind, dbcopy::BackupResult::AlreadyTaken);
    EXPECT_EQ(sha256(dir + "/miles-2026-12-20.mil"), morning);

    // Twenty days of starts, across the turn of the year: the fourteen newest stay, oldest removed first.
    for (int i = 1; i < 20; ++i)
        ASSERT_EQ(dbcopy::TakeDailyBackup(s(db), s(dir), day(first.addDays(i))).kind, dbcopy::BackupResult::Taken);
    QStringList expected{"miles-2000-01-01.mil.keep", "miles-copy.mil"};
    for (int i = 6; i < 20; ++i)
        expected << QString::fromStdString(dbcopy::BackupName(day(first.addDays(i))));
    expected << "notes.txt";
    expected.sort();
    EXPECT_EQ(backups(dir), expected);
    EXPECT_EQ(expected.filter(".mil").size(), 16) << "14 backups and the user's two files";
}

// Backups dated after today, from a clock once set ahead, neither count nor go: the 14 newest up to today stay.
TEST(DailyBackup, BackupsDatedAfterTodayAreLeftAloneAndNotCounted) {
    QTemporaryDir tmp;
    const QString db = tmp.path() + "/miles.mil", dir = tmp.path() + "/backups";
    makeLog(db, 1);
    QDir().mkpath(dir);
    const QDate today(2026, 3, 1);
    QStringList future;
    for (int days : {5, 30, 400}) {
        future << QString::fromStdString(dbcopy::BackupName(day(today.addDays(days))));
        QFile(dir + "/" + future.last()).open(QIODevice::WriteOnly);
    }
    for (int i = 14; i >= 1; --i)
        ASSERT_EQ(dbcopy::TakeDailyBackup(s(db), s(dir), day(today.addDays(-i))).kind, dbcopy::BackupResult::Taken);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(dbcopy::TakeDailyBackup(s(db), s(dir), day(today.addDays(i))).kind, dbcopy::BackupResult::Taken);
        QStringList expected = future;
        for (int k = i - 13; k <= i; ++k)
            expected << QString::fromStdString(dbcopy::BackupName(day(today.addDays(k))));
        expected.sort();
        EXPECT_EQ(backups(dir), expected) << i;
    }
}

TEST(DailyBackup, IsConsistentWhileAReaderHoldsTheDatabase) {
    QTemporaryDir tmp;
    const QString db = tmp.path() + "/miles.mil";
    makeLog(db, 50);
    sqlite3* reader = nullptr;
    sqlite3_open(s(db).c_str(), &reader);
    sqlite3_exec(reader, "BEGIN; SELECT COUNT(*) FROM tblMain;", nullptr, nullptr, nullptr);
    const auto r = dbcopy::TakeDailyBackup(s(db), s(tmp.path() + "/backups"), dbcopy::Date{2027, 1, 2});
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    ASSERT_EQ(r.kind, dbcopy::BackupResult::Taken) << r.error;
    EXPECT_EQ(rows(QString::fromStdString(r.path)), rows(db));
}

// Failures that hold for root too (CI runs as root, where a read-only folder is no obstacle).
TEST(DailyBackup, AFailureLeavesTheDatabaseUnchangedAndNoBackupBehind) {
    const struct {
        const char* name;
        void (*arrange)(const QString& db, const QString& dir);
    } cases[] = {
        {"backups is a file", [](const QString&, const QString& dir) { QFile(dir).open(QIODevice::WriteOnly); }},
        {"the copy cannot be written",
         [](const QString&, const QString& dir) { QDir().mkpath(dir + "/miles-2027-03-04.mil.part/x"); }},
        {"the database is damaged",
         [](const QString& db, const QString&) {
             QFile f(db);
             f.open(QIODevice::ReadWrite);
             f.seek(0);
             f.write("not a database at all, only text");
         }},
        {"the database is missing", [](const QString& db, const QString&) { QFile::remove(db); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tmp;
        const QString db = tmp.path() + "/miles.mil", dir = tmp.path() + "/backups";
        makeLog(db, 5);
        c.arrange(db, dir);
        const QByteArray before = sha256(db);
        const auto r = dbcopy::TakeDailyBackup(s(db), s(dir), dbcopy::Date{2027, 3, 4});
        EXPECT_EQ(r.kind, dbcopy::BackupResult::Failed);
        EXPECT_FALSE(r.error.empty());
        EXPECT_EQ(sha256(db), before);
        EXPECT_FALSE(QFile::exists(dir + "/miles-2027-03-04.mil"));
        EXPECT_FALSE(QFile::exists(dir + "/miles-2027-03-04.mil.part-journal"));
        EXPECT_FALSE(QFile::exists(db + "-journal"));
    }
}

TEST(MoveDatabase, MovesATripLogWithDataOnlyWhereNoneIsAndKeepsTheOldFile) {
    enum Old { OldAbsent, OldEmpty, OldTrips, OldDamaged };
    enum New { NewAbsent, NewEmpty, NewTrips };
    const struct {
        Old old;
        New now;
        dbcopy::MoveResult::Kind expected;
    } cases[] = {
        {OldTrips, NewAbsent, dbcopy::MoveResult::Moved},
        {OldTrips, NewEmpty, dbcopy::MoveResult::Moved},
        {OldTrips, NewTrips, dbcopy::MoveResult::NewHasData},
        {OldEmpty, NewAbsent, dbcopy::MoveResult::NothingToMove},
        {OldAbsent, NewAbsent, dbcopy::MoveResult::NothingToMove},
        {OldDamaged, NewAbsent, dbcopy::MoveResult::Failed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "old " << c.old << ", new " << c.now);
        QTemporaryDir tmp;
        const QString oldDb = tmp.path() + "/build/Odomark/miles/miles.mil";
        const QString newDb = tmp.path() + "/share/odomark/miles/miles.mil";
        QDir().mkpath(tmp.path() + "/build/Odomark/miles");
        if (c.old == OldEmpty || c.old == OldTrips)
            makeLog(oldDb, c.old == OldTrips ? 120 : 0);
        if (c.old == OldDamaged) {
            QFile f(oldDb);
            f.open(QIODevice::WriteOnly);
            f.write(QByteArray(4096, 'x'));
        }
        if (c.now != NewAbsent) {
            QDir().mkpath(tmp.path() + "/share/odomark/miles");
            makeLog(newDb, c.now == NewTrips ? 2 : 0);
        }
        const QStringList oldRows = rows(oldDb);
        const QByteArray oldSha = sha256(oldDb), newSha = sha256(newDb);

        const dbcopy::MoveResult r = dbcopy::MoveDatabase(s(oldDb), s(newDb));
        EXPECT_EQ(r.kind, c.expected) << r.error;
        if (c.expected == dbcopy::MoveResult::Moved) {
            EXPECT_EQ(r.rows, 121);
            EXPECT_EQ(rows(newDb), oldRows);
            EXPECT_EQ(dbcopy::CountRows(s(newDb)), 121);
            EXPECT_FALSE(QFile::exists(oldDb));
            EXPECT_EQ(r.asidePath, s(oldDb + ".moved"));
            EXPECT_EQ(sha256(oldDb + ".moved"), oldSha) << "the old file is renamed, not changed";
        } else {
            EXPECT_EQ(sha256(oldDb), oldSha);
            EXPECT_EQ(sha256(newDb), newSha);
            EXPECT_FALSE(QFile::exists(oldDb + ".moved"));
        }
        EXPECT_FALSE(QFile::exists(newDb + ".part"));
    }
}

TEST(MoveDatabase, AnOldFileAlreadyMovedAsideIsNotOverwritten) {
    QTemporaryDir tmp;
    const QString oldDb = tmp.path() + "/old.mil", newDb = tmp.path() + "/new/miles.mil";
    makeLog(oldDb, 1);
    QFile earlier(oldDb + ".moved");
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier move");
    earlier.close();
    const dbcopy::MoveResult r = dbcopy::MoveDatabase(s(oldDb), s(newDb));
    ASSERT_EQ(r.kind, dbcopy::MoveResult::Moved) << r.error;
    EXPECT_EQ(r.asidePath, s(oldDb + ".moved-2"));
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "an earlier move");
    // The same file on both sides (the new place pointed at the old one) is left alone.
    EXPECT_EQ(dbcopy::MoveDatabase(s(newDb), s(newDb)).kind, dbcopy::MoveResult::NothingToMove);
    EXPECT_EQ(dbcopy::CountRows(s(newDb)), 2);
}
