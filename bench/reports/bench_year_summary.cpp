// The year summary over many trips: one year's summary from the window's Preview to the preview showing
// its first page, and the same summary exported to PDF. Prints the figures; not a test.
// Usage: bench_year_summary [trips over 20 years] [year] [pdf file to keep]

#include "common/modGlobal.h"
#include "reports/ReportEngine.h"
#include "reports/ReportLayouts.h"
#include "reports/ReportPreview.h"
#include "reports/YearSummary.h"
#include "reports/dataReport.h"
#include "support/AppFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {
double cpuMs() {
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Trips spread evenly over 2007 to 2026; every third one starts a little past the last one's end.
QString insertTrips(int count) {
    QString sql = QStringLiteral("BEGIN;\n");
    const QDate first(2007, 1, 1);
    const qint64 days = first.daysTo(QDate(2026, 12, 31));
    qint64 odometer = 10000;
    for (int i = 1; i <= count; ++i) {
        const QDate date = first.addDays(days * (i - 1) / count);
        const int miles = 20 + (i * 37) % 180;
        const qint64 start = odometer + (i % 3 == 0 ? 7 + i % 40 : 0);
        odometer = start + miles;
        sql += QStringLiteral("INSERT INTO tblMain (TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,Fuel,"
                              "Parking,Meals,Motel,Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,Notes) "
                              "VALUES ('T-%1','Destination %1',0.545,%2,%3,%4,12.3,4,18.5,89,2.25,0,0,3.1,%5,%6,"
                              "'%7','Notes for trip %1');\n")
                   .arg(i)
                   .arg(start)
                   .arg(odometer)
                   .arg(miles)
                   .arg(miles * 0.545, 0, 'f', 2)
                   .arg(miles * 0.545 + 129.15, 0, 'f', 2)
                   .arg(QStringLiteral("%1/%2/%3").arg(date.month()).arg(date.day()).arg(date.year()));
    }
    return sql + QStringLiteral("COMMIT;\n");
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int trips = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    const int year = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 2020;
    QTemporaryDir out;
    const QString pdf = argc > 3 ? QString::fromLocal8Bit(argv[3]) : out.filePath(QStringLiteral("summary.pdf"));

    AppFolder folder;
    folder.exec(insertTrips(trips));
    strFullName = QStringLiteral("Anne Smith");
    const QDate from(year, 1, 1);
    const QDate to(year, 12, 31);

    // The window's Preview: the query, the sums, the layout and the preview painted with its first page.
    QElapsedTimer timer;
    timer.start();
    double cpu = cpuMs();
    std::shared_ptr<const SummaryTrips> rows = dataReport().cmdSummary();
    const qint64 read = timer.elapsed();
    const YearSummary summary = SummarizeTrips(*rows, from, to);
    const qint64 summed = timer.elapsed();
    rptSummary::Show(summary);
    ReportPreview* preview = rptSummary::Preview();
    if (!preview) {
        std::printf("no preview was shown\n");
        return 1;
    }
    QApplication::processEvents();
    const QImage first = preview->grab().toImage();
    const qint64 shown = timer.elapsed();
    std::printf("year summary of %d, %d of %d trips, %zu continuity findings, %d pages: query %lld ms, sums %lld ms, "
                "first page shown in %lld ms (processor %.0f ms; %dx%d)\n",
                year, summary.totals.trips, trips, summary.findings.size(), preview->pageCount(),
                static_cast<long long>(read), static_cast<long long>(summed - read), static_cast<long long>(shown),
                cpuMs() - cpu, first.width(), first.height());

    // Exported to PDF: the query, the sums, both passes and the file.
    timer.restart();
    cpu = cpuMs();
    rows = dataReport().cmdSummary();
    const ReportRenderer renderer(YearSummaryLayout(PeriodText(from, to)),
                                  SummaryReportRows(SummarizeTrips(*rows, from, to)), strFullName);
    const bool written = ExportReportPdf(renderer, pdf);
    const qint64 exported = timer.elapsed();
    std::printf("exported to PDF in %lld ms (processor %.0f ms; %d pages, %s, %.1f MB)\n",
                static_cast<long long>(exported), cpuMs() - cpu, renderer.pageCount(),
                written ? "written" : "NOT WRITTEN", QFileInfo(pdf).size() / 1048576.0);

    rptSummary::Unload();
    ReleaseDataReport();
    return written ? 0 : 1;
}
