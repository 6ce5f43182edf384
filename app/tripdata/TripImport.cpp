#include "tripdata/TripImport.h"

#include "platform/Format.h"
#include "tripdata/TripDates.h"

#include <cmath>

namespace {

// Records between two progress reports: often enough for a smooth bar, rarely enough to cost nothing.
constexpr qint64 kProgressRecords = 512;

const QLocale& decimalComma() {
    static const QLocale locale(QLocale::German, QLocale::Germany);
    return locale;
}

bool isNumberField(int f) {
    return !TripTable::isText(TripTable::Field(f)) && f != TripTable::Date;
}

// Blanks at both ends, as the trip windows trim their fields before the checks.
QString trimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

std::size_t tripKey(const QDate& date, const QString& destination, std::int64_t start, std::int64_t end) {
    return qHashMulti(0, date.toJulianDay(), start, end, destination.toCaseFolded());
}

// A trip window's message on one line, without its closing blank.
QString reasonOf(const QString& message) {
    return message.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).join(QLatin1Char(' ')).simplified();
}

// The decimal symbol the cell shows, or a null QChar.
QChar decimalShownBy(const QString& cell) {
    if (!cell.contains(QLatin1Char('.')) && !cell.contains(QLatin1Char(',')))
        return QChar();
    const bool period = ParseNumber(cell, QLocale::c()).has_value();
    const bool comma = ParseNumber(cell, decimalComma()).has_value();
    if (period == comma)
        return QChar(); // read two ways, or no number
    return period ? QLatin1Char('.') : QLatin1Char(',');
}

// The reader of numbers with that decimal symbol; the other symbol groups thousands.
QLocale numberLocaleFor(QChar decimal) {
    return decimal == QLatin1Char(',') ? decimalComma() : QLocale::c();
}

bool report(qint64 records, const CsvReader& reader, const QIODevice& file, const ImportProgress& progress) {
    return records % kProgressRecords != 0 || !progress || progress(reader.position(), file.size());
}

} // namespace

void DecimalEvidence::add(const QStringList& cells) {
    if (counts_.size() < std::size_t(cells.size()))
        counts_.resize(std::size_t(cells.size()));
    for (qsizetype c = 0; c < cells.size(); ++c) {
        const QChar shown = decimalShownBy(cells[c]);
        if (!shown.isNull())
            ++counts_[std::size_t(c)][shown == QLatin1Char('.') ? 0 : 1];
    }
}

std::optional<QChar> DecimalEvidence::decimal(const CsvFieldMap& map) const {
    qint64 period = 0;
    qint64 comma = 0;
    for (int f = 0; f < TripTable::kFieldCount; ++f) {
        const int column = map[std::size_t(f)];
        if (isNumberField(f) && column >= 0 && std::size_t(column) < counts_.size()) {
            period += counts_[std::size_t(column)][0];
            comma += counts_[std::size_t(column)][1];
        }
    }
    if (period == comma)
        return std::nullopt;
    return period > comma ? QLatin1Char('.') : QLatin1Char(',');
}

StoredTrips StoredTrips::of(const TripTable& table) {
    StoredTrips stored;
    stored.ids.reserve(table.rowCount());
    stored.trips.reserve(std::size_t(table.rowCount()));
    for (int row = 0; row < table.rowCount(); ++row) {
        stored.ids.insert(table.text(row, TripTable::TripId));
        const auto whole = [&](TripTable::Field f) { return std::llround(table.number(row, f).value_or(0.0)); };
        stored.trips.insert(tripKey(table.date(row), table.text(row, TripTable::Destination),
                                    whole(TripTable::StartOdometer), whole(TripTable::EndOdometer)));
    }
    return stored;
}

ImportChecker::ImportChecker(const CsvFieldMap& map, qsizetype headerCells, const StoredTrips& stored,
                             std::optional<QChar> decimal)
    : map_(map), headerCells_(headerCells), stored_(&stored), decimal_(decimal),
      numbers_(numberLocaleFor(decimal.value_or(QLatin1Char('.')))) {}

