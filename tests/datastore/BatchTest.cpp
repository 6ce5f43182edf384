// The batch write: many trips in one transaction, written exactly as AddTrip writes one, and either
// all stored or none, whether it fails on a row, on its commit or by a kill.
#include "WendloFixture.h"

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {

WendloTrip batchTrip(const TripValues& v) {
    return WendloTrip{v.text, v.date, v.miles, v.numbers, v.money, v.rate};
}

class BatchTest : public WendloTest {
protected:
    void SetUp() override {
        WendloTest::SetUp();
        _Trip* object = nullptr;
        ASSERT_EQ(lib_->createObject(CLSID_Trip, IID__TripKeeping, &object), WENDLO_OK);
        batch_.reset(static_cast<_TripKeeping*>(object));
    }
    void TearDown() override {
        batch_.reset();
        WendloTest::TearDown();
    }
    std::int32_t addTrips(std::vector<WendloTrip>& trips) { return batch_->AddTrips(trips); }
    std::string count() {
        Db db(dir_->database());
        return db.scalar("SELECT COUNT(*) FROM tblMain");
    }

    std::unique_ptr<_TripKeeping> batch_;
};

} // namespace

// Each row's INSERT is the one AddTrip sends for the identifier GetNewTripID leads to: same cleaning,
// escaping and period decimals, and the identifiers follow the highest ID even past deleted rows.
TEST_F(BatchTest, WritesEachRowAsAddTripDoesUnderTheNextIdentifier) {
    {
        Db db(dir_->database());
        ASSERT_TRUE(db.exec("INSERT INTO tblMain (TripID) VALUES ('T-1'),('T-2'),('T-3'); "
                            "DELETE FROM tblMain WHERE ID = 3;"));
    }
    const std::vector<std::pair<std::string, std::string>> hostile = {
        {"O'Hare '; DROP TABLE tblMain; --", "  blanks around  "},
        {std::string("nul\0inside", 10), "line\r\nbreak and \"quotes\""},
        {"Zürich \xE2\x80\x94 caf\xC3\xA9", "\xFF\xFE ill-formed"},
    };
    std::vector<WendloTrip> trips;
    std::vector<TripValues> singles;
    for (std::size_t i = 0; i < hostile.size(); ++i) {
        TripValues v;
        v.text = {"ignored", hostile[i].second, hostile[i].first};
        v.rate = 0.475f;
        v.miles = static_cast<std::int16_t>(100 + i);
        v.numbers = {1000, static_cast<std::int32_t>(1100 + i)};
        v.money = {12.75f, 0.1f, 3.0f, 89.99f, 1.25f, 0, 0, 3.5f, 47.5f, 12345678.0f};
        trips.push_back(batchTrip(v));
        singles.push_back(v);
    }
    ASSERT_EQ(addTrips(trips), 3);
    // Handed back, and as GetNewTripID gives them: one above the highest ID, which after a deleted
    // top row is that row's number for the first trip only (IDs are never reused).
    EXPECT_EQ(trips[0].strText[0], "T-3");
    EXPECT_EQ(trips[1].strText[0], "T-5");
    EXPECT_EQ(trips[2].strText[0], "T-6");
    std::vector<std::string> batchStatements = statements();
    ASSERT_EQ(batchStatements.size(), 7u);
    EXPECT_EQ(batchStatements[0], "SELECT TripID FROM tblMain WHERE TripID GLOB 'T-[1-9]*';");
    batchStatements.erase(batchStatements.begin());

    Db db(dir_->database());
    ASSERT_TRUE(db.exec("DELETE FROM tblMain WHERE ID > 3"));
    for (std::size_t i = 0; i < singles.size(); ++i) {
        singles[i].text[0] = trips[i].strText[0];
        ASSERT_TRUE(addTrip(singles[i]));
        EXPECT_EQ(batchStatements[2 * i], "SELECT MAX(ID) AS [NewTripID] FROM tblMain");
        EXPECT_EQ(batchStatements[2 * i + 1], lastStatement());
    }
    EXPECT_EQ(db.scalar("SELECT Destination FROM tblMain WHERE TripID = 'T-3'"), "O'Hare '; DROP TABLE tblMain; --");
    EXPECT_FALSE(FileExists(dir_->errorLog()));
}

// The identifiers follow the new-trip window's free-number rule: past numbers stored trips carry (and
// only those written as Add Trip writes them); the stored trips stay as they were. A source that stops
// leaves nothing stored and nothing logged.
TEST_F(BatchTest, IdentifiersSkipNumbersStoredTripsCarryAndASourceCanStop) {
    {
        Db db(dir_->database());
        ASSERT_TRUE(db.exec("INSERT INTO tblMain (TripID, Destination) VALUES ('T-1','a'),('T-3','b'),('T-04','c'),"
                            "('T-6x','d'),('T-2147483648','e');"));
    }
    std::vector<WendloTrip> trips(3, batchTrip(TripValues{}));
    ASSERT_EQ(addTrips(trips), 3);
    EXPECT_EQ(trips[0].strText[0], "T-6"); // T-6x and T-04 are other identifiers
    EXPECT_EQ(trips[1].strText[0], "T-7");
    EXPECT_EQ(trips[2].strText[0], "T-8");
    {
        Db db(dir_->database());
        ASSERT_TRUE(db.exec("UPDATE tblMain SET TripID = 'T-10' WHERE ID = 8;"));
    }
    std::vector<WendloTrip> more(3, batchTrip(TripValues{}));
    ASSERT_EQ(addTrips(more), 3);
    EXPECT_EQ(more[0].strText[0], "T-9");
    EXPECT_EQ(more[1].strText[0], "T-11"); // T-10 is carried by the renamed row
    EXPECT_EQ(more[2].strText[0], "T-12"); // the candidate T-11 was just given
    Db db(dir_->database());
    EXPECT_EQ(db.scalar("SELECT group_concat(TripID || Destination, ' ') FROM tblMain WHERE ID <= 5"),
              "T-1a T-3b T-04c T-6xd T-2147483648e");

    struct StopAfterOne : WendloTripSource {
        int given = 0;
        int NextTrip(WendloTrip& trip) override {
            trip = batchTrip(TripValues{});
            return given++ == 0 ? 1 : -1;
        }
    } stopping;
    EXPECT_EQ(batch_->AddTripsFrom(stopping), WENDLO_BATCH_STOPPED);
    EXPECT_EQ(count(), "11");
    EXPECT_FALSE(FileExists(dir_->errorLog()));
}

