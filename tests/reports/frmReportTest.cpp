// The trip selection window: its list, value labels, Select, Clear, Exit and column sorting.

#include "ReportTestUtil.h"
#include "common/TripTableModel.h"
#include "platform/AppInfo.h"
#include "reports/frmReport.h"
#include "support/MsgBoxScript.h"

#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeView>

#include <ostream>

namespace {

class frmReportTest : public ::testing::Test {
protected:
    void SetUp() override { strFullName = "Anne Smith"; }
    void TearDown() override {
        delete form.data();
        rptReport::Unload();
        rptTrips::Unload();
        ReleaseDataReport();
        strFullName.clear();
    }

    frmReport* open() {
        form = new frmReport(nullptr);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.data()));
        return form.data();
    }
    QTreeView* list() const { return form->findChild<QTreeView*>("lvTrip"); }
    int rowCount() const { return list()->model()->rowCount(); }
    QString cell(int row, int c) const { return list()->model()->index(row, c).data().toString(); }
    // The Trip ID of the shared row.
    QString sharedRow() const { return itmTrip.data(TripTableModel::TripIdRole).toString(); }
    QString label(int i) const { return form->findChild<QLabel*>(QString("lblData_%1").arg(i))->text(); }
    QPushButton* button(const char* name) const { return form->findChild<QPushButton*>(name); }

    void clickRow(int row) {
        QTreeView* lv = list();
        const QRect rect = lv->visualRect(lv->model()->index(row, 0));
        QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void clickHeader(int column) {
        QHeaderView* header = list()->header();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    QStringList column(int c) const {
        QStringList texts;
        for (int i = 0; i < rowCount(); ++i)
            texts << cell(i, c);
        return texts;
    }

    AppFolder folder;
    QPointer<frmReport> form;
};

TEST_F(frmReportTest, LoadsEveryTripInDatabaseOrder) {
    folder.addTrip("Springfield", "10/18/2007", 1234.5);
    folder.addTrip("Shelbyville", "10/8/2007", 0.05);
    folder.addTrip("Capital City", "1/2/2008", 0);
    open();
    EXPECT_EQ(form->windowTitle(), App::Caption());
    EXPECT_FALSE(form->windowIcon().isNull());
    QTreeView* lv = list();
    ASSERT_EQ(rowCount(), 3);
    EXPECT_EQ(lv->model()->headerData(0, Qt::Horizontal).toString(), "Trip #");
    EXPECT_EQ(lv->model()->headerData(1, Qt::Horizontal).toString(), "Date");
    EXPECT_EQ(lv->model()->headerData(2, Qt::Horizontal).toString(), "Destination");
    EXPECT_EQ(lv->model()->headerData(3, Qt::Horizontal).toString(), "Total");
    EXPECT_EQ(column(0), QStringList({"T-1", "T-2", "T-3"}));
    EXPECT_EQ(column(1), QStringList({"10/18/2007", "10/8/2007", "1/2/2008"}));
    EXPECT_EQ(column(2), QStringList({"Springfield", "Shelbyville", "Capital City"}));
    EXPECT_EQ(column(3), QStringList({"1,234.50", "0.05", "0.00"}));
    EXPECT_EQ(Qt::Alignment(lv->model()->index(0, 3).data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    EXPECT_EQ(sharedRow(), "T-3"); // the row last added
    EXPECT_FALSE(rsTrip);          // released after filling
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(label(i).isEmpty());
}

// Focus starts in the list and Tab walks Select, Clear and Exit in that order.
TEST_F(frmReportTest, FocusStartsInTheListAndTabWalksTheButtons) {
    folder.addTrip("Springfield");
    open();
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::focusWidget() == list(); }, 2000));
    EXPECT_EQ(button("cmdSelect")->text(), "&Select");
    EXPECT_EQ(button("cmdClear")->text(), "&Clear");
    EXPECT_EQ(button("cmdExit")->text(), "e&Xit");
    const char* const order[] = {"cmdSelect", "cmdClear", "cmdExit"};
    for (const char* name : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), button(name)) << name;
    }
    // From Exit, Tab goes on through the find box and the date range back to the list.
    for (const char* name : {"txtFind", "txtFrom", "txtTo", "lvTrip"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), name);
    }
}

