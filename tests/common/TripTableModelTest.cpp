// The one trip model: the cells, headers and alignments of both lists, their sort rule, the filter, and the
// CSV export of what a list shows.
#include "common/TripFilterModel.h"
#include "common/TripTableModel.h"
#include "tripdata/TripCsv.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <gtest/gtest.h>

namespace {

const QLocale english(QLocale::English, QLocale::UnitedStates);

// One stored row as the library's record set gives it; null where a value is absent.
struct Row {
    const char* id;
    Value date;
    const char* destination;
    Value rate, start, end, miles, fuel, total;
    const char* notes;
};

Recordset recordset(const std::vector<Row>& rows) {
    std::vector<std::string> columns = {"ID",          "TripID",    "Destination", "Rate",    "StartOdometer",
                                        "EndOdometer", "Miles",     "Fuel",        "Parking", "Meals",
                                        "Motel",       "Phone",     "Repairs",     "Towing",  "Expense",
                                        "Mileage",     "TotalTrip", "StartDate",   "Notes"};
    std::vector<std::vector<Value>> data;
    std::int64_t id = 1;
    for (const Row& r : rows) {
        data.push_back({Value::integer(id++), Value::text(r.id), Value::text(r.destination), r.rate, r.start, r.end,
                        r.miles, r.fuel, Value::real(2.5), Value(), Value(), Value(), Value(), Value(), Value(),
                        Value(), r.total, r.date, Value::text(r.notes)});
    }
    return Recordset(columns, data);
}

Value text(const char* s) {
    return Value::text(s);
}
Value real(double v) {
    return Value::real(v);
}
Value whole(std::int64_t v) {
    return Value::integer(v);
}

std::shared_ptr<const TripTable> sample() {
    Recordset rs = recordset({
        {"T-1", text("9/30/2007"), "Boston", real(0.475), whole(100), whole(150), whole(50), real(999), real(999),
         "first\r\nsecond line"},
        {"T-2", text("10/2/2007"), "zürich", real(0.5), whole(9), whole(10), whole(1), real(1000), real(1234.5),
         "Straße"},
        {"T-10", text("not a date"), "Albany", Value(), Value(), Value(), Value(), Value(), Value(), ""},
        {"t-3", text("1/15/2008 10:20:36 AM"), "BOSTON", real(12.345), whole(7), whole(8), whole(1), real(0.05),
         real(0), "parking\nreceipt"},
        {"T-5", Value(), "Chicago", real(0.475), whole(1), whole(2), whole(1), real(10), real(10), ""},
    });
    return TripTable::fromRecordset(rs);
}

QStringList column(const QAbstractItemModel& model, int c, int role = Qt::DisplayRole) {
    QStringList out;
    for (int r = 0; r < model.rowCount(); ++r)
        out << model.index(r, c).data(role).toString();
    return out;
}

} // namespace

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

TEST(TripTableModel, BothListsShowTheirColumnsFormatsAndAlignments) {
    TripTableModel edit(TripTableModel::Columns::EditList);
    edit.setTable(sample());
    ASSERT_EQ(edit.columnCount(), 16);
    QStringList headers;
    for (int c = 0; c < 16; ++c)
        headers << edit.headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers,
              QStringList({"Trip ID", "Date", "Destination", "Rate", "Start Miles", "End Miles", "Total Miles", "Fuel",
                           "Parking", "Meals", "Lodging", "Phone", "Repairs", "Towing", "Misc. Exp", "Notes"}));
    QStringList row0, row3;
    for (int c = 0; c < 16; ++c) {
        row0 << edit.cellText(0, c, english);
        row3 << edit.cellText(3, c, english);
    }
    EXPECT_EQ(row0, QStringList({"T-1", "9/30/2007", "Boston", "0.48", "100", "150", "50", "999.00", "2.50", "", "", "",
                                 "", "", "", "first second line"}));
    EXPECT_EQ(row3, QStringList({"t-3", "1/15/2008", "BOSTON", "12.35", "7", "8", "1", "0.05", "2.50", "", "", "", "",
                                 "", "", "parking receipt"}));
    EXPECT_EQ(edit.cellText(1, 7, english), "1,000.00");
    EXPECT_EQ(edit.cellText(2, 1, english), "not a date"); // shown as stored when it is no date
    EXPECT_EQ(edit.index(0, 15).data(Qt::ToolTipRole).toString(), "first\r\nsecond line");
    EXPECT_EQ(edit.index(1, 0).data(TripTableModel::TripIdRole).toString(), "T-2");
    EXPECT_FALSE(edit.flags(edit.index(0, 0)) & Qt::ItemIsEditable);
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter, centre = Qt::AlignHCenter | Qt::AlignVCenter,
                        right = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment editAlign[16] = {left,  centre, left,  right, centre, centre, centre, right,
                                         right, right,  right, right, right,  right,  right,  left};
    for (int c = 0; c < 16; ++c) {
        EXPECT_EQ(edit.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(editAlign[c])) << c;
        EXPECT_EQ(edit.index(0, c).data(Qt::TextAlignmentRole).toInt(), int(editAlign[c])) << c;
    }

    TripTableModel selection(TripTableModel::Columns::SelectionList);
    selection.setTable(edit.sharedTable()); // one read serves both lists
    ASSERT_EQ(selection.columnCount(), 4);
    const Qt::Alignment selectionAlign[4] = {left, centre, centre, right};
    const char* const selectionHeaders[4] = {"Trip #", "Date", "Destination", "Total"};
    const int widths[4] = {66, 100, 166, 80};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(selection.headerData(c, Qt::Horizontal).toString(), selectionHeaders[c]);
        EXPECT_EQ(selection.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(selectionAlign[c]));
        EXPECT_EQ(selection.columnWidth(c), widths[c]);
    }
    QStringList totals;
    for (int r = 0; r < selection.rowCount(); ++r)
        totals << selection.cellText(r, 3, english);
    EXPECT_EQ(totals, QStringList({"999.00", "1,234.50", "", "0.00", "10.00"}));
}

