// The new-trip window against a real database: identifiers, the stored values, the prompts, failures.
#include "common/modGlobal.h"
#include "platform/MousePointer.h"
#include "support/MsgBoxScript.h"
#include "trips/TripTestUtil.h"
#include "trips/frmAddTrip.h"

#include <QElapsedTimer>
#include <QPushButton>

namespace {

const char* const savedText = "New Trip Record Saved! \r\n\r\nDo you want to add another Trip record? ";

void save(frmAddTrip& form) {
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
}

TEST(AddTrip, WorkedExampleIsStoredAsFirstTrip) {
    AppFolder app;
    MsgBoxScript script;
    script.answer(vbNo);
    frmAddTrip form;
    showActive(form);
    form.datBox->setDate(QDate(2007, 10, 18));
    typeFields(form, {{12, "  O'Hare  "}, {0, ".475"}, {1, "100"}, {2, "250"}, {3, "1"}, {4, "30"}, {6, "12.50"}});
    QTest::keyClick(form.txtBox[6], Qt::Key_Return);
    QTest::keyClicks(form.rtBox, "Client visit");
    save(form);

    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, savedText);
    EXPECT_EQ(script.last().title, "Record Saved Successfully");
    EXPECT_EQ(script.last().style, vbYesNo | vbQuestion | vbDefaultButton2);
    EXPECT_EQ(form.txtBox[3]->text(), "150"); // the odometers win over the typed miles
    EXPECT_FALSE(form.isVisible());           // No closes the window

    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 1);
    EXPECT_EQ(app.scalar("SELECT TripID FROM tblMain").toString(), "T-1");
    EXPECT_EQ(app.scalar("SELECT Destination FROM tblMain").toString(), "O'Hare");
    EXPECT_EQ(app.scalar("SELECT Miles FROM tblMain").toInt(), 150);
    EXPECT_DOUBLE_EQ(app.scalar("SELECT Mileage FROM tblMain").toDouble(), 71.25);
    EXPECT_DOUBLE_EQ(app.scalar("SELECT TotalTrip FROM tblMain").toDouble(), 113.75);
    EXPECT_DOUBLE_EQ(app.scalar("SELECT Rate FROM tblMain").toDouble(), 0.475);
    EXPECT_DOUBLE_EQ(app.scalar("SELECT Meals FROM tblMain").toDouble(), 12.5);
    EXPECT_EQ(app.scalar("SELECT Parking FROM tblMain").toDouble(), 0.0);
    EXPECT_EQ(app.scalar("SELECT StartDate FROM tblMain").toString(), "10/18/2007");
    EXPECT_EQ(app.scalar("SELECT Notes FROM tblMain").toString(), "Client visit");
}

// Both readings typed show their miles at once, and Save stores them without a Total Miles typed.
TEST(AddTrip, ReadingsShowTheirMilesAsTheyAreTyped) {
    AppFolder app;
    MsgBoxScript script;
    script.answer(vbNo);
    frmAddTrip form;
    showActive(form);
    typeFields(form, {{12, "X"}, {1, "49148"}, {2, "49300"}});
    EXPECT_EQ(form.txtBox[3]->text(), "152");
    save(form);
    EXPECT_EQ(script.last().text, savedText);
    EXPECT_EQ(app.scalar("SELECT Miles FROM tblMain").toInt(), 152);
}

TEST(AddTrip, TypedMilesRoundHalfToEvenWhenAnOdometerIsMissing) {
    AppFolder app;
    MsgBoxScript script;
    script.answer(vbYes).answer(vbYes);
    frmAddTrip form;
    showActive(form);
    typeFields(form, {{12, "A"}, {0, ".5"}, {2, "150"}, {3, "12.5"}});
    save(form);
    typeFields(form, {{12, "B"}, {0, ".5"}, {1, "0"}, {2, "150"}, {3, "13.5"}});
    save(form);
    EXPECT_EQ(app.scalar("SELECT Miles FROM tblMain WHERE Destination = 'A'").toInt(), 12);
    EXPECT_EQ(app.scalar("SELECT Miles FROM tblMain WHERE Destination = 'B'").toInt(), 14);
    EXPECT_DOUBLE_EQ(app.scalar("SELECT Mileage FROM tblMain WHERE Destination = 'B'").toDouble(), 7.0);
    EXPECT_EQ(app.scalar("SELECT EndOdometer FROM tblMain WHERE Destination = 'B'").toInt(), 150);
}

TEST(AddTrip, YesClearsForTheNextTripAndIdentifiersFollowTheHighestRow) {
    AppFolder app;
    app.addTrip("first");
    app.exec("INSERT INTO tblMain (ID, TripID, Destination, StartDate) VALUES (41, 'T-9', 'jump', '10/1/2007');");
    MsgBoxScript script;
    script.answer(vbYes).answer(vbYes);
    frmAddTrip form;
    showActive(form);
    form.datBox->setDate(QDate(2008, 3, 4));
    typeFields(form, {{12, "Peoria"}, {3, "10"}, {5, "1,234.50"}});
    form.rtBox->setPlainText("n");
    save(form);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.datBox->date(), QDate::currentDate());
    for (TripTextBox* box : form.txtBox)
        EXPECT_TRUE(box->text().isEmpty());
    EXPECT_TRUE(form.rtBox->toPlainText().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), form.txtBox[12]);
    EXPECT_EQ(app.scalar("SELECT TripID FROM tblMain WHERE Destination = 'Peoria'").toString(), "T-42");
    EXPECT_DOUBLE_EQ(app.scalar("SELECT Parking FROM tblMain WHERE Destination = 'Peoria'").toDouble(), 1234.5);
    // A deleted top row lowers MAX(ID); the identifier still follows the highest remaining row.
    app.exec("DELETE FROM tblMain WHERE TripID = 'T-42';");
    typeFields(form, {{12, "Joliet"}, {3, "5"}});
    save(form);
    EXPECT_EQ(app.scalar("SELECT TripID FROM tblMain WHERE Destination = 'Joliet'").toString(), "T-42");
}

