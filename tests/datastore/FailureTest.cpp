// Failures end in false or no record set, with the log entry and message where they belong; never in a
// crash, a hang or a changed file.
#include "WendloFixture.h"
#include "support/FileSizeLimit.h"

#include <chrono>
#include <regex>
#include <thread>
#include <unistd.h>

namespace {

const std::string kRule = "%---------------------------------------------------%\r\n";
const std::string kFrame = "%                                                   %\r\n";
const std::string kShortRule = "%---------------------------------%\r\n";
const std::string kHeader = kRule + "              Wendlo - Error Log\r\n" + kRule;

// The log with every date line's date and time replaced by "<now>".
std::string logWithoutMoments(const std::string& file) {
    static const std::regex moment(R"(\d{1,2}/\d{1,2}/\d{4}\d{1,2}:\d{2}:\d{2} [AP]M)");
    return std::regex_replace(ReadFile(file), moment, "<now>");
}

std::string entry(const std::string& name, long number, const std::string& description) {
    return kFrame + "<now>Error: " + std::to_string(number) + "\r\n" + name + "\r\n" + kRule + description + "\r\n" +
           kRule;
}

std::string firstEntry(const std::string& name, long number, const std::string& description) {
    return kHeader + kFrame + "<now> Error: " + std::to_string(number) + "\r\n" + name + "\r\n" + kRule + description +
           "\r\n" + kRule;
}

const char* const kInitMessage = "The database cannot be found!  If the database has been \r\n"
                                 "moved it must be relocated back to the original folder! ";

constexpr long kTriggerError = 1811; // SQLITE_CONSTRAINT_TRIGGER: RAISE(ABORT) in a trigger

void rejectWrites(const std::string& database, const std::string& table, const std::string& what) {
    Db db(database);
    ASSERT_TRUE(db.exec("CREATE TRIGGER reject_" + table + what + " BEFORE " + what + " ON " + table +
                        " BEGIN SELECT RAISE(ABORT, 'rejected by test'); END;"))
        << db.lastError;
}

} // namespace

TEST_F(WendloTest, InitializationFailureShowsItsMessageAndLogsBothVariants) {
    lib_->initFault(WENDLO_INIT_NO_CONNECTION);
    auto broken = newTrip();
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->conDataBase, nullptr);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, kInitMessage);
    EXPECT_EQ(shown()[0].title, "Wendlo");
    EXPECT_EQ(shown()[0].style, vbCritical | vbOKOnly);
    const std::string first = kHeader + kFrame + "<now> Error: 10002\r\nInitialize Database Connection\r\n" + kRule +
                              "The connection object cannot be created\r\n" + kShortRule;
    EXPECT_EQ(logWithoutMoments(dir_->errorLog()), first);

    // Into an existing file: the information line, no leading blank, and again the short rule.
    lib_->initFault(WENDLO_INIT_NO_APP_FOLDER);
    auto again = newTrip();
    lib_->initFault(WENDLO_INIT_OK);
    EXPECT_EQ(again->strConnect, "");
    EXPECT_EQ(logWithoutMoments(dir_->errorLog()),
              first + kFrame + "% Error Information %\r\n<now>Error: 10001\r\nInitialize Database Connection\r\n" +
                  kRule + "The folder of the library file cannot be determined\r\n" + kShortRule);

    // Every call on a broken object fails quietly; the log gets nothing more.
    const std::string logBefore = ReadFile(dir_->errorLog());
    EXPECT_EQ(broken->LoadTrip(), nullptr);
    EXPECT_EQ(broken->RefreshTrip(), nullptr);
    EXPECT_EQ(broken->GetNewTripID(), nullptr);
    EXPECT_EQ(broken->LoadOwner(), nullptr);
    std::vector<std::string> text{"T-1", "", "Boston"};
    WendloDate date{2007, 10, 18};
    std::int16_t miles = 1;
    std::vector<std::int32_t> numbers{0, 0};
    std::vector<float> money(10, 0.0f);
    float rate = 0;
    EXPECT_FALSE(broken->AddTrip(text, date, miles, numbers, money, rate));
    EXPECT_FALSE(broken->UpdateTrip(text, date, miles, numbers, money, rate));
    auto profile = owner();
    EXPECT_FALSE(broken->AddOwner(profile));
    EXPECT_FALSE(broken->UpdateOwner(profile));
    answer(vbYes);
    std::string id = "T-1";
    EXPECT_FALSE(broken->DeleteTrip(id));
    EXPECT_EQ(shown().size(), 3u); // the two initialization messages and the delete question
    EXPECT_EQ(ReadFile(dir_->errorLog()), logBefore);
    EXPECT_TRUE(statements().empty());
}

