// The trip editing window against a real database: the list, loading a row, saving, deleting, sorting.
#include "common/TripListView.h"
#include "common/TripTableModel.h"
#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/FileDialog.h"
#include "platform/MousePointer.h"
#include "support/MsgBoxScript.h"
#include "tripdata/TripCsv.h"
#include "trips/TripTestUtil.h"
#include "trips/frmEditTrip.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

namespace {

const char* const confirmText = "Delete this Trip Record?\r\n\r\nOnce deleted it can't be recovered!\r\n\r\nUntil the "
                                "history is emptied, it can be restored from Utilities > Deleted and Changed Trips.";

// The list row showing a Trip ID; invalid when none does.
QModelIndex rowOf(frmEditTrip& form, const QString& tripId) {
    QAbstractItemModel* model = form.lvTrip->model();
    const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, tripId, 1, Qt::MatchExactly);
    return found.value(0);
}

int rowCount(frmEditTrip& form) {
    return form.lvTrip->model()->rowCount();
}

QString cell(const QModelIndex& row, int column) {
    return row.sibling(row.row(), column).data().toString();
}

void clickRow(frmEditTrip& form, const QString& tripId) {
    const QModelIndex item = rowOf(form, tripId);
    ASSERT_TRUE(item.isValid()) << tripId.toStdString();
    form.lvTrip->scrollTo(item);
    const QRect rect = form.lvTrip->visualRect(item);
    QTest::mouseClick(form.lvTrip->viewport(), Qt::LeftButton, {},
                      QPoint(qMax(rect.left(), 0) + 10, rect.center().y()));
    ASSERT_EQ(form.lblID->text(), tripId);
}

void clickHeader(frmEditTrip& form, int column) {
    QHeaderView* header = form.lvTrip->header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

QStringList column(frmEditTrip& form, int col) {
    QStringList texts;
    for (int i = 0; i < rowCount(form); ++i)
        texts << form.lvTrip->model()->index(i, col).data().toString();
    return texts;
}

// A trip with exact stored values that the list shows rounded.
QString addDetailedTrip(const AppFolder& app) {
    const QString id = app.addTrip("O'Hare", "10/2/2007", 0, "line one\nline two");
    app.exec("UPDATE tblMain SET Rate = 0.476, StartOdometer = 100, EndOdometer = 250, Miles = 150, Fuel = 1234.5, "
             "Expense = 1234.567, Meals = 12.125 WHERE TripID = '" +
             id + "';");
    return id;
}

TEST(EditTrip, ListShowsEveryTripInSixteenColumns) {
    AppFolder app;
    const QString id = addDetailedTrip(app);
    app.addTrip("Peoria", "9/30/2007");
    frmEditTrip form;
    ASSERT_EQ(form.lvTrip->model()->columnCount(), 16);
    QStringList headers;
    for (int c = 0; c < 16; ++c)
        headers << form.lvTrip->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers,
              (QStringList{"Trip ID", "Date", "Destination", "Rate", "Start Miles", "End Miles", "Total Miles", "Fuel",
                           "Parking", "Meals", "Lodging", "Phone", "Repairs", "Towing", "Misc. Exp", "Notes"}));
    ASSERT_EQ(rowCount(form), 2);
    const QModelIndex row = rowOf(form, id);
    ASSERT_TRUE(row.isValid());
    QStringList cells;
    for (int c = 0; c < 16; ++c)
        cells << cell(row, c);
    EXPECT_EQ(cells, (QStringList{id, "10/2/2007", "O'Hare", "0.48", "100", "250", "150", "1,234.50", "0.00", "12.13",
                                  "0.00", "0.00", "0.00", "0.00", "1,234.57", "line one line two"}));
    const auto alignment = [&row](int column) {
        return Qt::Alignment(row.sibling(row.row(), column).data(Qt::TextAlignmentRole).toInt()) &
               Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(3), Qt::AlignRight);
    EXPECT_EQ(alignment(1), Qt::AlignHCenter);
    EXPECT_TRUE(form.lblID->text().isEmpty());
    EXPECT_FALSE(form.lblID->isVisibleTo(&form));
    EXPECT_EQ(MousePointerOf(&form), vbDefault);
}

