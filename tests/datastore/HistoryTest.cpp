// The trip history: the triggers keep every deleted and overwritten row inside the statement's own
// transaction, an older database gains them untouched, and restores put rows back exactly.
#include "SchemaSql.h"
#include "SqlText.h"
#include "WendloFixture.h"

#include <csignal>
#include <ctime>
#include <random>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// tblMain's columns after ID; the history holds the same.
const char* const kColumns = "TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,Fuel,Parking,Meals,Motel,"
                             "Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,Notes";

// The columns of one row, each in SQL's quoted form, so types and exact values are compared.
std::string rowOf(Db& db, const std::string& table, const std::string& where) {
    std::string select;
    std::string column;
    for (const char* c = kColumns;; ++c) {
        if (*c && *c != ',') {
            column += *c;
            continue;
        }
        select += (select.empty() ? "SELECT quote(" : "||'|'||quote(") + column + ")";
        column.clear();
        if (!*c)
            break;
    }
    return db.scalar(select + " FROM " + table + " WHERE " + where);
}

// Every row of the two tables and their definitions: what an upgrade must leave as it was.
std::string dumpTripsAndProfile(Db& db) {
    return db.scalar("SELECT group_concat(sql, ';') FROM sqlite_master WHERE tbl_name IN ('tblMain','tblOwner') "
                     "AND type = 'table'") +
           db.scalar("SELECT group_concat(ID||'|'||" + std::string("quote(TripID)||quote(Notes)||quote(Rate)") +
                     ", ';') FROM tblMain") +
           db.scalar("SELECT group_concat(quote(OwnerID)||quote(FullName)||quote(AddDate), ';') FROM tblOwner");
}

TripValues hostileTrip() {
    TripValues v;
    v.text = {"T-1", "Note with O'Hare\r\nand a second line", "Zürich '; --"};
    v.date = WendloDate{2007, 10, 18, 0, 0, 0, false};
    v.miles = 123;
    v.numbers = {1000, 1123};
    v.money = {12.75f, 0.1f, 3.0f, 89.99f, 1.25f, 0, 0, 3.5f, 58.425f, 169.015f};
    v.rate = 0.475f;
    return v;
}

class HistoryTest : public WendloTest {
protected:
    void SetUp() override {
        WendloTest::SetUp();
        history_ = historyObject();
        ASSERT_NE(history_, nullptr);
    }
    void TearDown() override {
        history_.reset();
        WendloTest::TearDown();
    }
    std::unique_ptr<_TripKeeping> historyObject() const {
        _Trip* object = nullptr;
        if (lib_->createObject(CLSID_Trip, IID__TripKeeping, &object) != WENDLO_OK)
            return nullptr;
        return std::unique_ptr<_TripKeeping>(static_cast<_TripKeeping*>(object));
    }
    std::int32_t restore(std::int64_t entry, bool newId, std::string* tripId = nullptr) {
        std::string id;
        const std::int32_t result = history_->RestoreTrip(entry, newId, id);
        if (tripId)
            *tripId = id;
        return result;
    }
    std::string newest(Db& db) { return db.scalar("SELECT MAX(HistoryID) FROM tblTripHistory"); }

    std::unique_ptr<_TripKeeping> history_;
};

} // namespace

