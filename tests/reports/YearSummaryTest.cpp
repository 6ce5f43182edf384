// The year summary: the sums and the continuity check as a plain function, and the report as the
// window opens it, read back from its PDF and held against SQL sums over the same file.

#include "ReportTestUtil.h"

#include "platform/DateBox.h"
#include "platform/Format.h"
#include "reports/YearSummary.h"
#include "reports/frmYearSummary.h"
#include "support/MsgBoxScript.h"

#include <QComboBox>
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cmath>
#include <ostream>
#include <utility>

namespace {

SummaryTrip trip(const QString& id, const QDate& date, std::int64_t start, std::int64_t end, double total = 10) {
    SummaryTrip t;
    t.tripId = id;
    t.date = date;
    t.startOdometer = start;
    t.endOdometer = end;
    t.miles = static_cast<double>(end - start);
    t.mileage = t.miles * 0.5;
    t.expenses = {1, 2, 3, 4, 5, 6, 7, 8};
    t.total = total;
    return t;
}

TEST(SummarizeTripsTest, MonthsTotalsAndContinuityOfThePeriodOnly) {
    const SummaryTrips trips = {
        trip("T-1", QDate(2024, 12, 30), 900, 1000),  // before the period
        trip("T-2", QDate(2025, 1, 1), 1000, 1100),   // the first day counts; continues T-1, which is outside
        trip("T-3", QDate(2025, 1, 9), 1150, 1200),   // gap of 50 after T-2
        trip("T-5", QDate(2025, 3, 2), 1180, 1300),   // overlap of 20 with T-3
        trip("T-4", QDate(2025, 3, 2), 1300, 1320),   // same day, higher start: after T-5, continuous
        trip("T-6", QDate(2025, 3, 20), 0, 0, 99),    // miles typed without readings: not checked
        trip("T-7", QDate(), 1320, 1400),             // an unreadable date belongs to no period
        trip("T-8", QDate(2025, 12, 31), 1320, 1330), // the last day counts
        trip("T-9", QDate(2026, 1, 1), 1330, 1340),   // after the period
    };
    const YearSummary s = SummarizeTrips(trips, QDate(2025, 1, 1), QDate(2025, 12, 31));
    ASSERT_EQ(s.months.size(), 12u);
    EXPECT_EQ(s.months[0].month, QDate(2025, 1, 1));
    EXPECT_EQ(s.months[0].trips, 2);
    EXPECT_EQ(s.months[0].miles, 150);
    EXPECT_EQ(s.months[1].trips, 0);
    EXPECT_EQ(s.months[2].trips, 3);
    EXPECT_EQ(s.months[2].total, 10 + 10 + 99);
    EXPECT_EQ(s.months[11].trips, 1);
    EXPECT_EQ(s.totals.trips, 6);
    EXPECT_EQ(s.totals.expenses[7], 6 * 8);
    EXPECT_EQ(s.totals.total, 5 * 10 + 99);
    EXPECT_EQ(s.withoutOdometer, 1);

    ASSERT_EQ(s.findings.size(), 2u);
    EXPECT_EQ(s.findings[0].kind, ContinuityFinding::Gap);
    EXPECT_EQ(s.findings[0].previousTripId + ">" + s.findings[0].tripId, "T-2>T-3");
    EXPECT_EQ(s.findings[0].miles(), 50);
    EXPECT_EQ(s.findings[1].kind, ContinuityFinding::Overlap);
    EXPECT_EQ(s.findings[1].previousTripId + ">" + s.findings[1].tripId, "T-3>T-5");
    EXPECT_EQ(s.findings[1].miles(), 20);
    EXPECT_EQ(s.overlaps, 1);
    EXPECT_EQ(s.overlapMiles, 20);
    // T-8 is compared with T-4, the last trip with readings before it.
    EXPECT_EQ(s.gaps, 1);
    EXPECT_EQ(s.gapMiles, 50);

    EXPECT_EQ(TripYears(trips), (std::vector<int>{2026, 2025, 2024}));
    EXPECT_EQ(PeriodText(QDate(2025, 1, 1), QDate(2025, 12, 31)), "Year 2025");
    EXPECT_EQ(PeriodText(QDate(2024, 11, 15), QDate(2025, 2, 10)), "11/15/2024 to 2/10/2025");
    // A range across years has a line for every month it touches, and its first and last days count.
    const YearSummary range = SummarizeTrips(trips, QDate(2024, 12, 30), QDate(2025, 3, 2));
    EXPECT_EQ(range.months.size(), 4u);
    EXPECT_EQ(range.totals.trips, 5); // T-1 on the first day to T-5 and T-4 on the last
    EXPECT_TRUE(SummarizeTrips(trips, QDate(2030, 1, 1), QDate(2030, 6, 30)).totals.trips == 0);
}

// A fixed set of trips over 2024 to 2026 in every stored date form, with a planted overlap and gap.
class YearSummaryReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        strFullName = "Anne Smith";
        QString sql = "BEGIN;";
        std::int64_t odometer = 50000;
        int n = 0;
        for (int year = 2024; year <= 2026; ++year) {
            for (int month = 1; month <= 12; ++month) {
                if (year == 2025 && month == 7)
                    continue; // a month without trips: no bar
                for (int j = 0; j < 1 + (month * 7 + year) % 3; ++j) {
                    ++n;
                    const int day = 1 + 9 * j;
                    QString date = QString("%1/%2/%3").arg(month).arg(day).arg(year);
                    if (n % 10 == 0)
                        date = QDate(year, month, day).toString("yyyy-MM-dd");
                    else if (n % 7 == 0)
                        date += " 10:30:00";
                    const int miles = 20 + (n * 37) % 180;
                    std::int64_t start = odometer;
                    if (n == 40)
                        start -= 40; // overlap
                    if (n == 45)
                        start += 123; // gap
                    odometer = start + miles;
                    const double fuel = (n * 1307 % 5000) / 100.0;
                    const double mileage = std::round(miles * 54.5) / 100.0;
                    sql += QString("INSERT INTO tblMain (TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,Fuel,"
                                   "Parking,Meals,Motel,Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate) "
                                   "VALUES ('T-%1','Town',0.545,%2,%3,%4,%5,%6,%7,%8,%9,%10,%11,%12,%13,%14,'%15');")
                               .arg(n)
                               .arg(start)
                               .arg(odometer)
                               .arg(miles)
                               .arg(n % 11 == 0 ? QString("NULL") : QString::number(fuel, 'g', 10))
                               .arg(n % 3 * 1.25)
                               .arg(12.34 + n % 5)
                               .arg(n % 4 == 0 ? 89.99 : 0)
                               .arg(0.7 * (n % 2))
                               .arg(n == 30 ? 1234.56 : 0)
                               .arg(n == 31 ? 75 : 0)
                               .arg(0.01 * n)
                               .arg(mileage)
                               .arg(mileage + fuel + 200)
                               .arg(date);
                }
            }
        }
        sql += "INSERT INTO tblMain (TripID,StartDate,Miles,TotalTrip) VALUES ('T-X','someday',5,5);";
        // On the first and last days of the periods below, in the stored forms, without odometer readings.
        for (const char* day : {"12/31/2024", "2025-12-31", "11/15/2024 10:30:00", "2/10/2025"})
            sql += QString("INSERT INTO tblMain (TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,Fuel,Parking,"
                           "Meals,Motel,Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate) VALUES ('T-Edge',"
                           "'Edge',0.545,0,0,17,1.5,0.25,0,0,0,0,0,0,9.27,11.02,'%1');")
                       .arg(day);
        folder.exec(sql + "COMMIT;");
    }
    void TearDown() override {
        delete form.data();
        rptSummary::Unload();
        ReleaseDataReport();
        strFullName.clear();
    }

    // The window's steps: a calendar year, or a range of dates, then Preview.
    void preview(const QDate& from, const QDate& to, bool wholeYear) {
        if (!form) {
            form = new frmYearSummary(nullptr);
            form->show();
        }
        if (wholeYear) {
            form->findChild<QRadioButton*>("optYear")->setChecked(true);
            auto* years = form->findChild<QComboBox*>("cboYear");
            years->setCurrentIndex(years->findText(QString::number(from.year())));
        } else {
            form->findChild<QRadioButton*>("optRange")->setChecked(true);
            // Typed as people type dates, through real keys: a sectioned date box once stored such dates wrong.
            for (const auto& [name, text] :
                 {std::pair{"dtpFrom", from.toString("M/d/yy")}, std::pair{"dtpTo", to.toString("MM/dd/yyyy")}}) {
                auto* box = form->findChild<DateBox*>(name);
                box->setFocus();
                box->selectAll();
                QTest::keyClicks(box, text);
                QTest::keyClick(box, Qt::Key_Tab);
            }
        }
        QTest::mouseClick(form->findChild<QPushButton*>("cmdPreview"), Qt::LeftButton);
    }

    // The sums over the period straight from the file: dates taken apart in SQL, every stored form.
    QStringList sqlLine(const QDate& from, const QDate& to) const {
        const QString key =
            "CASE WHEN StartDate LIKE '____-%' THEN CAST(substr(StartDate,1,4) AS INTEGER)*10000"
            " + CAST(substr(StartDate,6,2) AS INTEGER)*100 + CAST(substr(StartDate,9,2) AS INTEGER)"
            " ELSE CAST(substr(substr(StartDate,instr(StartDate,'/')+1),"
            " instr(substr(StartDate,instr(StartDate,'/')+1),'/')+1) AS INTEGER)*10000"
            " + CAST(StartDate AS INTEGER)*100 + CAST(substr(StartDate,instr(StartDate,'/')+1) AS INTEGER) END";
        const QString where = QString(" FROM (SELECT *, %1 AS k FROM tblMain) WHERE k BETWEEN %2 AND %3")
                                  .arg(key, from.toString("yyyyMMdd"), to.toString("yyyyMMdd"));
        QStringList line{folder.scalar("SELECT COUNT(*)" + where).toString(),
                         FormatNumber(folder.scalar("SELECT TOTAL(Miles)" + where).toDouble(), "#,##0")};
        for (const char* column :
             {"Mileage", "Fuel", "Parking", "Meals", "Motel", "Phone", "Repairs", "Towing", "Expense", "TotalTrip"})
            line << FormatNumber(folder.scalar(QString("SELECT TOTAL(%1)").arg(column) + where).toDouble(),
                                 "\"$\"#,##0.00");
        return line;
    }

    // The figures of the PDF line that begins with the label.
    static QStringList pdfLine(const QString& text, const QString& label) {
        for (const QString& line : text.split('\n')) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(label + " "))
                return trimmed.mid(label.size()).split(' ', Qt::SkipEmptyParts);
        }
        return {};
    }

    AppFolder folder;
    QTemporaryDir out;
    QPointer<frmYearSummary> form;
};

