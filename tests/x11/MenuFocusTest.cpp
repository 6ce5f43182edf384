// Windows opened from the main window's menu by the keyboard, on a real X display: where the focus lands,
// what the first keys do there, Escape and Enter in every child window, the menus' shortcuts, and the
// question before unsaved input is lost.
#include "shell/ShellFixture.h"

#include "platform/DateBox.h"
#include "platform/Help.h"
#include "profile/ProfileFields.h"
#include "profile/frmEditOwner.h"
#include "support/MsgBoxScript.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

namespace {

// Opens a menu with its access key and runs the item the arrow keys reach, as a user does.
void chooseFromMenu(frmMain& w, Qt::Key accessKey, int downPresses) {
    QTest::keyClick(&w, accessKey, Qt::AltModifier);
    QMenu* menu = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); }, 3000));
    for (int i = 0; i < downPresses; ++i)
        QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
}

QString focusName() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString("nothing");
}

struct Opening {
    const char* name;
    Qt::Key accessKey;
    int downPresses; // from the menu's first item
    const char* focus; // where the focus starts
    Qt::Key firstKey;
    // After the first key: "last row" of a list, "text ..." of a box, or the name of the control it moved to.
    const char* expect;
};
void PrintTo(const Opening& opening, std::ostream* os) {
    *os << opening.name;
}

class MenuOpensTheWindowWithTheFocus : public ShellFixture, public ::testing::WithParamInterface<Opening> {};

TEST_P(MenuOpensTheWindowWithTheFocus, OnItsFirstControlAndKeepsWhereTheUserLeftIt) {
    const Opening& o = GetParam();
    folder.addOwner();
    for (int i = 1; i <= 3; ++i)
        folder.addTrip(QString("Destination %1").arg(i));
    folder.exec("UPDATE tblMain SET Rate = 0.5;"); // history entries to list
    frmMain w;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    MsgBoxScript script;
    chooseFromMenu(w, o.accessKey, o.downPresses);
    ASSERT_TRUE(QTest::qWaitFor([&] { return focusName() == o.focus; }, 3000))
        << "focus is on " << focusName().toStdString();
    QWidget* first = QApplication::focusWidget();
    QMdiSubWindow* child = w.mdiArea()->activeSubWindow();
    ASSERT_TRUE(child && child->isAncestorOf(first));
    QTest::keyClick(first, o.firstKey);
    const QString expect = o.expect;
    if (auto* list = qobject_cast<QAbstractItemView*>(first); list && expect == "last row")
        EXPECT_EQ(list->currentIndex().row(), list->model()->rowCount() - 1);
    else if (auto* box = qobject_cast<QLineEdit*>(first); box && expect.startsWith("text "))
        EXPECT_EQ(box->text(), expect.mid(5));
    else
        EXPECT_EQ(focusName(), expect);

    // Another window, then this one again from the menu: the focus is where the user left it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* left = QApplication::focusWidget();
    const bool adding = o.accessKey == Qt::Key_F;
    chooseFromMenu(w, adding ? Qt::Key_U : Qt::Key_F, adding ? 1 : 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !child->isAncestorOf(QApplication::focusWidget()); }, 3000));
    chooseFromMenu(w, o.accessKey, o.downPresses);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == left; }, 3000))
        << "focus is on " << focusName().toStdString();
    EXPECT_EQ(script.count(), 0);
}

const Opening kOpenings[] = {
    {"AddNewTrip", Qt::Key_F, 0, "datBox", Qt::Key_5, "text 5"},
    {"UpdateTripRecords", Qt::Key_U, 0, "lvTrip", Qt::Key_End, "last row"},
    {"UpdateYourProfile", Qt::Key_U, 1, "txtBox_0", Qt::Key_S, "text Smiths"},
    {"DeletedAndChangedTrips", Qt::Key_U, 2, "lvHistory", Qt::Key_End, "last row"},
    {"ImportTrips", Qt::Key_U, 3, "txtFile", Qt::Key_A, "text a"},
    {"TripReport", Qt::Key_R, 1, "lvTrip", Qt::Key_End, "last row"},
    {"YearSummary", Qt::Key_R, 2, "optYear", Qt::Key_Down, "optRange"},
};
const auto openingName = [](const auto& info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Commands, MenuOpensTheWindowWithTheFocus, ::testing::ValuesIn(kOpenings), openingName);

