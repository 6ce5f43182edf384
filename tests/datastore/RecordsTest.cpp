// The records of a mileage log: an older file gains them untouched, each trip's vehicle and purpose are written
// with the trip's own statement, go with it into the history and come back with it, and refusals write nothing.
#include "SchemaSql.h"
#include "WendloFixture.h"

#include <cmath>

namespace {

// Every row of a table (its first columns), each value with its type and exact bytes.
std::string dump(Db& db, const std::string& table, int columns = 99) {
    sqlite3_stmt* st = nullptr;
    std::string out;
    sqlite3_prepare_v2(db.handle(), ("SELECT * FROM " + table + " ORDER BY rowid").c_str(), -1, &st, nullptr);
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < std::min(columns, sqlite3_column_count(st)); ++c) {
            const int type = sqlite3_column_type(st, c);
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(st, c));
            out += std::to_string(type) + ":" + std::string(bytes ? bytes : "", sqlite3_column_bytes(st, c)) + "|";
        }
        out += "\n";
    }
    sqlite3_finalize(st);
    return out;
}

// The schema of everything but the history's table (an older one gains its columns by ALTER TABLE, in
// another text), and the history's columns.
std::string schemaOf(Db& db) {
    return db.scalar("SELECT group_concat(name || ':' || sql, ';') FROM (SELECT * FROM sqlite_master WHERE name <> "
                     "'tblTripHistory' ORDER BY name)") +
           db.scalar("SELECT group_concat(name) FROM pragma_table_info('tblTripHistory')");
}

// The history's trigger as the program before the records wrote it: without the trip's info.
std::string olderTrigger(std::string sql) {
    for (const std::string cut : {",VehicleID,Purpose", ",(SELECT VehicleID FROM tblTripInfo WHERE ID = OLD.ID),\n"
                                                        "        (SELECT Purpose FROM tblTripInfo WHERE ID = OLD.ID)"})
        sql.erase(sql.find(cut), cut.size());
    return sql;
}

class RecordsTest : public WendloTest {
protected:
    void SetUp() override {
        WendloTest::SetUp();
        _Trip* object = nullptr;
        ASSERT_EQ(lib_->createObject(CLSID_Trip, IID__TripRecords, &object), WENDLO_OK);
        records_.reset(static_cast<_TripRecords*>(object));
    }
    void TearDown() override {
        records_.reset();
        WendloTest::TearDown();
    }
    bool addRecord(TripValues v, std::int64_t vehicle, std::string purpose) {
        return records_->AddTripRecord(v.text, v.date, v.miles, v.numbers, v.money, v.rate, vehicle, purpose);
    }
    bool updateRecord(TripValues v, std::int64_t vehicle, std::string purpose) {
        return records_->UpdateTripRecord(v.text, v.date, v.miles, v.numbers, v.money, v.rate, vehicle, purpose);
    }
    std::int64_t addVehicle(const std::string& name) {
        WendloVehicle vehicle;
        vehicle.strName = name;
        return records_->AddVehicle(vehicle) == WENDLO_RECORDS_DONE ? vehicle.lngVehicleID : -1;
    }
    // ID:VehicleID:Purpose of every trip, as LoadTripRecords gives them.
    std::string infos() {
        std::string out;
        const RecordsetPtr rows = records_->LoadTripRecords();
        for (rows->MoveFirst(); rows && !rows->eof(); rows->MoveNext())
            out += rows->Fields("ID").toString() + ":" + rows->Fields("VehicleID").toString() + ":" +
                   rows->Fields("Purpose").toString() + " ";
        return out;
    }

    std::unique_ptr<_TripRecords> records_;
};

} // namespace