TEST_F(frmReportTest, MakesItsOwnTripObjectWhenNoneExists) {
    folder.addTrip("Springfield");
    objTrip.reset();
    open();
    EXPECT_TRUE(objTrip);
    EXPECT_EQ(rowCount(), 1);
}

TEST_F(frmReportTest, ClickingARowShowsItsValuesAndAnotherRowReplacesThem) {
    folder.addTrip("Springfield", "10/18/2007");
    folder.addTrip("Shelbyville", "10/8/2007");
    open();
    clickRow(0);
    EXPECT_EQ(label(0), "T-1");
    EXPECT_EQ(label(1), "Springfield");
    EXPECT_EQ(label(2), "10/18/2007");
    EXPECT_EQ(sharedRow(), "T-1");
    clickRow(1);
    EXPECT_EQ(label(0), "T-2");
    EXPECT_EQ(label(1), "Shelbyville");
    EXPECT_EQ(label(2), "10/8/2007");
}

// The row the list gives the focus to is the current one: Home and Enter choose it without a click,
// and Select then runs its report.
TEST_F(frmReportTest, EnterChoosesTheFocusedRow) {
    folder.addTrip("Springfield", "10/18/2007");
    folder.addTrip("Shelbyville", "10/8/2007");
    open();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::focusWidget() == list(); }, 2000));
    QTest::keyClick(list(), Qt::Key_Home);
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(label(0), "T-1");
    EXPECT_EQ(label(1), "Springfield");
    EXPECT_TRUE(list()->selectionModel()->isRowSelected(0)); // what is chosen is what is highlighted
    QTest::keyClick(list(), Qt::Key_Down);
    QTest::keyClick(list(), Qt::Key_Enter);
    EXPECT_EQ(label(0), "T-2");
    MsgBoxScript boxes;
    QTest::mouseClick(button("cmdSelect"), Qt::LeftButton);
    EXPECT_EQ(boxes.count(), 0);
    ASSERT_NE(rptReport::Preview(), nullptr);
    EXPECT_EQ(dataReport().rscmdReport().Rows()->value(0, "TripID").toString(), "T-2");
}

// Every cell reads whole, the large total and a long destination included, and the window showing all
// four columns fits the screen.
TEST_F(frmReportTest, ColumnsAreWideEnoughForTheirValues) {
    folder.addTrip("Springfield Convention Center East", "10/18/2007", 33836970.0);
    folder.addTrip("Ames", "1/2/2008", 5.0);
    open();
    QTreeView* lv = list();
    ASSERT_EQ(cell(0, 3), "33,836,970.00");
    QStyleOptionViewItem option;
    option.initFrom(lv->viewport());
    option.font = lv->font();
    option.fontMetrics = lv->fontMetrics();
    for (int row = 0; row < rowCount(); ++row) {
        for (int c = 0; c < 4; ++c) {
            const QModelIndex index = lv->model()->index(row, c);
            EXPECT_LE(lv->itemDelegateForIndex(index)->sizeHint(option, index).width(), lv->columnWidth(c))
                << "row " << row << " column " << c << " is elided";
        }
    }
    EXPECT_LE(lv->header()->length(), lv->viewport()->width()); // no column hidden to the right
    EXPECT_LE(form->frameGeometry().width(), form->screen()->availableGeometry().width());
}

struct NoChoiceCase {
    const char* name;
    bool clickFirst;
};

void PrintTo(const NoChoiceCase& c, std::ostream* os) {
    *os << c.name;
}

class SelectWithoutChoice : public frmReportTest, public ::testing::WithParamInterface<NoChoiceCase> {};

// Before any click, and after Clear even though the row stays highlighted: the message, nothing else.
TEST_P(SelectWithoutChoice, AsksForARecordAndOpensNoReport) {
    folder.addTrip("Springfield");
    open();
    if (GetParam().clickFirst) {
        clickRow(0);
        QTest::mouseClick(button("cmdClear"), Qt::LeftButton);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(label(i).isEmpty());
        EXPECT_EQ(list()->selectionModel()->selectedRows().size(), 1);
    }
    MsgBoxScript boxes;
    boxes.answer(vbOK);
    QTest::mouseClick(button("cmdSelect"), Qt::LeftButton);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, "Select a record from the list above. ");
    EXPECT_EQ(boxes.last().title, "Odomark");
    EXPECT_EQ(boxes.last().style, vbExclamation | vbOKOnly);
    EXPECT_EQ(rptReport::Preview(), nullptr);
    EXPECT_FALSE(dataReportActive() && dataReport().rscmdReport().isOpen());
}

