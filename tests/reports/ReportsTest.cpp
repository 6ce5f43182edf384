// The two reports over a real database: the data environment, the previews and the exported pages.

#include "ReportTestUtil.h"

#include "platform/Format.h"

#include "reports/ReportPageView.h"
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QScreen>
#include <QSpinBox>

#include <QTest>

#include <ostream>

namespace {

class ReportsTest : public ::testing::Test {
protected:
    void SetUp() override { strFullName = "Anne Smith"; }
    void TearDown() override {
        rptTrips::Unload();
        rptReport::Unload();
        ReleaseDataReport();
        strFullName.clear();
        conTrips.reset();
    }

    // A trip with the amounts the reports are checked against.
    QString addPricedTrip(const QString& destination = "Springfield") {
        const QString id = folder.addTrip(destination, "10/8/2007", 1234.5, "Met the client at O'Hare");
        folder.exec(QString("UPDATE tblMain SET Fuel = 12.3, Rate = 0.475, StartOdometer = 104321, "
                            "EndOdometer = 104399, Miles = 78, Mileage = 37.05, Meals = 1000 WHERE TripID = '%1'")
                        .arg(id));
        return id;
    }

    AppFolder folder;
    QTemporaryDir out;
};

TEST_F(ReportsTest, TripListShowsEveryTripWithItsFormats) {
    addPricedTrip();
    runTripList();
    ASSERT_NE(rptTrips::Preview(), nullptr);
    const PdfContent pdf = exportPreview(rptTrips::Preview(), out, "trips.pdf");
    EXPECT_EQ(pdf.pages, 1);
    const QString& t = pdf.text;
    EXPECT_TRUE(t.contains("Anne Smith")) << t.toStdString();
    EXPECT_TRUE(t.contains("Trip Records"));
    EXPECT_TRUE(t.contains(FormatDate(QDate::currentDate(), "M/d/yyyy")));
    for (const char* heading : {"Trip ID", "Destination", "Date", "Start", "End", "Miles", "Mileage", "Fuel", "Meals",
                                "Lodging", "Parking", "Repairs", "Towing", "Misc", "Phone", "Total"})
        EXPECT_TRUE(t.contains(heading)) << heading;
    EXPECT_TRUE(t.contains("$1,234.50"));
    EXPECT_TRUE(t.contains("12.30"));
    EXPECT_TRUE(t.contains("1000.00")); // "0.00" has no grouping
    EXPECT_TRUE(t.contains("37.05"));   // the mileage amount, in the box named txtRate
    EXPECT_TRUE(t.contains("10/8/2007"));
    EXPECT_TRUE(t.contains("104321"));
    EXPECT_FALSE(t.contains("0.475")); // the rate is not on the list
    EXPECT_TRUE(containsPattern(t, "Page\\s+1\\s+of\\s+1"));
    EXPECT_TRUE(t.contains("Wendlo v3.0"));
    EXPECT_TRUE(t.contains("www.quorvale.example"));
}

TEST_F(ReportsTest, TripListOfNineteenTripsReadsPageOneOfTwo) {
    for (int i = 0; i < 19; ++i)
        folder.addTrip(QString("Town %1").arg(i));
    runTripList();
    ReportPreview* preview = rptTrips::Preview();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->pageCount(), 2);
    const QString file = out.filePath("two.pdf");
    ASSERT_TRUE(preview->exportPdf(file));
    EXPECT_EQ(readPdf(file).pages, 2);
    // Arial, or the face with its metrics, so the designed widths hold.
    EXPECT_TRUE(containsPattern(pdfFonts(file), "Arial|LiberationSans")) << pdfFonts(file).toStdString();
    const QString first = readPdf(file, 1).text;
    EXPECT_TRUE(containsPattern(first, "Page\\s+1\\s+of\\s+2")) << first.toStdString();
    EXPECT_TRUE(first.contains("Town 17"));
    EXPECT_FALSE(first.contains("Town 18"));
    const QString second = readPdf(file, 2).text;
    EXPECT_TRUE(containsPattern(second, "Page\\s+2\\s+of\\s+2"));
    EXPECT_TRUE(second.contains("Town 18"));
    EXPECT_TRUE(second.contains("Trip Records")); // the page header repeats
}

