#pragma once
// Trip dates as they are stored and read back.

#include <QDate>
#include <QString>

// Dates as the library writes and reads them: M/d/yyyy, whatever the locale.
QString DateToText(const QDate& date);
QDate TextToDate(const QString& text); // invalid when the text is no such date
// A date as people type it or other tools store it: month/day/year with a four- or two-digit year
// (2000 to 2099), or year-month-day; "/", "-" or "." between the parts, the same both times; a time
// of day after it is ignored. Invalid when the text is no calendar date.
QDate ParseTripDate(const QString& text);
