#include "tripdata/TripRules.h"

#include <gtest/gtest.h>

namespace {

const QLocale english(QLocale::English, QLocale::UnitedStates);

// A trip that passes every check; cases change one or two fields of it.
TripFieldTexts validTrip() {
    TripFieldTexts t;
    t[fldDestination] = "Chicago";
    t[fldMiles] = "10";
    return t;
}

struct CheckCase {
    const char* name;
    std::vector<std::pair<int, const char*>> changes;
    int field; // -1: passes
    const char* message;
};

class CheckTripFieldsTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckTripFieldsTest, FirstFailureInTableOrder) {
    const CheckCase& c = GetParam();
    TripFieldTexts t = validTrip();
    for (const auto& [field, text] : c.changes)
        t[static_cast<std::size_t>(field)] = QString::fromUtf8(text);
    const auto failure = CheckTripFields(t, english);
    if (c.field < 0) {
        EXPECT_FALSE(failure) << failure->message.toStdString();
        return;
    }
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->field, c.field);
    EXPECT_EQ(failure->message.toStdString(), c.message);
}

const char* const rateMessage =
    "Rate Per Mile must be a number! \r\n\r\nThis is the amount paid or charged per mile of travel. ";

INSTANTIATE_TEST_SUITE_P(
    Checks, CheckTripFieldsTest,
    ::testing::Values(
        CheckCase{"valid", {}, -1, ""},
        CheckCase{"everything_filled",
                  {{0, ".475"}, {1, "100"}, {2, "250"}, {4, "1,234.50"}, {5, "1e2"}, {11, "-3"}},
                  -1,
                  ""},
        CheckCase{"destination", {{12, ""}, {0, "x"}}, 12, "Destination is missing! "},
        CheckCase{"rate", {{0, "abc"}, {1, "x"}}, 0, rateMessage},
        CheckCase{"start", {{1, "1O0"}, {2, "x"}}, 1, "Odometer Reading (Start) must be a number! "},
        CheckCase{"end", {{2, "x"}, {3, ""}}, 2, "Odometer Reading (End) must be a number! "},
        CheckCase{"readings_give_the_miles", {{1, "100"}, {2, "250"}, {3, ""}}, -1, ""},
        CheckCase{"miles_missing_one_reading", {{1, "0"}, {2, "250"}, {3, ""}}, 3, "Total Miles is missing! "},
        CheckCase{"end_below_start",
                  {{1, "49148"}, {2, "49140"}, {3, "152"}, {4, "x"}},
                  2,
                  "Odometer Reading (End) is less than Odometer Reading (Start)! "},
        CheckCase{"meals_misgrouped", {{6, "12,50"}}, 6, "Meals must be a number! "},
        CheckCase{"miles_not_number", {{3, "ten"}, {4, "x"}}, 3, "Total Miles must be a number! "},
        CheckCase{"fuel", {{4, "$5"}, {5, "x"}}, 4, "Fuel Cost must be a number! "},
        CheckCase{"parking", {{5, "x"}}, 5, "Parking Fee must be a number! "},
        CheckCase{"meals", {{6, "x"}}, 6, "Meals must be a number! "},
        CheckCase{"lodging", {{7, "x"}}, 7, "Lodging Cost must be a number! "},
        CheckCase{"phone", {{8, "x"}}, 8, "Telephone Charges must be a number! "},
        CheckCase{"repairs", {{9, "x"}}, 9, "Repairs must be a number! "},
        CheckCase{"towing", {{10, "x"}}, 10, "Towing Costs must be a number! "},
        CheckCase{"misc", {{11, "x"}, {0, "1e39"}}, 11, "Misc. Expenses must be a number! "},
        // Values beyond their columns, after the number tests.
        CheckCase{"miles_range", {{3, "32768"}}, 3, "Total Miles is out of range! "},
        CheckCase{"miles_negative_range", {{3, "-32769"}}, 3, "Total Miles is out of range! "},
        CheckCase{"miles_limit", {{3, "32767"}}, -1, ""},
        CheckCase{"miles_half_rounds_over", {{3, "32767.5"}}, 3, "Total Miles is out of range! "},
        CheckCase{"odometer_difference",
                  {{1, "1"}, {2, "40000"}, {3, "5"}},
                  2,
                  "Odometer Reading (End) is out of range! \r\n\r\n"
                  "The two odometer readings are more than 32767 miles apart. "},
        CheckCase{"typed_miles_ignored_with_odometers", {{1, "100"}, {2, "250"}, {3, "99999"}}, -1, ""},
        CheckCase{"odometer_range", {{1, "2147483648"}}, 1, "Odometer Reading (Start) is out of range! "},
        CheckCase{"odometer_end_range", {{2, "-3e9"}}, 2, "Odometer Reading (End) is out of range! "},
        CheckCase{"rate_range", {{0, "1e39"}}, 0, "Rate Per Mile is out of range! "},
        CheckCase{"fuel_range", {{4, "4e38"}}, 4, "Fuel Cost is out of range! "},
        CheckCase{"misc_range", {{11, "-1e39"}}, 11, "Misc. Expenses is out of range! "},
        CheckCase{"mileage_range",
                  {{0, "3e38"}, {3, "10"}},
                  0,
                  "Mileage Amount is out of range! \r\n\r\nRate Per Mile times Total Miles is too large. "},
        CheckCase{"total_range", {{4, "3e38"}, {5, "3e38"}}, 4, "Trip Total is out of range! "},
        // The total names no field of its own: the focus goes to the largest amount in it.
        CheckCase{"total_largest_amount", {{4, "1"}, {9, "2e38"}, {11, "3e38"}}, 11, "Trip Total is out of range! "},
        CheckCase{
            "total_largest_is_mileage", {{0, "3e36"}, {3, "100"}, {7, "1e38"}}, 0, "Trip Total is out of range! "}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

struct GatherCase {
    const char* name;
    std::vector<std::pair<int, const char*>> fields;
    int miles;
    bool fromOdometers;
    float mileage;
    float total;
};

class GatherTripTest : public ::testing::TestWithParam<GatherCase> {};

TEST_P(GatherTripTest, MilesMileageAndTotal) {
    const GatherCase& c = GetParam();
    TripFieldTexts t = validTrip();
    for (const auto& [field, text] : c.fields)
        t[static_cast<std::size_t>(field)] = QString::fromUtf8(text);
    const TripValueSet v = GatherTrip(t, "notes", QDate(2007, 10, 18), "T-7", english);
    EXPECT_EQ(v.intMiles, c.miles);
    EXPECT_EQ(v.milesFromOdometers, c.fromOdometers);
    EXPECT_EQ(v.sngMoney[8], c.mileage);
    EXPECT_EQ(v.sngMoney[9], c.total);
    EXPECT_EQ(v.sngMoney[10], 0.0f);
    EXPECT_EQ(v.lngNumbers[2], 0);
    EXPECT_EQ(v.strText[3], "");
}

INSTANTIATE_TEST_SUITE_P(
    Sequence, GatherTripTest,
    ::testing::Values(
        GatherCase{"worked_example",
                   {{0, ".475"}, {1, "100"}, {2, "250"}, {3, "1"}, {4, "30"}, {6, "12.50"}},
                   150,
                   true,
                   71.25f,
                   113.75f},
        GatherCase{"start_empty_uses_typed", {{0, ".5"}, {2, "150"}, {3, "40"}}, 40, false, 20.0f, 20.0f},
        GatherCase{"start_zero_uses_typed", {{0, ".5"}, {1, "0"}, {2, "150"}, {3, "40"}}, 40, false, 20.0f, 20.0f},
        GatherCase{"end_below_start", {{0, ".5"}, {1, "250"}, {2, "100"}, {4, "10"}}, -150, true, 0.0f, 10.0f},
        GatherCase{"rate_empty", {{3, "100"}, {4, "5"}}, 100, false, 0.0f, 5.0f},
        GatherCase{"half_to_even_down", {{3, "12.5"}}, 12, false, 0.0f, 0.0f},
        GatherCase{"half_to_even_up", {{3, "13.5"}}, 14, false, 0.0f, 0.0f},
        GatherCase{"grouped_amount", {{7, "1,234.50"}}, 10, false, 0.0f, 1234.5f},
        GatherCase{"all_eight_amounts",
                   {{4, "0.1"}, {5, "0.2"}, {6, "0.3"}, {7, "0.4"}, {8, "0.5"}, {9, "0.6"}, {10, "0.7"}, {11, "0.8"}},
                   10,
                   false,
                   0.0f,
                   // summed wide from the singles, rounded once
                   static_cast<float>(double(0.1f) + double(0.2f) + double(0.3f) + double(0.4f) + double(0.5f) +
                                      double(0.6f) + double(0.7f) + double(0.8f))}),
    [](const ::testing::TestParamInfo<GatherCase>& info) { return std::string(info.param.name); });

TEST(GatherTripValues, FillsEverySlotOfTheValueSet) {
    TripFieldTexts t;
    const char* texts[kTripFieldCount] = {".475", "100", "250", "", "1", "2", "3", "4", "5", "6", "7", "8", "Peoria"};
    for (int i = 0; i < kTripFieldCount; ++i)
        t[static_cast<std::size_t>(i)] = texts[i];
    const TripValueSet v = GatherTrip(t, "a note", QDate(2007, 10, 18), "T-3", english);
    EXPECT_EQ(v.strText, (std::vector<std::string>{"T-3", "a note", "Peoria", ""}));
    EXPECT_EQ(v.datDate.year, 2007);
    EXPECT_EQ(v.datDate.month, 10);
    EXPECT_EQ(v.datDate.day, 18);
    EXPECT_FALSE(v.datDate.hasTime);
    EXPECT_EQ(v.lngNumbers, (std::vector<std::int32_t>{100, 250, 0}));
    EXPECT_EQ(v.sngRate, 0.475f);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(v.sngMoney[static_cast<std::size_t>(i)], float(i + 1));
    EXPECT_EQ(v.sngMoney.size(), 11u);
}

Recordset newTripIdResult(std::vector<std::vector<Value>> rows) {
    return Recordset({"NewTripID"}, std::move(rows));
}

TEST(TripIDAfterTest, OneAboveTheHighestRow) {
    Recordset empty = newTripIdResult({{Value()}});
    EXPECT_EQ(TripIDAfter(&empty), "T-1");
    Recordset zero = newTripIdResult({{Value::integer(0)}});
    EXPECT_EQ(TripIDAfter(&zero), "T-1");
    Recordset highest = newTripIdResult({{Value::integer(41)}});
    EXPECT_EQ(TripIDAfter(&highest), "T-42");
    // No record set, no row, or no room above: no identifier, the save stops.
    EXPECT_FALSE(TripIDAfter(nullptr));
    Recordset noRow = newTripIdResult({});
    EXPECT_FALSE(TripIDAfter(&noRow));
    Recordset full = newTripIdResult({{Value::integer(2147483647)}});
    EXPECT_FALSE(TripIDAfter(&full));
}

TEST(CheckTripDateTest, InvalidAndOutOfRangeNameTripDate) {
    const char* const invalid =
        "Trip Date is not a valid date! \r\n\r\nEnter the date as month/day/year, for example 5/31/2010. ";
    const char* const range = "Trip Date is out of range! \r\n\r\nEnter a date from 6/1/2007 to 12/31/9999. ";
    EXPECT_FALSE(CheckTripDate("6/1/2007"));
    EXPECT_FALSE(CheckTripDate("12/31/9999"));
    EXPECT_EQ(CheckTripDate("2/30/2010").value_or("").toStdString(), invalid);
    EXPECT_EQ(CheckTripDate("").value_or("").toStdString(), invalid);
    EXPECT_EQ(CheckTripDate("5/31/2007").value_or("").toStdString(), range);
    // A stored date before the range, shown unchanged, may be saved again; another one may not.
    EXPECT_FALSE(CheckTripDate("1/15/2005", QDate(2005, 1, 15)));
    EXPECT_EQ(CheckTripDate("1/16/2005", QDate(2005, 1, 15)).value_or("").toStdString(), range);
}

TEST(FreeTripIDTest, SkipsNumbersStoredTripsAlreadyCarry) {
    EXPECT_EQ(FreeTripID("T-31", {"T-1", "T-30"}), "T-31");
    EXPECT_EQ(FreeTripID("T-31", {"T-31", "T-30"}), "T-32");
    EXPECT_EQ(FreeTripID("T-31", {"T-33", "T-31", "T-32"}), "T-34");
    EXPECT_EQ(FreeTripID("T-1", {}), "T-1");
    EXPECT_FALSE(FreeTripID("T-2147483647", {"T-2147483647"}));
}

StoredTrip trip(const char* id, const char* date, double fuel, std::int64_t miles, const char* destination = "X") {
    StoredTrip t;
    t.tripId = id;
    t.dateText = date;
    t.date = QDate::fromString(date, "M/d/yyyy");
    t.destination = destination;
    t.rate = 0.475;
    t.miles = miles;
    t.money[0] = fuel;
    return t;
}

TEST(TripLessTest, DatesAsDatesAndAmountsAsNumbers) {
    const StoredTrip sept = trip("T-1", "9/30/2007", 999.0, 9, "beta");
    const StoredTrip oct = trip("T-2", "10/2/2007", 1000.0, 10, "Alpha");
    EXPECT_TRUE(TripLess(sept, oct, 1)); // 9/30/2007 before 10/2/2007
    EXPECT_FALSE(TripLess(oct, sept, 1));
    EXPECT_TRUE(TripLess(sept, oct, 7)); // 999.00 before 1,000.00
    EXPECT_TRUE(TripLess(sept, oct, 6)); // 9 before 10 miles
    EXPECT_TRUE(TripLess(oct, sept, 2)); // text without regard to case
    StoredTrip blank = sept;
    blank.money[0].reset();
    EXPECT_TRUE(TripLess(blank, sept, 7)); // empty cells first
    EXPECT_FALSE(TripLess(sept, sept, 7));
}

TEST(TripListTextsTest, ListFormatsAndLoadedFieldTexts) {
    StoredTrip t = trip("T-5", "10/18/2007", 1234.5, 150, "O'Hare");
    t.rate = 0.476;
    t.startOdometer = 100;
    t.endOdometer = 250;
    t.money[7] = 1234.567;
    t.notes = QString::fromUtf16(u"one\r\ntwo\nthree\u2029four"); // a list row shows one line
    const QStringList cells = TripListTexts(t, english);
    EXPECT_EQ(cells, (QStringList{"T-5", "10/18/2007", "O'Hare", "0.48", "100", "250", "150", "1,234.50", "", "", "",
                                  "", "", "", "1,234.57", "one two three four"}));
    const TripFieldTexts fields = TripFieldTextsOf(t, english);
    EXPECT_EQ(fields[fldRate], "0.476");
    EXPECT_EQ(fields[fldFuel], "1,234.50");
    EXPECT_EQ(fields[fldMisc], "1,234.567");
    EXPECT_EQ(fields[fldParking], "");
    EXPECT_EQ(fields[fldMiles], "150");
    EXPECT_EQ(fields[fldDestination], "O'Hare");
    // Loaded texts pass the checks and convert back to the stored singles.
    const TripValueSet v = GatherTrip(fields, "", t.date, t.tripId, english);
    EXPECT_FALSE(CheckTripFields(fields, english));
    EXPECT_EQ(v.sngRate, 0.476f);
    EXPECT_EQ(v.sngMoney[7], 1234.567f);
}

// Leaving a trip window asks only when its fields differ from what was loaded into them.
TEST(TripInputChangedTest, AsksOnlyForInputThatWouldBeLost) {
    const auto input = [](const char* date, const char* destination = "", const char* notes = "") {
        TripInput t{date, {}, notes};
        t.fields[fldDestination] = destination;
        return t;
    };
    const char* day = "5/31/2010";
    const struct {
        TripInput loaded, shown;
        bool changed;
    } cases[] = {
        {input(day), input(day), false},
        {input(day), input(day, "Ames"), true},
        {input(day), input(day, "  "), false}, // blanks are trimmed by Save
        {input(day), input(day, "", "note"), true},
        {input(day), input("6/1/2010"), true},
        {input(day), input("05/31/10"), false},    // the same day written otherwise
        {input("31.5.x"), input("31.5.x"), false}, // an unreadable date left alone
        {input(day, "Peoria", "lunch"), input(day, " Peoria ", "lunch"), false},
        {input(day, "Peoria", "lunch"), input(day, "", "lunch"), true},
        {input(day, "Peoria", "lunch"), input(day, "Peoria"), true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(TripInputChanged(cases[i].loaded, cases[i].shown), cases[i].changed) << "case " << i;
}

} // namespace
