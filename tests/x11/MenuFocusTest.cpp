// Windows opened from the main window's menu by the keyboard, on a real X display: where the focus lands, what
// the first keys do there, Escape and Enter, the menus' shortcuts, and the question before unsaved input is lost.
#include "shell/ShellFixture.h"

#include "platform/DateBox.h"
#include "platform/Help.h"
#include "support/MsgBoxScript.h"
#include "x11/MenuKeys.h"

#include <QAbstractItemView>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

namespace {

// The main window over two trips (so two history entries) and a profile.
class MenuKeys : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        folder.addOwner();
        folder.addTrip("Peoria");
        folder.addTrip("Ames");
        folder.exec("UPDATE tblMain SET Rate = 0.5;");
        w = new frmMain; // the fixture deletes the windows
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    // A command by its menu's access key and the Down presses from its first item (Qt::Key_N: Ctrl+N); the child
    // window it leaves active with the focus.
    QPointer<QMdiSubWindow> open(Qt::Key accessKey, int downPresses) {
        if (accessKey == Qt::Key_N)
            QTest::keyClick(w, Qt::Key_N, Qt::ControlModifier);
        else
            chooseFromMenu(*w, accessKey, downPresses);
        const auto child = [this] { return w->mdiArea()->activeSubWindow(); };
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return child() && child()->isAncestorOf(QApplication::focusWidget()); }, 3000));
        return child();
    }
    frmMain* w = nullptr;
    MsgBoxScript script;
};

struct Opening {
    const char* name;
    Qt::Key accessKey;
    int downPresses;
    const char* focus; // where the focus starts
    Qt::Key firstKey;
    const char* expect; // after it: "last row" of the list, "text ..." of the box, or the control it moved to
    bool asks;          // the key left input that leaving the window asks about (answered Discard)
};
void PrintTo(const Opening& o, std::ostream* os) {
    *os << o.name;
}
class MenuOpens : public MenuKeys, public ::testing::WithParamInterface<Opening> {};

TEST_P(MenuOpens, TheFocusOnTheFirstControlWhereTheKeysWork) {
    const Opening& o = GetParam();
    QPointer<QMdiSubWindow> child = open(o.accessKey, o.downPresses);
    ASSERT_TRUE(child);
    QWidget* first = QApplication::focusWidget();
    ASSERT_EQ(first->objectName(), o.focus);
    QTest::keyClick(first, o.firstKey);
    const QString expect = o.expect;
    if (auto* list = qobject_cast<QAbstractItemView*>(first); list && expect == "last row")
        EXPECT_EQ(list->currentIndex().row(), list->model()->rowCount() - 1);
    else if (auto* box = qobject_cast<QLineEdit*>(first); box && expect.startsWith("text "))
        EXPECT_EQ(box->text(), expect.mid(5));
    else
        EXPECT_EQ(QApplication::focusWidget()->objectName(), expect);

    // Another window, then this one again from the menu: the focus is where the user left it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* left = QApplication::focusWidget();
    const bool adding = o.accessKey == Qt::Key_F;
    open(adding ? Qt::Key_U : Qt::Key_F, adding ? 1 : 0);
    EXPECT_EQ(open(o.accessKey, o.downPresses), child);
    EXPECT_EQ(QApplication::focusWidget(), left);

    // Escape empties a find box and closes an open calendar before it closes the window.
    if (auto* find = child->findChild<QLineEdit*>("txtFind")) {
        QTest::keyClicks(find, "x");
        QTest::keyClick(find, Qt::Key_Escape);
        EXPECT_EQ(find->text(), "");
    }
    if (auto* date = child->findChild<DateBox*>("datBox")) {
        QTest::keyClick(date, Qt::Key_F4);
        ASSERT_TRUE(QTest::qWaitFor([&] { return date->isCalendarShown(); }, 3000));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_FALSE(date->isCalendarShown());
    }
    if (o.asks)
        script.answer(vbDiscard);
    QTest::keyClick(child->focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !child; }, 3000)) << "Escape left the window open";
    EXPECT_EQ(script.count(), o.asks ? 1 : 0);

    // Enter on a focused button presses it.
    child = open(o.accessKey, o.downPresses);
    ASSERT_TRUE(child);
    auto* exit = child->findChild<QPushButton*>("cmdExit");
    exit->setFocus();
    QTest::keyClick(exit, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !child; }, 3000)) << "Enter on e&Xit left the window open";
}

