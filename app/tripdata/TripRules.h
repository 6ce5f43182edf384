#pragma once
// What the two trip windows compute without widgets: the field checks, the trip value set with its
// totals, the next trip identifier, and the stored trip behind each row of the trip list.

#include "Wendlo.h"
#include "tripdata/TripDates.h" // ParseTripDate
#include "tripdata/TripTable.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Indexes of the text-box array txtBox.
enum TripField : int {
    fldRate = 0,
    fldStartOdometer = 1,
    fldEndOdometer = 2,
    fldMiles = 3,
    fldFuel = 4,
    fldParking = 5,
    fldMeals = 6,
    fldLodging = 7,
    fldPhone = 8,
    fldRepairs = 9,
    fldTowing = 10,
    fldMisc = 11,
    fldDestination = 12,
};
constexpr int kTripFieldCount = 13;
using TripFieldTexts = std::array<QString, kTripFieldCount>;

// The first failing check: the text box that gets the focus and the message shown.
struct TripCheck {
    int field = 0;
    QString message;
};

// The checks of Save and Delete in their fixed order: Destination, the number tests, readings that run
// backwards, Total Miles (needed only when the readings do not give the miles); then every value against
// what its column holds (16-bit miles, 32-bit odometers, single amounts).
std::optional<TripCheck> CheckTripFields(const TripFieldTexts& txt, const QLocale& locale = QLocale());

// The six arguments of AddTrip and UpdateTrip.
struct TripValueSet {
    std::vector<std::string> strText = std::vector<std::string>(4);
    WendloDate datDate;
    std::int16_t intMiles = 0;
    std::vector<std::int32_t> lngNumbers = std::vector<std::int32_t>(3);
    std::vector<float> sngMoney = std::vector<float>(11);
    float sngRate = 0.0f;
    // Both odometer readings were positive: the miles are their difference and the Total Miles field
    // is rewritten with it.
    bool milesFromOdometers = false;
};

// Gathers the fields into the value set and computes the miles, the mileage amount and the trip total.
// A value that does not convert stays 0.
TripValueSet GatherTrip(const TripFieldTexts& txt, const QString& notes, const QDate& date, const QString& tripId,
                        const QLocale& locale = QLocale());

// Both of the above from one reading of the fields, for the many rows of an import: the first failing
// check, or the value set without an identifier.
struct CheckedTrip {
    std::optional<TripCheck> failure;
    TripValueSet values;
};
CheckedTrip CheckAndGatherTrip(const TripFieldTexts& txt, const QString& notes, const QDate& date,
                               const QLocale& locale);

WendloDate ToWendloDate(const QDate& date);

// The earliest and latest trip date the windows accept.
QDate TripDateMinimum();
QDate TripDateMaximum();
// Nothing when the date text may be saved; otherwise the message naming Trip Date. A date outside the
// range passes only when it is the stored date, shown unchanged.
std::optional<QString> CheckTripDate(const QString& text, const QDate& stored = QDate());

// What a trip window's fields hold, for the check on input that leaving the window would lose.
struct TripInput {
    QString date; // the date box's text
    TripFieldTexts fields;
    QString notes;
};
// True when the fields differ from what was loaded into them (for a new trip: the date at today, every field
// and the notes empty). Blanks around a text, which Save trims, and another way of writing the same date
// do not count.
bool TripInputChanged(const TripInput& loaded, const TripInput& shown);

// The identifiers read by RefreshTrip (the record set is read to its end).
QStringList StoredTripIDs(Recordset* rs);

// The question before a write to a Trip ID that sharing (two or more) stored trips have.
enum class SharedTripIDWrite { Save, Delete, Restore };
QString SharedTripIDQuestion(qsizetype sharing, const QString& id, SharedTripIDWrite write);

// The identifier after the highest ID that GetNewTripID returned: T-1 for an empty table. Nothing when
// the read produced no row, so the caller stops instead of inventing one.
std::optional<QString> TripIDAfter(const Recordset* rs);
// The identifier itself, or the next number that no stored trip carries (a row renamed by another
// tool can hold it). Nothing when the numbers run out.
std::optional<QString> FreeTripID(const QString& id, const QStringList& taken);

// One stored trip as the list row holds it: the values themselves, not their display texts.
struct StoredTrip {
    QString tripId;
    QString dateText; // as stored
    QDate date;       // invalid when the stored text is no date
    QString destination;
    std::optional<double> rate;
    std::optional<std::int64_t> startOdometer;
    std::optional<std::int64_t> endOdometer;
    std::optional<std::int64_t> miles;
    std::array<std::optional<double>, 8> money; // Fuel .. Expense
    QString notes;
};

StoredTrip StoredTripFromRecord(const Recordset& rs);
// The same trip read from a row of the trip table behind the lists.
StoredTrip StoredTripFromTable(const TripTable& table, int row);

constexpr int kTripListColumns = 16;
// Header texts and alignment of the trip list's columns.
const QStringList& TripListHeaders();
Qt::Alignment TripListAlignment(int column);
// One cell text of a trip's row, and all sixteen.
QString TripListCell(const StoredTrip& trip, int column, const QLocale& locale = QLocale());
QStringList TripListTexts(const StoredTrip& trip, const QLocale& locale = QLocale());
// The field texts of a trip loaded for editing: the list's formats, with more decimals only where the
// stored value needs them, so that saving unchanged stores the same values.
TripFieldTexts TripFieldTextsOf(const StoredTrip& trip, const QLocale& locale = QLocale());
// Row order for a column: dates as dates, amounts and counts as numbers, the rest as text.
bool TripLess(const StoredTrip& a, const StoredTrip& b, int column);