TEST_F(WendloTest, TripWriteFailuresLogANewFileThenAppend) {
    Db db(dir_->database());
    ASSERT_TRUE(db.exec("INSERT INTO tblMain (TripID) VALUES ('T-1')"));
    ASSERT_TRUE(addOtherTrip());
    const std::string other = otherTrip();
    rejectWrites(dir_->database(), "tblMain", "INSERT");
    rejectWrites(dir_->database(), "tblMain", "UPDATE");

    EXPECT_FALSE(addTrip(TripValues{}));
    const std::string first = firstEntry("AddTrip - DLL Function", kTriggerError, "rejected by test");
    EXPECT_EQ(logWithoutMoments(dir_->errorLog()), first);

    EXPECT_FALSE(updateTrip(TripValues{}));
    const std::string second = first + entry("UpdateTrip - DLL Function", kTriggerError, "rejected by test");
    EXPECT_EQ(logWithoutMoments(dir_->errorLog()), second);

    // The log removed between two failures: the next entry starts a new file.
    ASSERT_EQ(::unlink(dir_->errorLog().c_str()), 0);
    EXPECT_FALSE(addTrip(TripValues{}));
    EXPECT_EQ(logWithoutMoments(dir_->errorLog()), first);

    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblMain"), "2");
    EXPECT_EQ(db.scalar("SELECT Destination FROM tblMain WHERE TripID = 'T-1'"), "NULL");
    EXPECT_EQ(otherTrip(), other);
}

struct ProfileCase {
    const char* function;
    bool add;
};
void PrintTo(const ProfileCase& c, std::ostream* os) {
    *os << c.function;
}

class ProfileFailure : public WendloTest, public testing::WithParamInterface<ProfileCase> {};

TEST_P(ProfileFailure, LogsThenShowsTheLibraryMessage) {
    const ProfileCase c = GetParam();
    Db db(dir_->database());
    ASSERT_TRUE(db.exec("INSERT INTO tblOwner (OwnerID, LName) VALUES ('Smith1', 'Smith')"));
    rejectWrites(dir_->database(), "tblOwner", c.add ? "INSERT" : "UPDATE");
    auto text = owner("Jones");
    EXPECT_FALSE(c.add ? trip().AddOwner(text) : trip().UpdateOwner(text));
    EXPECT_EQ(trip().strFunction, c.function);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, FailureMessage(kTriggerError, "rejected by test", c.function));
    EXPECT_EQ(shown()[0].title, "Wendlo");
    EXPECT_EQ(shown()[0].style, vbCritical | vbOKOnly);
    EXPECT_EQ(logWithoutMoments(dir_->errorLog()),
              firstEntry(std::string(c.function) + " - DLL Function", kTriggerError, "rejected by test"));
    EXPECT_EQ(db.scalar("SELECT COUNT(*) || LName FROM tblOwner"), "1Smith");
}

INSTANTIATE_TEST_SUITE_P(Profile, ProfileFailure,
                         testing::Values(ProfileCase{"AddOwner", true}, ProfileCase{"UpdateOwner", false}),
                         [](const auto& info) { return std::string(info.param.function); });

TEST_F(WendloTest, AFailedDeleteIsNotReportedAsDoneEvenAfterYes) {
    Db db(dir_->database());
    ASSERT_TRUE(db.exec("INSERT INTO tblMain (TripID) VALUES ('T-1')"));
    ASSERT_TRUE(addOtherTrip());
    rejectWrites(dir_->database(), "tblMain", "DELETE");
    answer(vbYes);
    std::string id = "T-1";
    EXPECT_FALSE(trip().DeleteTrip(id));
    EXPECT_EQ(shown().size(), 1u);
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblMain"), "2");
    EXPECT_FALSE(FileExists(dir_->errorLog())); // deletes log nothing
}

TEST_F(WendloTest, AnInvalidDateTakesTheFailurePath) {
    TripValues v;
    v.date = WendloDate{2007, 2, 30};
    EXPECT_FALSE(addTrip(v));
    EXPECT_EQ(logWithoutMoments(dir_->errorLog()),
              firstEntry("AddTrip - DLL Function", 10004, "The date is not a valid calendar date: 2/30/2007"));
    Db db(dir_->database());
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblMain"), "0");
}

