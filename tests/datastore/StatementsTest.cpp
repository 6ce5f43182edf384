// Each method sends its exact SQL text and returns what the callers read.
#include "WendloFixture.h"

#include <regex>

namespace {

TripValues sampleTrip() {
    TripValues v;
    v.text = {"T-1", "Note O'Hare", " O'Hare "};
    v.miles = 120;
    v.numbers = {1000, 1120};
    v.money = {10.5f, 2, 0, 0, 0, 0, 0, 0, 57, 69.5f};
    v.rate = 0.475f;
    return v;
}

const char* const kInsertSample =
    "INSERT INTO tblMain (TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,Fuel,Parking,Meals,Motel,Phone,"
    "Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,Notes) VALUES ('T-1','O''Hare',0.475,1000,1120,120,10.5,2,0,"
    "0,0,0,0,0,57,69.5,'10/18/2007','Note O''Hare');";

const char* const kUpdateSample =
    "UPDATE tblMain SET Destination = 'O''Hare',Rate = 0.475,StartOdometer = 1000,EndOdometer  = 1120,Miles  = 120,"
    "Fuel  = 10.5,Parking  = 2,Meals = 0,Motel = 0,Phone = 0,Repairs = 0,Towing = 0,Expense = 0,Mileage = 57,"
    "TotalTrip = 69.5,StartDate = '10/18/2007',Notes = 'Note O''Hare' WHERE TripID = 'T-1';";

const char* const kNowPattern = "\\d{1,2}/\\d{1,2}/\\d{4} \\d{1,2}:\\d{2}:\\d{2} [AP]M";

} // namespace

TEST_F(WendloTest, ReadsSendTheirExactStatements) {
    std::string id = "T-7";
    trip().LoadTrip();
    trip().LoadTripReport(id);
    trip().RefreshTrip();
    trip().GetNewTripID();
    trip().LoadOwner();
    const std::vector<std::string> expected{"SELECT * FROM tblMain;", "SELECT * FROM tblMain WHERE TripID = 'T-7';",
                                            "SELECT TripID FROM tblMain;", "SELECT MAX(ID) AS [NewTripID] FROM tblMain",
                                            "SELECT * FROM tblOwner;"};
    EXPECT_EQ(statements(), expected);
    EXPECT_TRUE(shown().empty());
}

TEST_F(WendloTest, AddTripSendsItsInsertAndStoresTheRow) {
    ASSERT_TRUE(addTrip(sampleTrip()));
    EXPECT_EQ(lastStatement(), kInsertSample);

    auto rs = trip().LoadTrip();
    ASSERT_TRUE(rs);
    ASSERT_EQ(rs->RecordCount(), 1u);
    rs->MoveFirst();
    EXPECT_EQ(rs->Fields("ID"), Value::integer(1));
    EXPECT_EQ(rs->Fields("TripID"), Value::text("T-1"));
    EXPECT_EQ(rs->Fields("Destination"), Value::text("O'Hare"));
    EXPECT_EQ(rs->Fields("Rate").type(), Value::Type::Real);
    EXPECT_EQ(rs->Fields("Rate").toString(), "0.475");
    EXPECT_EQ(rs->Fields("StartOdometer"), Value::integer(1000));
    EXPECT_EQ(rs->Fields("EndOdometer"), Value::integer(1120));
    EXPECT_EQ(rs->Fields("Miles"), Value::integer(120));
    EXPECT_EQ(rs->Fields("Fuel").toString(), "10.5");
    EXPECT_EQ(rs->Fields("TotalTrip").toString(), "69.5");
    EXPECT_EQ(rs->Fields("StartDate"), Value::text("10/18/2007"));
    EXPECT_EQ(rs->Fields("Notes"), Value::text("Note O'Hare"));
    rs->MoveNext();
    EXPECT_TRUE(rs->eof());
}

