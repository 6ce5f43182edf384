// Trip dates as stored and read back, and as people type them.
#include "tripdata/TripDates.h"

#include <gtest/gtest.h>

namespace {

struct DateCase {
    const char* text;
    QDate date; // invalid: no date
};

TEST(ParseTripDateTest, WholeDatesAsPeopleTypeAndToolsStoreThem) {
    const DateCase cases[] = {
        {"5/31/2010", QDate(2010, 5, 31)},
        {"05/31/2010", QDate(2010, 5, 31)},
        {"5/31/10", QDate(2010, 5, 31)},
        {" 12/25/2010 ", QDate(2010, 12, 25)},
        {"2/3/2011", QDate(2011, 2, 3)},
        {"10/18/2007 10:20:36 PM", QDate(2007, 10, 18)},
        {"5-31-2010", QDate(2010, 5, 31)},
        {"5.31.2010", QDate(2010, 5, 31)},
        {"2008-01-15", QDate(2008, 1, 15)},
        {"2008-01-15T08:30:00", QDate(2008, 1, 15)},
        {"2008-01-15 08:30:00.000", QDate(2008, 1, 15)},
        {"2008/1/15", QDate(2008, 1, 15)},
        {"1/15/2005", QDate(2005, 1, 15)}, // a date, though before the range
        {"2/30/2010", QDate()},
        {"13/1/2010", QDate()},
        {"0/1/2010", QDate()},
        {"5/31/201", QDate()},
        {"5/31", QDate()},
        {"5/31-2010", QDate()},
        {"5/31/2010x", QDate()},
        {"5/31/20100", QDate()},
        {"105/3/2010", QDate()},
        {"May 31, 2010", QDate()},
        {"2008-13-01", QDate()},
        {"", QDate()},
    };
    for (const DateCase& c : cases)
        EXPECT_EQ(ParseTripDate(QString::fromUtf8(c.text)), c.date) << c.text;
}

TEST(DateText, WritesAndReadsMonthDayYear) {
    EXPECT_EQ(DateToText(QDate(2007, 10, 18)), "10/18/2007");
    EXPECT_EQ(DateToText(QDate(2007, 6, 1)), "6/1/2007");
    EXPECT_EQ(TextToDate("6/1/2007"), QDate(2007, 6, 1));
    EXPECT_EQ(TextToDate("10/18/2007 10:20:36 PM"), QDate(2007, 10, 18));
    EXPECT_EQ(TextToDate("12/31/9999"), QDate(9999, 12, 31));
    EXPECT_FALSE(TextToDate("2/30/2007").isValid());
    EXPECT_EQ(TextToDate("2007-10-18"), QDate(2007, 10, 18)); // as other tools store it
    EXPECT_EQ(TextToDate("2007-10-18T22:20:36"), QDate(2007, 10, 18));
    EXPECT_FALSE(TextToDate("2007-02-30").isValid());
    EXPECT_FALSE(TextToDate("").isValid());
}

} // namespace
