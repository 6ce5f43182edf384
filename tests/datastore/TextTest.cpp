// Values as written into SQL, Clean, and hostile texts that must come back exactly as given.
#include "SqlText.h"
#include "WendloFixture.h"

#include <clocale>
#include <locale>

using wendlo::EscapeQuoted;
using wendlo::FormatDate;
using wendlo::FormatSingle;
using wendlo::RepairUtf8;

namespace {
const std::string kFffd = "\xEF\xBF\xBD";

// What a cleaned column holds: repaired, NULs removed, blanks trimmed; quotes are only escaped in the SQL.
std::string storedCleaned(const std::string& text) {
    std::string s;
    for (char c : RepairUtf8(text))
        if (c != '\0')
            s += c;
    return wendlo::TrimBlanks(s);
}

// What TripID and OwnerID hold: the same but never trimmed.
std::string storedExact(const std::string& text) {
    std::string s;
    for (char c : RepairUtf8(text))
        if (c != '\0')
            s += c;
    return s;
}
} // namespace

struct SingleCase {
    float value;
    const char* text;
};
void PrintTo(const SingleCase& c, std::ostream* os) {
    *os << c.text;
}

class SingleText : public testing::TestWithParam<SingleCase> {};

TEST_P(SingleText, HasAtMostSevenDigitsAndAPeriod) {
    EXPECT_EQ(FormatSingle(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Numbers, SingleText,
                         testing::Values(SingleCase{0.475f, "0.475"}, SingleCase{12.5f, "12.5"}, SingleCase{0.0f, "0"},
                                         SingleCase{1e7f, "1E+07"}, SingleCase{9999999.0f, "9999999"},
                                         SingleCase{1234567.8f, "1234568"}, SingleCase{0.1f, "0.1"},
                                         SingleCase{-3.25f, "-3.25"}, SingleCase{1e-5f, "1E-05"},
                                         SingleCase{0.0001f, "0.0001"}, SingleCase{123456789.0f, "1.234568E+08"},
                                         SingleCase{1.1f * 3.0f, "3.3"}, SingleCase{120 * 0.475f, "57"},
                                         SingleCase{99999.99f, "99999.99"}, SingleCase{12345678.0f, "1.234568E+07"},
                                         SingleCase{-1e7f, "-1E+07"}, SingleCase{-0.0001f, "-0.0001"},
                                         SingleCase{1.5e-7f, "1.5E-07"}, SingleCase{-1.234568e-5f, "-1.234568E-05"},
                                         SingleCase{3.402823e38f, "3.402823E+38"}));

namespace {
struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};
} // namespace

// Numbers keep their period whatever the C and C++ locales say, so a statement never gains commas.
TEST_F(WendloTest, NumbersKeepAPeriodUnderACommaLocale) {
    const std::locale savedCpp = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    bool added = false;
    {
        CommaNumericLocale comma;
        TripValues v;
        v.rate = 0.475f;
        v.money[9] = 12345678.0f;
        added = addTrip(v);
    }
    std::locale::global(savedCpp);
    ASSERT_TRUE(added);
    EXPECT_NE(lastStatement().find("'Boston',0.475,0,0,0,0,0,0,0,0,0,0,0,0,1.234568E+07,'10/18/2007'"),
              std::string::npos)
        << lastStatement();
}

// The record set's text and number views read and write a period whatever the process's number settings.
TEST(RecordSetValues, ConvertNumbersWithAPeriodUnderACommaLocale) {
    CommaNumericLocale comma;
    if (!comma.active())
        GTEST_SKIP() << "no locale with a decimal comma can be had here";
    const std::pair<Value, const char*> asText[] = {
        {Value::real(0.475), "0.475"}, {Value::real(12.5), "12.5"},   {Value::real(0.1f), "0.10000000149011612"},
        {Value::real(1e7), "1e+07"},   {Value::real(-3.25), "-3.25"}, {Value::real(12345678.0), "12345678"},
    };
    for (const auto& [value, text] : asText)
        EXPECT_EQ(value.toString(), text);
    const std::pair<const char*, double> asNumber[] = {
        {"12.5", 12.5}, {" 0.475", 0.475}, {"+2.5", 2.5}, {"-1.25E+02", -125.0}, {"3.5 miles", 3.5},
        {"12,5", 12.0}, {"abc", 0.0},      {"", 0.0},     {"1e999", 0.0},
    };
    for (const auto& [text, number] : asNumber)
        EXPECT_EQ(Value::text(text).toDouble(), number) << text;
}

struct DateCase {
    WendloDate date;
    const char* text;
};
void PrintTo(const DateCase& c, std::ostream* os) {
    *os << c.text;
}

class DateText : public testing::TestWithParam<DateCase> {};

TEST_P(DateText, IsMonthDayYearWithATwelveHourClock) {
    EXPECT_EQ(FormatDate(GetParam().date), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Dates, DateText,
                         testing::Values(DateCase{{2007, 10, 18, 0, 0, 0, false}, "10/18/2007"},
                                         DateCase{{2007, 1, 5, 13, 0, 0, false}, "1/5/2007"},
                                         DateCase{{2007, 10, 18, 22, 20, 36, true}, "10/18/2007 10:20:36 PM"},
                                         DateCase{{2007, 1, 5, 0, 0, 0, true}, "1/5/2007 12:00:00 AM"},
                                         DateCase{{2024, 2, 29, 12, 5, 9, true}, "2/29/2024 12:05:09 PM"},
                                         DateCase{{2024, 12, 31, 11, 59, 59, true}, "12/31/2024 11:59:59 AM"}));

struct Utf8Case {
    const char* name;
    std::string input;
    std::string repaired;
};
void PrintTo(const Utf8Case& c, std::ostream* os) {
    *os << c.name;
}

class Utf8Repair : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Repair, ReplacesEachIllFormedPart) {
    EXPECT_EQ(RepairUtf8(GetParam().input), GetParam().repaired);
}

INSTANTIATE_TEST_SUITE_P(Texts, Utf8Repair,
                         testing::Values(Utf8Case{"Valid", "Z\xC3\xBCrich \xE6\x9D\xB1 \xF0\x9F\x9A\x97",
                                                  "Z\xC3\xBCrich \xE6\x9D\xB1 \xF0\x9F\x9A\x97"},
                                         Utf8Case{"LoneSurrogateBeforeQuote", "\xED\xA0\x80'",
                                                  kFffd + kFffd + kFffd + "'"},
                                         Utf8Case{"CutSequenceBeforeQuote", "abc\xE2\x82'", "abc" + kFffd + "'"},
                                         Utf8Case{"CutEmojiAtEnd", "car \xF0\x9F\x9A", "car " + kFffd},
                                         Utf8Case{"StrayContinuation", "\x80'x", kFffd + "'x"},
                                         Utf8Case{"Overlong", "\xC0\xAF", kFffd + kFffd},
                                         Utf8Case{"BeyondUnicode", "\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd}),
                         [](const auto& info) { return std::string(info.param.name); });

struct CleanCase {
    const char* name;
    std::string input;
    std::string result;
    std::string argumentAfter;
};
void PrintTo(const CleanCase& c, std::ostream* os) {
    *os << c.name;
}

class CleanText : public WendloTest, public testing::WithParamInterface<CleanCase> {};

TEST_P(CleanText, DoublesQuotesRemovesNulsAndTrimsOnlyTheResult) {
    std::string argument = GetParam().input;
    EXPECT_EQ(trip().Clean(argument), GetParam().result);
    EXPECT_EQ(argument, GetParam().argumentAfter);
}

INSTANTIATE_TEST_SUITE_P(Texts, CleanText,
                         testing::Values(CleanCase{"Empty", "", "", ""}, CleanCase{"Blanks", "   ", "", "   "},
                                         CleanCase{"Apostrophe", " O'Hare ", "O''Hare", " O''Hare "},
                                         CleanCase{"TwoQuotes", "''", "''''", "''''"},
                                         CleanCase{"Nuls", std::string("a\0b\0", 4), "ab", "ab"},
                                         CleanCase{"TabsAndBreaksKept", "\t x \r\n", "\t x \r\n", "\t x \r\n"},
                                         CleanCase{"LongerThanSixteenBits",
                                                   std::string(40000, 'a') + "'" + std::string(40000, 'b') + "'",
                                                   std::string(40000, 'a') + "''" + std::string(40000, 'b') + "''",
                                                   std::string(40000, 'a') + "''" + std::string(40000, 'b') + "''"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WendloTest, IdentifiersAreEscapedButNotCleaned) {
    TripValues v;
    v.text[0] = " T-'1 ";
    ASSERT_TRUE(addTrip(v));
    EXPECT_NE(lastStatement().find("VALUES (' T-''1 ','Boston',"), std::string::npos) << lastStatement();
    Db db(dir_->database());
    EXPECT_EQ(db.scalar("SELECT TripID FROM tblMain"), " T-'1 ");

    auto profile = owner("O'Brien");
    ASSERT_TRUE(trip().AddOwner(profile));
    EXPECT_EQ(db.scalar("SELECT OwnerID || '|' || LName FROM tblOwner"), "O'Brien1|O'Brien");
}

struct Hostile {
    const char* name;
    std::string text;
};
void PrintTo(const Hostile& c, std::ostream* os) {
    *os << c.name;
}

class HostileText : public WendloTest, public testing::WithParamInterface<Hostile> {};

TEST_P(HostileText, RoundTripsThroughEveryWrite) {
    const std::string h = GetParam().text;
    TripValues v;
    v.text = {h, h, h};
    ASSERT_TRUE(addTrip(v));
    // The identifier goes into the WHERE of the update and the delete: they must reach no other trip.
    ASSERT_TRUE(addOtherTrip());
    const std::string other = otherTrip();
    auto rs = trip().LoadTrip();
    ASSERT_TRUE(rs);
    ASSERT_EQ(rs->RecordCount(), 2u);
    EXPECT_EQ(rs->Fields("TripID").toString(), storedExact(h));
    EXPECT_EQ(rs->Fields("Notes").toString(), storedCleaned(h));
    EXPECT_EQ(rs->Fields("Destination").toString(), storedCleaned(h));

    std::string id = h;
    auto one = trip().LoadTripReport(id);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->RecordCount(), 1u);

    v.text = {h, "x" + h + "x", h + "y"};
    ASSERT_TRUE(updateTrip(v));
    rs = trip().LoadTrip();
    ASSERT_TRUE(rs);
    ASSERT_EQ(rs->RecordCount(), 2u);
    EXPECT_EQ(rs->Fields("Notes").toString(), storedCleaned("x" + h + "x"));
    EXPECT_EQ(rs->Fields("Destination").toString(), storedCleaned(h + "y"));

    std::vector<std::string> profile(9, h);
    ASSERT_TRUE(trip().AddOwner(profile));
    auto owners = trip().LoadOwner();
    ASSERT_TRUE(owners);
    ASSERT_EQ(owners->RecordCount(), 1u);
    EXPECT_EQ(owners->Fields("OwnerID").toString(), storedExact(h));
    for (const char* column : {"LName", "FName", "Address", "City", "State", "Zip", "Email", "FullName"})
        EXPECT_EQ(owners->Fields(column).toString(), storedCleaned(h)) << column;
    std::vector<std::string> changed(8, h + "z");
    ASSERT_TRUE(trip().UpdateOwner(changed));
    owners = trip().LoadOwner();
    ASSERT_TRUE(owners);
    EXPECT_EQ(owners->Fields("Email").toString(), storedCleaned(h + "z"));

    answer(vbYes);
    EXPECT_TRUE(trip().DeleteTrip(id));
    Db db(dir_->database());
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM tblMain"), "1");
    EXPECT_EQ(otherTrip(), other);
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name IN ('tblMain','tblOwner')"),
              "2");
    EXPECT_FALSE(FileExists(dir_->errorLog()));
}

namespace {
std::string megabyteNote() {
    std::string s;
    s.reserve(1 << 20);
    const std::string piece = "It's a long 'note', with \"quotes\", 100% \\ and \xC3\xBC\r\n\t";
    while (s.size() + piece.size() <= (1u << 20))
        s += piece;
    return s;
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Texts, HostileText,
                         testing::Values(Hostile{"QuoteOnly", "'"}, Hostile{"QuotesEverywhere", "'a''b'''c'"},
                                         Hostile{"Injection", "'); DROP TABLE tblMain; --"},
                                         Hostile{"InjectionInUpdate", "x' WHERE 1=1; DELETE FROM tblOwner; --"},
                                         Hostile{"Backslashes", "C:\\trips\\'\\"},
                                         Hostile{"Percent", "100% _off_ %s %n"},
                                         Hostile{"NonAscii", "Z\xC3\xBCrich Stra\xC3\x9F"
                                                             "e \xE6\x9D\xB1\xE4\xBA\xAC"},
                                         Hostile{"Emoji", "\xF0\x9F\x9A\x97\xF0\x9F\x92\xA8 road trip"},
                                         Hostile{"LineBreaksAndTabs", "line1\r\nline2\n\tindented\r"},
                                         Hostile{"BlanksAround", "  padded  "}, Hostile{"Nul", std::string("a\0'b", 4)},
                                         Hostile{"LoneSurrogateBeforeQuote", "x\xED\xA0\x80'); DROP TABLE tblMain; --"},
                                         Hostile{"CutSequenceBeforeQuote", "x\xE2\x82'); DROP TABLE tblOwner; --"},
                                         Hostile{"OneMegabyte", megabyteNote()}),
                         [](const auto& info) { return std::string(info.param.name); });

// Values keep every byte of their text across copies and moves, inline or on the heap.
TEST(RecordValue, TextsSurviveCopiesAndMovesAtEveryLength) {
    for (const std::string& text : {std::string(), std::string("T-1"), std::string(14, 'a'), std::string(15, 'b'),
                                    std::string("nul\0in the middle, long enough", 31), std::string(100000, 'c')}) {
        const Value original = Value::text(text);
        Value copy = original;
        Value moved = std::move(copy);
        Value assigned = Value::integer(7);
        assigned = moved;
        Value& self = assigned;
        assigned = self; // self-assignment keeps the text
        for (const Value* v : {&original, const_cast<const Value*>(&moved), const_cast<const Value*>(&assigned)}) {
            EXPECT_EQ(v->type(), Value::Type::Text);
            EXPECT_EQ(v->toString(), text);
            EXPECT_EQ(*v, original);
        }
        EXPECT_TRUE(copy.isNull()); // what a move leaves
    }
    EXPECT_EQ(Value::real(0.475).toString(), "0.475");
    EXPECT_EQ(Value::integer(-5).toInt64(), -5);
    EXPECT_EQ(Value::text("12.5").toDouble(), 12.5);
    EXPECT_FALSE(Value::integer(1) == Value::real(1.0));
    EXPECT_EQ(sizeof(Value), 16u);
}
