#include "platform/TripCsv.h"

#include <QSaveFile>
#include <QStringDecoder>

#include <charconv>
#include <cmath>

namespace {

bool needsQuotes(std::string_view s) {
    if (s.empty())
        return false;
    if (s.front() == ' ' || s.back() == ' ' || s.front() == '\t' || s.back() == '\t')
        return true;
    return s.find_first_of(",;\"\r\n") != std::string_view::npos;
}

void appendField(QByteArray& out, std::string_view s) {
    if (!needsQuotes(s)) {
        out.append(s.data(), qsizetype(s.size()));
        return;
    }
    out += '"';
    for (const char c : s) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// The shortest plain decimal that reads back as the same value: no exponent, no grouping, a period.
void appendNumber(QByteArray& out, double value, bool whole) {
    char buf[400];
    std::to_chars_result r;
    if (whole)
        r = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(std::llround(value)));
    else
        r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (r.ec == std::errc())
        out.append(buf, r.ptr - buf);
}

QString normalName(const QString& name) {
    const std::string folded = TripTable::fold(name.toStdString());
    QString out;
    for (const QChar c : QString::fromStdString(folded)) {
        if (c.isLetterOrNumber() || c == QLatin1Char('#'))
            out += c;
    }
    return out;
}

} // namespace

const QStringList& TripCsvHeader() {
    static const QStringList header = {"Trip ID",        "Date",    "Destination", "Start Odometer", "End Odometer",
                                       "Miles",          "Rate",    "Mileage",     "Fuel",           "Parking",
                                       "Meals",          "Lodging", "Telephone",   "Repairs",        "Towing",
                                       "Misc. Expenses", "Total",   "Notes"};
    return header;
}

QByteArray CsvField(const QString& text) {
    QByteArray out;
    const QByteArray utf8 = text.toUtf8();
    appendField(out, std::string_view(utf8.constData(), std::size_t(utf8.size())));
    return out;
}

QByteArray TripsToCsv(const TripTable& table, const std::vector<int>& rows) {
    QByteArray out;
    out.reserve(qsizetype(rows.size()) * 160 + 256);
    out += "\xEF\xBB\xBF";
    const QStringList& header = TripCsvHeader();
    for (qsizetype i = 0; i < header.size(); ++i) {
        if (i)
            out += ',';
        out += CsvField(header[i]);
    }
    out += "\r\n";
    for (const int row : rows) {
        for (int f = 0; f < TripTable::kFieldCount; ++f) {
            const auto field = TripTable::Field(f);
            if (f)
                out += ',';
            if (field == TripTable::Date) {
                const QDate date = table.date(row);
                if (date.isValid())
                    out += date.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
                else
                    appendField(out, table.utf8(row, field)); // kept as stored rather than lost
            } else if (TripTable::isText(field)) {
                appendField(out, table.utf8(row, field));
            } else if (const std::optional<double> value = table.number(row, field)) {
                appendNumber(out, *value, TripTable::isWhole(field));
            }
        }
        out += "\r\n";
    }
    return out;
}

QByteArray TripsToCsv(const TripFilterModel& list) {
    if (!list.tripModel())
        return TripsToCsv(TripTable(), {});
    return TripsToCsv(list.tripModel()->table(), list.shownRows());
}

bool WriteTripsCsv(const QString& fileName, const QByteArray& csv, QString* error) {
    QSaveFile file(fileName);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(csv) == csv.size() && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

CsvData ReadCsv(const QByteArray& bytes) {
    CsvData data;
    QByteArrayView raw(bytes);
    if (raw.startsWith("\xEF\xBB\xBF")) {
        data.hadBom = true;
        raw = raw.sliced(3);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(raw);
    if (utf8.hasError())
        text = QString::fromLatin1(raw);

    // The delimiter the first line uses outside quotes; a comma when it uses neither.
    int commas = 0;
    int semicolons = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!quoted && c == QLatin1Char(','))
            ++commas;
        else if (!quoted && c == QLatin1Char(';'))
            ++semicolons;
    }
    data.delimiter = semicolons > commas ? QLatin1Char(';') : QLatin1Char(',');
    const QChar delimiter = data.delimiter;

    CsvRecord record;
    QString field;
    int line = 1;
    record.line = 1;
    bool inQuotes = false;
    bool wasQuoted = false; // the field began with a quote: text after its closing quote is kept as is
    const auto endField = [&] {
        record.fields.append(field);
        field.clear();
        wasQuoted = false;
    };
    const auto endRecord = [&] {
        endField();
        bool blank = true;
        for (const QString& f : record.fields)
            blank = blank && f.isEmpty();
        if (!blank)
            data.records.append(record);
        record = CsvRecord();
        record.line = line;
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                if (c == QLatin1Char('\n') ||
                    (c == QLatin1Char('\r') && (i + 1 >= n || text[i + 1] != QLatin1Char('\n'))))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && field.isEmpty() && !wasQuoted) {
            inQuotes = true;
            wasQuoted = true;
        } else if (c == delimiter) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            ++line;
            endRecord();
        } else {
            field += c;
        }
    }
    if (inQuotes) {
        data.error = QStringLiteral("A quoted field that starts on line %1 is never closed. ").arg(record.line);
        data.errorLine = record.line;
    }
    if (!field.isEmpty() || !record.fields.isEmpty() || inQuotes)
        endRecord();
    return data;
}

CsvFieldMap MapCsvHeader(const QStringList& header) {
    // Our own names first, then the lists' headers and the stored column names.
    static const char* const aliases[TripTable::kFieldCount][4] = {
        {"Trip ID", "Trip #", "TripID", nullptr},
        {"Date", "Start Date", "StartDate", nullptr},
        {"Destination", nullptr, nullptr, nullptr},
        {"Start Odometer", "Start Miles", "Odometer Reading (Start)", "StartOdometer"},
        {"End Odometer", "End Miles", "Odometer Reading (End)", "EndOdometer"},
        {"Miles", "Total Miles", nullptr, nullptr},
        {"Rate", "Rate Per Mile", nullptr, nullptr},
        {"Mileage", nullptr, nullptr, nullptr},
        {"Fuel", "Fuel Cost", nullptr, nullptr},
        {"Parking", "Parking Fee", nullptr, nullptr},
        {"Meals", nullptr, nullptr, nullptr},
        {"Lodging", "Lodging Cost", "Motel", nullptr},
        {"Telephone", "Phone", "Telephone Charges", nullptr},
        {"Repairs", nullptr, nullptr, nullptr},
        {"Towing", "Towing Costs", nullptr, nullptr},
        {"Misc. Expenses", "Misc. Exp", "Expense", nullptr},
        {"Total", "Trip Total", "TotalTrip", nullptr},
        {"Notes", nullptr, nullptr, nullptr},
    };
    QStringList names;
    for (const QString& name : header)
        names << normalName(name);
    CsvFieldMap map;
    map.fill(-1);
    for (int f = 0; f < TripTable::kFieldCount; ++f) {
        for (const char* alias : aliases[f]) {
            if (!alias)
                break;
            const int column = int(names.indexOf(normalName(QString::fromLatin1(alias))));
            if (column >= 0) {
                map[std::size_t(f)] = column;
                break;
            }
        }
    }
    return map;
}