TEST_F(YearSummaryReportTest, PdfFiguresMatchTheSqlSumsForEachPeriod) {
    struct Period {
        QDate from, to;
        bool wholeYear;
        QString heading;
    };
    const Period periods[] = {
        {QDate(2025, 1, 1), QDate(2025, 12, 31), true, "Year 2025"},
        {QDate(2024, 1, 1), QDate(2024, 12, 31), true, "Year 2024"},
        {QDate(2024, 11, 15), QDate(2025, 2, 10), false, "11/15/2024 to 2/10/2025"},
    };
    for (const Period& p : periods) {
        SCOPED_TRACE(p.heading.toStdString());
        preview(p.from, p.to, p.wholeYear);
        ReportPreview* shown = rptSummary::Preview();
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->windowTitle(), "Odomark  -  Year Summary");
        const PdfContent pdf = exportPreview(shown, out, "summary.pdf");
        EXPECT_TRUE(pdf.text.contains("Anne Smith"));
        EXPECT_TRUE(pdf.text.contains(p.heading)) << pdf.text.toStdString();
        EXPECT_TRUE(containsPattern(pdf.text, QString("Page\\s+1\\s+of\\s+%1").arg(pdf.pages)));
        EXPECT_EQ(pdfLine(pdf.text, "Totals"), sqlLine(p.from, p.to)) << pdf.text.toStdString();
        // A month whose days are all inside the period, and the partial first month of the range.
        const QDate february(p.from.year() + (p.wholeYear ? 0 : 1), 2, 1);
        EXPECT_EQ(pdfLine(pdf.text, "Feb " + QString::number(february.year())),
                  sqlLine(february, p.wholeYear ? february.addMonths(1).addDays(-1) : p.to));
        EXPECT_EQ(pdfLine(pdf.text, FormatDate(p.from, "MMM yyyy")),
                  sqlLine(p.from, QDate(p.from.year(), p.from.month(), p.from.daysInMonth())));
    }
    EXPECT_EQ(previewWindowCount(), 1); // each run replaces the preview before it
}

