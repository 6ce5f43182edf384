// The window "Deleted and Changed Trips" against a real database: the list, restoring a deleted trip,
// the Trip ID clash, restoring over a changed trip and undoing that, the search box, emptying old entries.
#include "common/TripHistoryFilter.h"
#include "common/TripHistoryModel.h"
#include "common/modGlobal.h"
#include "support/MsgBoxScript.h"
#include "tripdata/HistoryKeeping.h"
#include "trips/TripTestUtil.h"
#include "trips/frmTripHistory.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeView>

namespace {

// Every column of a stored trip but ID, in SQL's quoted form.
QString tripRow(const AppFolder& app, const QString& tripId) {
    return app
        .scalar("SELECT quote(TripID)||quote(Destination)||quote(Rate)||quote(StartOdometer)||quote(EndOdometer)||"
                "quote(Miles)||quote(Fuel)||quote(Parking)||quote(Meals)||quote(Motel)||quote(Phone)||quote(Repairs)||"
                "quote(Towing)||quote(Expense)||quote(Mileage)||quote(TotalTrip)||quote(StartDate)||quote(Notes) "
                "FROM tblMain WHERE TripID = '" +
                tripId + "'")
        .toString();
}

// A trip whose values a restore could lose: fractions, a note over two lines, an apostrophe, accents.
QString addDetailedTrip(const AppFolder& app, const QString& destination = "O'Hare Zürich") {
    const QString id = app.addTrip(destination, "10/2/2007", 1234.567, "line one\r\nline two");
    app.exec("UPDATE tblMain SET Rate = 0.476, StartOdometer = 100, EndOdometer = 250, Miles = 150, Fuel = 1234.5, "
             "Expense = 0.1, Meals = 12.125 WHERE TripID = '" +
             id + "';");
    return id;
}

// Deletes through the library with the user's Yes, as the trip editing window does.
void deleteTrip(MsgBoxScript& script, const QString& tripId) {
    ASSERT_EQ(NewTrip(), 0);
    script.answer(vbYes);
    std::string id = tripId.toStdString();
    ASSERT_TRUE(objTrip->DeleteTrip(id));
}

QStringList cells(frmTripHistory& form, int row) {
    QStringList texts;
    for (int c = 0; c < form.filter()->columnCount(); ++c)
        texts << form.filter()->index(row, c).data().toString();
    return texts;
}

void selectRow(frmTripHistory& form, int row) {
    form.lvHistory->setCurrentIndex(form.filter()->index(row, 0));
}

class TripHistoryWindow : public ::testing::Test {
protected:
    // The test's own set-up writes are no history.
    void forgetSetUp() const { app.exec("DELETE FROM tblTripHistory;"); }
    AppFolder app;
    MsgBoxScript script;
};

} // namespace

// Deleted, listed and restored: the trip comes back with every value, its Trip ID and its ID. A second
// restore finds the Trip ID taken, says so and stores it under a new one only when asked to.
TEST_F(TripHistoryWindow, RestoresADeletedTripAndOffersANewTripIdOnAClash) {
    const QString id = addDetailedTrip(app);
    const QString peoria = app.addTrip("Peoria");
    const QString before = tripRow(app, id);
    const QString other = app.trips("TripID = '" + peoria + "'");
    forgetSetUp();
    deleteTrip(script, id);
    script.clear();

    frmTripHistory form;
    showActive(form);
    EXPECT_EQ(form.windowTitle(), "Deleted and Changed Trips");
    ASSERT_EQ(form.filter()->rowCount(), 1);
    QStringList headers;
    for (int c = 0; c < form.filter()->columnCount(); ++c)
        headers << form.filter()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers, (QStringList{"When", "What Happened", "Trip ID", "Date", "Destination", "Total"}));
    const QStringList row = cells(form, 0);
    EXPECT_TRUE(QRegularExpression("^\\d{1,2}/\\d{1,2}/\\d{4} \\d{1,2}:\\d\\d:\\d\\d [AP]M$").match(row[0]).hasMatch())
        << row[0].toStdString();
    EXPECT_EQ(row.mid(1), (QStringList{"Deleted", id, "10/2/2007", "O'Hare Zürich", "1,234.57"}));
    EXPECT_EQ(form.lblCount->text(), "1 of 1 entry");

    QTest::mouseClick(form.cmdRestore, Qt::LeftButton);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "Trip " + id + " was restored. ");
    EXPECT_EQ(script.last().style, vbInformation | vbOKOnly);
    EXPECT_EQ(tripRow(app, id), before);
    EXPECT_EQ(app.scalar("SELECT ID FROM tblMain WHERE TripID = '" + id + "'").toInt(), 1); // its own ID

    script.answer(vbNo);
    QTest::mouseClick(form.cmdRestore, Qt::LeftButton);
    ASSERT_EQ(script.count(), 2);
    EXPECT_EQ(script.last().text, "A stored trip already has the Trip ID " + id +
                                      ".\r\n\r\nRestore the deleted trip under a new Trip ID? ");
    EXPECT_EQ(script.last().style, vbYesNo | vbQuestion | vbDefaultButton2);
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 2);

    script.answer(vbYes);
    QTest::mouseClick(form.cmdRestore, Qt::LeftButton);
    ASSERT_EQ(script.count(), 4);
    EXPECT_EQ(script.last().text, "Trip " + id + " was restored as Trip T-3. ");
    EXPECT_EQ(tripRow(app, "T-3").mid(5), before.mid(5)); // all but the Trip ID
    EXPECT_EQ(form.filter()->rowCount(), 1);
    EXPECT_EQ(app.trips("TripID = '" + peoria + "'"), other);
}

