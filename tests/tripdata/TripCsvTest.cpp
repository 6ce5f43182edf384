// CSV export and reading: what we write reads back cell for cell in Python's csv module and in our own
// reader, whatever the cells hold; what spreadsheets write reads in.
#include "tripdata/TripCsv.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

std::vector<std::string> kColumns = {"TripID", "Destination", "Rate",    "StartOdometer", "EndOdometer", "Miles",
                                     "Fuel",   "Parking",     "Meals",   "Motel",         "Phone",       "Repairs",
                                     "Towing", "Expense",     "Mileage", "TotalTrip",     "StartDate",   "Notes"};

std::vector<Value> tripRow(const std::string& id, const std::string& destination, const std::string& notes,
                           const Value& date = Value::text("10/18/2007")) {
    std::vector<Value> row = {Value::text(id),       Value::text(destination), Value::real(0.475),
                              Value::integer(12000), Value::integer(12088),    Value::integer(88)};
    for (double money : {12.75, 2.5, 0.1, 89.99, 1.25, 0.0, 1234567.0, 3.5, 41.8, 1386.64})
        row.push_back(Value::real(money));
    row.push_back(date);
    row.push_back(Value::text(notes));
    return row;
}

std::shared_ptr<TripTable> tableOf(std::vector<std::vector<Value>> rows) {
    Recordset rs(kColumns, std::move(rows));
    return TripTable::fromRecordset(rs);
}

std::vector<int> allRows(const TripTable& t) {
    std::vector<int> rows(std::size_t(t.rowCount()));
    for (int i = 0; i < t.rowCount(); ++i)
        rows[std::size_t(i)] = i;
    return rows;
}

// The file as Python's csv module reads it: a list of rows of cells.
QList<QStringList> readWithPython(const QString& file) {
    QProcess python;
    python.start("python3", {"-c",
                             "import csv, json, sys\n"
                             "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                             "    json.dump(list(csv.reader(f, strict=True)), sys.stdout)\n",
                             file});
    if (!python.waitForFinished(20000) || python.exitCode() != 0) {
        ADD_FAILURE() << "python3 failed: " << python.readAllStandardError().toStdString();
        return {};
    }
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray())
            cells << cell.toString();
        rows << cells;
    }
    return rows;
}

} // namespace

// Hostile cells survive both readers exactly; the numbers keep a period and every digit, whatever
// the locale; the header names every column.
TEST(TripCsv, WhatWeWriteReadsBackInPythonAndInOurReader) {
    const std::vector<std::string> hostile = {
        "plain",
        "comma, inside",
        "semi;colon",
        "\"quoted\" and a lone \" quote",
        "line\r\nbreak CRLF",
        "line\nbreak LF and lone\rCR",
        "  blanks around  ",
        "\ttab at the start",
        "=1+2",
        "",
        "\"",
        "\"\"",
        ",",
        "Zürich \xE2\x80\x94 caf\xC3\xA9 \xF0\x9F\x9A\x97",
        "trailing quote\"",
        "a BOM \xEF\xBB\xBF inside",
    };
    std::vector<std::vector<Value>> rows;
    for (std::size_t i = 0; i < hostile.size(); ++i)
        rows.push_back(tripRow("T-" + std::to_string(i + 1), hostile[i], hostile[hostile.size() - 1 - i]));
    rows.push_back(tripRow("T-99", "Nulls", "", Value::text("not a date")));
    for (std::size_t c = 2; c < 16; ++c)
        rows.back()[c] = Value(); // every number absent
    const auto table = tableOf(rows);

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QByteArray csv = TripsToCsv(*table, allRows(*table));
    QLocale::setDefault(QLocale::c());
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"
                               "Trip ID,Date,Destination,Start Odometer,End Odometer,Miles,Rate,"
                               "Mileage,Fuel,Parking,Meals,Lodging,Telephone,Repairs,Towing,Misc. Expenses,Total,"
                               "Notes\r\n"));
    EXPECT_NE(csv.indexOf("T-1,2007-10-18,plain,12000,12088,88,0.475,41.8,12.75,2.5,0.1,89.99,1.25,0,1234567,3.5,"
                          "1386.64,"),
              -1);
    EXPECT_NE(csv.indexOf("T-99,not a date,Nulls,,,,,,,,,,,,,,,\r\n"), -1);

    QTemporaryDir dir;
    const QString file = dir.filePath("trips.csv");
    QString error;
    ASSERT_TRUE(WriteTripsCsv(file, csv, &error)) << error.toStdString();
    const QList<QStringList> python = readWithPython(file);
    const CsvData ours = ReadCsv(csv);
    EXPECT_TRUE(ours.error.isEmpty());
    EXPECT_TRUE(ours.hadBom);
    ASSERT_EQ(python.size(), qsizetype(rows.size() + 1));
    ASSERT_EQ(ours.records.size(), python.size());
    EXPECT_EQ(python[0], TripCsvHeader());
    for (qsizetype r = 0; r < python.size(); ++r) {
        EXPECT_EQ(ours.records[r].fields, python[r]) << "row " << r;
        ASSERT_EQ(python[r].size(), TripTable::kFieldCount) << "row " << r;
    }
    // No text cell starts a formula in a spreadsheet; each reads back as it was stored.
    for (std::size_t i = 0; i < hostile.size(); ++i) {
        for (const int column : {2, 17}) {
            const QString cell = python[qsizetype(i) + 1][column];
            EXPECT_FALSE(!cell.isEmpty() && QStringLiteral("=+-@\t\r").contains(cell[0])) << i;
            const std::string& stored = hostile[column == 2 ? i : hostile.size() - 1 - i];
            EXPECT_EQ(FromSpreadsheetSafe(cell), QString::fromStdString(stored)) << i;
        }
    }
}

