#pragma once
// The check of trips read from a CSV file before anything is stored: every row through the trip
// windows' own rules, refused rows with their line and reason, and rows that look stored already.

#include "platform/TripCsv.h"
#include "trips/TripRules.h"

#include <QString>

#include <vector>

struct ImportedTrip {
    int line = 0;
    TripValueSet values;    // as the trip windows gather them; the identifier is left to the batch write
    QString fileTripId;     // the Trip ID the file gave, if any
    bool idExists = false;  // a stored trip has that Trip ID
    bool duplicate = false; // a stored trip, or an earlier row, has the same date, destination and odometers
};

struct RefusedRow {
    int line = 0;
    QString reason;
};

struct ImportCheck {
    std::vector<ImportedTrip> accepted;
    std::vector<RefusedRow> refused;
};

// The numbers of a comma file are read with a period, as our export and most programs write them; a
// semicolon file comes from a spreadsheet that writes a decimal comma (the system's, where it has one).
QLocale CsvNumberLocale(const CsvData& data);

// Checks every record after the header. Dates are ISO (2007-10-18) or M/d/yyyy; the mileage and total
// are computed as the trip windows compute them, not taken from the file.
ImportCheck CheckImportRows(const CsvData& data, const CsvFieldMap& map, const TripTable& stored,
                            const QLocale& numbers);