TEST_F(WendloTest, UpdateTripSendsItsUpdateWithTheDoubleBlanks) {
    TripValues v = sampleTrip();
    v.text[2] = "Denver";
    ASSERT_TRUE(addTrip(v));
    ASSERT_TRUE(addOtherTrip());
    const std::string other = otherTrip();
    ASSERT_TRUE(updateTrip(sampleTrip()));
    EXPECT_EQ(lastStatement(), kUpdateSample);
    Db db(dir_->database());
    EXPECT_EQ(db.scalar("SELECT Destination FROM tblMain WHERE TripID = 'T-1'"), "O'Hare");
    EXPECT_EQ(otherTrip(), other);
}

TEST_F(WendloTest, UpdateTripOfAnUnknownIdentifierChangesNothingAndSucceeds) {
    ASSERT_TRUE(addTrip(sampleTrip()));
    ASSERT_TRUE(addOtherTrip());
    const std::string other = otherTrip();
    TripValues v = sampleTrip();
    v.text = {"T-99", "x", "Nowhere"};
    EXPECT_TRUE(updateTrip(v));
    Db db(dir_->database());
    EXPECT_EQ(db.scalar("SELECT group_concat(Destination) FROM tblMain WHERE TripID = 'T-1'"), "O'Hare");
    EXPECT_EQ(otherTrip(), other);
}

TEST_F(WendloTest, AmountsOfZeroAreWrittenAsZero) {
    TripValues v;
    ASSERT_TRUE(addTrip(v));
    EXPECT_NE(lastStatement().find("VALUES ('T-1','Boston',0,0,0,0,0,0,0,0,0,0,0,0,0,0,'10/18/2007','');"),
              std::string::npos)
        << lastStatement();
}

TEST_F(WendloTest, ADateWithATimeOfDayIsWrittenAsGeneralDate) {
    TripValues v;
    v.date = WendloDate{2007, 10, 18, 22, 20, 36, true};
    ASSERT_TRUE(addTrip(v));
    EXPECT_NE(lastStatement().find(",'10/18/2007 10:20:36 PM',''"), std::string::npos) << lastStatement();
}

TEST_F(WendloTest, ProfileWritesSendTheirStatements) {
    auto text = owner("O'Brien");
    text[8] = "OBrien1";
    ASSERT_TRUE(trip().AddOwner(text));
    const std::string insert = "INSERT INTO tblOwner (OwnerID,LName,FName,Address,City,State,Zip,Email,FullName,"
                               "AddDate) VALUES ('OBrien1','O''Brien','Anne','1 Main St','Springfield','IL','62701',"
                               "'anne@example.com','Anne O''Brien','";
    EXPECT_TRUE(std::regex_match(
        lastStatement(),
        std::regex(std::regex_replace(insert, std::regex(R"([()*+?.\[\]])"), R"(\$&)") + kNowPattern + "'\\);")))
        << lastStatement();

    auto changed = owner("Jones");
    ASSERT_TRUE(trip().UpdateOwner(changed));
    const std::string update = "UPDATE tblOwner SET LName = 'Jones',FName = 'Anne',Address = '1 Main St',"
                               "City = 'Springfield',State = 'IL',Zip = '62701',Email = 'anne@example.com',"
                               "FullName = 'Anne Jones',ModDate = '";
    ASSERT_EQ(lastStatement().substr(0, update.size()), update);
    EXPECT_TRUE(std::regex_match(lastStatement().substr(update.size()), std::regex(std::string(kNowPattern) + "';")))
        << lastStatement();

    Db db(dir_->database());
    EXPECT_EQ(db.scalar("SELECT OwnerID || '|' || LName || '|' || (ModDate IS NOT NULL) FROM tblOwner"),
              "OBrien1|Jones|1");
    EXPECT_TRUE(shown().empty());
}

TEST_F(WendloTest, UpdateOwnerOnAnEmptyTableSucceedsAndChangesNothing) {
    auto text = owner();
    EXPECT_TRUE(trip().UpdateOwner(text));
    Db db(dir_->database());
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblOwner"), "0");
}

