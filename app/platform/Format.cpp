#include "platform/Format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>
#include <string_view>

namespace {

// The separators a locale writes; a no-break-space grouping also accepts a plain blank when read.
struct Symbols {
    QString decimal;
    QString group;
};

Symbols symbolsOf(const QLocale& locale) {
    Symbols s{locale.decimalPoint(), locale.groupSeparator()};
    if (s.decimal.isEmpty())
        s.decimal = QStringLiteral(".");
    return s;
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isGroup(const QString& group, QChar c) {
    if (group.isEmpty())
        return false;
    if (group.size() == 1 && c == group.at(0))
        return true;
    // No-break spaces are hard to type: a plain blank stands for them.
    const bool groupIsSpace = group.at(0) == QChar(0x00A0) || group.at(0) == QChar(0x202F) || group.at(0) == ' ';
    return groupIsSpace && (c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QChar(0x202F));
}

// Shortest decimal form in scientific notation that reads back as the same value: the digits
// without the point, and the power of ten of the first digit.
struct Decimal {
    std::string digits; // at least one digit, no sign
    int exponent = 0;
    bool negative = false;
};

Decimal shortestDecimal(double value, bool single) {
    Decimal d;
    d.negative = std::signbit(value) && value != 0.0;
    const double magnitude = std::fabs(value);
    char buf[64];
    const std::to_chars_result r =
        single ? std::to_chars(buf, buf + sizeof buf, static_cast<float>(magnitude), std::chars_format::scientific)
               : std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    const std::string_view text(buf, static_cast<std::size_t>(r.ptr - buf));
    const std::size_t e = text.find('e');
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] != '.')
            d.digits.push_back(text[i]);
    }
    d.exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
    return d;
}

struct Pattern {
    QString prefix;
    QString suffix;
    int minInteger = 0;
    bool grouping = false;
    int minDecimals = 0;
    int maxDecimals = 0;
};

// Splits a display pattern into its literal text and its digit placeholders.
Pattern parsePattern(const QString& pattern) {
    Pattern p;
    bool inNumber = false;
    bool afterNumber = false;
    bool afterPoint = false;
    int decimalPlaces = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        const bool placeholder = c == '#' || c == '0' || (inNumber && !afterNumber && (c == ',' || c == '.'));
        if (placeholder && !afterNumber) {
            inNumber = true;
            if (c == '.') {
                afterPoint = true;
            } else if (c == ',') {
                p.grouping = true;
            } else if (afterPoint) {
                ++decimalPlaces;
                if (c == '0')
                    p.minDecimals = decimalPlaces;
            } else if (c == '0') {
                ++p.minInteger;
            }
            continue;
        }
        if (inNumber)
            afterNumber = true;
        QString literal;
        if (c == '"') {
            const qsizetype end = pattern.indexOf('"', i + 1);
            literal = pattern.mid(i + 1, (end < 0 ? pattern.size() : end) - i - 1);
            i = end < 0 ? pattern.size() : end;
        } else if (c == '\\' && i + 1 < pattern.size()) {
            literal = pattern.at(++i);
        } else {
            literal = c;
        }
        (afterNumber ? p.suffix : p.prefix) += literal;
    }
    p.maxDecimals = decimalPlaces;
    return p;
}