INSTANTIATE_TEST_SUITE_P(
    Commands, MenuOpens,
    ::testing::Values(Opening{"AddNewTrip", Qt::Key_F, 0, "datBox", Qt::Key_5, "text 5", true},
                      Opening{"UpdateTripRecords", Qt::Key_U, 0, "lvTrip", Qt::Key_End, "last row", false},
                      Opening{"UpdateYourProfile", Qt::Key_U, 1, "txtBox_0", Qt::Key_S, "text Smiths", true},
                      Opening{"DeletedAndChangedTrips", Qt::Key_U, 2, "lvHistory", Qt::Key_End, "last row", false},
                      Opening{"ImportTrips", Qt::Key_U, 3, "txtFile", Qt::Key_A, "text a", false},
                      Opening{"TripReport", Qt::Key_R, 1, "lvTrip", Qt::Key_End, "last row", false},
                      Opening{"YearSummary", Qt::Key_R, 2, "optYear", Qt::Key_Down, "optRange", false}),
    [](const auto& info) { return std::string(info.param.name); });

// F1 in a child window opens the help (the menu's shortcut: no program-wide F1 here).
TEST_F(MenuKeys, F1InAChildWindowOpensTheHelp) {
    ASSERT_TRUE(open(Qt::Key_U, 0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return HelpContentsWindow() && HelpContentsWindow()->isVisible(); }, 3000));
    delete HelpContentsWindow();
}

// Leaving a window that holds unsaved input asks Save, Discard or Cancel, however the user leaves it. New trips
// open with Ctrl+N.
enum class Leave { EnterOnExit, CloseBox, FileExit, CtrlQ };
struct Leaving {
    const char* name;
    Qt::Key accessKey;
    int downPresses;
    const char* typing; // field=text;...
    Leave how;
    int answer;
    bool stored, stays, ended;
};
void PrintTo(const Leaving& o, std::ostream* os) {
    *os << o.name;
}
class UnsavedInput : public MenuKeys, public ::testing::WithParamInterface<Leaving> {};

TEST_P(UnsavedInput, IsAskedAbout) {
    const Leaving& o = GetParam();
    script.allowUnscripted(); // the checks' own messages
    QPointer<QMdiSubWindow> child = open(o.accessKey, o.downPresses);
    ASSERT_TRUE(child);
    if (auto* list = child->findChild<QAbstractItemView*>("lvTrip")) { // loads the first trip
        QTest::keyClick(list, Qt::Key_Home);
        QTest::keyClick(list, Qt::Key_Return);
    }
    for (const QString& pair : QString(o.typing).split(';')) {
        auto* box = child->findChild<QLineEdit*>(pair.section('=', 0, 0));
        box->selectAll();
        QTest::keyClicks(box, pair.section('=', 1));
    }
    script.answer(o.answer);
    if (auto* exit = child->findChild<QPushButton*>("cmdExit"); o.how == Leave::EnterOnExit) {
        exit->setFocus();
        QTest::keyClick(exit, Qt::Key_Return);
    } else if (o.how == Leave::CloseBox)
        child->close();
    else if (o.how == Leave::FileExit)
        chooseFromMenu(*w, Qt::Key_F, 1);
    else
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::ControlModifier);
    QTest::qWait(50);
    ASSERT_GE(script.count(), 1);
    EXPECT_EQ(script.shown()[0].style, vbSaveDiscardCancel | vbExclamation);
    EXPECT_EQ(folder
                  .scalar("SELECT (SELECT COUNT(*) FROM tblMain WHERE Destination = 'Rome') + "
                          "(SELECT COUNT(*) FROM tblOwner WHERE LName = 'Rome')")
                  .toInt(),
              o.stored ? 1 : 0);
    EXPECT_EQ(child && child->isVisible(), o.stays);
    EXPECT_EQ(!exits.isEmpty(), o.ended);
}

INSTANTIATE_TEST_SUITE_P(Ways, UnsavedInput,
                         ::testing::Values(Leaving{"NewTripFileExitSave", Qt::Key_N, 0, "txtBox_12=Rome;txtBox_3=12",
                                                   Leave::FileExit, vbSave, true, false, true},
                                           Leaving{"NewTripCtrlQSaveRefused", Qt::Key_N, 0, "txtBox_12=Rome",
                                                   Leave::CtrlQ, vbSave, false, true, false},
                                           Leaving{"EditedTripExitSave", Qt::Key_U, 0, "txtBox_12=Rome",
                                                   Leave::EnterOnExit, vbSave, true, false, false},
                                           Leaving{"ProfileCloseBoxCancel", Qt::Key_U, 1, "txtBox_0=Rome",
                                                   Leave::CloseBox, vbCancel, false, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The program's Exit asks each window in turn; Cancel in the second keeps the program and both windows.
TEST_F(MenuKeys, CancelInAnyWindowStopsTheExit) {
    for (const auto& [key, down] : {std::pair(Qt::Key_F, 0), std::pair(Qt::Key_U, 1)}) {
        ASSERT_TRUE(open(key, down));
        QTest::keyClicks(QApplication::focusWidget(), "7");
    }
    script.answer(vbDiscard).answer(vbCancel);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(script.count(), 2);
    EXPECT_TRUE(exits.isEmpty());
    EXPECT_EQ(w->mdiArea()->subWindowList().size(), 2);
}

} // namespace