TEST_F(WendloTest, EmptyTableReads) {
    auto ids = trip().RefreshTrip();
    ASSERT_TRUE(ids);
    EXPECT_TRUE(ids->eof() && ids->bof());

    auto next = trip().GetNewTripID();
    ASSERT_TRUE(next);
    ASSERT_EQ(next->RecordCount(), 1u);
    EXPECT_TRUE(next->Fields("NewTripID").isNull());
    EXPECT_EQ(next->columnNames(), std::vector<std::string>{"NewTripID"});

    std::string none = "T-5";
    auto report = trip().LoadTripReport(none);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->RecordCount(), 0u);
    auto owners = trip().LoadOwner();
    ASSERT_TRUE(owners);
    EXPECT_TRUE(owners->eof() && owners->bof());
}

TEST_F(WendloTest, ReadsGiveOneRowPerTripAndTheHighestId) {
    for (int i = 1; i <= 3; ++i) {
        TripValues v;
        v.text[0] = "T-" + std::to_string(i);
        ASSERT_TRUE(addTrip(v));
    }
    auto ids = trip().RefreshTrip();
    ASSERT_TRUE(ids);
    EXPECT_EQ(ids->RecordCount(), 3u);
    EXPECT_EQ(ids->columnNames(), std::vector<std::string>{"TripID"});
    auto next = trip().GetNewTripID();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->Fields("NewTripID"), Value::integer(3));

    // The highest row deleted: MAX(ID) drops, but IDs are never reused.
    answer(vbYes);
    std::string last = "T-3";
    EXPECT_TRUE(trip().DeleteTrip(last));
    EXPECT_EQ(trip().GetNewTripID()->Fields("NewTripID"), Value::integer(2));
    TripValues v;
    v.text[0] = "T-3";
    ASSERT_TRUE(addTrip(v));
    EXPECT_EQ(trip().GetNewTripID()->Fields("NewTripID"), Value::integer(4));

    std::string id = "T-2";
    auto one = trip().LoadTripReport(id);
    ASSERT_TRUE(one);
    ASSERT_EQ(one->RecordCount(), 1u);
    EXPECT_EQ(one->Fields("ID"), Value::integer(2));
}

TEST_F(WendloTest, RecordSetValuesKeepTheirStoredTypes) {
    Db db(dir_->database());
    ASSERT_TRUE(db.exec("INSERT INTO tblMain (TripID, Rate, Miles, Notes) VALUES ('T-1', 0.5, 12, NULL)"));
    auto rs = trip().LoadTrip();
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->Fields("TripID").type(), Value::Type::Text);
    EXPECT_EQ(rs->Fields("Rate").type(), Value::Type::Real);
    EXPECT_EQ(rs->Fields("Miles").type(), Value::Type::Integer);
    EXPECT_TRUE(rs->Fields("Notes").isNull());
    EXPECT_TRUE(rs->Fields("Destination").isNull());
}

TEST_F(WendloTest, ARecordSetOutlivesItsConnectionAndItsObject) {
    ASSERT_TRUE(addTrip(TripValues{}));
    auto rs = trip().LoadTrip();
    trip_.reset();
    // The file is closed: it can be removed and the rows are still there.
    ASSERT_EQ(::unlink(dir_->database().c_str()), 0);
    ASSERT_TRUE(rs);
    rs->MoveFirst();
    EXPECT_EQ(rs->Fields("Destination"), Value::text("Boston"));
}

TEST_F(WendloTest, NoConnectionIsHeldBetweenCalls) {
    ASSERT_TRUE(addTrip(TripValues{}));
    trip().LoadTrip();
    // Another connection can take the exclusive lock at once after every call.
    Db db(dir_->database());
    sqlite3_busy_timeout(db.handle(), 0);
    EXPECT_TRUE(db.exec("BEGIN EXCLUSIVE; COMMIT;")) << db.lastError;
}