// A file of the first program (trips and profile only) and one with the history of the previous one gain the
// records as a new file has them, their trips and profile byte for byte as they were, every trip in "My vehicle";
// the history's entries stay. A second start only looks.
TEST_F(RecordsTest, AnOlderFileGainsTheRecordsWithOneVehicleHoldingEveryTrip) {
    Db db(dir_->database());
    const std::string wanted = schemaOf(db);
    TripValues v;
    v.text = {"T-1", "O'Hare\r\n", "Zürich '; --"};
    v.numbers = {100, 250};
    ASSERT_TRUE(addTrip(v));
    ASSERT_TRUE(addOtherTrip());
    auto profile = owner();
    ASSERT_TRUE(trip().AddOwner(profile));
    for (const bool history : {false, true}) {
        SCOPED_TRACE(history ? "with the history" : "trips and profile only");
        std::string older = "DROP TRIGGER trgTripInfoDeleted; DROP TABLE tblTripInfo; DROP TABLE tblVehicle; DROP "
                            "TABLE tblVehicleYear; DROP TABLE tblRate; DROP TRIGGER trgTripDeleted; DROP TRIGGER "
                            "trgTripUpdated;";
        older += history ? "ALTER TABLE tblTripHistory DROP COLUMN VehicleID; ALTER TABLE tblTripHistory DROP "
                           "COLUMN Purpose; DELETE FROM tblTripHistory;"
                         : "DROP TABLE tblTripHistory;";
        for (const wendlo::SchemaObject& object : wendlo::kAddedObjects) {
            if (history &&
                (std::string(object.name) == "trgTripDeleted" || std::string(object.name) == "trgTripUpdated"))
                older += olderTrigger(object.sql) + ";";
        }
        ASSERT_TRUE(db.exec(older + "INSERT INTO tblMain (TripID) VALUES ('T-3'); DELETE FROM tblMain WHERE TripID "
                                    "= 'T-3';"))
            << db.lastError;
        const std::string before = dump(db, "tblMain") + dump(db, "tblOwner") + dump(db, "tblTripHistory") +
                                   db.scalar("SELECT group_concat(sql) FROM sqlite_master WHERE tbl_name IN "
                                             "('tblMain','tblOwner') AND type = 'table'");

        EXPECT_TRUE(records_->PrepareRecords());
        EXPECT_EQ(schemaOf(db), wanted);
        EXPECT_EQ(dump(db, "tblMain") + dump(db, "tblOwner") + dump(db, "tblTripHistory", 22) +
                      db.scalar("SELECT group_concat(sql) FROM sqlite_master WHERE tbl_name IN ('tblMain','tblOwner') "
                                "AND type = 'table'"),
                  before);
        EXPECT_EQ(db.scalar("SELECT group_concat(VehicleID || Name) FROM tblVehicle"), "1My vehicle");
        EXPECT_EQ(infos(), "1:1: 2:1: ");
        EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblTripInfo"), "2");

        const std::string file = ReadFile(dir_->database());
        const std::size_t sent = statements().size();
        EXPECT_TRUE(records_->PrepareRecords());
        EXPECT_TRUE(records_->PrepareHistory());
        EXPECT_EQ(statements().size(), sent + 2);
        EXPECT_EQ(ReadFile(dir_->database()), file);
    }
    EXPECT_EQ(db.scalar("SELECT group_concat(quote(TripID) || quote(VehicleID)) FROM tblTripHistory"), "'T-3'NULL");
    EXPECT_FALSE(FileExists(dir_->errorLog()));
}

