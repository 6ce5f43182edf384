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
-- general date form in local time (10/18/2007 10:20:36 PM). VehicleID and Purpose are the trip's entry in
-- tblTripInfo as it was (null when it had none). The library takes these statements, and the ones after them,
-- from this file when it is built, and adds them to an older database at start-up.
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
    Notes TEXT,
    VehicleID INTEGER,
    Purpose TEXT
);

CREATE TRIGGER IF NOT EXISTS trgTripDeleted BEFORE DELETE ON tblMain
BEGIN
    INSERT INTO tblTripHistory (ChangeDate,ChangeType,ID,TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,
        Fuel,Parking,Meals,Motel,Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,Notes,VehicleID,Purpose)
    VALUES (CAST(strftime('%m','now','localtime') AS INTEGER) || '/' || CAST(strftime('%d','now','localtime') AS INTEGER)
        || '/' || strftime('%Y','now','localtime') || ' '
        || ((CAST(strftime('%H','now','localtime') AS INTEGER) + 11) % 12 + 1) || strftime(':%M:%S','now','localtime')
        || CASE WHEN CAST(strftime('%H','now','localtime') AS INTEGER) < 12 THEN ' AM' ELSE ' PM' END,
        'deleted',OLD.ID,OLD.TripID,OLD.Destination,OLD.Rate,OLD.StartOdometer,OLD.EndOdometer,OLD.Miles,
        OLD.Fuel,OLD.Parking,OLD.Meals,OLD.Motel,OLD.Phone,OLD.Repairs,OLD.Towing,OLD.Expense,OLD.Mileage,
        OLD.TotalTrip,OLD.StartDate,OLD.Notes,(SELECT VehicleID FROM tblTripInfo WHERE ID = OLD.ID),
        (SELECT Purpose FROM tblTripInfo WHERE ID = OLD.ID));
END;

CREATE TRIGGER IF NOT EXISTS trgTripUpdated BEFORE UPDATE ON tblMain
BEGIN
    INSERT INTO tblTripHistory (ChangeDate,ChangeType,ID,TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,
        Fuel,Parking,Meals,Motel,Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,Notes,VehicleID,Purpose)
    VALUES (CAST(strftime('%m','now','localtime') AS INTEGER) || '/' || CAST(strftime('%d','now','localtime') AS INTEGER)
        || '/' || strftime('%Y','now','localtime') || ' '
        || ((CAST(strftime('%H','now','localtime') AS INTEGER) + 11) % 12 + 1) || strftime(':%M:%S','now','localtime')
        || CASE WHEN CAST(strftime('%H','now','localtime') AS INTEGER) < 12 THEN ' AM' ELSE ' PM' END,
        'updated',OLD.ID,OLD.TripID,OLD.Destination,OLD.Rate,OLD.StartOdometer,OLD.EndOdometer,OLD.Miles,
        OLD.Fuel,OLD.Parking,OLD.Meals,OLD.Motel,OLD.Phone,OLD.Repairs,OLD.Towing,OLD.Expense,OLD.Mileage,
        OLD.TotalTrip,OLD.StartDate,OLD.Notes,(SELECT VehicleID FROM tblTripInfo WHERE ID = OLD.ID),
        (SELECT Purpose FROM tblTripInfo WHERE ID = OLD.ID));
END;

-- Vehicles. InService is the day placed in service as the library writes dates (10/18/2007), null when not given;
-- Retired and CarryOdometer are 0 or 1.
CREATE TABLE IF NOT EXISTS tblVehicle (
    VehicleID INTEGER PRIMARY KEY AUTOINCREMENT,
    Name TEXT NOT NULL,
    Description TEXT,
    InService TEXT,
    Retired INTEGER NOT NULL DEFAULT 0,
    CarryOdometer INTEGER NOT NULL DEFAULT 0
);

-- A vehicle's odometer at the start and at the end of a year, as the user confirmed or typed it; null or no row
-- when not stored, and the windows propose readings from the trips.
CREATE TABLE IF NOT EXISTS tblVehicleYear (
    VehicleID INTEGER NOT NULL,
    Year INTEGER NOT NULL,
    StartOdometer INTEGER,
    EndOdometer INTEGER,
    PRIMARY KEY (VehicleID, Year)
);

-- A trip's vehicle and business purpose, by tblMain.ID. A trip without a row here (stored by AddTrip alone, or by an
-- older program) belongs to the first vehicle, the one with the lowest VehicleID, and has no purpose.
CREATE TABLE IF NOT EXISTS tblTripInfo (
    ID INTEGER PRIMARY KEY,
    VehicleID INTEGER NOT NULL,
    Purpose TEXT
);

-- A vehicle's trips are counted, and its last one found, without reading the trips.
CREATE INDEX IF NOT EXISTS idxTripInfoVehicle ON tblTripInfo (VehicleID);

-- Rates per mile, each from its day (yyyy-mm-dd, so that it sorts as a date) until the next one's.
CREATE TABLE IF NOT EXISTS tblRate (
    RateID INTEGER PRIMARY KEY AUTOINCREMENT,
    FromDate TEXT NOT NULL UNIQUE,
    Rate REAL NOT NULL,
    Note TEXT
);

-- A trip's info goes with it, in the delete's own transaction.
CREATE TRIGGER IF NOT EXISTS trgTripInfoDeleted AFTER DELETE ON tblMain
BEGIN
    DELETE FROM tblTripInfo WHERE ID = OLD.ID;
END;

-- A new log starts with one vehicle; an older one gains it with the tables above, holding every trip stored.
INSERT INTO tblVehicle (Name) SELECT 'My vehicle' WHERE NOT EXISTS (SELECT 1 FROM tblVehicle);
