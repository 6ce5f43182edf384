// The main window: caption, menu, the trip record check, single child windows, arrangements, about box.
#include "ShellFixture.h"
#include "common/ChildWindows.h"
#include "platform/Help.h"
#include "platform/MousePointer.h"
#include "profile/frmEditOwner.h"
#include "shell/frmAbout.h"
#include "support/MsgBoxScript.h"
#include "trips/frmAddTrip.h"

#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using MainWindowTest = ShellFixture;

TEST_F(MainWindowTest, CaptionHasTwoBlanksEachSideOfTheHyphen) {
    frmMain w;
    EXPECT_EQ(w.windowTitle(), "Odomark  -  3.0");
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_FALSE(w.mdiArea()->picture().isNull());
}

TEST_F(MainWindowTest, MissingIconAndBackdropLeaveTheLoadGoingOn) {
    QFile::remove(folder.path() + "/images/earth.ico");
    QFile::remove(folder.path() + "/images/trip_01.jpg");
    objTrip.reset();
    frmMain w;
    EXPECT_EQ(w.loadError(), 0);
    EXPECT_EQ(w.windowTitle(), "Odomark  -  3.0");
    EXPECT_TRUE(w.mdiArea()->picture().isNull());
    EXPECT_NE(objTrip, nullptr);
    EXPECT_EQ(Screen::MousePointer(), vbArrow);
    Screen::setMousePointer(vbDefault);
}

TEST_F(MainWindowTest, WithoutTheIconChildWindowsShowNoStandInIcon) {
    QFile::remove(folder.path() + "/images/earth.ico");
    frmMain w;
    w.show();
    MsgBoxScript script;
    script.allowUnscripted();
    w.mnuFileAddTrip_Click();
    w.mnuUtilsEditUserProfile_Click();
    ASSERT_EQ(w.mdiArea()->subWindowList().size(), 2);
    for (QMdiSubWindow* sub : w.mdiArea()->subWindowList()) {
        // The toolkit's own stand-in is its green logo at the left of the title bar.
        const QImage bar = sub->grab(QRect(0, 0, 40, 30)).toImage();
        int green = 0;
        for (int y = 0; y < bar.height(); ++y)
            for (int x = 0; x < bar.width(); ++x) {
                const QColor c = bar.pixelColor(x, y);
                green += c.green() > c.red() + 60 && c.green() > c.blue() + 60;
            }
        EXPECT_EQ(green, 0) << sub->widget()->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, MenuHasItsNamesCaptionsOrderSeparatorsAndTheUsualShortcuts) {
    // "-" stands for a separator line; a shortcut follows its item's caption after a "|".
    const QList<QPair<QString, QStringList>> expected = {
        {"mnuFile|&File", {"mnuFileAddTrip|Add New Trip|Ctrl+N", "-", "mnuFileExit|Exit|Ctrl+Q"}},
        {"mnuUtils|&Utilities",
         {"mnuUtilsEditTripRecords|UpdateTrip Records", "-", "mnuUtilsEditUserProfile|Update Your Profile", "-",
          "mnuUtilsTripHistory|Deleted and Changed Trips", "mnuUtilsImportTrips|Import Trips from CSV..."}},
        {"mnuReports|&Reports",
         {"mnuReportsTripList|Trip List", "-", "mnuReportsTripReport|Trip Report", "-",
          "mnuReportsYearSummary|Year Summary"}},
        {"mnuWindow|&Window",
         {"mnuWindowCascade|Cascade", "-", "mnuWindowH|Tile Horizontally", "-", "mnuWindowV|Tile Vertically", "-",
          "mnuWindowArrangeIcons|Arrange Icons"}},
        {"mnuHelp|&Help",
         {"mnuHelpShowHelp|Odomark Help|F1", "-", "mnuHelpCheckUpdates|Check For Updates", "-",
          "mnuHelpAbout|About Wendlo"}},
    };
    frmMain w;
    const QList<QAction*> top = w.menuBar()->actions();
    ASSERT_EQ(top.size(), expected.size());
    for (int m = 0; m < top.size(); ++m) {
        QMenu* menu = top[m]->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->objectName() + "|" + menu->title(), expected[m].first);
        QStringList items;
        for (QAction* a : menu->actions()) {
            const QString keys = a->shortcut().toString(QKeySequence::PortableText);
            items << (a->isSeparator() ? QString("-")
                                       : a->objectName() + "|" + a->text() + (keys.isEmpty() ? "" : "|" + keys));
        }
        EXPECT_EQ(items, expected[m].second);
    }
}