// The trip's own statement goes first, exactly as AddTrip and UpdateTrip send it; the info follows in the same
// transaction, for every row with the Trip ID. A vehicle that is not stored fails the whole write.
TEST_F(RecordsTest, TripWritesSendTheTripStatementFirstThenItsInfo) {
    const std::int64_t van = addVehicle("Van");
    TripValues v;
    v.text = {"T-1", "", "Peoria"};
    ASSERT_TRUE(addTrip(v)); // no info: the first vehicle's, without a purpose
    const std::string insert = lastStatement();
    std::size_t sent = statements().size();
    ASSERT_TRUE(addRecord(v, van, "Client visit"));
    ASSERT_EQ(statements().size(), sent + 2);
    EXPECT_EQ(statements()[sent], insert);
    ASSERT_TRUE(addOtherTrip());
    const std::string other = otherTrip();
    EXPECT_EQ(infos(), "1:1: 2:2:Client visit 3:1: ");

    v.text[2] = "Joliet";
    ASSERT_TRUE(updateTrip(v));
    const std::string update = lastStatement();
    sent = statements().size();
    ASSERT_TRUE(updateRecord(v, van, "Site survey"));
    EXPECT_EQ(statements()[sent], update);
    EXPECT_EQ(infos(), "1:2:Site survey 2:2:Site survey 3:1: ");

    v.text[2] = "Nowhere";
    for (const bool add : {true, false}) {
        EXPECT_FALSE(add ? addRecord(v, 99, "x") : updateRecord(v, 99, "x"));
        EXPECT_EQ(infos(), "1:2:Site survey 2:2:Site survey 3:1: ");
    }
    Db db(dir_->database());
    EXPECT_EQ(db.scalar("SELECT group_concat(Destination) FROM tblMain WHERE TripID = 'T-1'"), "Joliet,Joliet");
    EXPECT_NE(ReadFile(dir_->errorLog()).find("Error: 10009\r\nUpdateTripRecord - DLL Function"), std::string::npos);

    // The import's batch: the identifiers AddTripsFrom gives, all stored with their info or none.
    struct Records : WendloTripRecordSource {
        std::vector<WendloTripRecord> records;
        std::size_t next = 0;
        int NextTrip(WendloTripRecord& record) override {
            return next < records.size() ? (record = records[next++], 1) : 0;
        }
    } batch, spoiled;
    const WendloTrip elgin{{"", "", "Elgin"}, v.date, 0, {0, 0}, std::vector<float>(10, 0.0f), 0.0f};
    batch.records = {{elgin, van, "Audit"}, {elgin, 1, ""}};
    spoiled.records = {{elgin, van, "Audit"}, {elgin, 99, ""}};
    EXPECT_EQ(records_->AddTripRecordsFrom(spoiled), -1);
    EXPECT_EQ(records_->AddTripRecordsFrom(batch), 2);
    EXPECT_EQ(infos(), "1:2:Site survey 2:2:Site survey 3:1: 4:2:Audit 5:1: ");
    EXPECT_EQ(db.scalar("SELECT group_concat(TripID) FROM tblMain WHERE ID > 3"), "T-4,T-5");
    EXPECT_EQ(otherTrip(), other);
}

// A deleted trip's info goes with it in the delete's transaction (a No keeps it); the history keeps it and a restore
// brings it back, to the first vehicle when the kept one is gone.
TEST_F(RecordsTest, TheInfoGoesWithItsTripIntoTheHistoryAndComesBack) {
    const std::int64_t van = addVehicle("Van");
    TripValues v;
    ASSERT_TRUE(addRecord(v, van, "Client visit"));
    v.text[0] = "T-2";
    ASSERT_TRUE(addRecord(v, 1, "Training"));
    ASSERT_TRUE(updateRecord(v, van, "Changed"));
    std::string id = "T-1";
    answer(vbNo);
    EXPECT_FALSE(trip().DeleteTrip(id));
    EXPECT_EQ(infos(), "1:2:Client visit 2:2:Changed ");
    answer(vbYes);
    EXPECT_TRUE(trip().DeleteTrip(id));
    EXPECT_EQ(infos(), "2:2:Changed ");
    Db db(dir_->database());
    EXPECT_EQ(db.scalar("SELECT group_concat(ID || ChangeType || VehicleID || Purpose) FROM tblTripHistory"),
              "2updated1Training,1deleted2Client visit");
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblTripInfo"), "1");

    std::int64_t entry = 2;
    bool newId = false;
    std::string restored;
    EXPECT_EQ(records_->RestoreTrip(entry, newId, restored), WENDLO_RESTORED);
    EXPECT_EQ(infos(), "1:2:Client visit 2:2:Changed ");
    entry = 1;
    ASSERT_TRUE(db.exec("UPDATE tblTripHistory SET VehicleID = 7 WHERE HistoryID = 1")); // a vehicle since deleted
    EXPECT_EQ(records_->RestoreTrip(entry, newId, restored), WENDLO_RESTORED_OVER);
    EXPECT_EQ(infos(), "1:2:Client visit 2:1:Training ");
    EXPECT_FALSE(FileExists(dir_->errorLog()));
}