// Each click flips the direction whatever the column; dates and amounts by value, empty cells first,
// text without regard to case; ties keep the previous order.
TEST(TripTableModel, HeaderClicksFlipTheDirectionAndSortByValue) {
    TripTableModel model(TripTableModel::Columns::EditList);
    model.setTable(sample());
    TripFilterModel list;
    list.setSourceModel(&model);
    EXPECT_EQ(column(list, 0), QStringList({"T-1", "T-2", "T-10", "t-3", "T-5"})); // database order

    const struct {
        int column;
        Qt::SortOrder order;
        QStringList ids;
    } clicks[] = {
        {1, Qt::DescendingOrder, {"t-3", "T-2", "T-1", "T-10", "T-5"}}, // 10/2 after 9/30; no date last
        {1, Qt::AscendingOrder, {"T-5", "T-10", "T-1", "T-2", "t-3"}},  // unreadable dates first, as text
        {7, Qt::DescendingOrder, {"T-2", "T-1", "T-5", "t-3", "T-10"}}, // 1,000.00 above 999.00
        {2, Qt::AscendingOrder, {"T-10", "T-1", "t-3", "T-5", "T-2"}},  // Boston ties BOSTON: kept in order
        {0, Qt::DescendingOrder, {"T-5", "t-3", "T-2", "T-10", "T-1"}},
        {3, Qt::AscendingOrder, {"T-10", "T-5", "T-1", "T-2", "t-3"}},
    };
    for (const auto& click : clicks) {
        list.sortByClick(click.column);
        EXPECT_EQ(list.sortOrder(), click.order);
        EXPECT_EQ(column(list, 0), click.ids) << "column " << click.column;
    }
}

TEST(TripTableModel, TheFilterKeepsMatchingRowsAndCountsThem) {
    TripTableModel model(TripTableModel::Columns::SelectionList);
    model.setTable(sample());
    TripFilterModel list;
    list.setSourceModel(&model);
    list.sortByClick(2); // destination, descending
    const QStringList sorted = column(list, 0);
    int counts = 0;
    QObject::connect(&list, &TripFilterModel::countChanged, [&counts] { ++counts; });

    const struct {
        const char* text;
        QDate from, to;
        QStringList ids;
    } cases[] = {
        {"boston", {}, {}, {"T-1", "t-3"}},
        {"ZURICH", {}, {}, {"T-2"}},       // accents and case ignored
        {"strasse", {}, {}, {"T-2"}},      // in the notes, ß folded
        {"Zür", {}, {}, {"T-2"}},          // typed with its accent
        {"first second", {}, {}, {"T-1"}}, // a line break matches a blank
        {"t-1", {}, {}, {"T-1", "T-10"}},  // in the Trip ID
        {"bostonfirst", {}, {}, {}},       // never across two fields
        {"", QDate(2007, 10, 2), {}, {"T-2", "t-3"}},
        {"", {}, QDate(2007, 10, 2), {"T-2", "T-1"}},
        {"", QDate(2007, 9, 30), QDate(2007, 10, 2), {"T-2", "T-1"}},
        {"r", QDate(2007, 10, 2), QDate(2008, 1, 15), {"T-2", "t-3"}},
        {"", QDate(2008, 1, 15), QDate(2008, 1, 15), {"t-3"}}, // one day, stored with a time of day
        {"", {}, {}, sorted}, // cleared: every row, still in the list's sort
    };
    for (const auto& c : cases) {
        list.setFilterText(QString::fromUtf8(c.text));
        list.setDateRange(c.from, c.to);
        EXPECT_EQ(column(list, 0), c.ids)
            << c.text << " " << qPrintable(c.from.toString()) << "-" << qPrintable(c.to.toString());
        EXPECT_EQ(list.shownCount(), c.ids.size());
    }
    EXPECT_GT(counts, 0);

    // Typing on narrows, erasing widens again.
    for (const char* typed : {"b", "bo", "bos", "bost", "bo", "", "c", "ch", "chi"})
        list.setFilterText(QString::fromLatin1(typed));
    EXPECT_EQ(column(list, 0), QStringList({"T-5"}));
    EXPECT_EQ(list.countText(english), "1 of 5 trips");
    list.setFilterText(QString());
    EXPECT_EQ(list.countText(english), "5 of 5 trips");
}