TEST(EditTrip, SaveOrDeleteWithoutASelectedTrip) {
    AppFolder app;
    app.addTrip("Peoria");
    MsgBoxScript script;
    frmEditTrip form;
    showActive(form);
    QTest::mouseClick(form.cmdDelete, Qt::LeftButton);
    EXPECT_EQ(script.count(), 0); // Delete does nothing and says nothing
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "Select a record to edit before saving. ");
    EXPECT_EQ(script.last().style, vbExclamation | vbOKOnly);
    EXPECT_EQ(script.last().title, App::Title());
    // After Clear a loaded trip counts as not selected again.
    clickRow(form, "T-1");
    QTest::mouseClick(form.cmdClear, Qt::LeftButton);
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    EXPECT_EQ(script.count(), 2);
    EXPECT_EQ(script.last().text, "Select a record to edit before saving. ");
}

TEST(EditTrip, LoadedTripSavedUnchangedKeepsItsStoredValues) {
    AppFolder app;
    const QString id = addDetailedTrip(app);
    app.addTrip("Peoria");
    const QString others = app.trips("TripID <> '" + id + "'");
    MsgBoxScript script;
    script.answer(vbYes);
    frmEditTrip form;
    showActive(form);
    clickRow(form, id);
    EXPECT_EQ(form.datBox->date(), QDate(2007, 10, 2));
    EXPECT_EQ(form.txtBox[12]->text(), "O'Hare");
    EXPECT_EQ(form.txtBox[0]->text(), "0.476");
    EXPECT_EQ(form.txtBox[1]->text(), "100");
    EXPECT_EQ(form.txtBox[3]->text(), "150");
    EXPECT_EQ(form.txtBox[4]->text(), "1,234.50");
    EXPECT_EQ(form.txtBox[5]->text(), "0.00");
    EXPECT_EQ(form.txtBox[6]->text(), "12.125");
    EXPECT_EQ(form.txtBox[11]->text(), "1,234.567");
    EXPECT_EQ(form.rtBox->toPlainText(), "line one\nline two");
    EXPECT_EQ(itmTrip.data(TripTableModel::TripIdRole).toString(), id);

    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "Trip Record Updated! \r\n\r\nDo you want to edit another Trip record? ");
    EXPECT_EQ(script.last().title, "Record Updated Successfully");
    EXPECT_EQ(script.last().style, vbYesNo | vbQuestion | vbDefaultButton2);
    const QString where = " FROM tblMain WHERE TripID = '" + id + "'";
    EXPECT_EQ(app.scalar("SELECT Rate" + where).toDouble(), 0.476);
    EXPECT_EQ(app.scalar("SELECT Fuel" + where).toDouble(), 1234.5);
    EXPECT_EQ(app.scalar("SELECT Meals" + where).toDouble(), 12.125);
    EXPECT_EQ(app.scalar("SELECT Expense" + where).toDouble(), 1234.567);
    EXPECT_EQ(app.scalar("SELECT StartDate" + where).toString(), "10/2/2007");
    EXPECT_EQ(app.scalar("SELECT Notes" + where).toString(), "line one\nline two");
    EXPECT_EQ(app.scalar("SELECT Destination" + where).toString(), "O'Hare");
    EXPECT_EQ(app.trips("TripID <> '" + id + "'"), others);
    // Yes: cleared, nothing loaded, the list rebuilt.
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.lblID->text().isEmpty());
    EXPECT_TRUE(form.txtBox[12]->text().isEmpty());
    EXPECT_EQ(rowCount(form), 2);
    EXPECT_EQ(QApplication::focusWidget(), form.lvTrip);
}