// The question says where the trip can be restored from only when the delete went into the history.
TEST_F(WendloTest, DeleteAsksFirstAndOnlyYesRemovesTheRow) {
    const std::string question = "Delete this Trip Record?\r\n\r\nOnce deleted it can't be recovered!";
    const std::string restorable =
        question +
        "\r\n\r\nUntil the history is emptied, it can be restored from Utilities > Deleted and Changed Trips.";
    ASSERT_TRUE(addTrip(TripValues{}));
    ASSERT_TRUE(addOtherTrip());
    const std::string other = otherTrip();
    Db db(dir_->database());
    std::string id = "T-1";

    answer(vbNo);
    EXPECT_FALSE(trip().DeleteTrip(id));
    EXPECT_EQ(lastStatement(), "DELETE FROM tblMain WHERE TripID = 'T-1';");
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, restorable);
    EXPECT_EQ(shown()[0].title, "** WARNING **");
    EXPECT_EQ(shown()[0].style, vbYesNo | vbQuestion | vbDefaultButton2);
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblMain"), "2");

    answer(vbYes);
    EXPECT_TRUE(trip().DeleteTrip(id));
    EXPECT_EQ(db.scalar("SELECT group_concat(TripID) FROM tblMain"), "T-Other");

    // Yes on an identifier that matches nothing: the delete ran and committed; nothing went into the history.
    answer(vbYes);
    EXPECT_TRUE(trip().DeleteTrip(id));
    EXPECT_EQ(shown().back().text, question);
    EXPECT_EQ(otherTrip(), other);
}

TEST_F(WendloTest, TheDeleteIsNotVisibleToOthersWhileTheQuestionIsOpen) {
    ASSERT_TRUE(addTrip(TripValues{}));
    ASSERT_TRUE(addOtherTrip());
    std::string id = "T-1";
    Db db(dir_->database());
    std::string seen;
    struct Probe {
        Db* db;
        std::string* seen;
    } probe{&db, &seen};
    lib_->setMessageHandler(
        [](const char*, const char*, int, void* c) {
            auto* p = static_cast<Probe*>(c);
            *p->seen = p->db->scalar("SELECT COUNT(*) FROM tblMain");
            return int(vbNo);
        },
        &probe);
    EXPECT_FALSE(trip().DeleteTrip(id));
    EXPECT_EQ(seen, "2");
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblMain"), "2");
}

TEST_F(WendloTest, WithoutAHandlerTheDefaultButtonIsTaken) {
    ASSERT_TRUE(addTrip(TripValues{}));
    ASSERT_TRUE(addOtherTrip());
    lib_->setMessageHandler(nullptr, nullptr);
    std::string id = "T-1";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(trip().DeleteTrip(id));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Delete this Trip Record?"), std::string::npos);
    Db db(dir_->database());
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblMain"), "2");
}

TEST_F(WendloTest, ConnectionStringAndApplicationFolder) {
    EXPECT_EQ(std::string(lib_->appPath()), dir_->path());
    EXPECT_EQ(trip().strConnect, "Provider=Microsoft.Jet.OLEDB.4.0;User ID=;Data Source=" + dir_->path() +
                                     "/miles/miles.mil;Persist Security Info=False;");
    EXPECT_TRUE(trip().conDataBase != nullptr);
    EXPECT_TRUE(trip().strFunction.empty());
}

TEST(WendloFactory, CreatesTripOnlyByItsIdentities) {
    AppDir dir;
    Library lib(dir.library());
    ASSERT_TRUE(lib.loaded());
    _Trip* object = reinterpret_cast<_Trip*>(1);
    EXPECT_EQ(lib.createObject("{00000000-0000-0000-0000-000000000000}", IID__Trip, &object),
              WENDLO_CLASS_NOT_AVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(lib.createObject(CLSID_Trip, "{00000000-0000-0000-0000-000000000000}", &object), WENDLO_NO_INTERFACE);
    EXPECT_EQ(object, nullptr);
    // Every identity the library ever served is still served, so hosts built for an older one keep working.
    for (const char* iid : {IID__Trip, IID__TripBatch, IID__TripHistory, IID__TripKeeping}) {
        EXPECT_EQ(lib.createObject(CLSID_Trip, iid, &object), WENDLO_OK) << iid;
        ASSERT_NE(object, nullptr);
        delete object;
    }
}
