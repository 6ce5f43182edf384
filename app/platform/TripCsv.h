#pragma once
// Trips as CSV for spreadsheets and accountants: a writer of the rows a trip list shows, a reader of
// what spreadsheets write, and the mapping of a file's header to the trip fields. No widgets.

#include "platform/TripTableModel.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

// The header of the export, one name per TripTable field in field order.
const QStringList& TripCsvHeader();

// One field as RFC 4180 writes it: quoted when it holds a quote, a delimiter, a line break or blanks
// at either end, with its quotes doubled.
QByteArray CsvField(const QString& text);

// UTF-8 with a byte order mark (so spreadsheets do not guess another code page), CRLF line ends, the
// header and then the given table rows in that order: ISO dates, numbers with a period and no grouping,
// every digit the stored value has.
QByteArray TripsToCsv(const TripTable& table, const std::vector<int>& rows);
// The rows a list shows, in its current sort and filter.
QByteArray TripsToCsv(const TripFilterModel& list);
// Written whole or not at all; false with a readable reason.
bool WriteTripsCsv(const QString& fileName, const QByteArray& csv, QString* error = nullptr);

struct CsvRecord {
    int line = 0; // the file's line where the record starts, from 1
    QStringList fields;
};

struct CsvData {
    QChar delimiter = QLatin1Char(',');
    bool hadBom = false;
    QList<CsvRecord> records; // the header row first; rows without any text are left out
    QString error;            // empty when the whole file was read
    int errorLine = 0;
};

// Comma or semicolon (whichever the first line uses outside quotes), with or without a UTF-8 byte order
// mark, quoted fields with doubled quotes, delimiters and line breaks, CRLF, LF or CR line ends. Text that
// is not UTF-8 is read as Latin-1.
CsvData ReadCsv(const QByteArray& bytes);

// The column of each TripTable field by header name (our export's names and the lists' headers, case,
// blanks and accents ignored); -1 where the file has no such column.
using CsvFieldMap = std::array<int, TripTable::kFieldCount>;
CsvFieldMap MapCsvHeader(const QStringList& header);
