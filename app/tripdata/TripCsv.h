#pragma once
// Trips as CSV for spreadsheets and accountants: a writer of the rows a trip list shows, a reader of
// what spreadsheets write, and the mapping of a file's header to the trip fields. No widgets.

#include "tripdata/TripTable.h"

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <array>
#include <string>
#include <string_view>
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
// Written whole or not at all; false with a readable reason.
bool WriteTripsCsv(const QString& fileName, const QByteArray& csv, QString* error = nullptr);

// A text cell as a spreadsheet may take it: one that begins with "=", "+", "-", "@", a tab or a carriage
// return (after any apostrophes) gets one more apostrophe first, so that it is never run as a formula;
// FromSpreadsheetSafe takes that apostrophe off again, so our own files read back exactly.
std::string SpreadsheetSafe(std::string_view text);
QString FromSpreadsheetSafe(const QString& cell);

struct CsvRecord {
    int line = 0; // the file's line where the record starts, from 1
    QStringList fields;
    QString error; // why the record cannot be used (a quote never closed, bytes that are not text), or empty
};

// Reads CSV records one at a time from a device, holding no more of the file than the record at hand:
// comma or semicolon (whichever the first line uses outside quotes), quoted fields with doubled quotes,
// delimiters and line breaks, CRLF, LF or CR line ends. UTF-8 (with or without a byte order mark), or
// UTF-16 or UTF-32 after theirs; a record holding bytes that are not UTF-8 says so in its error. A quote
// that is never closed spoils only its own line: reading goes on with the next line.
class CsvReader {
public:
    explicit CsvReader(QIODevice& device);
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    // The next record with any text (rows without text are left out); false after the last.
    bool next(CsvRecord& record);
    QChar delimiter() const { return delimiter_; }
    bool hadBom() const { return hadBom_; }
    // Why the file cannot be read as text at all (then there are no records), or empty.
    QString error() const { return error_; }
    // About how many bytes of the device the records so far took, for progress.
    qint64 position() const;

    // A record longer than this is no trip: it is refused and reading goes on after its first line.
    static constexpr qsizetype kMaxRecordChars = qsizetype(1) << 20;

private:
    bool more(qsizetype ahead); // whether text_ holds a character ahead of pos_, decoding more as needed
    void endRecord(CsvRecord& record, QString& field, int invalidLine);
    // The characters from at on that need no look (moving at past them), within the text decoded so far.
    QStringView plainRun(qsizetype& at, bool quoted) const;

    QIODevice& device_;
    QStringDecoder decoder_;
    QString text_; // decoded text from the current record's start on
    qint64 bytesRead_ = 0;
    qint64 charsDecoded_ = 0;
    qsizetype pos_ = 0;   // the next character of text_
    qsizetype start_ = 0; // where the current record starts in text_
    int line_ = 1;
    QChar delimiter_ = QLatin1Char(',');
    bool hadBom_ = false;
    QString error_;
};

struct CsvData {
    QChar delimiter = QLatin1Char(',');
    bool hadBom = false;
    QList<CsvRecord> records; // the header row first
    QString error;            // the file's own error (CsvReader::error)
};

// Every record of a file held in memory (short files, and tests).
CsvData ReadCsv(const QByteArray& bytes);

// The column of each TripTable field by header name (our export's names and the lists' headers, case,
// blanks and accents ignored); -1 where the file has no such column.
using CsvFieldMap = std::array<int, TripTable::kFieldCount>;
CsvFieldMap MapCsvHeader(const QStringList& header);