TEST_F(ReportsTest, ExpenseReportFillsExactlyOnePage) {
    addPricedTrip("Elsewhere");
    const QString id = addPricedTrip("Springfield");
    runTripReport(id);
    ReportPreview* preview = rptReport::Preview();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->pageCount(), 1);
    const PdfContent pdf = exportPreview(preview, out, "report.pdf");
    EXPECT_EQ(pdf.pages, 1);
    const QString& t = pdf.text;
    EXPECT_TRUE(t.contains("Trip Expense Report")) << t.toStdString();
    EXPECT_TRUE(t.contains("Anne Smith"));
    EXPECT_TRUE(t.contains(LongDate(QDate::currentDate())));
    EXPECT_TRUE(t.contains(id));
    EXPECT_TRUE(t.contains("Springfield"));
    EXPECT_FALSE(t.contains("Elsewhere"));
    EXPECT_TRUE(t.contains("$1,234.50"));
    EXPECT_TRUE(t.contains("$12.30"));
    EXPECT_TRUE(t.contains("$1,000.00"));
    EXPECT_TRUE(t.contains("0.475"));
    EXPECT_TRUE(t.contains("10/8/2007"));
    EXPECT_TRUE(t.contains("Met the client at O'Hare"));
    for (const char* caption : {"Trip ID Number", "Odometer End", "Odometer Start", "Total Miles", "Rate", "Misc. Exp.",
                                "Notes", "Signed:", "Approved:", "Date:"})
        EXPECT_TRUE(t.contains(caption)) << caption;
    EXPECT_TRUE(t.contains("Wendlo v3.0"));
    EXPECT_TRUE(t.contains("www.quorvale.example"));
    EXPECT_FALSE(t.contains("Page")); // no page numbers on the expense report
    // The end reading stands above the start reading.
    EXPECT_LT(t.indexOf("104399"), t.indexOf("104321"));
}

TEST_F(ReportsTest, IdentifierMatchingNothingGivesHeaderAndFooterOnly) {
    addPricedTrip();
    runTripReport("T-999");
    EXPECT_TRUE(dataReport().rscmdReport().isOpen());
    ReportPreview* preview = rptReport::Preview();
    ASSERT_NE(preview, nullptr);
    const PdfContent pdf = exportPreview(preview, out, "empty.pdf");
    EXPECT_EQ(pdf.pages, 1);
    EXPECT_TRUE(pdf.text.contains("Trip Expense Report"));
    EXPECT_TRUE(pdf.text.contains("Wendlo v3.0"));
    EXPECT_FALSE(pdf.text.contains("Trip ID Number"));
    EXPECT_FALSE(pdf.text.contains("Springfield"));
}

TEST_F(ReportsTest, ParameterIsBoundNotInlined) {
    addPricedTrip();
    dataReport().cmdReport("x' OR '1'='1");
    ASSERT_TRUE(dataReport().rscmdReport().isOpen());
    EXPECT_EQ(dataReport().rscmdReport().Rows()->size(), 0u);
}

TEST_F(ReportsTest, TripListRunTwiceLeavesOnePreviewWithTheNewerTrips) {
    folder.addTrip("First Town");
    runTripList();
    QPointer<ReportPreview> first = rptTrips::Preview();
    ASSERT_TRUE(first);
    folder.addTrip("Second Town");
    runTripList();
    QCoreApplication::processEvents();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(previewWindowCount(), 1);
    ReportPreview* second = rptTrips::Preview();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->renderer().pageCount(), 1);
    EXPECT_EQ(second->renderer().rowsOnPage(0).second, 2u);
    EXPECT_TRUE(exportPreview(second, out, "newer.pdf").text.contains("Second Town"));
}

TEST_F(ReportsTest, ClosedPreviewIsReplacedOnTheNextRun) {
    folder.addTrip("Somewhere");
    runTripList();
    rptTrips::Preview()->close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(rptTrips::Preview(), nullptr);
    EXPECT_TRUE(dataReport().rscmdTrip().isOpen()); // closing the window leaves the record set open
    runTripList();
    EXPECT_NE(rptTrips::Preview(), nullptr);
    EXPECT_EQ(previewWindowCount(), 1);
}

// A run that could not read the file leaves its record set closed, so the next run does not unload
// the report first: the open preview must still give way to one built on the new rows.
TEST_F(ReportsTest, RunAfterAFailedRunReplacesTheEmptyPreview) {
    folder.addTrip("Somewhere");
    const QString moved = folder.databasePath() + ".away";
    ASSERT_TRUE(QFile::rename(folder.databasePath(), moved));
    runTripList();
    EXPECT_FALSE(dataReport().rscmdTrip().isOpen());
    QPointer<ReportPreview> empty = rptTrips::Preview();
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->renderer().rowsOnPage(0).second, 0u);

    ASSERT_TRUE(QFile::rename(moved, folder.databasePath()));
    runTripList();
    QCoreApplication::processEvents();
    EXPECT_TRUE(empty.isNull());
    EXPECT_EQ(previewWindowCount(), 1);
    ASSERT_NE(rptTrips::Preview(), nullptr);
    EXPECT_EQ(rptTrips::Preview()->renderer().rowsOnPage(0).second, 1u);
    // Showing it again without a new run only brings the same preview forward.
    ReportPreview* shown = rptTrips::Preview();
    rptTrips::Show();
    EXPECT_EQ(rptTrips::Preview(), shown);
}