INSTANTIATE_TEST_SUITE_P(Flows, SelectWithoutChoice,
                         ::testing::Values(NoChoiceCase{"BeforeAnyClick", false}, NoChoiceCase{"AfterClear", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(frmReportTest, SelectTwiceLeavesOneExpenseReportForTheSecondTrip) {
    folder.addTrip("Springfield");
    folder.addTrip("Shelbyville");
    open();
    clickRow(0);
    QTest::mouseClick(button("cmdSelect"), Qt::LeftButton);
    QPointer<ReportPreview> first = rptReport::Preview();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->windowTitle(), "Odomark  -  Trip Report");
    EXPECT_EQ(dataReport().rscmdReport().Rows()->size(), 1u);

    clickRow(1);
    QTest::mouseClick(button("cmdSelect"), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(previewWindowCount(), 1);
    ASSERT_NE(rptReport::Preview(), nullptr);
    const auto rows = dataReport().rscmdReport().Rows();
    ASSERT_EQ(rows->size(), 1u);
    EXPECT_EQ(rows->value(0, "TripID").toString(), "T-2");
    // The selection window stays as it was.
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(label(0), "T-2");
}

TEST_F(frmReportTest, ExitClosesTheWindowAndLeavesTheReportOpen) {
    folder.addTrip("Springfield");
    open();
    clickRow(0);
    QTest::mouseClick(button("cmdSelect"), Qt::LeftButton);
    ASSERT_NE(rptReport::Preview(), nullptr);
    QTest::mouseClick(button("cmdExit"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    EXPECT_NE(rptReport::Preview(), nullptr);
    EXPECT_TRUE(dataReport().rscmdReport().isOpen());
}

struct SortStep {
    int column;
    std::vector<const char*> ids; // the order after the click
};

struct SortCase {
    const char* name;
    std::vector<SortStep> steps;
};

void PrintTo(const SortCase& c, std::ostream* os) {
    *os << c.name;
}

class ColumnSorting : public frmReportTest, public ::testing::WithParamInterface<SortCase> {};

// The direction reverses at every click, whichever column is clicked; dates sort as dates and
// totals as numbers.
TEST_P(ColumnSorting, SortsOnceByTheClickedColumn) {
    folder.addTrip("Beta", "10/2/2007", 999);    // T-1
    folder.addTrip("alpha", "9/30/2007", 1000);  // T-2
    folder.addTrip("Gamma", "10/18/2006", 25.5); // T-3
    folder.addTrip("delta", "12/1/2007", 12000); // T-4
    open();
    for (const SortStep& step : GetParam().steps) {
        clickHeader(step.column);
        QStringList expected;
        for (const char* id : step.ids)
            expected << id;
        EXPECT_EQ(column(0), expected) << "after a click on column " << step.column;
    }
    // Sorted once: a new row would not be put in order by the list itself.
    EXPECT_FALSE(list()->isSortingEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, ColumnSorting,
    ::testing::Values(
        // Destination: descending, then ascending (case does not matter); then Total: descending again.
        SortCase{
            "DestinationTwiceThenTotal",
            {{2, {"T-3", "T-4", "T-1", "T-2"}}, {2, {"T-2", "T-1", "T-4", "T-3"}}, {3, {"T-4", "T-2", "T-1", "T-3"}}}},
        // Date: 12/1/2007 latest, 10/18/2006 earliest, 9/30/2007 before 10/2/2007.
        SortCase{"DatesAsDates", {{1, {"T-4", "T-1", "T-2", "T-3"}}, {1, {"T-3", "T-2", "T-1", "T-4"}}}},
        // Total ascending on the second click: 25.50, 999.00, 1,000.00, 12,000.00.
        SortCase{"TotalsAsNumbers", {{0, {"T-4", "T-3", "T-2", "T-1"}}, {3, {"T-3", "T-1", "T-2", "T-4"}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(frmReportTest, EmptyTripTableLeavesTheListEmptyAndSelectAsks) {
    open();
    EXPECT_EQ(rowCount(), 0);
    MsgBoxScript boxes;
    boxes.answer(vbOK);
    QTest::mouseClick(button("cmdSelect"), Qt::LeftButton);
    EXPECT_EQ(boxes.count(), 1);
}

} // namespace