// One row per special character, each alone between plain cells: quoted exactly when it must be, and
// read back as written. Then the spreadsheet guard, both ways.
TEST(TripCsv, EachSpecialCharacterIsQuotedAndReadBack) {
    const struct {
        const char* text;
        bool quoted;
    } cells[] = {{",", true},       {";", true},      {"\"", true},     {"\r", true},     {"\n", true},
                 {"\r\n", true},    {"a\rb", true},   {" lead", true},  {"trail ", true}, {"\tlead", true},
                 {"a b\tc", false}, {"plain", false}, {"'quote", false}};
    for (const auto& c : cells) {
        const QByteArray field = CsvField(QString::fromUtf8(c.text));
        EXPECT_EQ(field.startsWith('"'), c.quoted) << c.text;
        const CsvData read = ReadCsv("x," + field + ",y\r\nnext,row\r\n");
        ASSERT_EQ(read.records.size(), 2) << c.text;
        EXPECT_EQ(read.records[0].fields, (QStringList{"x", QString::fromUtf8(c.text), "y"})) << c.text;
        EXPECT_EQ(read.records[1].line,
                  2 + QByteArray(c.text).count('\n') + QByteArray(c.text).replace("\r\n", "\n").count('\r'))
            << c.text;
    }
    const struct {
        const char* stored;
        const char* written;
    } guarded[] = {{"=1+2", "'=1+2"}, {"+1", "'+1"},   {"-5", "'-5"}, {"@SUM(A1)", "'@SUM(A1)"},
                   {"\tx", "'\tx"},   {"'=x", "''=x"}, {"''", "''"},  {"'plain", "'plain"},
                   {"a=b", "a=b"},    {"", ""}};
    for (const auto& g : guarded) {
        EXPECT_EQ(SpreadsheetSafe(g.stored), g.written);
        EXPECT_EQ(FromSpreadsheetSafe(QString::fromUtf8(g.written)), QString::fromUtf8(g.stored));
    }
}

// UTF-8 with the lines that are not text named, UTF-16 after its byte order mark, and a quote that is
// never closed spoiling only its own line.
TEST(TripCsv, ReadsEncodingsAndReportsBrokenLinesOneByOne) {
    const QString text = QString::fromUtf8("a;b\r\nZürich;1\r\n");
    QByteArray le = "\xFF\xFE";
    QByteArray be = "\xFE\xFF";
    for (const QChar c : text) {
        le += char(c.unicode() & 0xFF) + QByteArray(1, char(c.unicode() >> 8));
        be += QByteArray(1, char(c.unicode() >> 8)) + char(c.unicode() & 0xFF);
    }
    for (const QByteArray& utf16 : {le, be}) {
        const CsvData data = ReadCsv(utf16);
        EXPECT_TRUE(data.hadBom);
        EXPECT_EQ(data.delimiter, ';');
        ASSERT_EQ(data.records.size(), 2);
        EXPECT_EQ(data.records[1].fields, (QStringList{QString::fromUtf8("Zürich"), "1"}));
    }
    EXPECT_FALSE(ReadCsv(le.mid(2)).error.isEmpty()); // UTF-16 without its mark: refused whole
    EXPECT_TRUE(ReadCsv(le.mid(2)).records.isEmpty());

    const CsvData data = ReadCsv("a,b\nZ\xFCrich,1\n1,\"x\ny\xFF\"\n\"open,3\n4,5\nZ\xC3\xBCrich,6\n");
    const struct {
        int line;
        QStringList fields;
        QString error;
    } expected[] = {
        {1, {"a", "b"}, ""},
        {2,
         {QString::fromUtf8("Z\xEF\xBF\xBDrich"), "1"},
         "The line holds bytes that are not UTF-8 text: save the file as UTF-8 and import it again. "},
        {3,
         {"1", QString::fromUtf8("x\ny\xEF\xBF\xBD")},
         "Line 4 holds bytes that are not UTF-8 text: save the file as UTF-8 and import it again. "},
        {5, {"open,3"}, "A quoted field that starts on line 5 is never closed. "},
        {6, {"4", "5"}, ""},
        {7, {QString::fromUtf8("Zürich"), "6"}, ""},
    };
    ASSERT_EQ(data.records.size(), qsizetype(std::size(expected)));
    for (qsizetype i = 0; i < data.records.size(); ++i) {
        EXPECT_EQ(data.records[i].line, expected[i].line) << i;
        EXPECT_EQ(data.records[i].fields, expected[i].fields) << i;
        EXPECT_EQ(data.records[i].error, expected[i].error) << i;
    }
}

