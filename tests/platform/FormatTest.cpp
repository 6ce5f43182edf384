#include "platform/Format.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>

#include <cmath>

namespace {

const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);

struct ParseCase {
    const char* text;
    bool number;
    double value;
    bool germanLocale = false;
};

class ParseNumberTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumberTest, AcceptsWhatConverts) {
    const ParseCase& c = GetParam();
    const auto parsed = ParseNumber(QString::fromUtf8(c.text), c.germanLocale ? german : english);
    ASSERT_EQ(parsed.has_value(), c.number) << c.text;
    if (c.number) {
        EXPECT_DOUBLE_EQ(*parsed, c.value) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseNumberTest,
    ::testing::Values(ParseCase{"1,234.50", true, 1234.5}, ParseCase{".475", true, 0.475}, ParseCase{"-2", true, -2},
                      ParseCase{"+7", true, 7}, ParseCase{"1e3", true, 1000}, ParseCase{"2.5E-1", true, 0.25},
                      ParseCase{"150", true, 150}, ParseCase{"5.", true, 5}, ParseCase{"1,000,000", true, 1e6},
                      ParseCase{"", false, 0}, ParseCase{" ", false, 0}, ParseCase{"abc", false, 0},
                      ParseCase{"12a", false, 0}, ParseCase{".", false, 0}, ParseCase{"-", false, 0},
                      ParseCase{"1e", false, 0}, ParseCase{",5", false, 0}, ParseCase{"1,", false, 0},
                      ParseCase{"1.2.3", false, 0}, ParseCase{"1e999", false, 0},
                      ParseCase{"1.234,50", true, 1234.5, true}, ParseCase{",475", true, 0.475, true},
                      ParseCase{"1,234.50", false, 0, true},
                      // A grouping separator only between groups of three digits of the integer part.
                      ParseCase{"12,50", false, 0}, ParseCase{"1,2345", false, 0}, ParseCase{"1234,567", false, 0},
                      ParseCase{"0,475", false, 0}, ParseCase{"1,234,56", false, 0}, ParseCase{"1.5,000", false, 0},
                      ParseCase{"-1,234", true, -1234}, ParseCase{"12.50", false, 0, true},
                      ParseCase{"1.234.567,5", true, 1234567.5, true}));

// The program takes the system's locale for the C library too: a decimal-comma LC_NUMERIC must not
// change what a text reads as.
TEST(ParseNumberCLocale, ReadsTheSameUnderADecimalCommaCLocale) {
    QTemporaryDir dir;
    const QString made = dir.filePath("de_DE.UTF-8");
    if (QProcess::execute("localedef", {"-i", "de_DE", "-f", "UTF-8", made}) != 0)
        GTEST_SKIP() << "no de_DE locale can be made here";
    qputenv("LOCPATH", QFile::encodeName(dir.path()));
    const std::string saved = setlocale(LC_ALL, nullptr);
    ASSERT_TRUE(setlocale(LC_ALL, "de_DE.UTF-8"));
    const auto comma = ParseNumber("12,5", german);
    const auto period = ParseNumber("1,234.5", english);
    setlocale(LC_ALL, saved.c_str());
    qunsetenv("LOCPATH");
    EXPECT_EQ(comma, 12.5);
    EXPECT_EQ(period, 1234.5);
}

TEST(ToWholeNumber, RoundsHalfToEven) {
    EXPECT_EQ(ToInteger(12.5), std::int16_t(12));
    EXPECT_EQ(ToInteger(13.5), std::int16_t(14));
    EXPECT_EQ(ToInteger(-2.5), std::int16_t(-2));
    EXPECT_EQ(ToInteger(2.51), std::int16_t(3));
    EXPECT_EQ(ToLong(100000.5), 100000);
    EXPECT_EQ(ToLong(100001.5), 100002);
}

TEST(ToWholeNumber, RefusesValuesBeyondTheirRange) {
    EXPECT_EQ(ToInteger(32767), std::int16_t(32767));
    EXPECT_EQ(ToInteger(-32768), std::int16_t(-32768));
    EXPECT_FALSE(ToInteger(32768));
    EXPECT_FALSE(ToInteger(32767.5)); // rounds to 32768
    EXPECT_FALSE(ToInteger(-32769));
    EXPECT_FALSE(ToInteger(NAN));
    EXPECT_EQ(ToLong(2147483647.0), 2147483647);
    EXPECT_FALSE(ToLong(2147483648.0));
    EXPECT_FALSE(ToLong(-2147483649.0));
}

TEST(ToSingleTest, RefusesValuesBeyondSinglePrecision) {
    EXPECT_EQ(ToSingle(0.475), 0.475f);
    EXPECT_EQ(ToSingle(3.4e38), 3.4e38f);
    EXPECT_FALSE(ToSingle(1e39));
    EXPECT_FALSE(ToSingle(-1e39));
}

struct FormatCase {
    double value;
    const char* pattern;
    const char* english;
    const char* german;
};

class FormatNumberTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatNumberTest, FollowsPatternAndLocale) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatNumber(c.value, QString::fromUtf8(c.pattern), english).toStdString(), c.english)
        << c.value << " " << c.pattern;
    EXPECT_EQ(FormatNumber(c.value, QString::fromUtf8(c.pattern), german).toStdString(), c.german)
        << c.value << " " << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatNumberTest,
    ::testing::Values(FormatCase{0.476, "##0.#0", "0.48", "0,48"}, FormatCase{0.475, "##0.##0", "0.475", "0,475"},
                      FormatCase{0.476, "##0.##0", "0.476", "0,476"},
                      FormatCase{1234.5, "#,##0.#0", "1,234.50", "1.234,50"},
                      FormatCase{999, "#,##0.#0", "999.00", "999,00"}, FormatCase{0, "#,##0.#0", "0.00", "0,00"},
                      FormatCase{1234567.891, "###,##0.#0", "1,234,567.89", "1.234.567,89"},
                      FormatCase{113.75, "0", "114", "114"}, FormatCase{12.5, "0.00", "12.50", "12,50"},
                      FormatCase{0.125, "0.00", "0.13", "0,13"}, FormatCase{2.675, "0.00", "2.68", "2,68"},
                      FormatCase{0.4755, "0.000", "0.476", "0,476"}, FormatCase{9.999, "0.00", "10.00", "10,00"},
                      FormatCase{999.999, "#,##0.#0", "1,000.00", "1.000,00"},
                      FormatCase{1234.5, "\"$\"#,##0.00", "$1,234.50", "$1.234,50"},
                      FormatCase{-1234.5, "\"$\"#,##0.00", "-$1,234.50", "-$1.234,50"},
                      FormatCase{-0.001, "0.00", "0.00", "0,00"}, FormatCase{-71.25, "#,##0.#0", "-71.25", "-71,25"},
                      FormatCase{1e7, "#,##0.#0", "10,000,000.00", "10.000.000,00"}));

