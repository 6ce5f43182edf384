#pragma once
// Numbers as the program reads and shows them, and dates as it shows them: one parser for validation
// and conversion, one formatter for every display pattern of the windows and the reports.

#include <QDate>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>

// The numeric test and conversion in one: the locale's decimal and grouping symbols, a leading
// sign and an exponent are accepted ("1,234.50", ".475", "-2", "1e3"); empty text is no number.
std::optional<double> ParseNumber(const QString& text, const QLocale& locale = QLocale());
inline bool IsNumeric(const QString& text, const QLocale& locale = QLocale()) {
    return ParseNumber(text, locale).has_value();
}

// Whole numbers round half to even (12.5 gives 12, 13.5 gives 14); nullopt when out of range.
std::optional<std::int16_t> ToInteger(double value);
std::optional<std::int32_t> ToLong(double value);
// Single precision; nullopt beyond its range.
std::optional<float> ToSingle(double value);

// Display patterns: "##0.#0", "#,##0.#0", "##0.##0", "###,##0.#0", "0", "0.00", "0.000",
// "\"$\"#,##0.00". Decimal and grouping symbols follow the locale.
QString FormatNumber(double value, const QString& pattern, const QLocale& locale = QLocale());
// A stored single-precision value for editing: the pattern's integer digits, grouping and decimals,
// and further decimals only where the value needs them to read back as the same single.
QString FormatSingle(double value, const QString& pattern, const QLocale& locale = QLocale());

// Date patterns of the reports: "M/d/yyyy" and the long form ("Thursday, October 18, 2007").
QString FormatDate(const QDate& date, const QString& pattern);
QString LongDate(const QDate& date);