// An edit is undone by restoring the values before it; the restore put the edited values into the history,
// so restoring those redoes the edit.
TEST_F(TripHistoryWindow, RestoringAChangedTripWritesItsEarlierValuesAndCanBeUndone) {
    const QString id = addDetailedTrip(app);
    const QString peoria = app.addTrip("Peoria");
    const QString other = app.trips("TripID = '" + peoria + "'");
    const QString original = tripRow(app, id);
    forgetSetUp();
    app.exec("UPDATE tblMain SET Destination = 'Boston', TotalTrip = 9.5, Notes = 'changed' WHERE TripID = '" + id +
             "'");
    const QString edited = tripRow(app, id);

    frmTripHistory form;
    showActive(form);
    ASSERT_EQ(form.filter()->rowCount(), 1);
    EXPECT_EQ(cells(form, 0).mid(1), (QStringList{"Changed", id, "10/2/2007", "O'Hare Zürich", "1,234.57"}));
    QTest::mouseClick(form.cmdRestore, Qt::LeftButton);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "Trip " + id +
                                      " was restored to its earlier values. \r\n\r\nThe values it replaced are in the "
                                      "list, so this can be undone too. ");
    EXPECT_EQ(tripRow(app, id), original);

    ASSERT_EQ(form.filter()->rowCount(), 2);
    EXPECT_EQ(cells(form, 0).mid(1), (QStringList{"Changed", id, "10/2/2007", "Boston", "9.50"})); // newest first
    selectRow(form, 0);
    QTest::mouseClick(form.cmdRestore, Qt::LeftButton);
    EXPECT_EQ(tripRow(app, id), edited);
    EXPECT_EQ(form.filter()->rowCount(), 3);
    EXPECT_EQ(app.trips("TripID = '" + peoria + "'"), other);
}

// A changed entry goes back to the one trip it was kept from, though another trip has its Trip ID, and only
// after the question that Save and Delete ask about a shared Trip ID.
TEST_F(TripHistoryWindow, AChangedEntryOfASharedTripIdGoesBackToItsOwnTripAfterAsking) {
    app.addTrip("Peoria");
    app.addTrip("Joliet");
    app.addTrip("Elgin");
    app.exec("UPDATE tblMain SET TripID = 'T-1' WHERE ID = 2;");
    forgetSetUp();
    app.exec("UPDATE tblMain SET Destination = 'Aurora' WHERE ID = 2;");
    const QString others = app.trips("ID <> 2");
    frmTripHistory form;
    showActive(form);
    script.answer(vbNo);
    QTest::mouseClick(form.cmdRestore, Qt::LeftButton);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "2 stored trips have the Trip ID T-1. \r\n\r\nRestoring changes only the one this "
                                  "entry was kept from. Do you want to restore anyway? ");
    EXPECT_EQ(script.last().style, vbYesNo | vbExclamation | vbDefaultButton2);
    EXPECT_EQ(app.scalar("SELECT Destination FROM tblMain WHERE ID = 2").toString(), "Aurora");

    script.answer(vbYes);
    QTest::mouseClick(form.cmdRestore, Qt::LeftButton);
    EXPECT_EQ(script.last().style, vbInformation | vbOKOnly);
    EXPECT_EQ(app.scalar("SELECT Destination FROM tblMain WHERE ID = 2").toString(), "Joliet");
    EXPECT_EQ(app.trips("ID <> 2"), others);
}

// An entry no trip could be deleted or saved from again is refused with a message, and nothing is written.
TEST_F(TripHistoryWindow, AnEntryWithoutATripIdOrWithTextForANumberIsRefused) {
    app.addTrip("Peoria");
    forgetSetUp();
    app.exec("INSERT INTO tblTripHistory (ChangeDate, ChangeType, ID, TripID, Destination) VALUES "
             "('1/2/2020 1:00:00 PM','deleted',5,NULL,'Joliet');");
    const QString all = app.trips("1");
    frmTripHistory form;
    showActive(form);
    QTest::mouseClick(form.cmdRestore, Qt::LeftButton);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "This entry cannot be restored: it has no Trip ID, or text where a number belongs. ");
    EXPECT_EQ(script.last().style, vbExclamation | vbOKOnly);
    EXPECT_EQ(app.trips("1"), all);
}

