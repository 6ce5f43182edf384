-- The trip log database: miles/miles.mil in the application folder.
-- ID is never written by the program and never reused after a delete (AUTOINCREMENT).
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