TEST(FormatSingleTest, KeepsTheDecimalsTheStoredValueNeeds) {
    EXPECT_EQ(FormatSingle(0.476, "##0.##0", english), "0.476");
    EXPECT_EQ(FormatSingle(0.4755, "##0.##0", english), "0.4755");
    EXPECT_EQ(FormatSingle(0.5, "##0.##0", english), "0.500");
    EXPECT_EQ(FormatSingle(1234.567, "#,##0.#0", english), "1,234.567");
    EXPECT_EQ(FormatSingle(1234.5, "#,##0.#0", english), "1,234.50");
    EXPECT_EQ(FormatSingle(1234.567, "#,##0.#0", german), "1.234,567");
    // A value widened from single precision shows as the single it is.
    EXPECT_EQ(FormatSingle(static_cast<double>(0.1f), "#,##0.#0", english), "0.10");
    // Whatever is shown reads back as the same single.
    for (double v : {0.476, 1234.567, 0.1, 71.25, 3.14159274, 99999.99}) {
        const auto parsed = ParseNumber(FormatSingle(v, "#,##0.#0", english), english);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(static_cast<float>(*parsed), static_cast<float>(v)) << v;
    }
}

TEST(FormatDateTest, ReportPatternsAndTheLongForm) {
    EXPECT_EQ(FormatDate(QDate(2007, 10, 2), "M/d/yyyy"), "10/2/2007");
    EXPECT_EQ(FormatDate(QDate(2007, 10, 2), "MM/dd/yy"), "10/02/07");
    EXPECT_EQ(LongDate(QDate(2007, 10, 18)), "Thursday, October 18, 2007");
    EXPECT_EQ(LongDate(QDate(2008, 2, 4)), "Monday, February 4, 2008");
}

} // namespace