class ChildWindowKeys : public ShellFixture, public ::testing::WithParamInterface<Opening> {};

// Escape closes the window once a find box with text and an open calendar have used it; Enter on its
// focused e&Xit button closes it too.
TEST_P(ChildWindowKeys, EscapeAndEnterOnAFocusedButton) {
    const Opening& o = GetParam();
    folder.addOwner();
    folder.addTrip("Ames");
    folder.exec("UPDATE tblMain SET Rate = 0.5;");
    frmMain w;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    MsgBoxScript script;
    const auto open = [&] {
        chooseFromMenu(w, o.accessKey, o.downPresses);
        EXPECT_TRUE(QTest::qWaitFor([&] { return focusName() == o.focus; }, 3000));
        return w.mdiArea()->activeSubWindow();
    };
    QPointer<QMdiSubWindow> child = open();
    ASSERT_TRUE(child);
    if (auto* find = child->findChild<QLineEdit*>("txtFind")) {
        find->setFocus();
        QTest::keyClicks(find, "x");
        QTest::keyClick(find, Qt::Key_Escape);
        EXPECT_EQ(find->text(), "");
    }
    if (auto* date = child->findChild<DateBox*>("datBox")) {
        date->setFocus();
        QTest::keyClick(date, Qt::Key_F4);
        ASSERT_TRUE(QTest::qWaitFor([&] { return date->isCalendarShown(); }, 3000));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_FALSE(date->isCalendarShown());
    }
    QApplication::processEvents();
    ASSERT_TRUE(child && child->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !child; }, 3000)) << "Escape left the window open";

    child = open();
    ASSERT_TRUE(child);
    auto* exit = child->findChild<QPushButton*>("cmdExit");
    ASSERT_NE(exit, nullptr);
    exit->setFocus();
    QTest::keyClick(exit, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !child; }, 3000)) << "Enter on e&Xit left the window open";
    EXPECT_EQ(script.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Windows, ChildWindowKeys, ::testing::ValuesIn(kOpenings), openingName);

// From a child window: Ctrl+N opens a new trip, F1 the help, Ctrl+Q ends the program.
TEST_F(ShellFixture, TheMenusShortcutsWorkFromAChildWindow) {
    folder.addTrip("Ames");
    frmMain w;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    MsgBoxScript script;
    chooseFromMenu(w, Qt::Key_U, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return focusName() == "lvTrip"; }, 3000));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return focusName() == "datBox"; }, 3000))
        << "focus is on " << focusName().toStdString();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return HelpContentsWindow() && HelpContentsWindow()->isVisible(); }, 3000));
    delete HelpContentsWindow();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(exits, QList<int>{0});
}

// Leaving a window that holds unsaved input asks Save, Discard or Cancel, however the user leaves it.
enum class Leave { Escape, EnterOnExit, CloseBox, FileExit, CtrlQ };
struct Leaving {
    const char* name;
    Qt::Key accessKey;
    int downPresses;
    const char* typing; // "field=text;..."
    Leave how;
    int answer;
    const char* storedCount; // SQL counting what Save stores
    bool stored, stays, ended;
};
void PrintTo(const Leaving& leaving, std::ostream* os) {
    *os << leaving.name;
}
class UnsavedInput : public ShellFixture, public ::testing::WithParamInterface<Leaving> {};

