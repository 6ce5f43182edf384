// The main window's commands with stored trips: the windows and the report they open, help and F1.
#include "ShellFixture.h"
#include "common/TripFilterModel.h"
#include "common/TripHistoryFilter.h"
#include "common/TripHistoryModel.h"
#include "common/TripListView.h"
#include "platform/AppInfo.h"
#include "platform/FileDialog.h"
#include "platform/Help.h"
#include "reports/ReportLayouts.h"
#include "reports/ReportPreview.h"
#include "reports/dataReport.h"
#include "reports/frmReport.h"
#include "reports/frmYearSummary.h"
#include "support/MsgBoxScript.h"
#include "tripdata/TripCsv.h"
#include "tripdata/TripLoader.h"
#include "trips/frmEditTrip.h"
#include "trips/frmImportTrips.h"
#include "trips/frmTripHistory.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

class CommandsWithTripsTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        int err = 0;
        // A library that cannot create Trip must fail these tests, not skip them.
        ASSERT_NE(CreateTripObject(folder.path(), &err), nullptr) << "error " << err;
        folder.addOwner();
        folder.addTrip("Des Moines", "10/18/2007", 36.13);
    }
    void TearDown() override {
        rptTrips::Unload();
        rptSummary::Unload();
        ShellFixture::TearDown();
    }
    template <class T> static int countOf(frmMain& w) {
        int n = 0;
        for (QMdiSubWindow* s : w.mdiArea()->subWindowList())
            n += qobject_cast<T*>(s->widget()) ? 1 : 0;
        return n;
    }
};

TEST_F(CommandsWithTripsTest, EditingAndSelectionWindowsOpenOnceEach) {
    frmMain w;
    w.show();
    MsgBoxScript script;
    script.allowUnscripted();
    for (int i = 0; i < 2; ++i) {
        w.mnuUtilsEditTripRecords_Click();
        w.mnuReportsTripReport_Click();
    }
    EXPECT_EQ(countOf<frmEditTrip>(w), 1);
    EXPECT_EQ(countOf<frmReport>(w), 1);
    for (const MsgBoxCall& call : script.shown())
        EXPECT_NE(call.text, "No Trip records were found! ");
    EXPECT_EQ(rsTrip, nullptr); // every check releases its record set
}

// The year summary as a user reaches it: the menu item, its one window, Preview.
TEST_F(CommandsWithTripsTest, YearSummaryOpensFromTheMenuAndPreviewsTheYear) {
    strFullName = "Anne Smith";
    frmMain w;
    w.show();
    MsgBoxScript script;
    for (int i = 0; i < 2; ++i)
        w.menuBar()->findChild<QAction*>("mnuReportsYearSummary")->trigger();
    ASSERT_EQ(countOf<frmYearSummary>(w), 1);
    auto* frm = w.mdiArea()->findChild<frmYearSummary*>("frmYearSummary");
    ASSERT_NE(frm, nullptr);
    QTest::mouseClick(frm->findChild<QPushButton*>("cmdPreview"), Qt::LeftButton);
    EXPECT_EQ(script.count(), 0);
    ASSERT_NE(rptSummary::Preview(), nullptr);
    EXPECT_TRUE(rptSummary::Preview()->isVisible());
    EXPECT_EQ(rptSummary::Preview()->renderer().title(), "Anne Smith");
}