TEST(EditTrip, EditedValuesAreStoredAndNoCloses) {
    AppFolder app;
    const QString id = app.addTrip("Peoria");
    app.addTrip("Elgin");
    const QString others = app.trips("TripID <> '" + id + "'");
    MsgBoxScript script;
    script.answer(vbNo);
    frmEditTrip form;
    showActive(form);
    clickRow(form, id);
    form.datBox->setDate(QDate(2008, 2, 4));
    typeFields(form, {{12, "Joliet"}, {1, "1000"}, {2, "1100"}, {7, "80"}});
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.txtBox[3]->text(), "100");
    const QString where = " FROM tblMain WHERE ID = 1";
    EXPECT_EQ(app.scalar("SELECT Destination" + where).toString(), "Joliet");
    EXPECT_EQ(app.scalar("SELECT Miles" + where).toInt(), 100);
    EXPECT_DOUBLE_EQ(app.scalar("SELECT Mileage" + where).toDouble(), 47.5);
    EXPECT_DOUBLE_EQ(app.scalar("SELECT TotalTrip" + where).toDouble(), 127.5);
    EXPECT_EQ(app.scalar("SELECT StartDate" + where).toString(), "2/4/2008");
    EXPECT_EQ(app.scalar("SELECT TripID" + where).toString(), id);
    EXPECT_EQ(app.trips("TripID <> '" + id + "'"), others);
}

TEST(EditTrip, FailedUpdateKeepsTheFieldsAndTheLoadedTrip) {
    AppFolder app;
    app.addTrip("Elgin");
    const QString id = app.addTrip("Peoria");
    const QString others = app.trips("TripID <> '" + id + "'");
    MsgBoxScript script;
    script.allowUnscripted();
    frmEditTrip form;
    showActive(form);
    clickRow(form, id);
    typeFields(form, {{12, "Joliet"}, {4, "25"}});
    const TripFieldTexts typed = form.fieldTexts();
    {
        DatabaseLock lock(app.databasePath(), "BEGIN IMMEDIATE;");
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(form.cmdSave, Qt::LeftButton);
        EXPECT_LT(timer.elapsed(), 15000);
    }
    ASSERT_GE(script.count(), 1);
    EXPECT_EQ(script.last().text, "Trip Record was NOT Updated! ");
    EXPECT_EQ(script.last().title, " ERROR");
    EXPECT_EQ(script.last().style, vbCritical | vbOKOnly);
    EXPECT_EQ(form.fieldTexts(), typed);
    EXPECT_EQ(form.lblID->text(), id);
    EXPECT_EQ(app.scalar("SELECT Destination FROM tblMain WHERE TripID = '" + id + "'").toString(), "Peoria");

    script.clear();
    script.allowUnscripted(false);
    script.answer(vbNo);
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    EXPECT_EQ(script.last().title, "Record Updated Successfully");
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 2);
    EXPECT_EQ(app.scalar("SELECT Destination FROM tblMain WHERE TripID = '" + id + "'").toString(), "Joliet");
    EXPECT_DOUBLE_EQ(app.scalar("SELECT Fuel FROM tblMain WHERE TripID = '" + id + "'").toDouble(), 25.0);
    EXPECT_EQ(app.trips("TripID <> '" + id + "'"), others);
}

TEST(EditTrip, DeleteAnsweredNoKeepsTheTrip) {
    AppFolder app;
    const QString id = app.addTrip("Peoria");
    app.addTrip("Elgin");
    const QString all = app.trips("1");
    MsgBoxScript script;
    script.answer(vbNo);
    frmEditTrip form;
    showActive(form);
    clickRow(form, id);
    QTest::mouseClick(form.cmdDelete, Qt::LeftButton);
    ASSERT_EQ(script.count(), 2);
    EXPECT_EQ(script.shown()[0].text, confirmText);
    EXPECT_EQ(script.shown()[0].title, "** WARNING **");
    EXPECT_EQ(script.shown()[0].style, vbYesNo | vbQuestion | vbDefaultButton2);
    EXPECT_EQ(script.last().text, "Trip Record was NOT Deleted! ");
    EXPECT_EQ(script.last().style, vbExclamation | vbOKOnly);
    EXPECT_EQ(script.last().title, App::Title());
    EXPECT_TRUE(form.txtBox[12]->text().isEmpty());
    EXPECT_TRUE(form.lblID->text().isEmpty());
    EXPECT_EQ(rowCount(form), 2);
    EXPECT_EQ(app.trips("1"), all);
}

