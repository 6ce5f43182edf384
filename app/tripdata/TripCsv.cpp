#include "tripdata/TripCsv.h"

#include <QBuffer>
#include <QRegularExpression>
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
                    appendField(out, SpreadsheetSafe(table.utf8(row, field))); // kept as stored rather than lost
            } else if (TripTable::isText(field)) {
                appendField(out, SpreadsheetSafe(table.utf8(row, field)));
            } else if (const std::optional<double> value = table.number(row, field)) {
                appendNumber(out, *value, TripTable::isWhole(field));
            }
        }
        out += "\r\n";
    }
    return out;
}

bool WriteTripsCsv(const QString& fileName, const QByteArray& csv, QString* error) {
    QSaveFile file(fileName);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(csv) == csv.size() && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

namespace {

bool runsAsFormula(QChar c) {
    return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('@') ||
           c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

// The apostrophes a text begins with.
template <typename Text> qsizetype leadingApostrophes(const Text& text) {
    qsizetype k = 0;
    while (k < qsizetype(text.size()) && text[std::size_t(k)] == '\'')
        ++k;
    return k;
}

constexpr qint64 kChunkBytes = qint64(1) << 20;

} // namespace

std::string SpreadsheetSafe(std::string_view text) {
    const qsizetype k = leadingApostrophes(text);
    if (k < qsizetype(text.size()) && runsAsFormula(QLatin1Char(text[std::size_t(k)])))
        return "'" + std::string(text);
    return std::string(text);
}

QString FromSpreadsheetSafe(const QString& cell) {
    const qsizetype k = leadingApostrophes(cell);
    if (k > 0 && k < cell.size() && runsAsFormula(cell[k]))
        return cell.mid(1);
    return cell;
}

CsvReader::CsvReader(QIODevice& device) : device_(device) {
    const QByteArray first = device_.read(kChunkBytes);
    const std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(first);
    hadBom_ = bom.has_value();
    // A NUL in the first line of a file without a byte order mark: UTF-16 or UTF-32 without one, whose
    // every cell would read as empty.
    const qsizetype firstLineEnd = first.indexOf('\n');
    if (!hadBom_ && first.left(firstLineEnd < 0 ? first.size() : firstLineEnd).contains('\0')) {
        error_ = QStringLiteral("The file is not UTF-8 text: it holds NUL bytes (UTF-16 text without a byte "
                                "order mark?). Save it as CSV UTF-8 and import it again. ");
        return;
    }
    // Invalid bytes become NUL characters, which text never holds, so each record can tell.
    decoder_ = QStringDecoder(bom.value_or(QStringConverter::Utf8), QStringConverter::Flag::ConvertInvalidToNull);
    text_ = decoder_.decode(first);
    bytesRead_ = first.size();
    charsDecoded_ = text_.size();

    // The delimiter the first line uses outside quotes; a comma when it uses neither.
    int commas = 0;
    int semicolons = 0;
    bool quoted = false;
    for (qsizetype i = 0; more(i - pos_) && i < kMaxRecordChars; ++i) {
        const QChar c = text_[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!quoted && c == QLatin1Char(','))
            ++commas;
        else if (!quoted && c == QLatin1Char(';'))
            ++semicolons;
    }
    delimiter_ = semicolons > commas ? QLatin1Char(';') : QLatin1Char(',');
}

bool CsvReader::more(qsizetype ahead) {
    while (pos_ + ahead >= text_.size()) {
        if (!error_.isEmpty() || device_.atEnd())
            return false;
        const QByteArray bytes = device_.read(kChunkBytes);
        if (bytes.isEmpty())
            return false;
        // Only the current record's text is kept.
        text_.remove(0, start_);
        pos_ -= start_;
        start_ = 0;
        const qsizetype before = text_.size();
        text_ += decoder_.decode(bytes);
        bytesRead_ += bytes.size();
        charsDecoded_ += text_.size() - before;
    }
    return true;
}

QStringView CsvReader::plainRun(qsizetype& at, bool quoted) const {
    // Characters that mean nothing to the reader, taken at once rather than one at a time.
    const qsizetype from = at;
    for (; at < text_.size(); ++at) {
        const QChar c = text_[at];
        if (c == QLatin1Char('"') || c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.isNull() ||
            (!quoted && c == delimiter_))
            break;
    }
    return QStringView(text_).mid(from, at - from);
}

qint64 CsvReader::position() const {
    // The device is read a megabyte ahead: scaled back by the characters not yet taken.
    if (charsDecoded_ == 0)
        return bytesRead_;
    const qint64 taken = charsDecoded_ - (text_.size() - pos_);
    return qint64(double(bytesRead_) * double(taken) / double(charsDecoded_));
}

void CsvReader::endRecord(CsvRecord& record, QString& field, int invalidLine) {
    record.fields.append(field);
    field.clear();
    if (invalidLine == 0)
        return;
    for (QString& f : record.fields)
        f.replace(QChar(0), QChar(QChar::ReplacementCharacter));
    if (record.error.isEmpty())
        record.error = (invalidLine == record.line ? QStringLiteral("The line holds")
                                                   : QStringLiteral("Line %1 holds").arg(invalidLine)) +
                       QStringLiteral(" bytes that are not UTF-8 text: save the file as UTF-8 and import it again. ");
}

bool CsvReader::next(CsvRecord& record) {
    const QChar quote = QLatin1Char('"');
    const QChar cr = QLatin1Char('\r');
    const QChar lf = QLatin1Char('\n');
    for (;;) {
        start_ = pos_;
        if (!more(0))
            return false;
        record = CsvRecord();
        record.line = line_;
        QString field;
        bool inQuotes = false;
        bool wasQuoted = false; // the field began with a quote: text after its closing quote is kept as is
        int invalidLine = 0;
        for (;;) {
            if (!more(0) || pos_ - start_ > kMaxRecordChars) {
                const bool ended = !more(0);
                if (!inQuotes && ended) {
                    endRecord(record, field, invalidLine);
                    break;
                }
                // A quote never closed, or a record too long to be a trip: refused as its first line alone,
                // and reading goes on from the line after it.
                record.error =
                    ended ? QStringLiteral("A quoted field that starts on line %1 is never closed. ").arg(record.line)
                          : QStringLiteral("The row is longer than %1 characters. ").arg(kMaxRecordChars);
                qsizetype lineEnd = start_;
                while (lineEnd < text_.size() && text_[lineEnd] != cr && text_[lineEnd] != lf)
                    ++lineEnd;
                pos_ = lineEnd;
                while (pos_ == text_.size() && more(0)) { // one line that long: skipped to its end
                    while (pos_ < text_.size() && text_[pos_] != cr && text_[pos_] != lf)
                        ++pos_;
                    start_ = pos_;
                }
                if (more(0))
                    pos_ += text_[pos_] == cr && more(1) && text_[pos_ + 1] == lf ? 2 : 1;
                line_ = record.line + 1;
                const qsizetype fieldEnd = field.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
                field.truncate(fieldEnd < 0 ? field.size() : fieldEnd);
                endRecord(record, field, invalidLine);
                break;
            }
            const QChar c = text_[pos_];
            if (c.isNull() && invalidLine == 0)
                invalidLine = line_;
            if (inQuotes) {
                if (c == quote) {
                    if (more(1) && text_[pos_ + 1] == quote) {
                        field += quote;
                        pos_ += 2;
                    } else {
                        inQuotes = false;
                        ++pos_;
                    }
                    continue;
                }
                if (c == lf || (c == cr && !(more(1) && text_[pos_ + 1] == lf)))
                    ++line_;
                field += c;
                field += plainRun(++pos_, true);
                continue;
            }
            ++pos_;
            if (c == quote && field.isEmpty() && !wasQuoted) {
                inQuotes = true;
                wasQuoted = true;
            } else if (c == delimiter_) {
                record.fields.append(field);
                field.clear();
                wasQuoted = false;
            } else if (c == cr || c == lf) {
                if (c == cr && more(0) && text_[pos_] == lf)
                    ++pos_;
                ++line_;
                endRecord(record, field, invalidLine);
                break;
            } else {
                field += c;
                field += plainRun(pos_, false);
            }
        }
        bool blank = record.error.isEmpty();
        for (const QString& f : record.fields)
            blank = blank && f.isEmpty();
        if (!blank)
            return true;
    }
}

CsvData ReadCsv(const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    CsvReader reader(buffer);
    CsvData data;
    data.delimiter = reader.delimiter();
    data.hadBom = reader.hadBom();
    data.error = reader.error();
    CsvRecord record;
    while (reader.next(record))
        data.records.append(record);
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