// The statements sent are the ones sent without a history; the row as it was goes into the history in
// the same transaction, with the moment in the library's general date form, and a No leaves nothing.
TEST_F(HistoryTest, DeleteAndUpdateKeepTheRowAsItWasAndSendTheSameStatements) {
    ASSERT_TRUE(addTrip(hostileTrip()));
    TripValues second = hostileTrip();
    second.text[0] = "T-2";
    ASSERT_TRUE(addTrip(second));
    Db db(dir_->database());
    const std::string original = rowOf(db, "tblMain", "TripID = 'T-1'");
    const std::string other = rowOf(db, "tblMain", "TripID = 'T-2'");

    TripValues changed = hostileTrip();
    changed.text[2] = "Boston";
    changed.money[9] = 1.5f;
    const std::time_t before = std::time(nullptr);
    std::size_t sent = statements().size();
    ASSERT_TRUE(updateTrip(changed));
    const std::time_t after = std::time(nullptr);
    ASSERT_EQ(statements().size(), sent + 1);
    EXPECT_EQ(lastStatement().rfind("UPDATE tblMain SET Destination = 'Boston',Rate = 0.475,StartOdometer = 1000,"
                                    "EndOdometer  = 1123,Miles  = 123,Fuel  = 12.75,",
                                    0),
              0u)
        << lastStatement();
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblTripHistory"), "1");
    EXPECT_EQ(rowOf(db, "tblTripHistory", "ChangeType = 'updated'"), original);
    const std::string when = db.scalar("SELECT ChangeDate FROM tblTripHistory");
    // A moment of the call, however long it took (the sanitizers make it slow). time() reads the kernel's
    // coarse clock, a few milliseconds behind the one SQLite reads, so the end may show one second early.
    bool duringTheCall = false;
    for (std::time_t t = before; t <= after + 1; ++t) {
        std::tm tm{};
        localtime_r(&t, &tm);
        const WendloDate moment{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, true};
        duringTheCall = duringTheCall || when == wendlo::FormatDate(moment);
    }
    EXPECT_TRUE(duringTheCall) << when;
    EXPECT_EQ(db.scalar("SELECT ID FROM tblTripHistory"), "1");
    const std::string edited = rowOf(db, "tblMain", "TripID = 'T-1'");

    std::string id = "T-1";
    answer(vbNo);
    sent = statements().size();
    EXPECT_FALSE(trip().DeleteTrip(id));
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblTripHistory"), "1");
    answer(vbYes);
    EXPECT_TRUE(trip().DeleteTrip(id));
    ASSERT_EQ(statements().size(), sent + 2);
    EXPECT_EQ(statements()[sent], "DELETE FROM tblMain WHERE TripID = 'T-1';");
    EXPECT_EQ(statements()[sent + 1], "DELETE FROM tblMain WHERE TripID = 'T-1';");
    EXPECT_EQ(db.scalar("SELECT group_concat(ChangeType) FROM tblTripHistory"), "updated,deleted");
    EXPECT_EQ(rowOf(db, "tblTripHistory", "ChangeType = 'deleted'"), edited);
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblMain"), "1");
    EXPECT_EQ(rowOf(db, "tblMain", "TripID = 'T-2'"), other);

    auto rows = history_->LoadHistory();
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->RecordCount(), 2u);
    rows->MoveFirst();
    EXPECT_EQ(rows->Fields("ChangeType").toString(), "deleted"); // newest first
    EXPECT_EQ(rows->Fields("Destination").toString(), "Boston");
    EXPECT_FALSE(FileExists(dir_->errorLog()));
}