TEST_F(ReportsTest, OwnersNameTitlesBothReportsAndAChangedProfileShowsNextTime) {
    const QString id = addPricedTrip();
    runTripList();
    runTripReport(id);
    EXPECT_TRUE(exportPreview(rptTrips::Preview(), out, "a.pdf").text.contains("Anne Smith"));
    EXPECT_TRUE(exportPreview(rptReport::Preview(), out, "b.pdf").text.contains("Anne Smith"));

    strFullName = "Carla Jones"; // the profile window stored a new name
    runTripList();
    runTripReport(id);
    const QString list = exportPreview(rptTrips::Preview(), out, "c.pdf").text;
    const QString report = exportPreview(rptReport::Preview(), out, "d.pdf").text;
    EXPECT_TRUE(list.contains("Carla Jones"));
    EXPECT_FALSE(list.contains("Anne Smith"));
    EXPECT_TRUE(report.contains("Carla Jones"));
}

TEST_F(ReportsTest, PreviewWindowsCarryCaptionIconAndPaper) {
    const QString id = addPricedTrip();
    runTripList();
    runTripReport(id);
    ReportPreview* trips = rptTrips::Preview();
    ReportPreview* report = rptReport::Preview();
    ASSERT_TRUE(trips && report);
    EXPECT_EQ(trips->windowTitle(), "Odomark  -  Trips");
    EXPECT_EQ(report->windowTitle(), "Odomark  -  Trip Report");
    EXPECT_TRUE(trips->isVisible());
    EXPECT_FALSE(trips->isModal());
    for (const ReportPreview* preview : {trips, report}) {
        const QSize screen = preview->screen()->availableGeometry().size();
        EXPECT_LE(preview->width(), screen.width());
        EXPECT_LE(preview->height(), screen.height());
    }
    if (QFile::exists(folder.path() + "/images/earth.ico")) {
        EXPECT_FALSE(trips->windowIcon().isNull());
    }
    EXPECT_EQ(trips->renderer().definition().orientation, QPageLayout::Landscape);
    EXPECT_EQ(report->renderer().definition().orientation, QPageLayout::Portrait);
    const ReportMargins& m = trips->renderer().definition().margins;
    EXPECT_LE(14595 + m.left + m.right, 15840);
    const ReportMargins& r = report->renderer().definition().margins;
    EXPECT_LE(10620 + r.left + r.right, 12240);
}

TEST_F(ReportsTest, PreviewPagesAndZooms) {
    for (int i = 0; i < 40; ++i)
        folder.addTrip(QString("Town %1").arg(i));
    runTripList();
    ReportPreview* preview = rptTrips::Preview();
    ASSERT_NE(preview, nullptr);
    QCoreApplication::processEvents();
    preview->view()->viewport()->repaint();
    EXPECT_EQ(preview->pageCount(), 3);
    EXPECT_EQ(preview->view()->pageCount(), 3);
    EXPECT_EQ(preview->currentPage(), 1);
    auto* pageBox = preview->findChild<QSpinBox*>("txtPage");
    ASSERT_NE(pageBox, nullptr);
    preview->cmdNext_Click();
    EXPECT_EQ(preview->currentPage(), 2);
    EXPECT_EQ(pageBox->value(), 2);
    preview->cmdLast_Click();
    EXPECT_EQ(preview->currentPage(), 3);
    preview->cmdNext_Click();
    EXPECT_EQ(preview->currentPage(), 3);
    preview->cmdFirst_Click();
    EXPECT_EQ(preview->currentPage(), 1);
    preview->cmdPrevious_Click();
    EXPECT_EQ(preview->currentPage(), 1);
    pageBox->setValue(3);
    EXPECT_EQ(preview->currentPage(), 3);
    preview->setZoom("200%");
    EXPECT_NEAR(preview->view()->zoomFactor(), 2.0, 1e-9);
    EXPECT_EQ(preview->currentPage(), 3); // zooming keeps the page in view
    preview->setZoom("Fit Page");
    EXPECT_EQ(preview->view()->zoomMode(), ReportPageView::FitPage);
}