// The three commands that need stored trips, on an empty trip table.
class NoTripsTest : public ShellFixture, public ::testing::WithParamInterface<void (frmMain::*)()> {};

TEST_P(NoTripsTest, ShowsTheMessageAndOpensNothing) {
    frmMain w;
    w.show();
    MsgBoxScript script;
    (w.*GetParam())();
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "No Trip records were found! ");
    EXPECT_EQ(script.last().title, "Odomark");
    EXPECT_EQ(script.last().style, vbExclamation | vbOKOnly);
    EXPECT_TRUE(w.mdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(rsTrip, nullptr);
    EXPECT_EQ(MousePointerOf(&w), vbDefault); // not left on the hourglass
}
// A trip table that cannot be read is not an empty one: the command says so, logs why and opens nothing.
TEST_P(NoTripsTest, ADamagedTableIsNotReportedAsEmpty) {
    DamageTripTable(folder);
    frmMain w;
    w.show();
    MsgBoxScript script;
    (w.*GetParam())();
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "The Trip records could not be read! \r\n\r\nThe details are in the error log: " +
                                      QDir::toNativeSeparators(folder.errorLogPath()));
    EXPECT_EQ(script.last().title, "Odomark");
    EXPECT_EQ(script.last().style, vbCritical | vbOKOnly);
    EXPECT_TRUE(w.mdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(rsTrip, nullptr);
    EXPECT_EQ(MousePointerOf(&w), vbDefault);
    QFile log(folder.errorLogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    EXPECT_TRUE(text.contains("Error: 11\r\nRefreshTrip - Trip Record Check\r\n---\r\n")) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Commands, NoTripsTest,
                         ::testing::Values(&frmMain::mnuUtilsEditTripRecords_Click, &frmMain::mnuReportsTripList_Click,
                                           &frmMain::mnuReportsTripReport_Click,
                                           &frmMain::mnuReportsYearSummary_Click));

TEST_F(MainWindowTest, ChildWindowIsOneInstanceAndAFreshOneAfterItCloses) {
    frmMain w;
    w.show();
    MsgBoxScript script;
    script.allowUnscripted();
    w.mnuUtilsEditUserProfile_Click();
    w.mnuUtilsEditUserProfile_Click();
    ASSERT_EQ(w.mdiArea()->subWindowList().size(), 1);
    QPointer<QWidget> first = w.mdiArea()->subWindowList().first()->widget();
    ASSERT_TRUE(qobject_cast<frmEditOwner*>(first));
    EXPECT_EQ(first->windowTitle(), "Odomark  -  3.0");

    w.mnuFileAddTrip_Click();
    EXPECT_EQ(w.mdiArea()->subWindowList().size(), 2);

    // The window's own exit closes its frame too; the next command opens a new window.
    first->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }, 5000));
    EXPECT_EQ(w.mdiArea()->subWindowList().size(), 1);
    w.mnuUtilsEditUserProfile_Click();
    EXPECT_EQ(w.mdiArea()->subWindowList().size(), 2);
}

// A child window taller than a small main window can still be scrolled to its buttons.
TEST_F(MainWindowTest, ChildWindowTallerThanTheAreaCanBeScrolledTo) {
    frmMain w;
    w.resize(640, 360);
    w.show();
    // A window that cannot give up height (a fixed border), taller than the area: the trip windows now fit.
    auto* child = new QWidget;
    child->setFixedSize(300, 600);
    auto* save = new QPushButton("Save", child);
    save->move(10, 560);
    ShowChild(child);
    QApplication::processEvents();
    QScrollBar* bar = w.mdiArea()->verticalScrollBar();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->maximum() > 0; }, 2000));
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    const QPoint bottom = save->mapTo(w.mdiArea()->viewport(), QPoint(0, save->height()));
    EXPECT_LE(bottom.y(), w.mdiArea()->viewport()->height());
}

TEST_F(MainWindowTest, ExitEndsTheProgramInTheApplicationFolder) {
    auto* w = new frmMain;
    w->show();
    QDir::setCurrent(QDir::tempPath());
    w->mnuFileExit_Click();
    EXPECT_EQ(exits, QList<int>{0});
    EXPECT_TRUE(ProgramEnded());
    EXPECT_EQ(objTrip, nullptr);
    EXPECT_EQ(QDir::currentPath(), QDir(folder.path()).canonicalPath());
    EXPECT_FALSE(w->isVisible());
}