TEST_F(YearSummaryReportTest, YearsNewestFirstAnEmptyPeriodGivesAMessageAndEnterPreviews) {
    form = new frmYearSummary(nullptr);
    form->show();
    auto* years = form->findChild<QComboBox*>("cboYear");
    ASSERT_EQ(years->count(), 3);
    EXPECT_EQ(years->itemText(0), "2026");
    EXPECT_EQ(years->itemText(2), "2024");
    MsgBoxScript script;
    preview(QDate(2030, 1, 1), QDate(2030, 12, 31), false);
    ASSERT_EQ(script.count(), 1);
    EXPECT_EQ(script.last().text, "No Trip records were found for this period! ");
    EXPECT_EQ(script.last().style, vbExclamation | vbOKOnly);
    EXPECT_EQ(rptSummary::Preview(), nullptr);
    // A range that ends before it starts is the user's slip, said so.
    preview(QDate(2025, 5, 1), QDate(2025, 4, 1), false);
    ASSERT_EQ(script.count(), 2);
    EXPECT_EQ(script.last().text, "The From date is after the To date! ");
    EXPECT_EQ(rptSummary::Preview(), nullptr);
    // The keyboard alone: a year chosen in the list, Enter previews it.
    form->findChild<QRadioButton*>("optYear")->setChecked(true);
    years->setFocus();
    QTest::keyClick(years, Qt::Key_Down);
    QTest::keyClick(years, Qt::Key_Return);
    ASSERT_NE(rptSummary::Preview(), nullptr);
    EXPECT_TRUE(containsPattern(exportPreview(rptSummary::Preview(), out, "keys.pdf").text, "Year 2025"));
    // A trip stored meanwhile in a year of its own adds that year at the next Preview; the choice stays.
    folder.addTrip("Later", "3/3/2027");
    QTest::mouseClick(form->findChild<QPushButton*>("cmdPreview"), Qt::LeftButton);
    EXPECT_EQ(years->itemText(0), "2027");
    EXPECT_EQ(years->currentText(), "2025");
}