// On a full disk an entry is written whole or not at all: no empty or cut log is left, and the entries after
// it have the header and the form they should have.
TEST_F(WendloTest, ALogEntryIsWrittenWholeOrNotAtAll) {
    TripValues v;
    v.date = WendloDate{2007, 2, 30};
    const std::string description = "The date is not a valid calendar date: 2/30/2007";
    for (const rlim_t room : {0, 60, 150}) {
        FileSizeLimit full(room);
        EXPECT_FALSE(addTrip(v));
        EXPECT_FALSE(FileExists(dir_->errorLog())) << room;
    }
    ASSERT_FALSE(addTrip(v));
    const std::string first = firstEntry("AddTrip - DLL Function", 10004, description);
    ASSERT_EQ(logWithoutMoments(dir_->errorLog()), first);
    const std::string before = ReadFile(dir_->errorLog());
    for (const rlim_t room : {0, 60}) {
        FileSizeLimit full(before.size() + room);
        EXPECT_FALSE(addTrip(v));
        EXPECT_EQ(ReadFile(dir_->errorLog()), before) << room;
    }
    EXPECT_FALSE(addTrip(v));
    EXPECT_EQ(logWithoutMoments(dir_->errorLog()), first + entry("AddTrip - DLL Function", 10004, description));
    // A log left empty by an older version starts with the header all the same.
    WriteFile(dir_->errorLog(), "");
    EXPECT_FALSE(addTrip(v));
    EXPECT_EQ(logWithoutMoments(dir_->errorLog()), first);
}

TEST_F(WendloTest, AMissingDatabaseIsNeitherCreatedNorLogged) {
    ASSERT_EQ(::unlink(dir_->database().c_str()), 0);
    EXPECT_EQ(trip().LoadTrip(), nullptr);
    EXPECT_EQ(trip().RefreshTrip(), nullptr);
    EXPECT_EQ(trip().LoadOwner(), nullptr);
    EXPECT_EQ(trip().GetNewTripID(), nullptr);
    EXPECT_FALSE(addTrip(TripValues{}));
    EXPECT_FALSE(updateTrip(TripValues{}));
    auto text = owner();
    EXPECT_FALSE(trip().AddOwner(text));
    EXPECT_FALSE(trip().UpdateOwner(text));
    answer(vbYes);
    std::string id = "T-1";
    EXPECT_FALSE(trip().DeleteTrip(id));
    EXPECT_EQ(shown().size(), 1u); // only the delete question
    EXPECT_FALSE(FileExists(dir_->database()));
    EXPECT_FALSE(FileExists(dir_->errorLog()));
}

TEST_F(WendloTest, AnUnwritableLogStopsTheFailurePathQuietly) {
    // A folder where the log should be: it cannot be opened, even by root.
    ASSERT_EQ(::mkdir(dir_->errorLog().c_str(), 0755), 0);
    rejectWrites(dir_->database(), "tblMain", "INSERT");
    rejectWrites(dir_->database(), "tblOwner", "INSERT");
    EXPECT_FALSE(addTrip(TripValues{}));
    auto text = owner();
    EXPECT_FALSE(trip().AddOwner(text));
    EXPECT_TRUE(shown().empty()); // the message comes after the log entry, which failed

    lib_->initFault(WENDLO_INIT_NO_CONNECTION);
    auto broken = newTrip();
    lib_->initFault(WENDLO_INIT_OK);
    EXPECT_EQ(shown().size(), 1u); // the initialization message comes before its entry
}

TEST_F(WendloTest, AReadOnlyApplicationFolderFailsWritesButNotReads) {
    ASSERT_TRUE(addTrip(TripValues{}));
    const std::string before = ReadFile(dir_->database());
    const std::string result = RunUnprivileged(dir_->path(), [this] {
        ::chmod((dir_->path() + "/miles").c_str(), 0555);
        ::chmod(dir_->path().c_str(), 0555);
        auto rs = trip().LoadTrip();
        TripValues v;
        v.text[0] = "T-2";
        const bool added = addTrip(v);
        auto text = owner();
        const bool owned = trip().AddOwner(text);
        return "rows=" + std::to_string(rs ? static_cast<long>(rs->RecordCount()) : -1) +
               " add=" + std::to_string(added) + " owner=" + std::to_string(owned) +
               " boxes=" + std::to_string(shown().size());
    });
    EXPECT_EQ(result, "rows=1 add=0 owner=0 boxes=0");
    EXPECT_EQ(ReadFile(dir_->database()), before);
    EXPECT_FALSE(FileExists(dir_->errorLog()));
    EXPECT_FALSE(FileExists(dir_->database() + "-journal"));
}