TEST_F(BatchTest, AnEmptyBatchStoresNothingAndSucceeds) {
    std::vector<WendloTrip> none;
    EXPECT_EQ(addTrips(none), 0);
    EXPECT_EQ(count(), "0");
}

// A failure anywhere, even on the last row or the commit, leaves the table as it was and logs once.
TEST_F(BatchTest, AFailureStoresNoneOfTheBatch) {
    struct Case {
        const char* name;
        std::function<void(std::vector<WendloTrip>&)> spoil;
        long number;
        std::string description;
    };
    const std::vector<Case> cases = {
        {"a date that is no calendar day",
         [](std::vector<WendloTrip>& t) {
             t[500].datDate = {2007, 2, 30};
         },
         10004, "The date is not a valid calendar date: 2/30/2007"},
        {"a row the database refuses",
         [this](std::vector<WendloTrip>& t) {
             t[999].strText[2] = "refused";
             Db db(dir_->database());
             ASSERT_TRUE(db.exec("CREATE TRIGGER refuse BEFORE INSERT ON tblMain WHEN NEW.Destination = 'refused' "
                                 "BEGIN SELECT RAISE(ABORT, 'rejected by test'); END;"));
         },
         1811, "rejected by test"},
        {"a commit that fails", [this](std::vector<WendloTrip>&) { lib_->commitFaults(1); }, 10007,
         "The commit failed on purpose"},
    };
    {
        Db db(dir_->database());
        ASSERT_TRUE(db.exec("INSERT INTO tblMain (TripID) VALUES ('T-1')"));
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<WendloTrip> trips(1000, batchTrip(TripValues{}));
        c.spoil(trips);
        ::unlink(dir_->errorLog().c_str());
        EXPECT_EQ(addTrips(trips), -1);
        EXPECT_EQ(count(), "1");
        const std::string log = ReadFile(dir_->errorLog());
        EXPECT_NE(log.find("Error: " + std::to_string(c.number) + "\r\nAddTrips - DLL Function\r\n"), std::string::npos)
            << log;
        EXPECT_NE(log.find(c.description), std::string::npos) << log;
        EXPECT_TRUE(shown().empty()); // the caller tells the user; the library shows nothing
        Db db(dir_->database());
        db.exec("DROP TRIGGER IF EXISTS refuse");
        lib_->commitFaults(0);
    }
    // The object stays usable after a failed batch.
    std::vector<WendloTrip> good(2, batchTrip(TripValues{}));
    EXPECT_EQ(addTrips(good), 2);
    EXPECT_EQ(count(), "3");
}

// A process killed during an import leaves each batch whole or absent, and the file sound.
TEST_F(BatchTest, AKillDuringABatchLeavesAllRowsOrNone) {
    constexpr int kRows = 3000;
    std::mt19937 random(20071018);
    int whole = 0;
    int none = 0;
    for (int round = 0; round < 12; ++round) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            std::vector<WendloTrip> trips(kRows, batchTrip(TripValues{}));
            for (WendloTrip& t : trips) {
                t.strText[2] = "round " + std::to_string(round);
                t.strText[1] = std::string(700, 'n'); // several pages per batch
            }
            ::_exit(addTrips(trips) == kRows ? 0 : 1);
        }
        // Early rounds are killed at random moments; the last ones are left to finish.
        if (round < 10)
            ::usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(1000, 150000)(random)));
        if (round < 10)
            ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        Db db(dir_->database());
        ASSERT_EQ(db.scalar("PRAGMA integrity_check"), "ok");
        const std::string stored =
            db.scalar("SELECT COUNT(*) FROM tblMain WHERE Destination = 'round " + std::to_string(round) + "'");
        if (WIFEXITED(status)) {
            EXPECT_EQ(WEXITSTATUS(status), 0);
        }
        if (stored == std::to_string(kRows))
            ++whole;
        else if (stored == "0")
            ++none;
        else
            ADD_FAILURE() << "round " << round << " stored " << stored << " of " << kRows << " rows";
        EXPECT_FALSE(WIFEXITED(status) && stored != std::to_string(kRows)) << "a finished batch is missing";
    }
    EXPECT_GT(whole, 0);
    EXPECT_FALSE(FileExists(dir_->errorLog()));
    RecordProperty("batches_whole", whole);
    RecordProperty("batches_none", none);
}

TEST_F(BatchTest, TheOldInterfaceIsTheSameObjectWithoutTheBatch) {
    _Trip* object = nullptr;
    ASSERT_EQ(lib_->createObject(CLSID_Trip, IID__Trip, &object), WENDLO_OK);
    std::unique_ptr<_Trip> plain(object);
    EXPECT_TRUE(plain->LoadTrip());
    EXPECT_EQ(lib_->createObject(CLSID_Trip, "{9C3E51A8-2B7D-4F06-8E4A-D15B7C2E9F64}", &object), WENDLO_NO_INTERFACE);
}