// A deleted trip comes back with every value, its Trip ID and its ID; once back, a second restore finds the
// Trip ID taken and stores it only under a new one. Restoring an edit undoes it, and is undone in turn.
TEST_F(HistoryTest, RestoreGivesBackDeletedAndOverwrittenTrips) {
    ASSERT_TRUE(addTrip(hostileTrip()));
    TripValues bystander = hostileTrip();
    bystander.text = {"T-2", "", "Peoria"};
    ASSERT_TRUE(addTrip(bystander));
    Db db(dir_->database());
    const std::string original = rowOf(db, "tblMain", "TripID = 'T-1'");
    const std::string other = rowOf(db, "tblMain", "TripID = 'T-2'");
    std::string id = "T-1";
    answer(vbYes);
    ASSERT_TRUE(trip().DeleteTrip(id));
    const std::int64_t deleted = std::stoll(newest(db));

    std::string restoredAs;
    EXPECT_EQ(restore(deleted, false, &restoredAs), WENDLO_RESTORED);
    EXPECT_EQ(restoredAs, "T-1");
    EXPECT_EQ(rowOf(db, "tblMain", "TripID = 'T-1'"), original);
    EXPECT_EQ(db.scalar("SELECT ID FROM tblMain WHERE TripID = 'T-1'"), "1"); // its own ID back

    EXPECT_EQ(restore(deleted, false, &restoredAs), WENDLO_RESTORE_ID_TAKEN);
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblMain"), "2");
    EXPECT_EQ(restore(deleted, true, &restoredAs), WENDLO_RESTORED);
    EXPECT_EQ(restoredAs, "T-3");
    EXPECT_EQ(db.scalar("SELECT ID FROM tblMain WHERE TripID = 'T-3'"), "3");
    EXPECT_EQ(rowOf(db, "tblMain", "TripID = 'T-3'").substr(5), original.substr(5)); // all but 'T-1'

    TripValues changed = hostileTrip();
    changed.text[2] = "Boston";
    ASSERT_TRUE(updateTrip(changed));
    const std::string edited = rowOf(db, "tblMain", "TripID = 'T-1'");
    const std::int64_t edit = std::stoll(newest(db));
    EXPECT_EQ(restore(edit, false, &restoredAs), WENDLO_RESTORED_OVER);
    EXPECT_EQ(restoredAs, "T-1");
    EXPECT_EQ(rowOf(db, "tblMain", "TripID = 'T-1'"), original);
    // The edit went into the history by the restore itself: restoring that entry redoes the edit.
    const std::int64_t undo = std::stoll(newest(db));
    EXPECT_EQ(rowOf(db, "tblTripHistory", "HistoryID = " + std::to_string(undo)), edited);
    EXPECT_EQ(restore(undo, false), WENDLO_RESTORED_OVER);
    EXPECT_EQ(rowOf(db, "tblMain", "TripID = 'T-1'"), edited);

    // An edited trip deleted since is stored again.
    answer(vbYes);
    ASSERT_TRUE(trip().DeleteTrip(id));
    EXPECT_EQ(restore(edit, false), WENDLO_RESTORED);
    EXPECT_EQ(rowOf(db, "tblMain", "TripID = 'T-1'"), original);

    EXPECT_EQ(restore(9999, false), WENDLO_RESTORE_NO_ENTRY);
    EXPECT_EQ(rowOf(db, "tblMain", "TripID = 'T-2'"), other);
    EXPECT_FALSE(FileExists(dir_->errorLog()));
}

// An entry goes back to the one row it was kept from (its ID with its Trip ID), whatever other trips share
// the Trip ID; an entry no trip could be deleted or saved from again is refused. Nothing else changes.
TEST_F(HistoryTest, RestoreWritesTheKeptRowOnlyAndRefusesUnusableEntries) {
    const struct {
        const char* name;
        const char* entry; // ChangeType, ID, TripID, Destination, Rate, Miles
        std::int32_t result;
        const char* stored; // ID:TripID:Destination of every stored trip afterwards
    } cases[] = {
        {"changed, Trip ID shared", "'updated',2,'T-1','b before',0.5,7", WENDLO_RESTORED_OVER,
         "1:T-1:a 2:T-1:b before 3:T-3:c"},
        {"changed, trip gone", "'updated',4,'T-4','d',0.5,7", WENDLO_RESTORED, "1:T-1:a 2:T-1:b 3:T-3:c 4:T-4:d"},
        {"changed, trip gone, Trip ID taken", "'updated',4,'T-3','d',0.5,7", WENDLO_RESTORE_ID_TAKEN,
         "1:T-1:a 2:T-1:b 3:T-3:c"},
        {"changed, its ID now another trip's", "'updated',3,'T-7','g',0.5,7", WENDLO_RESTORED,
         "1:T-1:a 2:T-1:b 3:T-3:c 10:T-7:g"},
        {"deleted, ID free", "'deleted',4,'T-4','d',NULL,NULL", WENDLO_RESTORED, "1:T-1:a 2:T-1:b 3:T-3:c 4:T-4:d"},
        {"no Trip ID", "'deleted',4,NULL,'d',0.5,7", WENDLO_RESTORE_UNUSABLE, "1:T-1:a 2:T-1:b 3:T-3:c"},
        {"blank Trip ID", "'updated',2,'  ','d',0.5,7", WENDLO_RESTORE_UNUSABLE, "1:T-1:a 2:T-1:b 3:T-3:c"},
        {"text for a rate", "'updated',2,'T-1','d','abc',7", WENDLO_RESTORE_UNUSABLE, "1:T-1:a 2:T-1:b 3:T-3:c"},
        {"a fraction for an ID", "'updated',2.5,'T-1','d',0.5,7", WENDLO_RESTORE_UNUSABLE, "1:T-1:a 2:T-1:b 3:T-3:c"},
    };
    Db db(dir_->database());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(db.exec("DELETE FROM tblMain; DELETE FROM tblTripHistory; UPDATE sqlite_sequence SET seq = 9 "
                            "WHERE name = 'tblMain'; INSERT INTO tblMain (ID, TripID, Destination, Rate, Miles) "
                            "VALUES (1,'T-1','a',0.5,7), (2,'T-1','b',0.5,7), (3,'T-3','c',0.5,7);"));
        ASSERT_TRUE(db.exec(std::string("INSERT INTO tblTripHistory (ChangeType, ID, TripID, Destination, Rate, "
                                        "Miles) VALUES (") +
                            c.entry + ");"))
            << db.lastError;
        EXPECT_EQ(restore(std::stoll(newest(db)), false), c.result);
        EXPECT_EQ(db.scalar("SELECT group_concat(ID||':'||TripID||':'||Destination, ' ') FROM (SELECT * FROM "
                            "tblMain ORDER BY ID)"),
                  c.stored);
    }
    EXPECT_FALSE(FileExists(dir_->errorLog()));
}