// A child window opens, and stays after the cascade, at the size its layout asks for as far as the
// screen allows: the editing list shows every column, or the window is as wide as the screen.
TEST_F(CommandsWithTripsTest, ChildWindowsOpenAtTheSizeTheirLayoutNeeds) {
    frmMain w;
    w.show();
    MsgBoxScript script;
    script.allowUnscripted();
    w.mnuUtilsEditTripRecords_Click();
    w.mnuReportsTripReport_Click();
    const QSize client = w.mdiArea()->viewport()->size();
    for (QMdiSubWindow* sub : w.mdiArea()->subWindowList()) {
        QWidget* frm = sub->widget();
        SCOPED_TRACE(frm->objectName().toStdString());
        EXPECT_GE(frm->width(), frm->minimumSizeHint().width());
        EXPECT_GE(frm->height(), frm->minimumSizeHint().height());
        if (auto* edit = qobject_cast<frmEditTrip*>(frm)) {
            // As wide as its columns need, or as the client area where that is narrower: never both
            // narrower than its list and than the area (it opened at 460 px in a wider area once).
            QTreeView* list = edit->lvTrip;
            const int bar = w.style()->pixelMetric(QStyle::PM_ScrollBarExtent); // when the area scrolls too
            EXPECT_TRUE(list->viewport()->width() >= list->header()->length() || sub->width() >= client.width() - bar)
                << "the window is " << sub->width() << " px wide in an area of " << client.width()
                << ", its columns need " << list->header()->length();
            EXPECT_LE(sub->width(), std::max(client.width(), sub->minimumSizeHint().width()));
            EXPECT_LE(sub->height(), std::max(client.height(), sub->minimumSizeHint().height()));
        } else {
            EXPECT_EQ(frm->size(), frm->minimumSize()); // the fixed border keeps its layout's size
        }
    }
}

TEST_F(CommandsWithTripsTest, TripListRunTwiceBuildsANewPreviewOnFreshData) {
    frmMain w;
    w.show();
    MsgBoxScript script;
    w.mnuReportsTripList_Click();
    QPointer<ReportPreview> first = rptTrips::Preview();
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first->parentWidget(), &w); // it opens over the main window
    EXPECT_TRUE(dataReport().rscmdTrip().isOpen());
    folder.addTrip("Ames", "10/19/2007", 12.0);
    w.mnuReportsTripList_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }, 5000));
    ASSERT_NE(rptTrips::Preview(), nullptr);
    EXPECT_TRUE(rptTrips::Preview()->isVisible());
    EXPECT_EQ(script.count(), 0);

    w.mnuFileExit_Click(); // the data environment goes with the program
    EXPECT_EQ(exits, QList<int>{0});
    EXPECT_FALSE(dataReportActive());
}

TEST_F(CommandsWithTripsTest, HelpOpensTheTopicsWindowFromTheMenuAndWithF1) {
    frmMain w;
    w.show();
    w.mnuHelpShowHelp_Click();
    QPointer<QWidget> topics = HelpContentsWindow();
    ASSERT_FALSE(topics.isNull());
    EXPECT_TRUE(topics->isVisible());
    delete topics.data();

    App::setHelpFile(folder.path() + "/help/wendlo.hlp");
    InstallHelpKey();
    QApplication::setActiveWindow(&w);
    QTest::keyClick(&w, Qt::Key_F1);
    ASSERT_NE(HelpContentsWindow(), nullptr);
    EXPECT_TRUE(HelpContentsWindow()->isVisible());
    delete HelpContentsWindow();
}

// "Deleted and Changed Trips" opens once, even with no trip left, and a restore in it shows in the open
// trip editing window's list.
TEST_F(CommandsWithTripsTest, TheHistoryWindowOpensOnceAndItsRestoreRefreshesTheEditingList) {
    frmMain w;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    MsgBoxScript script;
    w.mnuUtilsEditTripRecords_Click();
    folder.exec("DELETE FROM tblMain;");
    for (int i = 0; i < 2; ++i)
        w.mnuUtilsTripHistory_Click();
    EXPECT_EQ(countOf<frmTripHistory>(w), 1);
    EXPECT_EQ(script.count(), 0);
    auto* history = w.findChild<frmTripHistory*>();
    auto* edit = w.findChild<frmEditTrip*>();
    ASSERT_TRUE(history && edit);
    ASSERT_EQ(history->filter()->rowCount(), 2); // the set-up's own write, then the delete
    EXPECT_EQ(edit->lvTrip->model()->rowCount(), 1);
    edit->RefreshTripList();
    EXPECT_EQ(edit->lvTrip->model()->rowCount(), 0);

    history->lvHistory->setCurrentIndex(history->filter()->index(0, 0));
    QTest::mouseClick(history->cmdRestore, Qt::LeftButton);
    EXPECT_EQ(script.last().text, "Trip T-1 was restored. ");
    EXPECT_EQ(edit->lvTrip->model()->rowCount(), 1);

    // A trip deleted while another window is active is listed once the user comes back.
    w.mnuUtilsEditTripRecords_Click();
    ASSERT_EQ(NewTrip(), 0);
    std::string id = "T-1";
    script.answer(vbYes);
    ASSERT_TRUE(objTrip->DeleteTrip(id));
    EXPECT_EQ(history->filter()->rowCount(), 2); // a restore of a deleted trip adds no entry
    w.mnuUtilsTripHistory_Click();
    EXPECT_EQ(history->filter()->rowCount(), 3);
    EXPECT_EQ(history->lvHistory->currentIndex().row(), 1); // the entry restored before stays chosen
}