// Texts are stored as Clean leaves them: quotes kept, NULs removed, blanks trimmed, nothing cut.
TEST_F(RecordsTest, HostileTextsAreStoredByTheCleanRule) {
    const std::string longText = std::string(150, 'x') + "\xF0\x9F\x9A\x97";
    const struct {
        std::string given, stored;
    } cases[] = {
        {"O'Hare '; DROP TABLE tblVehicle; --", "O'Hare '; DROP TABLE tblVehicle; --"},
        {std::string(" nul\0inside ", 12), "nulinside"},
        {"\xF0\x9F\x9A\x97 \"van\"\r\n", "\xF0\x9F\x9A\x97 \"van\"\r\n"},
        {longText, longText},
    };
    Db db(dir_->database());
    int day = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        WendloVehicle vehicle{0, c.given, c.given, {2020, 1, day, 0, 0, 0, false}, false, false};
        ASSERT_EQ(records_->AddVehicle(vehicle), WENDLO_RECORDS_DONE);
        TripValues v;
        ASSERT_TRUE(addRecord(v, vehicle.lngVehicleID, c.given));
        WendloRate rate{0, {2020, 1, day++, 0, 0, 0, false}, 0.5f, c.given};
        ASSERT_EQ(records_->AddRate(rate), WENDLO_RECORDS_DONE);
        const std::string id = std::to_string(vehicle.lngVehicleID);
        EXPECT_EQ(db.scalar("SELECT Name || '|' || Description FROM tblVehicle WHERE VehicleID = " + id),
                  c.stored + "|" + c.stored);
        EXPECT_EQ(db.scalar("SELECT Purpose FROM tblTripInfo WHERE VehicleID = " + id), c.stored);
        EXPECT_EQ(db.scalar("SELECT Note FROM tblRate WHERE RateID = " + std::to_string(rate.lngRateID)), c.stored);
    }
}