// A file whose history could not be added at start-up gains it before the first change; while it cannot, the
// user hears why, and the delete question does not say where the trip could be restored from.
TEST(EditTrip, AMissingHistoryIsAddedBeforeTheFirstChangeOrTheUserToldWhyNot) {
    AppFolder app;
    const QString id = app.addTrip("Peoria");
    app.addTrip("Elgin");
    app.exec("DROP TRIGGER trgTripDeleted; DROP TRIGGER trgTripUpdated; DROP TABLE tblTripHistory;");
    const QString elgin = app.trips("TripID <> '" + id + "'");
    MsgBoxScript script;
    frmEditTrip form;
    showActive(form);
    clickRow(form, id);
    {
        DatabaseLock lock(app.databasePath(), "BEGIN IMMEDIATE;");
        script.answer(vbOK).answer(vbYes);
        QTest::mouseClick(form.cmdDelete, Qt::LeftButton);
    }
    ASSERT_EQ(script.count(), 3);
    EXPECT_EQ(script.shown()[0].text, "Deleted and changed trips cannot be kept: another program is using the trip "
                                      "file.\r\n\r\nA trip you change or delete now cannot be restored from "
                                      "Utilities > Deleted and Changed Trips. ");
    EXPECT_EQ(script.shown()[1].text, "Delete this Trip Record?\r\n\r\nOnce deleted it can't be recovered!");

    // Once the file can be written, the first change adds the history, and the change is kept in it.
    script.clear();
    clickRow(form, id);
    typeFields(form, {{12, "Joliet"}});
    script.answer(vbYes);
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    clickRow(form, id);
    script.answer(vbYes).answer(vbNo);
    QTest::mouseClick(form.cmdDelete, Qt::LeftButton);
    ASSERT_EQ(script.count(), 3);
    EXPECT_EQ(script.shown()[1].text, confirmText);
    EXPECT_EQ(app.scalar("SELECT group_concat(ChangeType||' '||Destination) FROM tblTripHistory").toString(),
              "updated Peoria,deleted Joliet");
    EXPECT_EQ(app.trips("1"), elgin);
}

TEST(EditTrip, BlankDestinationBlocksDelete) {
    AppFolder app;
    const QString id = app.addTrip("Peoria");
    MsgBoxScript script;
    frmEditTrip form;
    showActive(form);
    clickRow(form, id);
    typeFields(form, {{12, "  "}});
    QTest::mouseClick(form.cmdDelete, Qt::LeftButton);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "Destination is missing! ");
    EXPECT_EQ(QApplication::focusWidget(), form.txtBox[12]);
    EXPECT_EQ(form.lblID->text(), id); // still loaded
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 1);
}

TEST(EditTrip, DeletingTheLastTripLeavesAnEmptyUsableList) {
    AppFolder app;
    const QString id = app.addTrip("Peoria");
    MsgBoxScript script;
    script.answer(vbYes).answer(vbYes);
    frmEditTrip form;
    showActive(form);
    clickRow(form, id);
    QTest::mouseClick(form.cmdDelete, Qt::LeftButton);
    ASSERT_EQ(script.count(), 2);
    EXPECT_EQ(script.last().text, "Trip Record Deleted! \r\n\r\nDo you want to delete another Trip record? ");
    EXPECT_EQ(script.last().title, "Record Removed Successfully");
    EXPECT_EQ(script.last().style, vbYesNo | vbQuestion | vbDefaultButton2);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(rowCount(form), 0);
    EXPECT_FALSE(itmTrip.isValid());
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 0);
    script.clear();
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    EXPECT_EQ(script.last().text, "Select a record to edit before saving. ");
}

TEST(EditTrip, DeleteThenNoClosesTheWindow) {
    AppFolder app;
    app.addTrip("Peoria");
    const QString id = app.addTrip("Joliet");
    MsgBoxScript script;
    script.answer(vbYes).answer(vbNo);
    frmEditTrip form;
    showActive(form);
    clickRow(form, id);
    QTest::mouseClick(form.cmdDelete, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 1);
    EXPECT_EQ(app.scalar("SELECT Destination FROM tblMain").toString(), "Peoria");
}