// The entry dates are compared as days, not as text; a date that is no day empties nothing and is logged.
TEST_F(HistoryTest, EmptyHistoryRemovesOnlyEntriesBeforeTheDay) {
    Db db(dir_->database());
    ASSERT_TRUE(db.exec("INSERT INTO tblTripHistory (ChangeDate, ChangeType, TripID) VALUES "
                        "('12/31/2019 11:59:59 PM','deleted','T-1'), ('1/1/2020 12:00:00 AM','updated','T-2'),"
                        "('10/18/2007 10:20:36 PM','deleted','T-3'), ('2/3/2020 1:00:00 PM','deleted','T-4'),"
                        "('not a date','deleted','T-5')"));
    WendloDate day{2020, 1, 1, 0, 0, 0, false};
    EXPECT_EQ(history_->EmptyHistory(day), 2);
    EXPECT_EQ(db.scalar("SELECT group_concat(TripID) FROM tblTripHistory"), "T-2,T-4,T-5");
    EXPECT_EQ(history_->EmptyHistory(day), 0);
    EXPECT_FALSE(FileExists(dir_->errorLog()));

    WendloDate noDay{2020, 2, 30, 0, 0, 0, false};
    EXPECT_EQ(history_->EmptyHistory(noDay), -1);
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblTripHistory"), "3");
    EXPECT_NE(ReadFile(dir_->errorLog()).find("EmptyHistory - DLL Function"), std::string::npos);
}

// A database from before the history gains the table and triggers, the same as a new one has, without
// a change to its trips or profile; a second start finds them and writes nothing.
TEST_F(HistoryTest, AnOlderDatabaseGainsTheHistoryUntouched) {
    Db fresh(dir_->database());
    const std::string wanted = fresh.scalar("SELECT group_concat(sql, ';') FROM sqlite_master WHERE name IN "
                                            "('tblTripHistory','trgTripDeleted','trgTripUpdated') ORDER BY name");
    ASSERT_FALSE(wanted.empty());
    ASSERT_TRUE(fresh.exec("DROP TRIGGER trgTripDeleted; DROP TRIGGER trgTripUpdated; DROP TABLE tblTripHistory;"));
    ASSERT_TRUE(addTrip(hostileTrip()));
    auto profile = owner();
    ASSERT_TRUE(trip().AddOwner(profile));
    const std::string before = dumpTripsAndProfile(fresh);

    EXPECT_TRUE(history_->PrepareHistory());
    EXPECT_EQ(fresh.scalar("SELECT group_concat(sql, ';') FROM sqlite_master WHERE name IN "
                           "('tblTripHistory','trgTripDeleted','trgTripUpdated') ORDER BY name"),
              wanted);
    EXPECT_EQ(dumpTripsAndProfile(fresh), before);

    const std::string file = ReadFile(dir_->database());
    const std::size_t sent = statements().size();
    EXPECT_TRUE(history_->PrepareHistory());
    EXPECT_EQ(statements().size(), sent + 1); // the look only
    EXPECT_EQ(ReadFile(dir_->database()), file);

    std::string id = "T-1";
    answer(vbYes);
    ASSERT_TRUE(trip().DeleteTrip(id));
    EXPECT_EQ(fresh.scalar("SELECT ChangeType FROM tblTripHistory"), "deleted");
    EXPECT_FALSE(FileExists(dir_->errorLog()));
}