TEST_F(WendloTest, AWriteFailsWithinTheBusyTimeoutWhileAnotherConnectionWrites) {
    ASSERT_TRUE(addTrip(TripValues{}));
    Db other(dir_->database());
    ASSERT_TRUE(other.exec("BEGIN IMMEDIATE; INSERT INTO tblMain (TripID) VALUES ('T-other');"));

    // Readers are not blocked by a writer that has not committed, and do not see its row.
    auto rs = trip().LoadTrip();
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->RecordCount(), 1u);

    const auto start = std::chrono::steady_clock::now();
    TripValues v;
    v.text[0] = "T-2";
    EXPECT_FALSE(addTrip(v));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(1000));
    EXPECT_LT(waited, std::chrono::seconds(10));
    EXPECT_EQ(logWithoutMoments(dir_->errorLog()), firstEntry("AddTrip - DLL Function", 5, "database is locked"));
    ASSERT_TRUE(other.exec("COMMIT;"));
    EXPECT_EQ(other.scalar("SELECT group_concat(TripID) FROM tblMain"), "T-1,T-other");
}

TEST_F(WendloTest, AWriteWaitsOutAShortWriter) {
    Db other(dir_->database());
    ASSERT_TRUE(other.exec("BEGIN IMMEDIATE; INSERT INTO tblMain (TripID) VALUES ('T-other');"));
    std::thread release([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other.exec("COMMIT;");
    });
    EXPECT_TRUE(addTrip(TripValues{}));
    release.join();
    EXPECT_EQ(other.scalar("SELECT COUNT(*) FROM tblMain"), "2");
    EXPECT_FALSE(FileExists(dir_->errorLog()));
}

struct Damage {
    const char* name;
    std::function<std::string(const std::string&)> damage; // healthy file bytes -> damaged bytes
    long addTripError;                                     // 0: the file cannot be opened at all
};
void PrintTo(const Damage& c, std::ostream* os) {
    *os << c.name;
}

class DamagedFile : public WendloTest, public testing::WithParamInterface<Damage> {};

TEST_P(DamagedFile, ReadsGiveNothingWritesFailAndTheFileStaysAsItIs) {
    {
        Db db(dir_->database());
        ASSERT_TRUE(db.exec("BEGIN"));
        for (int i = 1; i <= 300; ++i)
            ASSERT_TRUE(db.exec("INSERT INTO tblMain (TripID, Notes) VALUES ('T-" + std::to_string(i) + "', '" +
                                std::string(400, 'n') + "')"));
        ASSERT_TRUE(db.exec("COMMIT"));
    }
    const std::string damaged = GetParam().damage(ReadFile(dir_->database()));
    WriteFile(dir_->database(), damaged);

    EXPECT_EQ(trip().LoadTrip(), nullptr);
    EXPECT_EQ(trip().GetNewTripID(), nullptr);
    EXPECT_FALSE(addTrip(TripValues{}));
    EXPECT_FALSE(updateTrip(TripValues{}));
    auto text = owner();
    EXPECT_FALSE(trip().AddOwner(text));
    answer(vbYes);
    std::string id = "T-1";
    EXPECT_FALSE(trip().DeleteTrip(id));

    EXPECT_EQ(ReadFile(dir_->database()), damaged);
    EXPECT_FALSE(FileExists(dir_->database() + "-journal"));
    const long error = GetParam().addTripError;
    if (error == 0) {
        // Not a database at all: it cannot be opened, so the failures pass on silently; only the question shows.
        EXPECT_FALSE(FileExists(dir_->errorLog()));
        EXPECT_EQ(shown().size(), 1u);
        return;
    }
    const std::string log = logWithoutMoments(dir_->errorLog());
    EXPECT_EQ(log.substr(0, log.find("AddTrip - DLL Function")),
              kHeader + kFrame + "<now> Error: " + std::to_string(error) + "\r\n");
    // The profile write showed its message with the same failure.
    ASSERT_EQ(shown().size(), 2u);
    EXPECT_EQ(shown()[0].text.substr(0, 8 + std::to_string(error).size()), "ERROR # " + std::to_string(error));
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedFile,
    testing::Values(Damage{"Garbage",
                           [](const std::string& healthy) {
                               std::string bytes(healthy.size(), '\0');
                               for (std::size_t i = 0; i < bytes.size(); ++i)
                                   bytes[i] = static_cast<char>((i * 7919 + 13) % 251);
                               return bytes;
                           },
                           0},
                    Damage{"GarbageHeader",
                           [](const std::string& healthy) {
                               std::string bytes = healthy;
                               bytes.replace(0, 16, "not a database!!");
                               return bytes;
                           },
                           0},
                    Damage{"ShorterThanItsHeader", [](const std::string&) { return std::string("SQLite"); }, 0},
                    Damage{"Truncated",
                           [](const std::string& healthy) { return healthy.substr(0, healthy.size() / 2); }, 11}),
    [](const auto& info) { return std::string(info.param.name); });