TEST(EditTrip, NotesWithLineBreaksKeepEveryRowOneLineHigh) {
    AppFolder app;
    const QString id = addDetailedTrip(app); // its notes hold a line break
    app.addTrip("Peoria", "9/30/2007", 0, "plain");
    frmEditTrip form;
    showActive(form);
    const int oneLine = form.lvTrip->fontMetrics().lineSpacing();
    for (int sorting = 0; sorting < 3; ++sorting) { // as filled, then the notes sorted both ways
        if (sorting > 0)
            clickHeader(form, 15);
        for (int i = 0; i < rowCount(form); ++i)
            EXPECT_LT(form.lvTrip->visualRect(form.lvTrip->model()->index(i, 15)).height(), 2 * oneLine) << sorting;
    }
    clickRow(form, id);
    EXPECT_EQ(form.rtBox->toPlainText(), "line one\nline two"); // the notes box shows every line
}

struct StoredDateCase {
    const char* name;
    const char* stored;
    const char* shown;
    const char* saved; // what Save leaves in StartDate
    bool unreadable;   // told on loading; Save refused until a date is typed
};

class EditStoredDate : public ::testing::TestWithParam<StoredDateCase> {};

// A stored date is loaded as what it is, after another trip was loaded first, and Save never replaces
// it with some other date.
TEST_P(EditStoredDate, SaveKeepsTheStoredDate) {
    const StoredDateCase& c = GetParam();
    AppFolder app;
    app.addTrip("Peoria", "3/4/2009");
    const QString id = app.addTrip("Joliet", c.stored);
    const QString other = app.trips("TripID = 'T-1'");
    MsgBoxScript script;
    frmEditTrip form;
    showActive(form);
    clickRow(form, "T-1");
    EXPECT_EQ(form.datBox->text(), "3/4/2009");
    clickRow(form, id);
    EXPECT_EQ(form.datBox->text(), c.shown);
    EXPECT_EQ(script.count(), c.unreadable ? 1 : 0);
    if (c.unreadable) {
        EXPECT_EQ(script.last().style, vbExclamation | vbOKOnly);
        EXPECT_TRUE(script.last().text.startsWith("The stored Trip Date"));
        typeFields(form, {{4, "12"}});
        QTest::mouseClick(form.cmdSave, Qt::LeftButton);
        ASSERT_EQ(script.count(), 2);
        EXPECT_TRUE(script.last().text.startsWith("Trip Date is not a valid date! "));
        EXPECT_EQ(QApplication::focusWidget(), form.datBox);
        EXPECT_EQ(app.scalar("SELECT StartDate FROM tblMain WHERE TripID = '" + id + "'").toString(), c.stored);
        EXPECT_EQ(app.scalar("SELECT Fuel FROM tblMain WHERE TripID = '" + id + "'").toDouble(), 0.0);
        form.datBox->selectAll();
        QTest::keyClicks(form.datBox, "7/4/2012");
    }
    script.answer(vbNo);
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    EXPECT_EQ(script.last().title, "Record Updated Successfully");
    EXPECT_EQ(app.scalar("SELECT StartDate FROM tblMain WHERE TripID = '" + id + "'").toString(), c.saved);
    EXPECT_EQ(app.trips("TripID = 'T-1'"), other);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, EditStoredDate,
    ::testing::Values(StoredDateCase{"iso", "2008-01-15", "1/15/2008", "1/15/2008", false},
                      StoredDateCase{"before_the_range", "1/15/2005", "1/15/2005", "1/15/2005", false},
                      StoredDateCase{"with_time", "10/18/2007 10:20:36 PM", "10/18/2007", "10/18/2007", false},
                      StoredDateCase{"unreadable", "sometime", "sometime", "7/4/2012", true},
                      StoredDateCase{"empty", "", "", "7/4/2012", true}),
    [](const ::testing::TestParamInfo<StoredDateCase>& info) { return std::string(info.param.name); });