TEST_P(UnsavedInput, AsksBeforeItIsLost) {
    const Leaving& o = GetParam();
    folder.addOwner();
    folder.addTrip("Peoria");
    frmMain w;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    MsgBoxScript script;
    script.allowUnscripted(); // the checks' own messages
    chooseFromMenu(w, o.accessKey, o.downPresses);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.mdiArea()->activeSubWindow(); }, 3000));
    QPointer<QMdiSubWindow> child = w.mdiArea()->activeSubWindow();
    if (auto* list = child->findChild<QAbstractItemView*>("lvTrip")) { // loads the trip as a user does
        QTest::keyClick(list, Qt::Key_Home);
        QTest::keyClick(list, Qt::Key_Return);
    }
    for (const QString& pair : QString(o.typing).split(';')) {
        auto* box = child->findChild<QLineEdit*>(pair.section('=', 0, 0));
        ASSERT_NE(box, nullptr) << pair.toStdString();
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, pair.section('=', 1));
    }
    script.answer(o.answer);
    if (o.how == Leave::Escape)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    else if (auto* exit = child->findChild<QPushButton*>("cmdExit"); o.how == Leave::EnterOnExit) {
        exit->setFocus();
        QTest::keyClick(exit, Qt::Key_Return);
    } else if (o.how == Leave::CloseBox)
        child->close();
    else if (o.how == Leave::FileExit)
        chooseFromMenu(w, Qt::Key_F, 1);
    else
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::ControlModifier);
    QTest::qWait(50);
    ASSERT_GE(script.count(), 1);
    EXPECT_EQ(script.shown()[0].style, vbSaveDiscardCancel | vbExclamation);
    EXPECT_EQ(folder.scalar(o.storedCount).toInt(), o.stored ? 1 : 0);
    EXPECT_EQ(child && child->isVisible(), o.stays);
    EXPECT_EQ(!exits.isEmpty(), o.ended);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, UnsavedInput,
    ::testing::Values(Leaving{"NewTripEscapeCancel", Qt::Key_F, 0, "txtBox_12=Ames", Leave::Escape, vbCancel,
                              "SELECT COUNT(*) FROM tblMain WHERE Destination = 'Ames'", false, true, false},
                      Leaving{"NewTripFileExitSave", Qt::Key_F, 0, "txtBox_12=Ames;txtBox_3=12", Leave::FileExit,
                              vbSave, "SELECT COUNT(*) FROM tblMain WHERE Destination = 'Ames'", true, false, true},
                      Leaving{"NewTripCtrlQSaveRefused", Qt::Key_F, 0, "txtBox_12=Ames", Leave::CtrlQ, vbSave,
                              "SELECT COUNT(*) FROM tblMain WHERE Destination = 'Ames'", false, true, false},
                      Leaving{"EditedTripExitSave", Qt::Key_U, 0, "txtBox_12=Ames", Leave::EnterOnExit, vbSave,
                              "SELECT COUNT(*) FROM tblMain WHERE Destination = 'Ames'", true, false, false},
                      Leaving{"ProfileCloseBoxDiscard", Qt::Key_U, 1, "txtBox_0=Ames", Leave::CloseBox, vbDiscard,
                              "SELECT COUNT(*) FROM tblOwner WHERE LName = 'Ames'", false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// File > Exit asks each window in turn; Cancel in the second keeps the program and both windows.
TEST_F(ShellFixture, CancelInAnyWindowStopsTheExit) {
    folder.addOwner();
    frmMain w;
    w.show();
    MsgBoxScript script;
    w.mnuFileAddTrip_Click();
    w.findChild<QLineEdit*>("txtBox_12")->setText("Ames");
    w.mnuUtilsEditUserProfile_Click();
    w.findChild<frmEditOwner*>()->fields()->txtBox(0)->setText("Ames");
    script.answer(vbDiscard).answer(vbCancel);
    w.mnuFileExit_Click();
    EXPECT_EQ(script.count(), 2);
    EXPECT_TRUE(exits.isEmpty());
    EXPECT_EQ(w.mdiArea()->subWindowList().size(), 2);
}

} // namespace