// A restore over the trip loaded in the editing window shows there at once, so that its Save cannot write
// the values the restore replaced back over them.
TEST_F(CommandsWithTripsTest, ARestoreOverTheLoadedTripShowsInTheEditingWindow) {
    const QString original = folder.scalar("SELECT Destination FROM tblMain").toString();
    folder.exec("UPDATE tblMain SET Destination = 'Elsewhere';");
    frmMain w;
    w.show();
    MsgBoxScript script;
    w.mnuUtilsEditTripRecords_Click();
    auto* edit = w.findChild<frmEditTrip*>();
    ASSERT_NE(edit, nullptr);
    edit->lvTrip->setCurrentIndex(edit->lvTrip->model()->index(0, 0));
    edit->lvTrip_Click();
    ASSERT_EQ(edit->txtBox[12]->text(), "Elsewhere");
    w.mnuUtilsTripHistory_Click();
    auto* history = w.findChild<frmTripHistory*>();
    ASSERT_NE(history, nullptr);
    history->lvHistory->setCurrentIndex(history->filter()->index(0, 0)); // newest: the trip before the change
    QTest::mouseClick(history->cmdRestore, Qt::LeftButton);
    ASSERT_TRUE(script.last().text.contains("was restored to its earlier values")) << script.last().text.toStdString();
    EXPECT_EQ(edit->txtBox[12]->text(), original);

    // Unsaved changes to it: kept when the user says so (Save then asks before writing them over the restored
    // values), or the restored values shown.
    const auto restoreOverTyped = [&](int keep) {
        edit->txtBox[12]->setText("Typed");
        history->lvHistory->setCurrentIndex(history->filter()->index(0, 0));
        script.answer(vbOK).answer(keep);
        QTest::mouseClick(history->cmdRestore, Qt::LeftButton);
        return folder.scalar("SELECT Destination FROM tblMain").toString();
    };
    EXPECT_EQ(restoreOverTyped(vbYes), "Elsewhere");
    EXPECT_EQ(edit->txtBox[12]->text(), "Typed");
    script.answer(vbNo);
    edit->cmdSave_Click();
    EXPECT_TRUE(script.last().text.startsWith("Trip T-1 was restored from the history after you loaded it."));
    EXPECT_EQ(restoreOverTyped(vbNo), original);
    EXPECT_EQ(edit->txtBox[12]->text(), original);
}