// Two stored trips with one Trip ID (one renamed by another tool): the library's update and delete act on
// both, so the user is told and asked first; No writes nothing and keeps the trip loaded.
TEST(EditTrip, SharedTripIDAsksBeforeUpdateOrDelete) {
    AppFolder app;
    app.addTrip("Peoria");
    app.addTrip("Joliet");
    app.addTrip("Elgin");
    app.exec("UPDATE tblMain SET TripID = 'T-1' WHERE Destination = 'Joliet';");
    const QString elgin = app.trips("TripID = 'T-3'");
    MsgBoxScript script;
    frmEditTrip form;
    showActive(form);
    form.lvTrip->setCurrentIndex(form.lvTrip->model()->index(1, 0));
    form.lvTrip_Click();
    ASSERT_EQ(form.lblID->text(), "T-1");
    typeFields(form, {{12, "Aurora"}});
    script.answer(vbNo);
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "2 stored trips have the Trip ID T-1. \r\n\r\n"
                                  "Saving gives all of them the values shown. Do you want to save anyway? ");
    EXPECT_EQ(script.last().style, vbYesNo | vbExclamation | vbDefaultButton2);
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain WHERE Destination = 'Aurora'").toInt(), 0);
    EXPECT_EQ(form.lblID->text(), "T-1");
    EXPECT_EQ(form.txtBox[12]->text(), "Aurora");

    script.clear();
    script.answer(vbNo);
    QTest::mouseClick(form.cmdDelete, Qt::LeftButton);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "2 stored trips have the Trip ID T-1. \r\n\r\n"
                                  "Deleting removes all of them. Do you want to delete anyway? ");
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 3);
    EXPECT_EQ(form.lblID->text(), "T-1");

    // Yes goes on to the library's own confirmation and its statement, which removes both rows.
    script.clear();
    script.answer(vbYes).answer(vbYes).answer(vbNo);
    QTest::mouseClick(form.cmdDelete, Qt::LeftButton);
    ASSERT_EQ(script.count(), 3);
    EXPECT_EQ(script.shown()[1].text, confirmText);
    EXPECT_EQ(app.trips("1"), elgin);

    // A Trip ID only one trip has is saved without a question.
    script.clear();
    frmEditTrip again;
    showActive(again);
    clickRow(again, "T-3");
    script.answer(vbNo);
    QTest::mouseClick(again.cmdSave, Qt::LeftButton);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().title, "Record Updated Successfully");
}

TEST(EditTrip, ColumnClicksSortByValueAndToggleTheDirection) {
    AppFolder app;
    app.addTrip("beta", "9/30/2007", 999.0);
    app.addTrip("Alpha", "10/2/2007", 1000.0);
    app.addTrip("gamma", "1/15/2008", 5.5);
    app.exec("UPDATE tblMain SET Fuel = TotalTrip, Miles = ID * 5;"); // 5, 10, 15 miles
    frmEditTrip form;
    showActive(form);
    clickHeader(form, 2); // the first click sorts descending
    EXPECT_EQ(column(form, 2), (QStringList{"gamma", "beta", "Alpha"}));
    clickHeader(form, 2);
    EXPECT_EQ(column(form, 2), (QStringList{"Alpha", "beta", "gamma"}));
    clickHeader(form, 1); // the direction is one setting for the list: descending again
    EXPECT_EQ(column(form, 1), (QStringList{"1/15/2008", "10/2/2007", "9/30/2007"}));
    clickHeader(form, 1);
    EXPECT_EQ(column(form, 1), (QStringList{"9/30/2007", "10/2/2007", "1/15/2008"}));
    clickHeader(form, 7);
    EXPECT_EQ(column(form, 7), (QStringList{"1,000.00", "999.00", "5.50"}));
    form.lvTrip_ColumnClick(6);
    EXPECT_EQ(column(form, 6), (QStringList{"5", "10", "15"}));
    EXPECT_EQ(MousePointerOf(&form), vbDefault);
    // A row clicked after sorting loads that row's trip.
    clickRow(form, "T-2");
    EXPECT_EQ(form.txtBox[12]->text(), "Alpha");
}

QLineEdit* box(frmEditTrip& form, const char* name) {
    return form.findChild<QLineEdit*>(name);
}

QString countText(frmEditTrip& form) {
    return form.findChild<QLabel*>("lblCount")->text();
}

