#pragma once
// The trip history's table and triggers as the library adds them to an older database. The same texts
// stand in resources/schema.sql for new databases; a test keeps the two equal.

namespace wendlo {

inline constexpr const char* kHistoryTable = R"sql(CREATE TABLE IF NOT EXISTS tblTripHistory (
    HistoryID INTEGER PRIMARY KEY AUTOINCREMENT,
    ChangeDate TEXT,
    ChangeType TEXT,
    ID INTEGER,
    TripID TEXT,
    Destination TEXT,
    Rate REAL,
    StartOdometer INTEGER,
    EndOdometer INTEGER,
    Miles INTEGER,
    Fuel REAL,
    Parking REAL,
    Meals REAL,
    Motel REAL,
    Phone REAL,
    Repairs REAL,
    Towing REAL,
    Expense REAL,
    Mileage REAL,
    TotalTrip REAL,
    StartDate TEXT,
    Notes TEXT
))sql";

inline constexpr const char* kHistoryDeleteTrigger =
    R"sql(CREATE TRIGGER IF NOT EXISTS trgTripDeleted BEFORE DELETE ON tblMain
BEGIN
    INSERT INTO tblTripHistory (ChangeDate,ChangeType,ID,TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,
        Fuel,Parking,Meals,Motel,Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,Notes)
    VALUES (CAST(strftime('%m','now','localtime') AS INTEGER) || '/' || CAST(strftime('%d','now','localtime') AS INTEGER)
        || '/' || strftime('%Y','now','localtime') || ' '
        || ((CAST(strftime('%H','now','localtime') AS INTEGER) + 11) % 12 + 1) || strftime(':%M:%S','now','localtime')
        || CASE WHEN CAST(strftime('%H','now','localtime') AS INTEGER) < 12 THEN ' AM' ELSE ' PM' END,
        'deleted',OLD.ID,OLD.TripID,OLD.Destination,OLD.Rate,OLD.StartOdometer,OLD.EndOdometer,OLD.Miles,
        OLD.Fuel,OLD.Parking,OLD.Meals,OLD.Motel,OLD.Phone,OLD.Repairs,OLD.Towing,OLD.Expense,OLD.Mileage,
        OLD.TotalTrip,OLD.StartDate,OLD.Notes);
END)sql";

inline constexpr const char* kHistoryUpdateTrigger =
    R"sql(CREATE TRIGGER IF NOT EXISTS trgTripUpdated BEFORE UPDATE ON tblMain
BEGIN
    INSERT INTO tblTripHistory (ChangeDate,ChangeType,ID,TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,
        Fuel,Parking,Meals,Motel,Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,Notes)
    VALUES (CAST(strftime('%m','now','localtime') AS INTEGER) || '/' || CAST(strftime('%d','now','localtime') AS INTEGER)
        || '/' || strftime('%Y','now','localtime') || ' '
        || ((CAST(strftime('%H','now','localtime') AS INTEGER) + 11) % 12 + 1) || strftime(':%M:%S','now','localtime')
        || CASE WHEN CAST(strftime('%H','now','localtime') AS INTEGER) < 12 THEN ' AM' ELSE ' PM' END,
        'updated',OLD.ID,OLD.TripID,OLD.Destination,OLD.Rate,OLD.StartOdometer,OLD.EndOdometer,OLD.Miles,
        OLD.Fuel,OLD.Parking,OLD.Meals,OLD.Motel,OLD.Phone,OLD.Repairs,OLD.Towing,OLD.Expense,OLD.Mileage,
        OLD.TotalTrip,OLD.StartDate,OLD.Notes);
END)sql";

inline constexpr const char* kHistoryObjects[] = {kHistoryTable, kHistoryDeleteTrigger, kHistoryUpdateTrigger};

} // namespace wendlo