// Rounds the decimal form to maxDecimals places (a half away from zero, on the decimal digits) and
// writes it with the pattern's integer digits, grouping, decimals and literals.
QString render(const Decimal& d, const Pattern& p, int maxDecimals, const QLocale& locale) {
    std::string integer;
    std::string fraction;
    const int pointAt = d.exponent + 1; // digits before the decimal point
    const int length = static_cast<int>(d.digits.size());
    if (pointAt <= 0) {
        fraction = std::string(static_cast<std::size_t>(-pointAt), '0') + d.digits;
    } else if (pointAt >= length) {
        integer = d.digits + std::string(static_cast<std::size_t>(pointAt - length), '0');
    } else {
        integer = d.digits.substr(0, static_cast<std::size_t>(pointAt));
        fraction = d.digits.substr(static_cast<std::size_t>(pointAt));
    }
    if (maxDecimals >= 0 && static_cast<int>(fraction.size()) > maxDecimals) {
        const bool up = fraction[static_cast<std::size_t>(maxDecimals)] >= '5';
        fraction.resize(static_cast<std::size_t>(maxDecimals));
        if (up) {
            std::string all = integer + fraction;
            int i = static_cast<int>(all.size()) - 1;
            while (i >= 0 && all[static_cast<std::size_t>(i)] == '9')
                all[static_cast<std::size_t>(i--)] = '0';
            if (i >= 0)
                ++all[static_cast<std::size_t>(i)];
            else
                all.insert(all.begin(), '1');
            const std::size_t intLength = all.size() - fraction.size();
            integer = all.substr(0, intLength);
            fraction = all.substr(intLength);
        }
    }
    while (static_cast<int>(fraction.size()) > p.minDecimals && !fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    while (static_cast<int>(fraction.size()) < p.minDecimals)
        fraction.push_back('0');
    const std::size_t firstNonZero = integer.find_first_not_of('0');
    integer = firstNonZero == std::string::npos ? std::string() : integer.substr(firstNonZero);
    while (static_cast<int>(integer.size()) < p.minInteger)
        integer.insert(integer.begin(), '0');

    const bool allZero =
        integer.find_first_not_of('0') == std::string::npos && fraction.find_first_not_of('0') == std::string::npos;
    const Symbols symbols = symbolsOf(locale);
    QString out;
    if (d.negative && !allZero)
        out += locale.negativeSign().isEmpty() ? QStringLiteral("-") : locale.negativeSign();
    out += p.prefix;
    for (std::size_t i = 0; i < integer.size(); ++i) {
        if (p.grouping && i > 0 && (integer.size() - i) % 3 == 0)
            out += symbols.group;
        out += QLatin1Char(integer[i]);
    }
    if (!fraction.empty()) {
        out += symbols.decimal;
        out += QString::fromLatin1(fraction.c_str());
    }
    out += p.suffix;
    return out;
}

const char* const dayNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
const char* const monthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                  "July",    "August",   "September", "October", "November", "December"};

} // namespace

namespace {
struct Signs {
    QLocale locale;
    Symbols symbols;
    QString minus;
    QString plus;
};

// The symbols of the locale last read with: a QLocale makes each anew at every call, and an import
// reads millions of numbers with one locale.
const Signs& signsOf(const QLocale& locale) {
    thread_local Signs cached{QLocale::c(), symbolsOf(QLocale::c()), QLocale::c().negativeSign(),
                              QLocale::c().positiveSign()};
    if (!(cached.locale == locale))
        cached = Signs{locale, symbolsOf(locale), locale.negativeSign(), locale.positiveSign()};
    return cached;
}
} // namespace