TEST_F(ReportsTest, PreviewPaintsOnlyThePagesInView) {
    QString sql = "BEGIN;";
    for (int i = 1; i <= 18 * 30; ++i)
        sql += QString("INSERT INTO tblMain (TripID, Destination, TotalTrip) VALUES ('T-%1', 'Town %1', %1);").arg(i);
    folder.exec(sql + "COMMIT;");
    runTripList();
    ReportPreview* preview = rptTrips::Preview();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->pageCount(), 30);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(preview));
    // What is painted on screen is the first page, drawn by the same renderer as the printout.
    const QImage shown = preview->view()->viewport()->grab().toImage();
    EXPECT_GE(preview->view()->pagesPainted(), 1);
    EXPECT_LE(preview->view()->pagesPainted(), 3);
    int ink = 0;
    for (int y = 0; y < shown.height(); y += 2) {
        for (int x = 0; x < shown.width(); x += 2)
            ink += qGray(shown.pixel(x, y)) < 100 ? 1 : 0;
    }
    EXPECT_GT(ink, 100);
}

TEST_F(ReportsTest, ReportObjectsSetAndReleaseTheConnectionObject) {
    folder.addTrip("Somewhere");
    EXPECT_FALSE(rptTrips::Loaded());
    runTripList();
    EXPECT_TRUE(rptTrips::Loaded());
    EXPECT_TRUE(conTrips != nullptr);
    rptTrips::Unload();
    EXPECT_FALSE(rptTrips::Loaded());
    EXPECT_TRUE(conTrips == nullptr);
    EXPECT_EQ(previewWindowCount(), 0);
}

TEST_F(ReportsTest, OpenRecordSetNeverBlocksASave) {
    folder.addTrip("Before");
    dataReport().cmdTrip();
    dataReport().cmdReport("T-1");
    ASSERT_TRUE(dataReport().rscmdTrip().isOpen());
    rptTrips::Show();
    // Another connection writes while both record sets are open.
    folder.exec("INSERT INTO tblMain (TripID, Destination) VALUES ('T-90', 'Written directly')");
    // And the library saves a trip through its own connection.
    ASSERT_EQ(NewTrip(), 0);
    ASSERT_TRUE(objTrip);
    std::vector<std::string> text{"T-91", "Notes", "Saved through Wendlo"};
    WendloDate date{2007, 10, 8};
    std::int16_t miles = 10;
    std::vector<std::int32_t> odometer{100, 110};
    std::vector<float> money(10, 0.0f);
    float rate = 0.475f;
    EXPECT_TRUE(objTrip->AddTrip(text, date, miles, odometer, money, rate));
    EXPECT_EQ(folder.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 3);
    // The record set still holds the rows read at its run; the next run sees the new ones.
    EXPECT_EQ(dataReport().rscmdTrip().Rows()->size(), 1u);
    dataReport().cmdTrip();
    EXPECT_EQ(dataReport().rscmdTrip().Rows()->size(), 3u);
}

TEST_F(ReportsTest, MissingDatabaseLeavesTheRecordSetClosedAndTheReportEmpty) {
    QFile::remove(folder.databasePath());
    dataReport().cmdTrip();
    EXPECT_FALSE(dataReport().rscmdTrip().isOpen());
    EXPECT_FALSE(QFile::exists(folder.databasePath())); // opened read-only: nothing is created
    rptTrips::Show();
    ASSERT_NE(rptTrips::Preview(), nullptr);
    EXPECT_EQ(rptTrips::Preview()->pageCount(), 1);
}

struct SourceCase {
    const char* folderName;
    const char* fileName;
};

void PrintTo(const SourceCase& c, std::ostream* os) {
    *os << c.folderName << "/" << c.fileName;
}

class DataSourceTest : public ::testing::TestWithParam<SourceCase> {};

// The connection names "Miles\miles.mil"; whatever the case of the installed names, it reaches them.
TEST_P(DataSourceTest, RelativeSourceReachesTheInstalledFileWhateverItsCase) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(GetParam().folderName);
    const QString file = dir.path() + "/" + GetParam().folderName + "/" + GetParam().fileName;
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(ResolveDataSource(kReportConnectionString, dir.path()), QDir::cleanPath(file));
}

INSTANTIATE_TEST_SUITE_P(Names, DataSourceTest,
                         ::testing::Values(SourceCase{"miles", "miles.mil"}, SourceCase{"Miles", "miles.mil"},
                                           SourceCase{"MILES", "Miles.MIL"}));

TEST(DataSource, MissingFolderKeepsTheWrittenName) {
    QTemporaryDir dir;
    EXPECT_EQ(ResolveDataSource(kReportConnectionString, dir.path()), dir.path() + "/Miles/miles.mil");
    EXPECT_TRUE(ResolveDataSource("Provider=x;Persist Security Info=False;", dir.path()).isEmpty());
}

} // namespace
