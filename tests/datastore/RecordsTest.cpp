// The records of a mileage log: an older file gains them untouched, each trip's vehicle and purpose are written
// with the trip's own statement, go with it into the history and come back with it, and refusals write nothing.
#include "SchemaSql.h"
#include "WendloFixture.h"

#include <cmath>
#include <cstring>

namespace {

// Every row of a table (its first columns), each value with its type and exact bytes.
std::string dump(Db& db, const std::string& table, int columns = 99) {
    sqlite3_stmt* st = nullptr;
    std::string out;
    sqlite3_prepare_v2(db.handle(), ("SELECT * FROM " + table + " ORDER BY rowid").c_str(), -1, &st, nullptr);
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < std::min(columns, sqlite3_column_count(st)); ++c) {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(st, c));
            out += std::to_string(sqlite3_column_type(st, c)) +
                   std::string(bytes ? bytes : "", sqlite3_column_bytes(st, c)) + "|";
        }
        out += "\n";
    }
    sqlite3_finalize(st);
    return out;
}

// The objects but the history's table (an older one gains its columns in another text), and its columns.
std::string schemaOf(Db& db) {
    return db.scalar("SELECT group_concat(name || sql) FROM (SELECT * FROM sqlite_master WHERE name <> "
                     "'tblTripHistory' ORDER BY name)") +
           db.scalar("SELECT group_concat(name) FROM pragma_table_info('tblTripHistory')");
}

// The history's triggers as the program before the records made them: without the trip's info.
std::string olderTriggers() {
    std::string out;
    for (const wendlo::SchemaObject& object : wendlo::kAddedObjects) {
        std::string sql = object.sql;
        for (const std::string cut :
             {",VehicleID,Purpose", ",(SELECT VehicleID FROM tblTripInfo WHERE ID = OLD.ID),\n"
                                    "        (SELECT Purpose FROM tblTripInfo WHERE ID = OLD.ID)"})
            sql.erase(std::min(sql.find(cut), sql.size()), cut.size());
        if (std::strncmp(object.name, "trgTrip", 7) == 0 && std::strcmp(object.name, "trgTripInfoDeleted") != 0)
            out += sql + ";";
    }
    return out;
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
    bool addRecord(TripValues v, std::int64_t vehicle, std::string purpose, bool update = false) {
        return (records_.get()->*(update ? &_TripRecords::UpdateTripRecord : &_TripRecords::AddTripRecord))(
            v.text, v.date, v.miles, v.numbers, v.money, v.rate, vehicle, purpose);
    }
    // Adds (id 0) or rewrites a vehicle; the result, and the new ID in added.
    std::int32_t vehicle(std::int64_t id, const std::string& name, std::int64_t* added = nullptr) {
        WendloVehicle v{id, name, id ? "ABC 123" : name, {2023, 5, 2, 0, 0, 0, false}, id != 0, id != 0};
        const std::int32_t result = id ? records_->UpdateVehicle(v) : records_->AddVehicle(v);
        return added ? (*added = v.lngVehicleID, result) : result;
    }
    std::int32_t rate(WendloDate day, float value, std::int64_t id = 0, const std::string& note = "note") {
        WendloRate r{id, day, value, note};
        return id ? records_->UpdateRate(r) : records_->AddRate(r);
    }
    // ID:VehicleID:Purpose of every trip, as LoadTripRecords gives them.
    std::string infos() {
        std::string out;
        const RecordsetPtr rows = records_->LoadTripRecords();
        for (rows->MoveFirst(); !rows->eof(); rows->MoveNext())
            out += rows->Fields("ID").toString() + ":" + rows->Fields("VehicleID").toString() + ":" +
                   rows->Fields("Purpose").toString() + " ";
        return out;
    }

    std::unique_ptr<_TripRecords> records_;
};

} // namespace