ImportChecker::Result ImportChecker::check(const CsvRecord& record) {
    Result result;
    result.trip.line = record.line;
    if (!record.error.isEmpty()) {
        result.refused = record.error.trimmed();
        return result;
    }
    // More cells than the header: a value holding the delimiter unquoted, which would shift the rest.
    if (record.fields.size() > headerCells_) {
        result.refused = QStringLiteral("The row has %1 cells and the header %2: a value that holds the "
                                        "delimiter must be in quotes.")
                             .arg(record.fields.size())
                             .arg(headerCells_);
        return result;
    }
    const auto cell = [&](TripTable::Field f) {
        const int column = map_[std::size_t(f)];
        return trimBlanks(column >= 0 ? record.fields.value(column) : QString());
    };
    // The file's columns that fill each text box of the trip windows.
    static const std::pair<int, TripTable::Field> boxes[] = {
        {fldRate, TripTable::Rate},
        {fldStartOdometer, TripTable::StartOdometer},
        {fldEndOdometer, TripTable::EndOdometer},
        {fldMiles, TripTable::Miles},
        {fldFuel, TripTable::Fuel},
        {fldParking, TripTable::Parking},
        {fldMeals, TripTable::Meals},
        {fldLodging, TripTable::Lodging},
        {fldPhone, TripTable::Phone},
        {fldRepairs, TripTable::Repairs},
        {fldTowing, TripTable::Towing},
        {fldMisc, TripTable::Misc},
    };
    TripFieldTexts txt;
    for (const auto& [box, field] : boxes) {
        txt[std::size_t(box)] = cell(field);
        const QString& text = txt[std::size_t(box)];
        if (!decimal_ && (text.contains(QLatin1Char('.')) || text.contains(QLatin1Char(',')))) {
            result.refused = QStringLiteral("%1 %2 reads two ways: no number of the file shows whether its "
                                            "decimal symbol is a period or a comma.")
                                 .arg(TripCsvHeader()[field], text);
            return result;
        }
    }
    txt[fldDestination] = FromSpreadsheetSafe(cell(TripTable::Destination));
    const QString dateText = cell(TripTable::Date);
    const QDate date = ParseTripDate(dateText);
    CheckedTrip checked = CheckAndGatherTrip(txt, FromSpreadsheetSafe(cell(TripTable::Notes)), date, numbers_);
    if (checked.failure) {
        result.refused = reasonOf(checked.failure->message);
        return result;
    }
    if (const std::optional<QString> failure = CheckTripDate(dateText)) {
        result.refused = reasonOf(*failure);
        return result;
    }
    ImportedTrip& trip = result.trip;
    trip.fileTripId = FromSpreadsheetSafe(cell(TripTable::TripId));
    trip.values = std::move(checked.values);
    trip.idExists = !trip.fileTripId.isEmpty() && stored_->ids.contains(trip.fileTripId);
    const std::size_t key = tripKey(date, txt[fldDestination], trip.values.lngNumbers[0], trip.values.lngNumbers[1]);
    trip.duplicate = seen_.insert(key).second == false || stored_->trips.count(key) > 0;
    return result;
}

QString RepeatedReason(const ImportedTrip& trip) {
    if (trip.idExists)
        return QStringLiteral("Trip ID %1 is stored already").arg(trip.fileTripId);
    return QStringLiteral("the same trip (date, destination, odometers) is stored or in the file already");
}

ImportCheck CheckImportRows(const CsvData& data, const CsvFieldMap& map, const TripTable& stored) {
    ImportCheck result;
    if (data.records.isEmpty())
        return result;
    DecimalEvidence evidence;
    for (qsizetype r = 1; r < data.records.size(); ++r)
        evidence.add(data.records[r].fields);
    const StoredTrips storedTrips = StoredTrips::of(stored);
    ImportChecker checker(map, data.records.first().fields.size(), storedTrips, evidence.decimal(map));
    for (qsizetype r = 1; r < data.records.size(); ++r) {
        ImportChecker::Result row = checker.check(data.records[r]);
        if (row.refused.isEmpty())
            result.accepted.push_back(std::move(row.trip));
        else
            result.refused.push_back({row.trip.line, row.refused});
    }
    return result;
}

ImportScan ScanImportFile(QIODevice& file, int previewRows, const ImportProgress& progress) {
    ImportScan scan;
    CsvReader reader(file);
    scan.error = reader.error();
    CsvRecord record;
    qint64 records = 0;
    while (reader.next(record)) {
        if (scan.firstRecords.size() <= previewRows)
            scan.firstRecords.append(record);
        if (records++ > 0) {
            scan.evidence.add(record.fields);
            ++scan.rows;
        }
        if (!report(records, reader, file, progress)) {
            scan.cancelled = true;
            break;
        }
    }
    return scan;
}

ImportTally CheckImportFile(QIODevice& file, ImportChecker checker, const ImportProgress& progress) {
    ImportTally tally;
    CsvReader reader(file);
    CsvRecord record;
    qint64 records = 0;
    while (reader.next(record)) {
        if (records++ > 0) {
            const ImportChecker::Result row = checker.check(record);
            if (!row.refused.isEmpty()) {
                ++tally.refusedRows;
                if (tally.refused.size() < ImportTally::kListed)
                    tally.refused.push_back({record.line, row.refused});
            } else {
                ++tally.accepted;
                if (row.trip.idExists || row.trip.duplicate) {
                    ++tally.repeated;
                    if (tally.repeats.size() < ImportTally::kListed)
                        tally.repeats.push_back({record.line, RepeatedReason(row.trip)});
                }
            }
        }
        if (!report(records, reader, file, progress)) {
            tally.cancelled = true;
            break;
        }
    }
    return tally;
}

ImportSource::ImportSource(QIODevice& file, ImportChecker checker, bool keepRepeated, qint64 expected,
                           ImportProgress progress)
    : file_(file), reader_(file), checker_(std::move(checker)), keepRepeated_(keepRepeated), expected_(expected),
      progress_(std::move(progress)) {}

int ImportSource::NextTrip(WendloTrip& trip) {
    CsvRecord record;
    while (reader_.next(record)) {
        if (!report(++records_, reader_, file_, progress_)) {
            cancelled_ = true;
            return -1;
        }
        if (records_ == 1)
            continue; // the header
        ImportChecker::Result row = checker_.check(record);
        if (!row.refused.isEmpty() || (!keepRepeated_ && (row.trip.idExists || row.trip.duplicate)))
            continue;
        if (++given_ > expected_) {
            changed_ = true;
            return -1;
        }
        TripValueSet& v = row.trip.values;
        trip.strText = std::move(v.strText);
        trip.datDate = v.datDate;
        trip.intMiles = v.intMiles;
        trip.lngNumbers = std::move(v.lngNumbers);
        trip.sngMoney = std::move(v.sngMoney);
        trip.sngRate = v.sngRate;
        return 1;
    }
    if (given_ != expected_) {
        changed_ = true;
        return -1;
    }
    return 0;
}