TEST(TripCsv, ReadsWhatSpreadsheetsWrite) {
    const struct {
        const char* name;
        QByteArray bytes;
        QChar delimiter;
        QList<QStringList> records;
        QList<int> lines;
    } cases[] = {
        {"comma, LF", "a,b\n1,2\n", ',', {{"a", "b"}, {"1", "2"}}, {1, 2}},
        {"semicolon, CRLF, BOM",
         "\xEF\xBB\xBF"
         "a;b\r\n1,5;2\r\n",
         ';',
         {{"a", "b"}, {"1,5", "2"}},
         {1, 2}},
        {"CR only, no last line end", "a,b\r1,2", ',', {{"a", "b"}, {"1", "2"}}, {1, 2}},
        {"quoted delimiters, quotes and line breaks",
         "a,b\n\"x, \"\"y\"\"\",\"two\r\nlines\"\n3,4\n",
         ',',
         {{"a", "b"}, {"x, \"y\"", "two\r\nlines"}, {"3", "4"}},
         {1, 2, 4}},
        {"blank lines skipped, empty fields kept", "a,b\n\n,\n1,\n", ',', {{"a", "b"}, {"1", ""}}, {1, 4}},
        {"semicolons inside quotes do not count", "\"a;b;c\",d\n", ',', {{"a;b;c", "d"}}, {1}},
        {"text after a closing quote kept", "\"ab\"c,d\n", ',', {{"abc", "d"}}, {1}},
    };
    for (const auto& c : cases) {
        const CsvData data = ReadCsv(c.bytes);
        EXPECT_TRUE(data.error.isEmpty()) << c.name;
        EXPECT_EQ(data.delimiter, c.delimiter) << c.name;
        ASSERT_EQ(data.records.size(), c.records.size()) << c.name;
        for (qsizetype i = 0; i < c.records.size(); ++i) {
            EXPECT_EQ(data.records[i].fields, c.records[i]) << c.name;
            EXPECT_EQ(data.records[i].line, c.lines[i]) << c.name;
        }
    }
}

TEST(TripCsv, HeaderNamesMapToFields) {
    const CsvFieldMap own = MapCsvHeader(TripCsvHeader());
    for (int f = 0; f < TripTable::kFieldCount; ++f)
        EXPECT_EQ(own[std::size_t(f)], f);
    const CsvFieldMap other = MapCsvHeader(
        {"notes", " TRIP # ", "Start Miles", "Unknown", "misc exp", "Total", "Date", "Destination", "Lodging Cost"});
    EXPECT_EQ(other[TripTable::Notes], 0);
    EXPECT_EQ(other[TripTable::TripId], 1);
    EXPECT_EQ(other[TripTable::StartOdometer], 2);
    EXPECT_EQ(other[TripTable::Misc], 4);
    EXPECT_EQ(other[TripTable::Total], 5);
    EXPECT_EQ(other[TripTable::Date], 6);
    EXPECT_EQ(other[TripTable::Lodging], 8);
    EXPECT_EQ(other[TripTable::Miles], -1);
    EXPECT_EQ(other[TripTable::Fuel], -1);
}

TEST(TripCsv, AFileThatCannotBeWrittenSaysWhyAndLeavesNothing) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(WriteTripsCsv(dir.filePath("missing/trips.csv"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}