// A file of the first program (trips and profile only) and one of the previous (with the history) gain the records
// as a new file has them, their trips, profile and history as they were, every trip in "My vehicle". A second start
// only looks.
TEST_F(RecordsTest, AnOlderFileGainsTheRecordsWithOneVehicleHoldingEveryTrip) {
    Db db(dir_->database());
    const std::string wanted = schemaOf(db);
    TripValues v;
    v.text = {"T-1", "O'Hare\r\n", "Zürich '; --"};
    auto profile = owner();
    ASSERT_TRUE(addTrip(v) && addOtherTrip() && trip().AddOwner(profile));
    const auto kept = [&] {
        return dump(db, "tblMain") + dump(db, "tblOwner") + dump(db, "tblTripHistory", 22) +
               db.scalar("SELECT group_concat(sql) FROM sqlite_master WHERE tbl_name IN ('tblMain','tblOwner') AND "
                         "type = 'table'");
    };
    for (const bool history : {false, true}) {
        SCOPED_TRACE(history ? "with the history" : "trips and profile only");
        ASSERT_TRUE(db.exec("DROP TRIGGER trgTripInfoDeleted; DROP TABLE tblTripInfo; DROP TABLE tblVehicle; DROP "
                            "TABLE tblVehicleYear; DROP TABLE tblRate; DROP TRIGGER trgTripDeleted; DROP TRIGGER "
                            "trgTripUpdated;" +
                            (history ? "ALTER TABLE tblTripHistory DROP COLUMN VehicleID; ALTER TABLE tblTripHistory "
                                       "DROP COLUMN Purpose; DELETE FROM tblTripHistory;" +
                                           olderTriggers()
                                     : "DROP TABLE tblTripHistory;") +
                            "INSERT INTO tblMain (TripID) VALUES ('T-3'); DELETE FROM tblMain WHERE TripID = 'T-3';"))
            << db.lastError;
        const std::string before = kept();
        EXPECT_TRUE(records_->PrepareRecords());
        EXPECT_EQ(schemaOf(db), wanted);
        EXPECT_EQ(kept(), before);
        EXPECT_EQ(db.scalar("SELECT group_concat(VehicleID || Name) FROM tblVehicle") + infos() +
                      db.scalar("SELECT COUNT(*) FROM tblTripInfo"),
                  "1My vehicle1:1: 2:1: 2");

        const std::string file = ReadFile(dir_->database());
        const std::size_t sent = statements().size();
        EXPECT_TRUE(records_->PrepareRecords() && records_->PrepareHistory());
        EXPECT_EQ(statements().size(), sent + 2);
        EXPECT_EQ(ReadFile(dir_->database()), file);
    }
    EXPECT_EQ(db.scalar("SELECT group_concat(quote(TripID) || quote(VehicleID)) FROM tblTripHistory"), "'T-3'NULL");
    EXPECT_FALSE(FileExists(dir_->errorLog()));
}