TEST(TripTableModel, CountTextGroupsThousands) {
    std::vector<Row> rows(4311, Row{"T-1", Value::text("1/2/2008"), "Here", {}, {}, {}, {}, {}, {}, ""});
    rows[7].destination = "There";
    TripTableModel model(TripTableModel::Columns::EditList);
    Recordset rs = recordset(rows);
    model.setTable(TripTable::fromRecordset(rs));
    TripFilterModel list;
    list.setSourceModel(&model);
    list.setFilterText("there");
    EXPECT_EQ(list.countText(english), "1 of 4,311 trips");
    EXPECT_EQ(list.countText(QLocale(QLocale::German, QLocale::Germany)), "1 of 4.311 trips");
}

// Sorting keeps the current row on the same trip; a new table comes unsorted, in database order.
TEST(TripTableModel, SortingKeepsTheCurrentTripAndANewTableStartsOver) {
    TripTableModel model(TripTableModel::Columns::EditList);
    model.setTable(sample());
    TripFilterModel list;
    list.setSourceModel(&model);
    const QPersistentModelIndex current = list.index(1, 0); // T-2
    list.sortByClick(7);
    ASSERT_TRUE(current.isValid());
    EXPECT_EQ(current.data().toString(), "T-2");
    EXPECT_EQ(current.row(), 0);
    EXPECT_EQ(list.mapToSource(current).row(), 1);
    EXPECT_EQ(list.mapFromSource(model.index(1, 3)).row(), 0);

    list.setFilterText("boston");
    model.setTable(sample());
    EXPECT_EQ(list.sortColumn(), -1);
    EXPECT_EQ(column(list, 0), QStringList({"T-1", "t-3"})); // the filter stays
    list.sortByClick(0);                                     // the direction goes on flipping from the last click
    EXPECT_EQ(list.sortOrder(), Qt::AscendingOrder);
    EXPECT_EQ(column(list, 0), QStringList({"T-1", "t-3"}));
}

// Qt's model checker watches the proxy through sorts, filters and a new table.
TEST(TripTableModel, TheProxyKeepsQtsModelRules) {
    TripTableModel model(TripTableModel::Columns::EditList);
    model.setTable(sample());
    TripFilterModel list;
    list.setSourceModel(&model);
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const QPersistentModelIndex kept = list.index(3, 2); // t-3
    list.sortByClick(1);
    list.setFilterText("o");
    list.sortByClick(2);
    EXPECT_EQ(kept.data().toString(), "BOSTON");
    list.setDateRange(QDate(2007, 10, 1), QDate());
    model.setTable(sample());
    list.setFilterText(QString());
    list.setDateRange({}, {});
    EXPECT_EQ(list.rowCount(), 5);
}

// The CSV export of a list is the list as shown: its sort and its filter.
TEST(TripTableModel, CsvExportFollowsTheListsSortAndFilter) {
    const auto trip = [](const char* id, const char* destination) {
        return Row{id, text("10/18/2007"), destination, Value(), Value(), Value(), Value(), Value(), Value(), ""};
    };
    Recordset rs = recordset({trip("T-1", "Boston"), trip("T-2", "Albany"), trip("T-3", "Chicago"),
                              trip("T-4", "Boston North")});
    TripTableModel model(TripTableModel::Columns::EditList);
    model.setTable(TripTable::fromRecordset(rs));
    TripFilterModel list;
    list.setSourceModel(&model);
    list.sortByClick(2);
    list.setFilterText("bost");
    const CsvData read = ReadCsv(TripsToCsv(list));
    ASSERT_EQ(read.records.size(), 3);
    EXPECT_EQ(read.records[1].fields.first(), "T-4");
    EXPECT_EQ(read.records[2].fields.first(), "T-1");
}
