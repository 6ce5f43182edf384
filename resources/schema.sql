-- The trip log database: miles/miles.mil in the application folder.
-- ID is never given to another trip after a delete (AUTOINCREMENT); the program writes it only to give a restored
-- trip its own ID back, so the history's entries of its earlier changes find it again.
CREATE TABLE tblMain (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
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
);

CREATE TABLE tblOwner (
    OwnerID TEXT,
    LName TEXT,
    FName TEXT,
    Address TEXT,
    City TEXT,
    State TEXT,
    Zip TEXT,
    Email TEXT,
    FullName TEXT,
    AddDate TEXT,
    ModDate TEXT
);

-- Trip history: the row as it was before each delete and update, written by the triggers inside the
-- statement's own transaction, so a rolled-back delete leaves no entry. ChangeDate is the library's
-- general date form in local time (10/18/2007 10:20:36 PM). The library takes these statements from
-- this file when it is built, and adds them to an older database at start-up.
CREATE TABLE IF NOT EXISTS tblTripHistory (
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
);

CREATE TRIGGER IF NOT EXISTS trgTripDeleted BEFORE DELETE ON tblMain
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
END;

CREATE TRIGGER IF NOT EXISTS trgTripUpdated BEFORE UPDATE ON tblMain
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
END;
