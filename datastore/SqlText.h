#pragma once
// How values are written into the SQL text of the Trip statements, and the text forms of dates.
// Plain inline functions: the library uses them and the tests call them directly.

#include "Wendlo.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

namespace wendlo {

// Replaces every ill-formed UTF-8 sequence (stray continuation bytes, cut sequences, overlong forms,
// UTF-16 surrogates, code points above U+10FFFF) by U+FFFD, one per maximal ill-formed subpart.
// A lone surrogate must never reach SQLite next to a quote: it could swallow the quote.
inline std::string RepairUtf8(const std::string& text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    // Fast path: most texts are valid.
    std::string out;
    bool repaired = false;
    while (i < n) {
        const unsigned char c = s[i];
        std::size_t len = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        if (c < 0x80) {
            len = 1;
        } else if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0)
                lo = 0xA0;
            else if (c == 0xED)
                hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0)
                lo = 0x90;
            else if (c == 0xF4)
                hi = 0x8F;
        }
        std::size_t good = 0; // bytes of a well-formed prefix
        if (len > 0) {
            good = 1;
            while (good < len && i + good < n) {
                const unsigned char b = s[i + good];
                const unsigned char min = good == 1 ? lo : 0x80;
                const unsigned char max = good == 1 ? hi : 0xBF;
                if (b < min || b > max)
                    break;
                ++good;
            }
        }
        if (len > 0 && good == len) {
            if (repaired)
                out.append(text, i, len);
            i += len;
            continue;
        }
        if (!repaired) {
            out.assign(text, 0, i);
            repaired = true;
        }
        out += "\xEF\xBF\xBD";
        i += good > 0 ? good : 1;
    }
    return repaired ? out : text;
}

// Doubles every single quote and removes NUL characters, after repairing the UTF-8: the form of any
// text that goes between single quotes. No trimming.
inline std::string EscapeQuoted(const std::string& text) {
    const std::string repaired = RepairUtf8(text);
    std::string out;
    out.reserve(repaired.size() + 8);
    for (const char c : repaired) {
        if (c == '\0')
            continue;
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out;
}

// Leading and trailing space characters removed (not tabs or line breaks).
inline std::string TrimBlanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// A single-precision number in its general text form: at most seven significant digits, no
// trailing zeros, exponent form beyond (1E+07, 1E-05), always a period whatever the locale.
inline std::string FormatSingle(float value) {
    char buf[48];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
    std::string out(buf, result.ptr);
    for (char& c : out) {
        if (c == 'e')
            c = 'E';
    }
    return out;
}

inline std::string FormatWhole(std::int64_t value) {
    return std::to_string(value);
}

inline bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// A date the database can read back: a real calendar day in years 100 to 9999, a valid time of day.
inline bool IsValidDate(const WendloDate& d) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.year < 100 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1)
        return false;
    const int last = days[d.month - 1] + (d.month == 2 && IsLeapYear(d.year) ? 1 : 0);
    if (d.day > last)
        return false;
    if (d.hasTime && (d.hour < 0 || d.hour > 23 || d.minute < 0 || d.minute > 59 || d.second < 0 || d.second > 59))
        return false;
    return true;
}

// Short date M/d/yyyy, e.g. 10/18/2007.
inline std::string FormatShortDate(const WendloDate& d) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%d/%d/%04d", d.month, d.day, d.year);
    return buf;
}

// Time h:mm:ss AM/PM, e.g. 10:20:36 PM.
inline std::string FormatTime(const WendloDate& d) {
    const int hour12 = d.hour % 12 == 0 ? 12 : d.hour % 12;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", hour12, d.minute, d.second, d.hour < 12 ? "AM" : "PM");
    return buf;
}

// Date text: the short date, and the time after a blank only when the value carries one.
inline std::string FormatDate(const WendloDate& d) {
    return d.hasTime ? FormatShortDate(d) + " " + FormatTime(d) : FormatShortDate(d);
}

// The current moment in local time, with its time of day.
inline WendloDate Now() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    WendloDate d;
    d.year = tm.tm_year + 1900;
    d.month = tm.tm_mon + 1;
    d.day = tm.tm_mday;
    d.hour = tm.tm_hour;
    d.minute = tm.tm_min;
    d.second = tm.tm_sec;
    d.hasTime = true;
    return d;
}

} // namespace wendlo