TEST_F(YearSummaryReportTest, ContinuityListsThePlantedOverlapAndGapWithTheirTrips) {
    preview(QDate(2024, 1, 1), QDate(2026, 12, 31), false);
    const PdfContent pdf = exportPreview(rptSummary::Preview(), out, "continuity.pdf");
    EXPECT_TRUE(containsPattern(pdf.text, "Overlap\\s+T-39\\s+\\S+\\s+\\d+\\s+T-40\\s+\\S+\\s+\\d+\\s+40\\b"))
        << pdf.text.toStdString();
    EXPECT_TRUE(containsPattern(pdf.text, "Gap\\s+T-44\\s+\\S+\\s+\\d+\\s+T-45\\s+\\S+\\s+\\d+\\s+123\\b"));
    EXPECT_TRUE(pdf.text.contains("Overlaps (a start below the previous end): 1, 40 miles"));
    EXPECT_TRUE(pdf.text.contains("Gaps (miles between logged trips): 1, 123 miles"));
}

// The chart is drawn into the PDF: its bars, found on the rendered page, stand in the ratio of the
// months' miles.
TEST_F(YearSummaryReportTest, ChartBarsInThePdfStandInTheRatioOfTheMonthsMiles) {
    preview(QDate(2025, 1, 1), QDate(2025, 12, 31), true);
    ASSERT_NE(rptSummary::Preview(), nullptr);
    const QString file = out.filePath("chart.pdf");
    ASSERT_TRUE(rptSummary::Preview()->exportPdf(file));
    QProcess render;
    render.start("pdftoppm", {"-r", "100", "-f", "1", "-l", "1", "-png", file, out.filePath("page")});
    ASSERT_TRUE(render.waitForFinished(60000));
    QImage page(out.filePath("page-1.png"));
    ASSERT_FALSE(page.isNull());
    page = page.convertToFormat(QImage::Format_RGB32);

    // The bars' grey, in runs taller than any letter.
    const auto isBar = [](QRgb c) {
        return std::abs(qRed(c) - 128) < 10 && std::abs(qGreen(c) - 128) < 10 && std::abs(qBlue(c) - 128) < 10;
    };
    std::vector<int> tallest(static_cast<std::size_t>(page.width()), 0);
    for (int x = 0; x < page.width(); ++x) {
        int run = 0;
        for (int y = 0; y < page.height(); ++y) {
            run = isBar(page.pixel(x, y)) ? run + 1 : 0;
            tallest[std::size_t(x)] = std::max(tallest[std::size_t(x)], run);
        }
    }
    std::vector<int> bars;
    for (int x = 0; x < page.width();) {
        if (tallest[std::size_t(x)] < 4) {
            ++x;
            continue;
        }
        int height = 0;
        int width = 0;
        for (; x < page.width() && tallest[std::size_t(x)] >= 4; ++x, ++width)
            height = std::max(height, tallest[std::size_t(x)]);
        if (width >= 3)
            bars.push_back(height);
    }
    std::vector<double> miles;
    for (int month = 1; month <= 12; ++month) {
        const double m = folder
                             .scalar(QString("SELECT TOTAL(Miles) FROM tblMain WHERE StartDate LIKE '%1/%/2025%' OR "
                                             "StartDate LIKE '2025-%2-%'")
                                         .arg(month)
                                         .arg(month, 2, 10, QChar('0')))
                             .toDouble();
        if (m > 0)
            miles.push_back(m);
    }
    ASSERT_EQ(miles.size(), 11u); // July has none
    ASSERT_EQ(bars.size(), miles.size());
    const double most = *std::max_element(miles.begin(), miles.end());
    const int highest = *std::max_element(bars.begin(), bars.end());
    EXPECT_GT(highest, 100); // a chart, not a speck
    for (std::size_t i = 0; i < bars.size(); ++i)
        EXPECT_NEAR(bars[i], highest * miles[i] / most, 2.5) << "bar " << i;
}

} // namespace