// The trip's own statement goes first, exactly as AddTrip and UpdateTrip send it; the info follows in the same
// transaction, for every row with the Trip ID, and the import's batch writes it too. A vehicle that is not stored
// fails the whole write.
TEST_F(RecordsTest, TheInfoIsWrittenWithItsTripAndGoesAndComesBackWithIt) {
    std::int64_t van = 0;
    ASSERT_EQ(vehicle(0, "Van", &van), WENDLO_RECORDS_DONE);
    TripValues v;
    v.text = {"T-1", "", "Peoria"};
    const std::size_t sent = statements().size();
    ASSERT_TRUE(addTrip(v) && addRecord(v, van, "Client visit") && addOtherTrip()); // the first has no info
    const std::string other = otherTrip();
    ASSERT_EQ(statements().size(), sent + 3);
    EXPECT_EQ(statements()[sent + 1], statements()[sent]);
    EXPECT_EQ(infos(), "1:1: 2:2:Client visit 3:1: ");
    v.text[2] = "Joliet";
    ASSERT_TRUE(updateTrip(v) && addRecord(v, van, "Site survey", true));
    EXPECT_EQ(statements()[sent + 5], statements()[sent + 4]); // after the read of infos()
    EXPECT_EQ(infos(), "1:2:Site survey 2:2:Site survey 3:1: ");

    v.text[2] = "Nowhere";
    EXPECT_FALSE(addRecord(v, 99, "x") || addRecord(v, 99, "x", true));
    Db db(dir_->database());
    EXPECT_EQ(db.scalar("SELECT group_concat(Destination) FROM tblMain"), "Joliet,Joliet,Peoria");
    EXPECT_NE(ReadFile(dir_->errorLog()).find("Error: 10009\r\nUpdateTripRecord - DLL Function"), std::string::npos);

    struct Records : WendloTripRecordSource {
        std::vector<WendloTripRecord> records;
        int NextTrip(WendloTripRecord& record) override {
            return records.empty() ? 0 : (record = records.front(), records.erase(records.begin()), 1);
        }
    } batch, spoiled;
    const WendloTrip elgin{{"", "", "Elgin"}, v.date, 0, {0, 0}, std::vector<float>(10, 0.0f), 0.0f};
    batch.records = {{elgin, van, "Audit"}, {elgin, 1, ""}};
    spoiled.records = {{elgin, van, "Audit"}, {elgin, 99, ""}};
    EXPECT_EQ(records_->AddTripRecordsFrom(spoiled), -1);
    EXPECT_EQ(records_->AddTripRecordsFrom(batch), 2);
    EXPECT_EQ(infos(), "1:2:Site survey 2:2:Site survey 3:1: 4:2:Audit 5:1: ");
    EXPECT_EQ(db.scalar("SELECT group_concat(TripID) FROM tblMain WHERE ID > 3"), "T-4,T-5");

    // A deleted trip's info goes with it in the delete's transaction (a No keeps it); the history keeps it and a
    // restore brings it back, to the first vehicle when the kept one is gone.
    std::string id = "T-4";
    answer(vbNo);
    EXPECT_FALSE(trip().DeleteTrip(id));
    EXPECT_EQ(infos(), "1:2:Site survey 2:2:Site survey 3:1: 4:2:Audit 5:1: ");
    answer(vbYes);
    EXPECT_TRUE(trip().DeleteTrip(id));
    EXPECT_EQ(infos(), "1:2:Site survey 2:2:Site survey 3:1: 5:1: ");
    EXPECT_EQ(db.scalar("SELECT group_concat(ID || quote(VehicleID) || quote(Purpose)) FROM tblTripHistory") +
                  db.scalar("SELECT COUNT(*) FROM tblTripInfo"),
              "1NULLNULL,22'Client visit',1NULLNULL,22'Client visit',42'Audit'3");
    ASSERT_TRUE(db.exec("UPDATE tblTripHistory SET VehicleID = 7 WHERE HistoryID = 2")); // a vehicle since deleted
    bool newId = false;
    for (std::int64_t entry : {5, 2})
        EXPECT_EQ(records_->RestoreTrip(entry, newId, id), entry == 5 ? WENDLO_RESTORED : WENDLO_RESTORED_OVER);
    EXPECT_EQ(infos(), "1:2:Site survey 2:1:Client visit 3:1: 4:2:Audit 5:1: ");
    EXPECT_EQ(otherTrip(), other);
}

// Texts are stored as Clean leaves them: quotes kept, NULs removed, blanks trimmed, nothing cut.
TEST_F(RecordsTest, HostileTextsAreStoredByTheCleanRule) {
    const std::string emoji = "\xF0\x9F\x9A\x97";
    const std::pair<std::string, std::string> cases[] = {
        {"O'Hare '; DROP TABLE tblVehicle; --", "O'Hare '; DROP TABLE tblVehicle; --"},
        {std::string(" nul\0inside ", 12), "nulinside"},
        {emoji + " \"van\"\r\n", emoji + " \"van\"\r\n"},
        {std::string(150, 'x') + emoji, std::string(150, 'x') + emoji},
    };
    Db db(dir_->database());
    for (int i = 0; i < 4; ++i) {
        std::int64_t added = 0;
        ASSERT_EQ(vehicle(0, cases[i].first, &added), WENDLO_RECORDS_DONE);
        ASSERT_TRUE(addRecord(TripValues{}, added, cases[i].first));
        ASSERT_EQ(rate({2020, 1, i + 1}, 0.5f, 0, cases[i].first), WENDLO_RECORDS_DONE);
        const std::string stored = cases[i].second;
        EXPECT_EQ(db.scalar("SELECT Name || Description || Purpose || Note FROM tblVehicle v, tblTripInfo i, tblRate r "
                            "WHERE i.VehicleID = v.VehicleID AND v.VehicleID = " +
                            std::to_string(added) + " AND r.RateID = " + std::to_string(i + 1)),
                  stored + stored + stored + stored);
    }
}