// Ctrl+F reaches the find box; typing narrows the list by Trip ID, destination or notes (case and accents
// ignored), the date range narrows it too, and Escape restores every trip in the sort the list had.
TEST(EditTrip, FindBoxAndDateRangeNarrowTheListAndEscapeRestoresIt) {
    AppFolder app;
    app.addTrip("Peoria", "9/30/2007", 0, "Café meeting");
    app.addTrip("Joliet", "10/2/2007");
    app.addTrip("Pekin", "1/15/2008");
    frmEditTrip form;
    showActive(form);
    EXPECT_EQ(countText(form), "3 of 3 trips");
    clickHeader(form, 2); // destination, descending
    QTest::keySequence(form.lvTrip, QKeySequence::Find);
    ASSERT_EQ(QApplication::focusWidget(), box(form, "txtFind"));
    QTest::keyClicks(box(form, "txtFind"), "PE");
    EXPECT_EQ(column(form, 2), (QStringList{"Peoria", "Pekin"}));
    EXPECT_EQ(countText(form), "2 of 3 trips");
    QTest::keyClicks(box(form, "txtFind"), "o");
    EXPECT_EQ(column(form, 2), (QStringList{"Peoria"}));
    box(form, "txtFind")->clear();
    QTest::keyClicks(box(form, "txtFind"), "CAFE");
    EXPECT_EQ(column(form, 2), (QStringList{"Peoria"}));
    QTest::keyClick(box(form, "txtFind"), Qt::Key_Escape);
    EXPECT_TRUE(box(form, "txtFind")->text().isEmpty());
    EXPECT_EQ(column(form, 2), (QStringList{"Peoria", "Pekin", "Joliet"}));
    EXPECT_EQ(countText(form), "3 of 3 trips");
    // From, to, both; an empty side is open, and the days themselves are inside.
    QTest::keyClicks(box(form, "txtFrom"), "10/2/2007");
    EXPECT_EQ(column(form, 2), (QStringList{"Pekin", "Joliet"}));
    QTest::keyClicks(box(form, "txtTo"), "10/2/2007");
    EXPECT_EQ(column(form, 2), (QStringList{"Joliet"}));
    box(form, "txtFrom")->clear();
    EXPECT_EQ(column(form, 2), (QStringList{"Peoria", "Joliet"}));
    EXPECT_EQ(countText(form), "2 of 3 trips");
}

// Enter loads the current row as a click does; the arrow keys alone only move, so what the user typed
// stays in the fields.
TEST(EditTrip, EnterLoadsTheCurrentRowAndArrowsAloneKeepTheFields) {
    AppFolder app;
    app.addTrip("Peoria");
    app.addTrip("Joliet");
    MsgBoxScript script;
    frmEditTrip form;
    showActive(form);
    form.lvTrip->setFocus();
    QTest::keyClick(form.lvTrip, Qt::Key_Home);
    QTest::keyClick(form.lvTrip, Qt::Key_Return);
    EXPECT_EQ(form.lblID->text(), "T-1");
    EXPECT_EQ(itmTrip.data(TripTableModel::TripIdRole).toString(), "T-1");
    typeFields(form, {{12, "Typed"}});
    form.lvTrip->setFocus();
    QTest::keyClick(form.lvTrip, Qt::Key_Down);
    QTest::keyClick(form.lvTrip, Qt::Key_Up);
    QTest::keyClick(form.lvTrip, Qt::Key_Down);
    EXPECT_EQ(form.lblID->text(), "T-1");
    EXPECT_EQ(form.txtBox[12]->text(), "Typed");
    QTest::keyClick(form.lvTrip, Qt::Key_Enter);
    EXPECT_EQ(form.lblID->text(), "T-2");
    EXPECT_EQ(form.txtBox[12]->text(), "Joliet");
    EXPECT_TRUE(form.lvTrip->selectionModel()->isRowSelected(1));
    EXPECT_EQ(script.count(), 0);
}

