#include "trips/TripImport.h"

#include "platform/Format.h"

#include <QSet>

#include <cmath>

namespace {

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

QString duplicateKey(const QDate& date, const QString& destination, std::int64_t start, std::int64_t end) {
    return QStringLiteral("%1|%2|%3|").arg(date.toJulianDay()).arg(start).arg(end) + destination.toCaseFolded();
}

// The first line of a trip window's message, without its closing blank.
QString reasonOf(const QString& message) {
    return message.section(QStringLiteral("\r\n"), 0, 0).trimmed();
}

} // namespace

QLocale CsvNumberLocale(const CsvData& data) {
    if (data.delimiter != QLatin1Char(';'))
        return QLocale::c();
    // Spreadsheets write semicolons where the decimal symbol is a comma. Read with a period, "0,475"
    // would pass as 475 (the comma taken for grouping): a comma system is assumed then, so such numbers
    // come in right and "1,234.50" is refused instead of stored wrong.
    const QLocale system;
    if (system.decimalPoint() == QStringLiteral(","))
        return system;
    return QLocale(QLocale::German, QLocale::Germany);
}

ImportCheck CheckImportRows(const CsvData& data, const CsvFieldMap& map, const TripTable& stored,
                            const QLocale& numbers) {
    ImportCheck result;
    QSet<QString> storedIds;
    QSet<QString> seen;
    storedIds.reserve(stored.rowCount());
    seen.reserve(stored.rowCount() + int(data.records.size()));
    for (int row = 0; row < stored.rowCount(); ++row) {
        storedIds.insert(stored.text(row, TripTable::TripId));
        const auto whole = [&](TripTable::Field f) { return std::llround(stored.number(row, f).value_or(0.0)); };
        seen.insert(duplicateKey(stored.date(row), stored.text(row, TripTable::Destination),
                                 whole(TripTable::StartOdometer), whole(TripTable::EndOdometer)));
    }
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
        {fldDestination, TripTable::Destination},
    };
    for (qsizetype r = 1; r < data.records.size(); ++r) {
        const CsvRecord& record = data.records[r];
        if (!data.error.isEmpty() && record.line == data.errorLine) {
            result.refused.push_back({record.line, data.error.trimmed()});
            continue;
        }
        const auto cell = [&](TripTable::Field f) {
            const int column = map[std::size_t(f)];
            return trimBlanks(column >= 0 ? record.fields.value(column) : QString());
        };
        TripFieldTexts txt;
        for (const auto& [box, field] : boxes)
            txt[std::size_t(box)] = cell(field);
        if (const std::optional<TripCheck> failure = CheckTripFields(txt, numbers)) {
            result.refused.push_back({record.line, reasonOf(failure->message)});
            continue;
        }
        const QString dateText = cell(TripTable::Date);
        QDate date = QDate::fromString(dateText, Qt::ISODate);
        if (!date.isValid())
            date = TextToDate(dateText);
        if (!date.isValid() || date.year() < 100 || date.year() > 9999) {
            result.refused.push_back({record.line, dateText.isEmpty()
                                                       ? QStringLiteral("Date is missing!")
                                                       : QStringLiteral("Date is not a date: ") + dateText});
            continue;
        }
        ImportedTrip trip;
        trip.line = record.line;
        trip.fileTripId = cell(TripTable::TripId);
        trip.values = GatherTrip(txt, trimBlanks(cell(TripTable::Notes)), date, QString(), numbers);
        trip.idExists = !trip.fileTripId.isEmpty() && storedIds.contains(trip.fileTripId);
        const QString key =
            duplicateKey(date, txt[fldDestination], trip.values.lngNumbers[0], trip.values.lngNumbers[1]);
        trip.duplicate = seen.contains(key);
        seen.insert(key);
        result.accepted.push_back(std::move(trip));
    }
    return result;
}