// Vehicles, years and rates: what each write stores, and each refusal, which writes and logs nothing.
TEST_F(RecordsTest, VehiclesYearsAndRatesAreStoredOrRefusedWithTheirReason) {
    const std::int64_t van = addVehicle("Van");
    const std::int64_t spare = addVehicle("Spare");
    TripValues v;
    v.numbers = {1000, 1200};
    ASSERT_TRUE(addRecord(v, van, ""));
    ASSERT_TRUE(addTrip(v)); // the first vehicle's
    WendloRate rate{0, {2024, 7, 1, 0, 0, 0, false}, 0.67f, "mid-year"};
    ASSERT_EQ(records_->AddRate(rate), WENDLO_RECORDS_DONE);
    WendloRate early{0, {2024, 1, 1, 0, 0, 0, false}, 0.655f, ""};
    ASSERT_EQ(records_->AddRate(early), WENDLO_RECORDS_DONE);
    WendloVehicleYear year{van, 2024, 1000, 25000};
    ASSERT_EQ(records_->SetVehicleYear(year), WENDLO_RECORDS_DONE);
    WendloVehicle renamed{van, "Blue van", "ABC 123", {2023, 5, 2, 0, 0, 0, false}, true, true};
    ASSERT_EQ(records_->UpdateVehicle(renamed), WENDLO_RECORDS_DONE);

    const auto all = [this] {
        std::string out;
        for (const RecordsetPtr& rows : {records_->LoadVehicles(), records_->LoadVehicleYears(), records_->LoadRates()})
            for (rows->MoveFirst(); !rows->eof(); rows->MoveNext())
                for (const std::string& column : rows->columnNames())
                    out += rows->Fields(column).toString() + (column == rows->columnNames().back() ? "\n" : "|");
        return out;
    };
    const std::string stored = all();
    EXPECT_EQ(stored, "1|My vehicle|||0|0|1|1200\n2|Blue van|ABC 123|5/2/2023|1|1|1|1200\n3|Spare|||0|0|0|0\n"
                      "2|2024|1000|25000\n2|2024-01-01|0.655|\n1|2024-07-01|0.67|mid-year\n");

    std::int64_t first = 1, none = 42;
    const struct {
        const char* name;
        std::function<std::int32_t()> write;
        std::int32_t result;
    } refusals[] = {
        {"a rate from a day taken",
         [&] {
             WendloRate r{0, {2024, 1, 1}, 0.7f, ""};
             return records_->AddRate(r);
         },
         WENDLO_RECORDS_DATE_TAKEN},
        {"a rate moved to a day taken",
         [&] {
             WendloRate r = rate;
             r.datFrom = {2024, 1, 1};
             return records_->UpdateRate(r);
         },
         WENDLO_RECORDS_DATE_TAKEN},
        {"a negative rate",
         [&] {
             WendloRate r{0, {2025, 1, 1}, -0.1f, ""};
             return records_->AddRate(r);
         },
         WENDLO_RECORDS_NEGATIVE},
        {"a rate that is no number",
         [&] {
             WendloRate r{0, {2025, 1, 1}, std::nanf(""), ""};
             return records_->AddRate(r);
         },
         WENDLO_RECORDS_NEGATIVE},
        {"a year ending below its start",
         [&] {
             WendloVehicleYear y{van, 2025, 2000, 1999};
             return records_->SetVehicleYear(y);
         },
         WENDLO_RECORDS_END_BELOW_START},
        {"a negative reading",
         [&] {
             WendloVehicleYear y{van, 2025, -1, {}};
             return records_->SetVehicleYear(y);
         },
         WENDLO_RECORDS_NEGATIVE},
        {"a vehicle with trips", [&] { return records_->DeleteVehicle(first); }, WENDLO_RECORDS_HAS_TRIPS},
        {"a vehicle's name taken",
         [&] {
             WendloVehicle b{0, "blue VAN", "", {}, false, false};
             return records_->AddVehicle(b);
         },
         WENDLO_RECORDS_NAME_TAKEN},
        {"a blank name",
         [&] {
             WendloVehicle b{spare, "  ", "", {}, false, false};
             return records_->UpdateVehicle(b);
         },
         WENDLO_RECORDS_NO_NAME},
        {"no such vehicle", [&] { return records_->DeleteVehicle(none); }, WENDLO_RECORDS_NOT_FOUND},
        {"no such rate", [&] { return records_->DeleteRate(none); }, WENDLO_RECORDS_NOT_FOUND},
    };
    for (const auto& c : refusals) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.write(), c.result);
        EXPECT_EQ(all(), stored);
    }
    EXPECT_FALSE(FileExists(dir_->errorLog()));

    // A year without readings goes back to proposed ones; a vehicle without trips can go, and then the last one
    // never.
    year = WendloVehicleYear{van, 2024, {}, {}};
    EXPECT_EQ(records_->SetVehicleYear(year), WENDLO_RECORDS_DONE);
    EXPECT_EQ(records_->DeleteRate(rate.lngRateID), WENDLO_RECORDS_DONE);
    std::int64_t gone = spare;
    EXPECT_EQ(records_->DeleteVehicle(gone), WENDLO_RECORDS_DONE);
    Db db(dir_->database());
    ASSERT_TRUE(db.exec("DELETE FROM tblMain; DELETE FROM tblVehicle WHERE VehicleID = 1;"));
    std::int64_t last = van;
    EXPECT_EQ(records_->DeleteVehicle(last), WENDLO_RECORDS_LAST_VEHICLE);
    EXPECT_EQ(all(), "2|Blue van|ABC 123|5/2/2023|1|1|0|0\n2|2024-01-01|0.655|\n");
}