// Print These runs the trip list report over the rows the editing list shows, in their order, with the
// same cell texts as the Trip List command, which still prints every trip.
TEST_F(CommandsWithTripsTest, PrintTheseReportsTheShownRowsOnly) {
    folder.addTrip("Ames", "10/19/2007", 12.0, "quote ' and \"more\"");
    folder.addTrip("Davenport", "1/2/2008", 1234.5);
    folder.exec("UPDATE tblMain SET Rate = 0.475, Fuel = 12.3, StartOdometer = 100, EndOdometer = 250 WHERE ID = 2;");
    frmMain w;
    w.show();
    MsgBoxScript script;
    w.mnuUtilsEditTripRecords_Click();
    auto* edit = w.findChild<frmEditTrip*>();
    ASSERT_NE(edit, nullptr);
    edit->lvTrip_ColumnClick(1); // dates descending
    QTest::keyClicks(edit->findChild<QLineEdit*>("txtFind"), "es");
    QTest::mouseClick(edit->cmdPrint, Qt::LeftButton);
    ASSERT_NE(rptTrips::Preview(), nullptr);
    const std::shared_ptr<const ReportRows> shown = dataReport().rscmdTrip().Rows();
    ASSERT_EQ(shown->size(), 2u);
    EXPECT_EQ(shown->value(0, "TripID").toString(), "T-2");
    EXPECT_EQ(shown->value(1, "TripID").toString(), "T-1");
    // The preview's CSV export writes what it shows, as the editing window's export would.
    QTemporaryDir dir;
    SetNextFileName(dir.filePath("shown.csv"));
    auto* exportCsv = rptTrips::Preview()->findChild<QToolButton*>("cmdExportCsv");
    ASSERT_NE(exportCsv, nullptr);
    QTest::mouseClick(exportCsv, Qt::LeftButton);
    QFile written(dir.filePath("shown.csv"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const TripFilterModel& list = *edit->tripList()->proxy();
    EXPECT_EQ(written.readAll(), TripsToCsv(list));

    w.mnuReportsTripList_Click();
    const std::shared_ptr<const ReportRows> all = dataReport().rscmdTrip().Rows();
    ASSERT_EQ(all->size(), 3u);
    for (std::size_t row = 0; row < 2; ++row) {
        const std::size_t stored = row == 0 ? 1 : 0;
        for (const ReportControl& control : TripListLayout().detail.controls) {
            if (control.kind == ControlKind::TextBox) {
                EXPECT_EQ(FormatValue(shown->value(row, control.dataField), control.format),
                          FormatValue(all->value(stored, control.dataField), control.format))
                    << control.name.toStdString();
            }
        }
    }
    EXPECT_EQ(script.count(), 0);
}

// Trips stored by the import window show at once in an open editing list.
TEST_F(CommandsWithTripsTest, ImportRefreshesTheOpenEditingList) {
    QTemporaryDir dir;
    const QString file = dir.filePath("in.csv");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("Date,Destination,Miles\n2007-10-19,Ames,10\n2007-10-20,Boone,12\n");
    out.close();
    frmMain w;
    w.show();
    MsgBoxScript script;
    w.mnuUtilsEditTripRecords_Click();
    auto* edit = w.findChild<frmEditTrip*>();
    ASSERT_NE(edit, nullptr);
    ASSERT_EQ(edit->lvTrip->model()->rowCount(), 1);
    w.mnuUtilsImportTrips_Click();
    auto* import = w.findChild<frmImportTrips*>();
    ASSERT_NE(import, nullptr);
    ASSERT_TRUE(import->LoadFile(file));
    script.answer(vbYes).answer(vbOK);
    import->cmdImport_Click();
    EXPECT_EQ(script.last().text, "2 trips imported. ");
    EXPECT_EQ(edit->lvTrip->model()->rowCount(), 3);
}

// A child window's access keys never clash with the menu bar's: Alt+R must press Restore, not open Reports.
TEST_F(CommandsWithTripsTest, ChildWindowAccessKeysLeaveTheMenuBarsAlone) {
    frmMain w;
    w.show();
    MsgBoxScript script;
    script.allowUnscripted();
    const auto keyOf = [](const QString& text) {
        const int at = text.indexOf(QRegularExpression("&[^&]"));
        return at < 0 ? QChar() : text.at(at + 1).toLower();
    };
    QSet<QChar> menuKeys;
    for (const QAction* menu : w.menuBar()->actions())
        menuKeys.insert(keyOf(menu->text()));
    w.mnuUtilsEditTripRecords_Click();
    w.mnuUtilsTripHistory_Click();
    w.mnuUtilsImportTrips_Click();
    w.mnuReportsYearSummary_Click();
    ASSERT_GE(w.mdiArea()->subWindowList().size(), 4);
    for (QMdiSubWindow* sub : w.mdiArea()->subWindowList()) {
        for (const QWidget* child : sub->widget()->findChildren<QWidget*>()) {
            QString text;
            if (const auto* label = qobject_cast<const QLabel*>(child))
                text = label->text();
            else if (const auto* button = qobject_cast<const QAbstractButton*>(child))
                text = button->text();
            const QChar key = keyOf(text);
            EXPECT_FALSE(!key.isNull() && menuKeys.contains(key))
                << sub->widget()->objectName().toStdString() << ": " << text.toStdString();
        }
    }
}
