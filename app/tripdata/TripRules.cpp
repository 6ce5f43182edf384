#include "tripdata/TripRules.h"

#include "platform/Format.h"
#include "tripdata/TripDates.h"

#include <QRegularExpression>
#include <QSet>

#include <cmath>

namespace {

// The names the messages give the numeric fields, by txtBox index.
const char* const fieldNames[kTripFieldCount] = {"Rate Per Mile",
                                                 "Odometer Reading (Start)",
                                                 "Odometer Reading (End)",
                                                 "Total Miles",
                                                 "Fuel Cost",
                                                 "Parking Fee",
                                                 "Meals",
                                                 "Lodging Cost",
                                                 "Telephone Charges",
                                                 "Repairs",
                                                 "Towing Costs",
                                                 "Misc. Expenses",
                                                 "Destination"};

QString outOfRange(int field) {
    return QString::fromLatin1(fieldNames[field]) + QStringLiteral(" is out of range! ");
}

// The field behind the largest of the nine amounts a trip total adds up: the one to correct when the
// total overflows. The mileage amount is the rate's.
int largestAmountField(const TripValueSet& v) {
    int field = fldFuel;
    double largest = -1.0;
    for (int i = 0; i <= 8; ++i) {
        const double amount = std::fabs(static_cast<double>(v.sngMoney[static_cast<std::size_t>(i)]));
        if (amount > largest) {
            largest = amount;
            field = i == 8 ? fldRate : fldFuel + i;
        }
    }
    return field;
}

struct Converted {
    TripValueSet values;
    std::optional<TripCheck> failure; // the first value its column cannot hold
};

// The numeric fields read once, for the number tests and the conversion alike.
using ParsedFields = std::array<std::optional<double>, kTripFieldCount>;

ParsedFields parse(const TripFieldTexts& txt, const QLocale& locale) {
    ParsedFields parsed;
    for (int field = fldRate; field <= fldMisc; ++field) {
        const QString& text = txt[static_cast<std::size_t>(field)];
        if (!text.isEmpty())
            parsed[static_cast<std::size_t>(field)] = ParseNumber(text, locale);
    }
    return parsed;
}

// One conversion for both the range checks and the value set, so that what passes is what is stored.
Converted convert(const ParsedFields& parsed) {
    Converted c;
    TripValueSet& v = c.values;
    const auto fail = [&c](int field, const QString& message) {
        if (!c.failure)
            c.failure = TripCheck{field, message};
    };
    const auto number = [&](int field) { return parsed[static_cast<std::size_t>(field)]; };

    if (const auto rate = number(fldRate)) {
        if (const auto single = ToSingle(*rate))
            v.sngRate = *single;
        else
            fail(fldRate, outOfRange(fldRate));
    }
    for (int i = 0; i < 2; ++i) {
        const int field = fldStartOdometer + i;
        if (const auto reading = number(field)) {
            if (const auto whole = ToLong(*reading))
                v.lngNumbers[static_cast<std::size_t>(i)] = *whole;
            else
                fail(field, outOfRange(field));
        }
    }
    if (v.lngNumbers[0] > 0 && v.lngNumbers[1] > 0) {
        const std::int64_t difference = std::int64_t(v.lngNumbers[1]) - std::int64_t(v.lngNumbers[0]);
        if (const auto miles = ToInteger(static_cast<double>(difference))) {
            v.intMiles = *miles;
            v.milesFromOdometers = true;
        } else {
            // The readings are what the user must correct; the typed Total Miles plays no part.
            fail(fldEndOdometer,
                 outOfRange(fldEndOdometer) +
                     QStringLiteral("\r\n\r\nThe two odometer readings are more than 32767 miles apart. "));
        }
    } else if (const auto typed = number(fldMiles)) {
        if (const auto miles = ToInteger(*typed))
            v.intMiles = *miles;
        else
            fail(fldMiles, outOfRange(fldMiles));
    }
    for (int i = 0; i < 8; ++i) {
        const int field = fldFuel + i;
        if (const auto amount = number(field)) {
            if (const auto single = ToSingle(*amount))
                v.sngMoney[static_cast<std::size_t>(i)] = *single;
            else
                fail(field, outOfRange(field));
        }
    }
    if (v.intMiles > 0 && v.sngRate > 0.0f) {
        if (const auto mileage = ToSingle(static_cast<double>(v.sngRate) * v.intMiles))
            v.sngMoney[8] = *mileage;
        else
            fail(fldRate, QStringLiteral("Mileage Amount is out of range! \r\n\r\n"
                                         "Rate Per Mile times Total Miles is too large. "));
    }
    double total = 0.0; // summed wide, stored once as single
    for (std::size_t i = 0; i <= 8; ++i)
        total += static_cast<double>(v.sngMoney[i]);
    if (const auto single = ToSingle(total))
        v.sngMoney[9] = *single;
    else
        fail(largestAmountField(v), QStringLiteral("Trip Total is out of range! "));
    return c;
}

bool textLess(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

template <typename T> bool optionalLess(const std::optional<T>& a, const std::optional<T>& b) {
    if (!a || !b)
        return !a && b; // empty cells first
    return *a < *b;
}

std::optional<double> realOf(const Value& value) {
    if (value.isNull())
        return std::nullopt;
    return value.toDouble();
}

std::optional<std::int64_t> wholeOf(const Value& value) {
    if (value.isNull())
        return std::nullopt;
    return value.toInt64();
}

QString textOf(const Value& value) {
    return QString::fromStdString(value.toString());
}

template <typename T> QString wholeText(const std::optional<T>& value) {
    return value ? QString::number(*value) : QString();
}

} // namespace

namespace {

// The checks in their order on fields read once; the conversion comes with them.
Converted check(const TripFieldTexts& txt, const ParsedFields& parsed) {
    const auto failed = [](int field, const QString& message) {
        Converted c;
        c.failure = TripCheck{field, message};
        return c;
    };
    const auto notNumber = [&](int field) {
        return !txt[static_cast<std::size_t>(field)].isEmpty() && !parsed[static_cast<std::size_t>(field)];
    };
    if (txt[fldDestination].isEmpty())
        return failed(fldDestination, QStringLiteral("Destination is missing! "));
    if (notNumber(fldRate))
        return failed(fldRate, QStringLiteral("Rate Per Mile must be a number! \r\n\r\n"
                                              "This is the amount paid or charged per mile of travel. "));
    for (int field : {fldStartOdometer, fldEndOdometer}) {
        if (notNumber(field))
            return failed(field, QString::fromLatin1(fieldNames[field]) + QStringLiteral(" must be a number! "));
    }
    // Both readings positive give the miles (as the gathering does), so they must not run backwards, and
    // Total Miles need not be typed.
    Converted converted = convert(parsed);
    const std::vector<std::int32_t>& readings = converted.values.lngNumbers;
    const bool readingsGiveMiles = readings[0] > 0 && readings[1] > 0;
    if (readingsGiveMiles && readings[1] < readings[0])
        return failed(fldEndOdometer, QStringLiteral("Odometer Reading (End) is less than Odometer Reading (Start)! "));
    if (txt[fldMiles].isEmpty() && !readingsGiveMiles)
        return failed(fldMiles, QStringLiteral("Total Miles is missing! "));
    for (int field = fldMiles; field <= fldMisc; ++field) {
        if (notNumber(field))
            return failed(field, QString::fromLatin1(fieldNames[field]) + QStringLiteral(" must be a number! "));
    }
    return converted;
}

void fillTexts(TripValueSet& v, const TripFieldTexts& txt, const QString& notes, const QDate& date,
               const QString& tripId) {
    v.strText[0] = tripId.toStdString();
    v.strText[1] = notes.toStdString();
    v.strText[2] = txt[fldDestination].toStdString();
    v.datDate = ToWendloDate(date);
}

} // namespace

std::optional<TripCheck> CheckTripFields(const TripFieldTexts& txt, const QLocale& locale) {
    return check(txt, parse(txt, locale)).failure;
}

TripValueSet GatherTrip(const TripFieldTexts& txt, const QString& notes, const QDate& date, const QString& tripId,
                        const QLocale& locale) {
    TripValueSet v = convert(parse(txt, locale)).values;
    fillTexts(v, txt, notes, date, tripId);
    return v;
}

CheckedTrip CheckAndGatherTrip(const TripFieldTexts& txt, const QString& notes, const QDate& date,
                               const QLocale& locale) {
    Converted converted = check(txt, parse(txt, locale));
    if (!converted.failure)
        fillTexts(converted.values, txt, notes, date, QString());
    return CheckedTrip{std::move(converted.failure), std::move(converted.values)};
}

WendloDate ToWendloDate(const QDate& date) {
    WendloDate d;
    d.year = date.year();
    d.month = date.month();
    d.day = date.day();
    return d;
}

QDate TripDateMinimum() {
    return QDate(2007, 6, 1);
}

QDate TripDateMaximum() {
    return QDate(9999, 12, 31);
}

std::optional<QString> CheckTripDate(const QString& text, const QDate& stored) {
    const QDate date = ParseTripDate(text);
    if (!date.isValid())
        return QStringLiteral("Trip Date is not a valid date! \r\n\r\n"
                              "Enter the date as month/day/year, for example 5/31/2010. ");
    if ((date < TripDateMinimum() || date > TripDateMaximum()) && date != stored)
        return QStringLiteral("Trip Date is out of range! \r\n\r\nEnter a date from %1 to %2. ")
            .arg(DateToText(TripDateMinimum()), DateToText(TripDateMaximum()));
    return std::nullopt;
}

bool TripInputChanged(const TripInput& loaded, const TripInput& shown) {
    const QDate before = ParseTripDate(loaded.date);
    const QDate now = ParseTripDate(shown.date);
    if (before.isValid() && now.isValid() ? before != now : loaded.date.trimmed() != shown.date.trimmed())
        return true;
    for (std::size_t i = 0; i < loaded.fields.size(); ++i) {
        if (loaded.fields[i].trimmed() != shown.fields[i].trimmed())
            return true;
    }
    return loaded.notes.trimmed() != shown.notes.trimmed();
}

QStringList StoredTripIDs(Recordset* rs) {
    QStringList ids;
    if (!rs || !rs->isOpen())
        return ids;
    rs->MoveFirst();
    while (!rs->eof()) {
        ids << textOf(rs->Fields("TripID"));
        rs->MoveNext();
    }
    return ids;
}

QString SharedTripIDQuestion(qsizetype sharing, const QString& id, SharedTripIDWrite write) {
    QString what;
    switch (write) {
    case SharedTripIDWrite::Save:
        what = QStringLiteral("Saving gives all of them the values shown. Do you want to save anyway? ");
        break;
    case SharedTripIDWrite::Delete:
        what = QStringLiteral("Deleting removes all of them. Do you want to delete anyway? ");
        break;
    case SharedTripIDWrite::Restore:
        what = QStringLiteral("Restoring changes only the one this entry was kept from. Do you want to restore "
                              "anyway? ");
        break;
    }
    return QStringLiteral("%1 stored trips have the Trip ID %2. \r\n\r\n").arg(sharing).arg(id) + what;
}

std::optional<QString> TripIDAfter(const Recordset* rs) {
    if (!rs || !rs->isOpen() || rs->eof())
        return std::nullopt;
    const Value highest = rs->Fields("NewTripID");
    std::int64_t number = 1;
    if (!highest.isNull() && highest.toInt64() != 0)
        number = highest.toInt64() + 1;
    if (number < 1 || number > INT32_MAX)
        return std::nullopt;
    return QStringLiteral("T-") + QString::number(number);
}

std::optional<QString> FreeTripID(const QString& id, const QStringList& taken) {
    const QSet<QString> used(taken.begin(), taken.end());
    if (!used.contains(id))
        return id;
    bool ok = false;
    std::int64_t number = id.mid(2).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    while (number < INT32_MAX && used.contains(QStringLiteral("T-") + QString::number(number)))
        ++number;
    const QString next = QStringLiteral("T-") + QString::number(number);
    if (used.contains(next))
        return std::nullopt;
    return next;
}

StoredTrip StoredTripFromRecord(const Recordset& rs) {
    static const char* const moneyColumns[8] = {"Fuel",  "Parking", "Meals",  "Motel",
                                                "Phone", "Repairs", "Towing", "Expense"};
    StoredTrip t;
    t.tripId = textOf(rs.Fields("TripID"));
    t.dateText = textOf(rs.Fields("StartDate"));
    t.date = ParseTripDate(t.dateText);
    t.destination = textOf(rs.Fields("Destination"));
    t.rate = realOf(rs.Fields("Rate"));
    t.startOdometer = wholeOf(rs.Fields("StartOdometer"));
    t.endOdometer = wholeOf(rs.Fields("EndOdometer"));
    t.miles = wholeOf(rs.Fields("Miles"));
    for (std::size_t i = 0; i < 8; ++i)
        t.money[i] = realOf(rs.Fields(moneyColumns[i]));
    t.notes = textOf(rs.Fields("Notes"));
    return t;
}

StoredTrip StoredTripFromTable(const TripTable& table, int row) {
    const auto whole = [&](TripTable::Field f) -> std::optional<std::int64_t> {
        const std::optional<double> v = table.number(row, f);
        return v ? std::optional<std::int64_t>(std::llround(*v)) : std::nullopt;
    };
    StoredTrip t;
    t.tripId = table.text(row, TripTable::TripId);
    t.dateText = table.text(row, TripTable::Date);
    t.date = ParseTripDate(t.dateText);
    t.destination = table.text(row, TripTable::Destination);
    t.rate = table.number(row, TripTable::Rate);
    t.startOdometer = whole(TripTable::StartOdometer);
    t.endOdometer = whole(TripTable::EndOdometer);
    t.miles = whole(TripTable::Miles);
    for (std::size_t i = 0; i < 8; ++i)
        t.money[i] = table.number(row, TripTable::Field(TripTable::Fuel + int(i)));
    t.notes = table.text(row, TripTable::Notes);
    return t;
}

const QStringList& TripListHeaders() {
    static const QStringList headers = {"Trip ID",     "Date",   "Destination", "Rate",  "Start Miles", "End Miles",
                                        "Total Miles", "Fuel",   "Parking",     "Meals", "Lodging",     "Phone",
                                        "Repairs",     "Towing", "Misc. Exp",   "Notes"};
    return headers;
}

Qt::Alignment TripListAlignment(int column) {
    if (column == 1 || (column >= 4 && column <= 6))
        return Qt::AlignHCenter | Qt::AlignVCenter;
    if (column == 3 || (column >= 7 && column <= 14))
        return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

namespace {
// A list row is one line high: line breaks in a stored text show as blanks (the notes box shows them).
QString oneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (const QChar lineBreak : {QChar(u'\r'), QChar(u'\n'), QChar(u'\v'), QChar(u'\f'), QChar(0x2028), QChar(0x2029)})
        text.replace(lineBreak, QLatin1Char(' '));
    return text;
}
} // namespace

QString TripListCell(const StoredTrip& t, int column, const QLocale& locale) {
    switch (column) {
    case 0:
        return oneLine(t.tripId);
    case 1:
        return t.date.isValid() ? DateToText(t.date) : t.dateText;
    case 2:
        return oneLine(t.destination);
    case 3:
        return t.rate ? FormatNumber(*t.rate, QStringLiteral("##0.#0"), locale) : QString();
    case 4:
        return wholeText(t.startOdometer);
    case 5:
        return wholeText(t.endOdometer);
    case 6:
        return wholeText(t.miles);
    case 15:
        return oneLine(t.notes);
    default:
        if (column >= 7 && column <= 14) {
            const auto& amount = t.money[static_cast<std::size_t>(column - 7)];
            return amount ? FormatNumber(*amount, QStringLiteral("#,##0.#0"), locale) : QString();
        }
        return QString();
    }
}

QStringList TripListTexts(const StoredTrip& t, const QLocale& locale) {
    QStringList cells;
    cells.reserve(kTripListColumns);
    for (int column = 0; column < kTripListColumns; ++column)
        cells << TripListCell(t, column, locale);
    return cells;
}

TripFieldTexts TripFieldTextsOf(const StoredTrip& t, const QLocale& locale) {
    TripFieldTexts txt;
    txt[fldDestination] = t.destination;
    txt[fldRate] = t.rate ? FormatSingle(*t.rate, QStringLiteral("##0.##0"), locale) : QString();
    txt[fldStartOdometer] = wholeText(t.startOdometer);
    txt[fldEndOdometer] = wholeText(t.endOdometer);
    txt[fldMiles] = wholeText(t.miles);
    for (std::size_t i = 0; i < 8; ++i) {
        const auto& amount = t.money[i];
        txt[fldFuel + i] = amount ? FormatSingle(*amount, QStringLiteral("#,##0.#0"), locale) : QString();
    }
    return txt;
}

bool TripLess(const StoredTrip& a, const StoredTrip& b, int column) {
    switch (column) {
    case 0:
        return textLess(a.tripId, b.tripId);
    case 1:
        if (a.date.isValid() && b.date.isValid())
            return a.date < b.date;
        if (a.date.isValid() != b.date.isValid())
            return b.date.isValid(); // unreadable dates first
        return textLess(a.dateText, b.dateText);
    case 2:
        return textLess(a.destination, b.destination);
    case 3:
        return optionalLess(a.rate, b.rate);
    case 4:
        return optionalLess(a.startOdometer, b.startOdometer);
    case 5:
        return optionalLess(a.endOdometer, b.endOdometer);
    case 6:
        return optionalLess(a.miles, b.miles);
    case 15:
        return textLess(a.notes, b.notes);
    default:
        if (column >= 7 && column <= 14)
            return optionalLess(a.money[static_cast<std::size_t>(column - 7)],
                                b.money[static_cast<std::size_t>(column - 7)]);
        return false;
    }
}