// A database file that cannot be written works as before, without history, and says why: to the caller at
// every try, in the log once.
TEST_F(HistoryTest, AReadOnlyDatabaseWorksWithoutHistory) {
    {
        Db db(dir_->database());
        ASSERT_TRUE(db.exec("DROP TRIGGER trgTripDeleted; DROP TRIGGER trgTripUpdated; DROP TABLE tblTripHistory;"));
    }
    ASSERT_TRUE(addTrip(hostileTrip()));
    const std::string before = ReadFile(dir_->database());
    const std::string result = RunUnprivileged(dir_->path(), [this] {
        ::chmod(dir_->database().c_str(), 0444);
        const bool prepared = history_->PrepareHistory();
        const bool again = history_->PrepareHistory();
        std::string why;
        const std::int32_t failure = history_->HistoryFailure(why);
        auto trips = trip().LoadTrip();
        auto entries = history_->LoadHistory();
        return "prepared=" + std::to_string(prepared) + std::to_string(again) +
               " failure=" + std::to_string(failure & 0xff) + (why.empty() ? " no reason" : "") +
               " trips=" + std::to_string(trips ? static_cast<long>(trips->RecordCount()) : -1) +
               " history=" + std::to_string(entries ? 1 : 0);
    });
    EXPECT_EQ(result, "prepared=00 failure=8 trips=1 history=0"); // SQLITE_READONLY
    EXPECT_EQ(ReadFile(dir_->database()), before);
    const std::string log = ReadFile(dir_->errorLog());
    EXPECT_NE(log.find("PrepareHistory - DLL Function"), std::string::npos);
    EXPECT_EQ(log.find("PrepareHistory", log.find("PrepareHistory") + 1), std::string::npos) << log;
}

// The library's copy of the history texts is the schema's.
TEST(HistorySchema, TheLibraryAddsWhatTheSchemaCreates) {
    const std::string schema = ReadFile(ODOMARK_SCHEMA);
    for (const wendlo::SchemaObject& object : wendlo::kAddedObjects)
        EXPECT_NE(schema.find(object.sql), std::string::npos) << object.sql;
}

// Killed at any moment of a delete, a trip is still stored or is in the history, never neither nor both.
TEST_F(HistoryTest, AKillDuringADeleteLosesNoTrip) {
    constexpr int kTrips = 400;
    {
        Db db(dir_->database());
        ASSERT_TRUE(db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                            "INSERT INTO tblMain (TripID, Destination, Notes) SELECT 'T-' || i, 'Place ' || i, "
                            "printf('%.*c', 3000, 'x') FROM n;"));
    }
    std::mt19937 random(20071018);
    for (int round = 0; round < 10; ++round) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int i = 1 + round * 40;; ++i) {
                std::string id = "T-" + std::to_string(i);
                answer(i % 3 == 0 ? vbNo : vbYes);
                trip().DeleteTrip(id);
            }
        }
        ::usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(2000, 40000)(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
    }
    Db db(dir_->database());
    ASSERT_EQ(db.scalar("PRAGMA integrity_check"), "ok");
    for (int i = 1; i <= kTrips; ++i) {
        const std::string where = "TripID = 'T-" + std::to_string(i) + "'";
        const int stored = std::stoi(db.scalar("SELECT COUNT(*) FROM tblMain WHERE " + where));
        const int kept = std::stoi(db.scalar("SELECT COUNT(*) FROM tblTripHistory WHERE " + where));
        EXPECT_EQ(stored + kept, 1) << where;
        if (i % 3 == 0) {
            EXPECT_EQ(stored, 1) << where; // answered No
        }
    }
    EXPECT_GT(std::stoi(db.scalar("SELECT COUNT(*) FROM tblTripHistory")), 0);
}
