#pragma once
// The check of trips read from a CSV file before anything is stored: every row through the trip
// windows' own rules, refused rows with their line and reason, and rows that look stored already. A
// file is read in passes, a row at a time, so that no pass holds the whole file.

#include "tripdata/TripCsv.h"
#include "tripdata/TripRules.h"

#include <QIODevice>
#include <QSet>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <unordered_set>
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

// What a file's cells show about its decimal symbol, column by column. A cell shows one by its own form,
// read with the trip windows' number reader: "12.50", "0.475" and "1,234.5" show a period, "12,50" and
// "1.234.567" a comma; "1,234" (1.234 or 1234) and "150" show neither.
class DecimalEvidence {
public:
    void add(const QStringList& cells);
    // The symbol that more cells of the mapped number columns show; nothing when none shows one or as
    // many show either.
    std::optional<QChar> decimal(const CsvFieldMap& map) const;

private:
    std::vector<std::array<qint64, 2>> counts_; // per column: cells showing a period, a comma
};

// What a file may repeat of the stored trips: their Trip IDs, and their date, destination and odometers.
struct StoredTrips {
    QSet<QString> ids;
    std::unordered_set<std::size_t> trips; // hashes of date, destination and odometers
    static StoredTrips of(const TripTable& table);
};

// Checks the rows of a file in their order (a row can repeat an earlier one). Dates and numbers as the
// trip windows read them; the mileage and total are computed as they compute them, not taken from the file.
class ImportChecker {
public:
    // decimal: the file's decimal symbol; without one, a number with either symbol is refused as ambiguous.
    ImportChecker(const CsvFieldMap& map, qsizetype headerCells, const StoredTrips& stored,
                  std::optional<QChar> decimal);

    struct Result {
        ImportedTrip trip;
        QString refused; // why the row is refused, or empty
    };
    Result check(const CsvRecord& record);

private:
    CsvFieldMap map_;
    qsizetype headerCells_;
    const StoredTrips* stored_;
    std::optional<QChar> decimal_;
    QLocale numbers_;
    std::unordered_set<std::size_t> seen_;
};

// Why a row whose Trip ID or trip is stored already is left out unless the user keeps it.
QString RepeatedReason(const ImportedTrip& trip);

// Every row of a file held in memory (short files, tests), with the decimal symbol its numbers show.
ImportCheck CheckImportRows(const CsvData& data, const CsvFieldMap& map, const TripTable& stored);

// Progress of a pass: bytes read and the file's size; false cancels the pass.
using ImportProgress = std::function<bool(qint64 done, qint64 total)>;

// The first pass: the header and the first rows, what the numbers show of the decimal symbol, the rows.
struct ImportScan {
    QList<CsvRecord> firstRecords; // the header and up to previewRows rows after it
    DecimalEvidence evidence;
    qint64 rows = 0;
    QString error; // the file cannot be read as text
    bool cancelled = false;
};
ImportScan ScanImportFile(QIODevice& file, int previewRows, const ImportProgress& progress);

// The second pass: every row checked; the counts and the first refused and repeated rows.
struct ImportTally {
    static constexpr std::size_t kListed = 1000;
    qint64 accepted = 0; // repeated rows included
    qint64 repeated = 0;
    qint64 refusedRows = 0;
    std::vector<RefusedRow> refused; // the first kListed
    std::vector<RefusedRow> repeats; // the first kListed, with RepeatedReason
    bool cancelled = false;
};
ImportTally CheckImportFile(QIODevice& file, ImportChecker checker, const ImportProgress& progress);

// The last pass: the rows to store, handed to the batch write one at a time (repeated rows only when
// kept). Stops the batch when cancelled, or when the file no longer gives the rows the check counted.
class ImportSource : public WendloTripSource {
public:
    ImportSource(QIODevice& file, ImportChecker checker, bool keepRepeated, qint64 expected, ImportProgress progress);
    int NextTrip(WendloTrip& trip) override;
    bool cancelled() const { return cancelled_; }
    bool changed() const { return changed_; }

private:
    QIODevice& file_;
    CsvReader reader_;
    ImportChecker checker_;
    bool keepRepeated_;
    qint64 expected_;
    ImportProgress progress_;
    qint64 records_ = 0;
    qint64 given_ = 0;
    bool cancelled_ = false;
    bool changed_ = false;
};