std::optional<double> ParseNumber(const QString& text, const QLocale& locale) {
    const Signs& signs = signsOf(locale);
    const Symbols& symbols = signs.symbols;
    const QString trimmedText = text.trimmed();
    const QStringView t(trimmedText); // views: no copy per character
    std::string c;                    // the number in C notation for strtod
    qsizetype i = 0;
    if (i < t.size()) {
        const QStringView first = t.mid(i, 1);
        const bool minus = first == QLatin1String("-") || first == signs.minus;
        if (minus || first == QLatin1String("+") || first == signs.plus) {
            if (minus)
                c.push_back('-');
            ++i;
        }
    }
    // A grouping separator stands only between groups of three digits of the integer part, after a first
    // group of one to three digits: "1,234.50" is a number, "12,50" on a decimal-period system is not.
    int digits = 0;
    int groupDigits = 0; // digits since the start or the last separator
    bool grouped = false;
    bool leadingZero = false;
    for (; i < t.size(); ++i) {
        const QChar ch = t.at(i);
        if (isDigit(ch)) {
            if (digits == 0)
                leadingZero = ch == QLatin1Char('0');
            c.push_back(static_cast<char>(ch.unicode()));
            ++digits;
            ++groupDigits;
        } else if (t.mid(i, symbols.decimal.size()) == QStringView(symbols.decimal)) {
            break;
        } else if (isGroup(symbols.group, ch)) {
            if (groupDigits == 0 || groupDigits > 3 || (grouped && groupDigits != 3) || (!grouped && leadingZero))
                return std::nullopt;
            grouped = true;
            groupDigits = 0;
        } else {
            break;
        }
    }
    if (grouped && groupDigits != 3)
        return std::nullopt;
    if (i < t.size() && t.mid(i, symbols.decimal.size()) == QStringView(symbols.decimal)) {
        c.push_back('.');
        i += symbols.decimal.size();
        for (; i < t.size() && isDigit(t.at(i)); ++i) {
            c.push_back(static_cast<char>(t.at(i).unicode()));
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < t.size() && (t.at(i) == 'e' || t.at(i) == 'E')) {
        c.push_back('e');
        ++i;
        if (i < t.size() && (t.at(i) == '+' || t.at(i) == '-'))
            c.push_back(static_cast<char>(t.at(i++).unicode()));
        int exponentDigits = 0;
        for (; i < t.size() && isDigit(t.at(i)); ++i, ++exponentDigits)
            c.push_back(static_cast<char>(t.at(i).unicode()));
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;
    // C notation whatever the process's locale: plain strtod stops at the period under a decimal-comma
    // LC_NUMERIC (the program takes the system's) and reads 12.5 as 12.
    static const locale_t cNumbers = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    const double value = strtod_l(c.c_str(), nullptr, cNumbers);
    if (!std::isfinite(value))
        return std::nullopt; // beyond any number the program can hold
    return value;
}

std::optional<std::int16_t> ToInteger(double value) {
    const double rounded = std::nearbyint(value); // the default rounding mode: a half to even
    if (!(rounded >= -32768.0 && rounded <= 32767.0))
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

std::optional<std::int32_t> ToLong(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

std::optional<float> ToSingle(double value) {
    if (std::isnan(value))
        return std::nullopt;
    const float single = static_cast<float>(value);
    if (std::isinf(single))
        return std::nullopt;
    return single;
}

QString FormatNumber(double value, const QString& pattern, const QLocale& locale) {
    if (!std::isfinite(value))
        return QString();
    const Pattern p = parsePattern(pattern);
    return render(shortestDecimal(value, false), p, p.maxDecimals, locale);
}

QString FormatSingle(double value, const QString& pattern, const QLocale& locale) {
    const std::optional<float> single = ToSingle(value);
    if (!single)
        return FormatNumber(value, pattern, locale);
    const Pattern p = parsePattern(pattern);
    return render(shortestDecimal(static_cast<double>(*single), true), p, -1, locale);
}

QString FormatDate(const QDate& date, const QString& pattern) {
    if (!date.isValid())
        return QString();
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern.at(i + run) == c)
            ++run;
        if (c == 'd') {
            if (run >= 4)
                out += QLatin1String(dayNames[date.dayOfWeek() - 1]);
            else if (run == 3)
                out += QLatin1String(dayNames[date.dayOfWeek() - 1]).left(3);
            else
                out += QString::number(date.day()).rightJustified(int(run), '0');
        } else if (c == 'M') {
            if (run >= 4)
                out += QLatin1String(monthNames[date.month() - 1]);
            else if (run == 3)
                out += QLatin1String(monthNames[date.month() - 1]).left(3);
            else
                out += QString::number(date.month()).rightJustified(int(run), '0');
        } else if (c == 'y') {
            if (run >= 3)
                out += QString::number(date.year()).rightJustified(4, '0');
            else
                out += QString::number(date.year() % 100).rightJustified(2, '0');
        } else {
            out += QString(run, c);
        }
        i += run;
    }
    return out;
}

QString LongDate(const QDate& date) {
    return FormatDate(date, QStringLiteral("dddd, MMMM d, yyyy"));
}
