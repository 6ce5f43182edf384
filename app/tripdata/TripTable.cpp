#include "tripdata/TripTable.h"

#include "tripdata/TripDates.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr std::int32_t kNoDate = INT32_MIN;

// The record set's column of each field.
const char* const kColumnNames[TripTable::kFieldCount] = {
    "TripID",  "StartDate", "Destination", "StartOdometer", "EndOdometer", "Miles",  "Rate",    "Mileage",   "Fuel",
    "Parking", "Meals",     "Motel",       "Phone",         "Repairs",     "Towing", "Expense", "TotalTrip", "Notes"};

bool isAscii(std::string_view s) {
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// QString's case-insensitive order, without making QStrings while both texts are ASCII.
int compareText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char ca = a[i];
        const char cb = b[i];
        if ((static_cast<unsigned char>(ca) | static_cast<unsigned char>(cb)) >= 0x80) {
            const QString ra = QString::fromUtf8(a.data() + i, qsizetype(a.size() - i));
            const QString rb = QString::fromUtf8(b.data() + i, qsizetype(b.size() - i));
            return QString::compare(ra, rb, Qt::CaseInsensitive);
        }
        const char la = asciiLower(ca);
        const char lb = asciiLower(cb);
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The stored date forms M/d/yyyy read without a regular expression; anything else goes to TextToDate.
std::int32_t julianOf(std::string_view s) {
    int part[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int k = 0;
    for (const char c : s) {
        if (c >= '0' && c <= '9') {
            part[k] = part[k] * 10 + (c - '0');
            if (++digits[k] > 4)
                break;
        } else if (c == '/' && k < 2) {
            ++k;
        } else {
            k = -1;
            break;
        }
    }
    QDate date;
    if (k == 2 && digits[0] >= 1 && digits[0] <= 2 && digits[1] >= 1 && digits[1] <= 2 && digits[2] == 4)
        date = QDate(part[2], part[0], part[1]);
    else if (!s.empty())
        date = TextToDate(QString::fromUtf8(s.data(), qsizetype(s.size())));
    return date.isValid() ? static_cast<std::int32_t>(date.toJulianDay()) : kNoDate;
}

} // namespace

int TripTable::textSlot(Field field) {
    switch (field) {
    case TripId:
        return 0;
    case Destination:
        return 1;
    case Notes:
        return 2;
    default:
        return 3; // the date text
    }
}

int TripTable::numberSlot(Field field) {
    return field - StartOdometer;
}

std::shared_ptr<TripTable> TripTable::fromRecordset(Recordset& rs) {
    auto table = std::make_shared<TripTable>();
    TripTable& t = *table;
    const std::size_t count = rs.RecordCount();
    t.rows_ = static_cast<int>(count);
    t.offsets_.reserve(count * kTexts + 1);
    t.julian_.reserve(count);
    for (auto& column : t.numbers_)
        column.reserve(count);
    // Column positions once, not a name search per cell.
    const std::vector<std::string>& names = rs.columnNames();
    std::array<int, kFieldCount> at{};
    for (int f = 0; f < kFieldCount; ++f) {
        at[std::size_t(f)] = -1;
        for (std::size_t c = 0; c < names.size(); ++c) {
            if (QString::fromStdString(names[c]).compare(QLatin1String(kColumnNames[f]), Qt::CaseInsensitive) == 0) {
                at[std::size_t(f)] = int(c);
                break;
            }
        }
    }
    static const Value null;
    const auto value = [&rs, &at](Field f) -> const Value& {
        const int column = at[std::size_t(f)];
        const Value* v = column < 0 ? nullptr : rs.fieldAt(std::size_t(column));
        return v ? *v : null;
    };
    // The texts' size first, so the pool is allocated once at its size.
    std::size_t bytes = 0;
    for (rs.MoveFirst(); !rs.eof(); rs.MoveNext()) {
        for (Field f : {TripId, Destination, Notes, Date}) {
            const Value& v = value(f);
            bytes += v.type() == Value::Type::Text ? v.textView().size() : 24;
        }
    }
    t.pool_.reserve(bytes);
    for (rs.MoveFirst(); !rs.eof(); rs.MoveNext()) {
        for (Field f : {TripId, Destination, Notes, Date}) {
            t.offsets_.push_back(t.pool_.size());
            const Value& v = value(f);
            if (v.type() == Value::Type::Text)
                t.pool_ += v.textView();
            else if (!v.isNull())
                t.pool_ += v.toString();
        }
        const std::size_t dateAt = t.offsets_.back();
        t.julian_.push_back(julianOf(std::string_view(t.pool_).substr(dateAt)));
        for (int f = StartOdometer; f <= Total; ++f) {
            const Value& v = value(Field(f));
            t.numbers_[std::size_t(numberSlot(Field(f)))].push_back(v.isNull() ? std::nan("") : v.toDouble());
        }
    }
    t.offsets_.push_back(t.pool_.size());
    return table;
}

std::string_view TripTable::utf8(int row, Field field) const {
    if (row < 0 || row >= rows_)
        return {};
    const std::size_t slot = std::size_t(row) * kTexts + std::size_t(textSlot(field));
    return std::string_view(pool_).substr(offsets_[slot], offsets_[slot + 1] - offsets_[slot]);
}

QDate TripTable::date(int row) const {
    if (row < 0 || row >= rows_ || julian_[std::size_t(row)] == kNoDate)
        return QDate();
    return QDate::fromJulianDay(julian_[std::size_t(row)]);
}

std::optional<double> TripTable::number(int row, Field field) const {
    if (row < 0 || row >= rows_ || field < StartOdometer || field > Total)
        return std::nullopt;
    const double v = numbers_[std::size_t(numberSlot(field))][std::size_t(row)];
    if (std::isnan(v))
        return std::nullopt;
    return v;
}

bool TripTable::less(int a, int b, Field field) const {
    if (isText(field))
        return compareText(utf8(a, field), utf8(b, field)) < 0;
    if (field == Date) {
        const std::int32_t ja = julian_[std::size_t(a)];
        const std::int32_t jb = julian_[std::size_t(b)];
        if (ja != kNoDate && jb != kNoDate)
            return ja < jb;
        if ((ja == kNoDate) != (jb == kNoDate))
            return ja == kNoDate; // unreadable dates first
        return compareText(utf8(a, Date), utf8(b, Date)) < 0;
    }
    const std::vector<double>& column = numbers_[std::size_t(numberSlot(field))];
    const double va = column[std::size_t(a)];
    const double vb = column[std::size_t(b)];
    if (std::isnan(va) || std::isnan(vb))
        return std::isnan(va) && !std::isnan(vb); // empty cells first
    return va < vb;
}

std::string TripTable::fold(std::string_view utf8) {
    std::string out;
    foldInto(out, utf8);
    return out;
}

void TripTable::foldInto(std::string& out, std::string_view utf8) {
    if (isAscii(utf8)) {
        for (std::size_t i = 0; i < utf8.size(); ++i) {
            const char c = utf8[i];
            if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n')
                continue; // CR LF is one line break, one blank
            out += (c == '\r' || c == '\n' || c == '\v' || c == '\f') ? ' ' : asciiLower(c);
        }
        return;
    }
    QString decomposed = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    decomposed.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    decomposed = decomposed.normalized(QString::NormalizationForm_KD);
    QString kept;
    kept.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
            category == QChar::Mark_Enclosing)
            continue;
        kept += (category == QChar::Separator_Line || category == QChar::Separator_Paragraph || c == QChar(0x85) ||
                 c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\v') || c == QLatin1Char('\f'))
                    ? QChar(' ')
                    : c;
    }
    // Qt folds one character to one; the sharp s is the common case that folds to two.
    out += kept.toCaseFolded().replace(QChar(0x00DF), QStringLiteral("ss")).toStdString();
}

void TripTable::buildFolded() const {
    if (foldedOffsets_.size() == std::size_t(rows_) * 3 + 1)
        return;
    folded_.clear();
    folded_.reserve(pool_.size());
    foldedOffsets_.clear();
    foldedOffsets_.reserve(std::size_t(rows_) * 3 + 1);
    for (int row = 0; row < rows_; ++row) {
        for (Field f : {TripId, Destination, Notes}) {
            foldedOffsets_.push_back(folded_.size());
            const std::string_view s = utf8(row, f);
            foldInto(folded_, s);
        }
    }
    foldedOffsets_.push_back(folded_.size());
}

bool TripTable::contains(int row, std::string_view foldedNeedle) const {
    if (foldedNeedle.empty())
        return true;
    buildFolded();
    // Each field on its own, so that a match never spans two of them.
    const std::size_t first = std::size_t(row) * 3;
    for (std::size_t slot = first; slot < first + 3; ++slot) {
        const std::string_view field =
            std::string_view(folded_).substr(foldedOffsets_[slot], foldedOffsets_[slot + 1] - foldedOffsets_[slot]);
        if (field.find(foldedNeedle) != std::string_view::npos)
            return true;
    }
    return false;
}