// A row renamed by another tool can already carry the next identifier: the new trip takes the next
// number no stored trip has.
TEST(AddTrip, NewIdentifierSkipsNumbersStoredTripsCarry) {
    AppFolder app;
    app.addTrip("first");
    app.exec("INSERT INTO tblMain (ID, TripID, Destination, StartDate) VALUES (30, 'T-31', 'renamed', '10/1/2007');");
    app.exec("UPDATE tblMain SET TripID = 'T-32' WHERE Destination = 'first';");
    MsgBoxScript script;
    script.answer(vbNo);
    frmAddTrip form;
    showActive(form);
    typeFields(form, {{12, "Peoria"}, {3, "10"}});
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    EXPECT_EQ(script.last().text, savedText);
    EXPECT_EQ(app.scalar("SELECT TripID FROM tblMain WHERE Destination = 'Peoria'").toString(), "T-33");
    EXPECT_EQ(app.scalar("SELECT COUNT(DISTINCT TripID) FROM tblMain").toInt(), 3);
}

TEST(AddTrip, ValidationFailureConsumesNoIdentifier) {
    AppFolder app;
    MsgBoxScript script;
    frmAddTrip form;
    showActive(form);
    typeFields(form, {{3, "10"}});
    save(form);
    EXPECT_EQ(script.last().text, "Destination is missing! ");
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 0);
    script.answer(vbNo);
    typeFields(form, {{12, "Peoria"}});
    save(form);
    EXPECT_EQ(app.scalar("SELECT TripID FROM tblMain").toString(), "T-1");
}

struct LockCase {
    const char* name;
    const char* begin;
};

class AddTripLocked : public ::testing::TestWithParam<LockCase> {};

// A save that cannot write reports it within the busy timeout and keeps every typed value; the retry
// after the lock is gone stores the trip once.
TEST_P(AddTripLocked, FailedSaveKeepsTheFieldsAndRetryStoresOnce) {
    AppFolder app;
    MsgBoxScript script;
    script.allowUnscripted();
    frmAddTrip form;
    showActive(form);
    form.datBox->setDate(QDate(2007, 11, 5));
    typeFields(form, {{12, "Peoria"}, {0, ".475"}, {1, "100"}, {2, "250"}, {3, "150"}, {4, "30"}});
    form.rtBox->setPlainText("kept");
    const TripFieldTexts typed = form.fieldTexts();

    auto lock = std::make_unique<DatabaseLock>(app.databasePath(), GetParam().begin);
    QElapsedTimer timer;
    timer.start();
    save(form);
    EXPECT_LT(timer.elapsed(), 15000);
    ASSERT_GE(script.count(), 1);
    EXPECT_EQ(script.last().text, "Trip Record was NOT Saved! ");
    EXPECT_EQ(script.last().title, " ERROR");
    EXPECT_EQ(script.last().style, vbCritical | vbOKOnly);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.fieldTexts(), typed);
    EXPECT_EQ(form.rtBox->toPlainText(), "kept");
    EXPECT_EQ(form.datBox->date(), QDate(2007, 11, 5));
    EXPECT_EQ(MousePointerOf(&form), vbDefault);
    lock.reset();

    script.clear();
    script.allowUnscripted(false);
    script.answer(vbNo);
    save(form);
    EXPECT_EQ(script.last().text, savedText);
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 1);
    EXPECT_EQ(app.scalar("SELECT StartDate FROM tblMain").toString(), "11/5/2007");
    EXPECT_EQ(app.scalar("SELECT Notes FROM tblMain").toString(), "kept");
}

INSTANTIATE_TEST_SUITE_P(Locks, AddTripLocked,
                         ::testing::Values(LockCase{"readers_kept_out", "BEGIN EXCLUSIVE;"},
                                           LockCase{"writers_kept_out", "BEGIN IMMEDIATE;"}),
                         [](const ::testing::TestParamInfo<LockCase>& info) { return std::string(info.param.name); });

TEST(AddTrip, WithoutTheLibraryNothingIsSavedAndTheFieldsStay) {
    AppFolder app;
    MsgBoxScript script;
    frmAddTrip form;
    showActive(form);
    objTrip.reset();
    typeFields(form, {{12, "Peoria"}, {3, "10"}});
    save(form);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "Trip Record was NOT Saved! ");
    EXPECT_EQ(form.txtBox[12]->text(), "Peoria");
    EXPECT_EQ(form.txtBox[3]->text(), "10");
}

} // namespace
