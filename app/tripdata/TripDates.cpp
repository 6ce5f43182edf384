#include "tripdata/TripDates.h"

#include <QRegularExpression>

QString DateToText(const QDate& date) {
    if (!date.isValid())
        return QString();
    return QStringLiteral("%1/%2/%3").arg(date.month()).arg(date.day()).arg(date.year());
}

QDate TextToDate(const QString& text) {
    // A time of day after the date is allowed and ignored. Rows written by other tools may carry the ISO
    // form yyyy-mm-dd; it reads as the same day everywhere.
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{4})(\\s.*)?$"));
    static const QRegularExpression iso(QStringLiteral("^\\s*(\\d{4})-(\\d{2})-(\\d{2})([\\sT].*)?$"));
    QRegularExpressionMatch m = form.match(text);
    if (m.hasMatch())
        return QDate(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
    m = iso.match(text);
    if (m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    return QDate();
}

QDate ParseTripDate(const QString& text) {
    // The form the program stores, M/d/yyyy, and the year-first form files carry, read without a regular
    // expression: a report adds up a hundred thousand of them, an import a million.
    int part[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int k = 0;
    QChar separator;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9') && digits[k] < 4) {
            part[k] = part[k] * 10 + (c.unicode() - '0');
            ++digits[k];
        } else if ((c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.')) && k < 2 &&
                   (k == 0 || c == separator)) {
            separator = c;
            ++k;
        } else {
            k = -1;
            break;
        }
    }
    const auto oneOrTwo = [&digits](int i) { return digits[i] >= 1 && digits[i] <= 2; };
    if (k == 2 && separator == QLatin1Char('/') && oneOrTwo(0) && oneOrTwo(1) && digits[2] == 4)
        return QDate(part[2], part[0], part[1]);
    if (k == 2 && digits[0] == 4 && oneOrTwo(1) && oneOrTwo(2))
        return QDate(part[0], part[1], part[2]);

    static const QString time = QStringLiteral("(?:[ T]+\\d{1,2}:\\d{2}(?::\\d{2}(?:\\.\\d+)?)?"
                                               " *(?:[AaPp][Mm])?(?:Z|[+-]\\d{2}:?\\d{2})?)?$");
    static const QRegularExpression monthFirst(QStringLiteral("^(\\d{1,2})([/.-])(\\d{1,2})\\2(\\d{4}|\\d{2})") + time);
    static const QRegularExpression yearFirst(QStringLiteral("^(\\d{4})([/.-])(\\d{1,2})\\2(\\d{1,2})") + time);
    const QString trimmed = text.trimmed();
    QRegularExpressionMatch m = yearFirst.match(trimmed);
    if (m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    m = monthFirst.match(trimmed);
    if (!m.hasMatch())
        return QDate();
    int year = m.captured(4).toInt();
    if (m.captured(4).size() == 2)
        year += 2000; // no trip can be dated before 2007, so 10 is 2010
    return QDate(year, m.captured(1).toInt(), m.captured(3).toInt());
}