// Vehicles, years and rates: what each write stores, and each refusal, which writes and logs nothing.
TEST_F(RecordsTest, VehiclesYearsAndRatesAreStoredOrRefusedWithTheirReason) {
    std::int64_t van = 0, spare = 0, first = 1, none = 42;
    ASSERT_EQ(vehicle(0, "Van", &van) + vehicle(0, "Spare", &spare), 2);
    TripValues v;
    v.numbers = {1000, 1200};
    ASSERT_TRUE(addRecord(v, van, "") && addTrip(v)); // the second is the first vehicle's
    const auto year = [&](std::optional<std::int32_t> start, std::optional<std::int32_t> end) {
        WendloVehicleYear y{van, 2024, start, end};
        return records_->SetVehicleYear(y);
    };
    ASSERT_EQ(rate({2024, 7, 1}, 0.67f) + rate({2024, 1, 1}, 0.655f) + year(1000, 25000) + vehicle(van, "Blue van"), 4);
    const auto all = [this] {
        std::string out;
        for (const RecordsetPtr& rows : {records_->LoadVehicles(), records_->LoadVehicleYears(), records_->LoadRates()})
            for (rows->MoveFirst(); !rows->eof(); rows->MoveNext())
                for (const std::string& column : rows->columnNames())
                    out += rows->Fields(column).toString() + (column == rows->columnNames().back() ? "\n" : "|");
        return out;
    };
    const std::string stored = all();
    EXPECT_EQ(stored,
              "1|My vehicle|||0|0|1|1200\n2|Blue van|ABC 123|5/2/2023|1|1|1|1200\n3|Spare|Spare|5/2/2023|0|0|0|0"
              "\n2|2024|1000|25000\n2|2024-01-01|0.655|note\n1|2024-07-01|0.67|note\n");

    const std::pair<std::int32_t, WendloRecordsResult> refusals[] = {
        {rate({2024, 1, 1}, 0.7f), WENDLO_RECORDS_DATE_TAKEN},
        {rate({2024, 1, 1}, 0.7f, 1), WENDLO_RECORDS_DATE_TAKEN},
        {rate({2025, 1, 1}, -0.1f), WENDLO_RECORDS_NEGATIVE},
        {rate({2025, 1, 1}, std::nanf("")), WENDLO_RECORDS_NEGATIVE},
        {year(2000, 1999), WENDLO_RECORDS_END_BELOW_START},
        {year(-1, {}), WENDLO_RECORDS_NEGATIVE},
        {records_->DeleteVehicle(first), WENDLO_RECORDS_HAS_TRIPS},
        {vehicle(0, "blue VAN"), WENDLO_RECORDS_NAME_TAKEN},
        {vehicle(spare, "  "), WENDLO_RECORDS_NO_NAME},
        {records_->DeleteVehicle(none), WENDLO_RECORDS_NOT_FOUND},
        {records_->DeleteRate(none), WENDLO_RECORDS_NOT_FOUND},
    };
    for (std::size_t i = 0; i < std::size(refusals); ++i)
        EXPECT_EQ(refusals[i].first, refusals[i].second) << "refusal " << i;
    EXPECT_EQ(all(), stored);
    EXPECT_FALSE(FileExists(dir_->errorLog()));

    // A year without readings goes back to proposed ones; a vehicle without trips can go, but never the last one.
    EXPECT_EQ(year({}, {}) + records_->DeleteRate(first) + records_->DeleteVehicle(spare), 3);
    Db db(dir_->database());
    ASSERT_TRUE(db.exec("DELETE FROM tblMain; DELETE FROM tblVehicle WHERE VehicleID = 1;"));
    EXPECT_EQ(records_->DeleteVehicle(van), WENDLO_RECORDS_LAST_VEHICLE);
    EXPECT_EQ(all(), "2|Blue van|ABC 123|5/2/2023|1|1|0|0\n2|2024-01-01|0.655|note\n");
}