// The list's context menu sorts from the keyboard: the Menu key opens it, "Sort by" names every column.
TEST(EditTrip, ContextMenuSortsByAColumn) {
    AppFolder app;
    app.addTrip("beta");
    app.addTrip("Alpha");
    app.addTrip("gamma");
    frmEditTrip form;
    showActive(form);
    form.lvTrip->setFocus();
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int column;
        QStringList destinations;
    } keys[] = {{Qt::Key_Menu, Qt::NoModifier, 2, {"gamma", "beta", "Alpha"}},
                {Qt::Key_F10, Qt::ShiftModifier, 2, {"Alpha", "beta", "gamma"}}};
    for (const auto& k : keys) {
        QTest::keyClick(form.lvTrip, k.key, k.modifiers);
        QMenu* sortBy = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (sortBy = form.findChild<QMenu*>("mnuSortBy")) != nullptr; }, 2000));
        QStringList names;
        for (QAction* action : sortBy->actions())
            names << action->text();
        EXPECT_EQ(names, TripListHeaders());
        sortBy->actions().at(k.column)->trigger();
        EXPECT_EQ(column(form, 2), k.destinations);
        delete form.findChild<QMenu*>("mnuTripList");
    }
}

// A filter that hides the loaded trip changes nothing about what Save writes: the loaded trip.
TEST(EditTrip, SaveWhileFilteredSavesTheLoadedTrip) {
    AppFolder app;
    app.addTrip("Peoria");
    app.addTrip("Joliet");
    MsgBoxScript script;
    script.answer(vbNo);
    frmEditTrip form;
    showActive(form);
    clickRow(form, "T-1");
    QTest::keyClicks(box(form, "txtFind"), "Joliet");
    ASSERT_EQ(column(form, 0), (QStringList{"T-2"}));
    typeFields(form, {{12, "Aurora"}});
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    EXPECT_EQ(script.last().title, "Record Updated Successfully");
    EXPECT_EQ(app.scalar("SELECT Destination FROM tblMain WHERE TripID = 'T-1'").toString(), "Aurora");
    EXPECT_EQ(app.scalar("SELECT Destination FROM tblMain WHERE TripID = 'T-2'").toString(), "Joliet");
}

// Export through the file dialog: the trips shown (Yes) or all (No), in the list's order, read back.
TEST(EditTrip, ExportWritesTheShownOrAllTripsToTheChosenFile) {
    AppFolder app;
    app.addTrip("Peoria", "9/30/2007", 0, "says \"hi\", twice\nand more");
    app.addTrip("Joliet", "10/2/2007");
    app.addTrip("Pekin", "1/15/2008");
    QTemporaryDir dir;
    MsgBoxScript script;
    frmEditTrip form;
    showActive(form);
    clickHeader(form, 1); // dates descending
    QTest::keyClicks(box(form, "txtFind"), "pe");
    const struct {
        int answer;
        QStringList ids;
    } runs[] = {{vbYes, {"T-3", "T-1"}}, {vbNo, {"T-1", "T-2", "T-3"}}};
    for (const auto& run : runs) {
        const QString file = dir.filePath(QString("trips%1.csv").arg(run.answer));
        SetNextFileName(file);
        script.answer(run.answer);
        QTest::mouseClick(form.cmdExport, Qt::LeftButton);
        EXPECT_FALSE(FileNamePending());
        EXPECT_EQ(script.last().text, "The list shows 2 of the 3 trips. \r\n\r\n"
                                      "Yes exports the trips shown, No exports all trips. ");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
        const CsvData csv = ReadCsv(f.readAll());
        ASSERT_TRUE(csv.error.isEmpty());
        ASSERT_EQ(csv.records.size(), run.ids.size() + 1);
        EXPECT_EQ(csv.records[0].fields, TripCsvHeader());
        QStringList ids;
        for (qsizetype i = 1; i < csv.records.size(); ++i)
            ids << csv.records[i].fields[0];
        EXPECT_EQ(ids, run.ids);
        EXPECT_EQ(csv.records[run.answer == vbYes ? 2 : 1].fields.last(), "says \"hi\", twice\nand more");
    }
    // Cancelled in the file dialog: nothing written, nothing said.
    script.clear();
    box(form, "txtFind")->clear();
    SetNextFileName(QString());
    QTest::mouseClick(form.cmdExport, Qt::LeftButton);
    EXPECT_EQ(script.count(), 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

} // namespace