// A file whose history cannot be added says so in the window, in words; once it can be written, the window
// adds it.
TEST_F(TripHistoryWindow, AHistoryThatCannotBeAddedIsNamedInTheWindow) {
    app.addTrip("Peoria");
    app.exec("DROP TRIGGER trgTripDeleted; DROP TRIGGER trgTripUpdated; DROP TABLE tblTripHistory;");
    {
        DatabaseLock lock(app.databasePath(), "BEGIN IMMEDIATE;");
        frmTripHistory form;
        showActive(form);
        EXPECT_TRUE(form.lblNotKept->isVisible());
        EXPECT_EQ(form.lblNotKept->text(), "Deleted and changed trips are not kept: another program is using the "
                                           "trip file.");
        EXPECT_FALSE(form.cmdRestore->isEnabled());
    }
    frmTripHistory form;
    showActive(form);
    EXPECT_FALSE(form.lblNotKept->isVisible());
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM sqlite_master WHERE name = 'trgTripDeleted'").toInt(), 1);
}

// Before a change, the user hears once per trip file why the history cannot be kept.
TEST(HistoryKeeping, TheUserIsToldOnceWhyChangesCannotBeKept) {
    QTemporaryDir withoutLibrary;
    MsgBoxScript script;
    KeepHistoryBeforeChange(withoutLibrary.path());
    KeepHistoryBeforeChange(withoutLibrary.path());
    ASSERT_EQ(script.count(), 1);
    EXPECT_TRUE(script.last().text.startsWith("Deleted and changed trips cannot be kept: the Wendlo library could not "
                                              "be loaded."))
        << script.last().text.toStdString();
    EXPECT_EQ(script.last().style, vbExclamation | vbOKOnly);
}

// The search box of the trip lists: Trip ID, destination and notes, case and accents ignored; Ctrl+F goes
// to it and Escape empties it.
TEST_F(TripHistoryWindow, FindsEntriesByTripIdDestinationAndNotes) {
    const QString a = app.addTrip("Zürich", "1/2/2008", 10, "Kunde MÜLLER");
    const QString b = app.addTrip("Peoria", "1/3/2008", 20, "dinner");
    const QString c = app.addTrip("Joliet", "1/4/2008", 30);
    forgetSetUp();
    app.exec("DELETE FROM tblMain;");

    frmTripHistory form;
    showActive(form);
    EXPECT_EQ(form.lblCount->text(), "3 of 3 entries");
    const struct {
        const char* typed;
        QStringList ids;
    } cases[] = {
        {"zur", {a}}, {"muller", {a}}, {"DINNER", {b}}, {"T-3", {c}}, {"nowhere", {}}, {"", {c, b, a}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.typed);
        form.txtFind->setText(QString::fromUtf8(k.typed));
        QStringList shown;
        for (int r = 0; r < form.filter()->rowCount(); ++r)
            shown << cells(form, r)[TripHistoryModel::TripId];
        EXPECT_EQ(shown, k.ids);
        EXPECT_EQ(form.lblCount->text(), QString("%1 of 3 entries").arg(k.ids.size()));
    }
    form.lvHistory->setFocus();
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(form.txtFind->hasFocus());
    QTest::keyClicks(form.txtFind, "peo");
    EXPECT_EQ(form.lblCount->text(), "1 of 3 entries");
    QTest::keyClick(form.txtFind, Qt::Key_Escape);
    EXPECT_TRUE(form.txtFind->text().isEmpty());
    EXPECT_EQ(form.lblCount->text(), "3 of 3 entries");
}

// Entries older than the chosen day go only after a Yes; the entry dates count as days.
TEST_F(TripHistoryWindow, EmptiesEntriesOlderThanTheChosenDayAfterAsking) {
    app.exec("INSERT INTO tblTripHistory (ChangeDate, ChangeType, TripID, Destination) VALUES "
             "('12/31/2019 11:59:59 PM','deleted','T-1','a'), ('10/18/2007 10:20:36 PM','updated','T-2','b'),"
             "('1/1/2020 12:00:00 AM','deleted','T-3','c');");
    frmTripHistory form;
    showActive(form);
    form.datEmpty->setDate(QDate(2007, 10, 18));
    QTest::mouseClick(form.cmdEmpty, Qt::LeftButton);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "No history entries are older than 10/18/2007. ");
    EXPECT_EQ(script.last().style, vbExclamation | vbOKOnly);

    form.datEmpty->setDate(QDate(2020, 1, 1));
    script.answer(vbNo);
    QTest::mouseClick(form.cmdEmpty, Qt::LeftButton);
    ASSERT_EQ(script.count(), 2);
    EXPECT_EQ(script.last().text,
              "Empty the 2 history entries older than 1/1/2020?\r\n\r\nOnce emptied they can't be recovered!");
    EXPECT_EQ(script.last().title, "** WARNING **");
    EXPECT_EQ(script.last().style, vbYesNo | vbQuestion | vbDefaultButton2);
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblTripHistory").toInt(), 3);

    script.answer(vbYes);
    QTest::mouseClick(form.cmdEmpty, Qt::LeftButton);
    ASSERT_EQ(script.count(), 4);
    EXPECT_EQ(script.last().text, "2 history entries were emptied. ");
    EXPECT_EQ(app.scalar("SELECT group_concat(TripID) FROM tblTripHistory").toString(), "T-3");
    EXPECT_EQ(form.lblCount->text(), "1 of 1 entry");
}