TEST_F(MainWindowTest, TilingAndArrangingIconsPlaceTheChildWindows) {
    frmMain w;
    w.resize(800, 600);
    w.show();
    QList<QWidget*> children;
    for (int i = 0; i < 3; ++i) {
        auto* child = new QWidget;
        child->setWindowTitle(QString("child %1").arg(i));
        ShowChild(child);
        children << child;
    }
    const QRect client = w.mdiArea()->viewport()->rect();
    Arrange(1);
    for (QMdiSubWindow* s : w.mdiArea()->subWindowList()) {
        EXPECT_EQ(s->geometry().width(), client.width());
        EXPECT_NEAR(s->geometry().height(), client.height() / 3, 1);
    }
    Arrange(2);
    for (QMdiSubWindow* s : w.mdiArea()->subWindowList()) {
        EXPECT_EQ(s->geometry().height(), client.height());
        EXPECT_NEAR(s->geometry().width(), client.width() / 3, 1);
    }
    // A minimised window goes to the bottom edge; the other two share the space above it.
    QMdiSubWindow* minimised = w.mdiArea()->subWindowList().first();
    minimised->showMinimized();
    minimised->move(300, 50);
    Arrange(3);
    EXPECT_EQ(minimised->geometry().bottom(), client.bottom());
    EXPECT_EQ(minimised->geometry().left(), client.left());
    Arrange(1);
    for (QMdiSubWindow* s : w.mdiArea()->subWindowList()) {
        if (s != minimised) {
            EXPECT_LE(s->geometry().bottom(), minimised->geometry().top() - 1);
        }
    }
}

// The program's four child windows tiled in a small main window each keep the size their layout needs;
// the client area scrolls to those that do not fit.
TEST_F(MainWindowTest, TilingNeverSqueezesAWindowBelowItsLayout) {
    folder.addTrip("Springfield");
    frmMain w;
    w.resize(800, 600);
    w.show();
    MsgBoxScript script;
    w.mnuFileAddTrip_Click();
    w.mnuUtilsEditTripRecords_Click();
    w.mnuUtilsEditUserProfile_Click();
    w.mnuReportsTripReport_Click();
    const QList<QMdiSubWindow*> subs = w.mdiArea()->subWindowList();
    ASSERT_EQ(subs.size(), 4);
    for (const int arrangement : {1, 2}) {
        Arrange(arrangement);
        QApplication::processEvents();
        for (int i = 0; i < subs.size(); ++i) {
            const QWidget* frm = subs[i]->widget();
            const QSize needed = frm->minimumSizeHint().expandedTo(frm->minimumSize());
            EXPECT_GE(frm->width(), needed.width()) << arrangement << " " << frm->objectName().toStdString();
            EXPECT_GE(frm->height(), needed.height()) << arrangement << " " << frm->objectName().toStdString();
            for (int j = i + 1; j < subs.size(); ++j)
                EXPECT_FALSE(subs[i]->geometry().intersects(subs[j]->geometry())) << arrangement;
        }
        QScrollBar* bar = arrangement == 1 ? w.mdiArea()->verticalScrollBar() : w.mdiArea()->horizontalScrollBar();
        EXPECT_TRUE(QTest::qWaitFor([&] { return bar->maximum() > 0; }, 2000)) << arrangement;
    }
}

TEST_F(MainWindowTest, AFixedBorderWindowKeepsItsSizeAndHasNoMaximiseButton) {
    frmMain w;
    w.resize(800, 600);
    w.show();
    auto* fixed = new QWidget;
    fixed->setFixedSize(300, 200);
    ShowChild(fixed);
    ShowChild(new QWidget);
    QMdiSubWindow* sub = nullptr;
    for (QMdiSubWindow* s : w.mdiArea()->subWindowList()) {
        if (s->widget() == fixed)
            sub = s;
    }
    ASSERT_NE(sub, nullptr);
    EXPECT_FALSE(sub->windowFlags() & Qt::WindowMaximizeButtonHint);
    const QSize before = sub->size();
    Arrange(2);
    EXPECT_EQ(sub->size(), before);
    EXPECT_EQ(fixed->size(), QSize(300, 200));
}