// After its message the caller gets no record set, so a save stops instead of going on with the rows.
TEST_F(WendloTest, GetNewTripIdShowsAFailureAfterItsStatementRanButNeverLogs) {
    Db db(dir_->database());
    ASSERT_TRUE(db.exec("INSERT INTO tblMain (TripID) VALUES ('T-1')"));
    lib_->commitFaults(1);
    EXPECT_EQ(trip().GetNewTripID(), nullptr);
    EXPECT_EQ(trip().strFunction, "GetNewTripID");
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, FailureMessage(10007, "The commit failed on purpose", "GetNewTripID"));
    EXPECT_EQ(shown()[0].title, "Wendlo");
    EXPECT_EQ(shown()[0].style, vbCritical | vbOKOnly);
    EXPECT_FALSE(FileExists(dir_->errorLog()));
}

TEST_F(WendloTest, AFailedCommitRollsTheWriteBack) {
    lib_->commitFaults(1);
    EXPECT_FALSE(addTrip(TripValues{}));
    EXPECT_EQ(logWithoutMoments(dir_->errorLog()),
              firstEntry("AddTrip - DLL Function", 10007, "The commit failed on purpose"));
    Db db(dir_->database());
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblMain"), "0");

    ASSERT_TRUE(addTrip(TripValues{}));
    ASSERT_TRUE(addOtherTrip());
    lib_->commitFaults(1);
    answer(vbYes);
    std::string id = "T-1";
    EXPECT_FALSE(trip().DeleteTrip(id));
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblMain"), "2");
}

// Under another connection's exclusive lock, a call waits one busy timeout, not one per statement it runs;
// the library's connections still sync fully at every commit (the default of the one SQLite in the process).
TEST_F(WendloTest, ACallWaitsOneBusyTimeoutUnderAnExclusiveLock) {
    ASSERT_TRUE(addTrip(TripValues{}));
    Db other(dir_->database());
    EXPECT_EQ(other.scalar("PRAGMA synchronous"), "2");
    EXPECT_EQ(other.scalar("PRAGMA journal_mode"), "delete");
    ASSERT_TRUE(other.exec("BEGIN EXCLUSIVE;"));
    const auto timedMs = [](const std::function<void()>& call) {
        const auto start = std::chrono::steady_clock::now();
        call();
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    };
    const long timeoutMs = 3000;

    RecordsetPtr next;
    const long readWait = timedMs([&] { next = trip().GetNewTripID(); });
    EXPECT_EQ(next, nullptr);
    EXPECT_TRUE(shown().empty()); // the statement never ran: the failure passes on silently
    EXPECT_GE(readWait, timeoutMs * 8 / 10);
    EXPECT_LT(readWait, timeoutMs * 5 / 3);

    TripValues v;
    v.text[0] = "T-2";
    bool added = true;
    const long writeWait = timedMs([&] { added = addTrip(v); });
    EXPECT_FALSE(added);
    EXPECT_GE(writeWait, timeoutMs * 8 / 10);
    EXPECT_LT(writeWait, timeoutMs * 5 / 3);
    EXPECT_EQ(logWithoutMoments(dir_->errorLog()), firstEntry("AddTrip - DLL Function", 5, "database is locked"));

    ASSERT_TRUE(other.exec("COMMIT;"));
    EXPECT_EQ(other.scalar("SELECT COUNT(*) FROM tblMain"), "1");
}

// A transaction that could not begin (another writer held the lock past the busy timeout) must not let the
// delete run on its own: it would be committed before the user is asked, and No could not bring the row back.
TEST_F(WendloTest, ADeleteWithoutItsTransactionNeverRuns) {
    ASSERT_TRUE(addTrip(TripValues{}));
    ASSERT_TRUE(addOtherTrip());
    Db other(dir_->database());
    ASSERT_TRUE(other.exec("BEGIN IMMEDIATE;"));
    // Released after the delete's begin has given up, while a delete run without it would still be waiting.
    std::thread release([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(4000));
        other.exec("COMMIT;");
    });
    answer(vbNo);
    std::string id = "T-1";
    EXPECT_FALSE(trip().DeleteTrip(id));
    release.join();
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(other.scalar("SELECT COUNT(*) FROM tblMain"), "2");
    EXPECT_FALSE(FileExists(dir_->errorLog())); // deletes log nothing
}