class TileRectsTest : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(TileRectsTest, FillTheAreaWithoutOverlap) {
    const auto [count, horizontal] = GetParam();
    const QRect area(0, 0, 801, 599);
    const QList<QRect> rects = TileRects(area, count, horizontal);
    ASSERT_EQ(rects.size(), count);
    long long sum = 0;
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(area.contains(rects[i])) << i;
        sum += static_cast<long long>(rects[i].width()) * rects[i].height();
        for (int j = i + 1; j < count; ++j)
            EXPECT_FALSE(rects[i].intersects(rects[j])) << i << " " << j;
    }
    EXPECT_EQ(sum, static_cast<long long>(area.width()) * area.height());
    if (count <= 3) { // one column of full-width windows, or one row of full-height ones
        for (const QRect& r : rects)
            EXPECT_EQ(horizontal ? r.width() : r.height(), horizontal ? area.width() : area.height());
    }
}
// With a least size larger than the area allows, every rectangle keeps that size and none overlaps another.
TEST_P(TileRectsTest, NeverGoBelowTheLeastSize) {
    const auto [count, horizontal] = GetParam();
    const QRect area(0, 0, 801, 599);
    const QSize least(500, 330);
    const QList<QRect> rects = TileRects(area, count, horizontal, least);
    ASSERT_EQ(rects.size(), count);
    for (int i = 0; i < count; ++i) {
        EXPECT_GE(rects[i].width(), least.width()) << i;
        EXPECT_GE(rects[i].height(), least.height()) << i;
        EXPECT_TRUE(rects[i].left() >= area.left() && rects[i].top() >= area.top()) << i;
        for (int j = i + 1; j < count; ++j)
            EXPECT_FALSE(rects[i].intersects(rects[j])) << i << " " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, TileRectsTest,
                         ::testing::Combine(::testing::Values(1, 2, 3, 4, 5, 7, 10), ::testing::Bool()));

// Walks the live menu bar: each command has a heading of its own, with words under it, in its menu's topic.
TEST_F(MainWindowTest, HelpDescribesEveryMenuCommandInItsMenusTopic) {
    HelpFile help;
    ASSERT_TRUE(ReadHelpFile(folder.path() + "/help/wendlo.hlp", help));
    frmMain w;
    int commands = 0;
    for (QAction* menu : w.menuBar()->actions()) {
        ASSERT_NE(menu->menu(), nullptr);
        const QString title = QString(menu->text()).remove('&') + " menu";
        const auto topic = std::find_if(help.topics.begin(), help.topics.end(),
                                        [&](const HelpTopic& t) { return t.title == title; });
        ASSERT_NE(topic, help.topics.end()) << title.toStdString();
        for (QAction* item : menu->menu()->actions()) {
            if (item->isSeparator())
                continue;
            ++commands;
            const QString command = QString(item->text()).remove('&').remove("...").trimmed();
            const QString heading = "<h3>" + command.toHtmlEscaped() + "</h3>\n";
            const qsizetype at = topic->html.indexOf(heading);
            ASSERT_GE(at, 0) << title.toStdString() << " has no heading " << command.toStdString();
            const QStringView below = QStringView(topic->html).mid(at + heading.size());
            EXPECT_TRUE(below.startsWith(u"<p>") || below.startsWith(u"<ul>")) << command.toStdString();
        }
    }
    EXPECT_GT(commands, 0);
}

TEST_F(MainWindowTest, AboutBoxShowsTitleVersionAndTextAndClosesWithEnterOrEscape) {
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        frmMain w;
        w.show();
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = true;
            EXPECT_EQ(box->windowTitle(), "About Odomark");
            EXPECT_EQ(box->findChild<QLabel*>("lblVersion")->text(), "v3.0");
            EXPECT_EQ(box->findChild<QLabel*>("lblTitle")->text(), "Odomark");
            EXPECT_FALSE(box->findChild<QTextEdit*>("rtBox")->toPlainText().trimmed().isEmpty());
            QTest::keyClick(box, key);
        });
        w.mnuHelpAbout_Click(); // returns once the box has closed
        EXPECT_TRUE(seen);
    }
}

TEST_F(MainWindowTest, AboutBoxDoesNotOpenWithoutItsTextOrIcon) {
    for (const char* file : {"/text/About.rtf", "/images/earth.ico"}) {
        QFile::remove(folder.path() + file);
        frmAbout box;
        EXPECT_FALSE(box.Form_Load()) << file;
    }
    frmMain w;
    QTimer guard; // a box that opened anyway is closed, and counted
    bool opened = false;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget* m = QApplication::activeModalWidget()) {
            opened = true;
            m->close();
        }
    });
    guard.start(10);
    w.mnuHelpAbout_Click();
    QTest::qWait(50);
    EXPECT_FALSE(opened);
}
