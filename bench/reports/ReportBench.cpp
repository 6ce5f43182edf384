// The trip list over many trips: laid out and exported to PDF, and its preview up to the first page
// on screen. Prints the figures; not a test. Usage: ReportBench [trips] [pdf file to keep] [png of the preview]

#include "common/modGlobal.h"
#include "reports/ReportEngine.h"
#include "reports/ReportLayouts.h"
#include "reports/ReportPreview.h"
#include "reports/dataReport.h"
#include "support/AppFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrintPreviewWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {
// Processor time of this process, so a busy machine shows as the gap between the two figures.
double cpuMs() {
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

QString insertTrips(int count) {
    QString sql = QStringLiteral("BEGIN;\n");
    for (int i = 1; i <= count; ++i) {
        sql +=
            QStringLiteral("INSERT INTO tblMain (TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,Fuel,Parking,"
                           "Meals,Motel,Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,Notes) VALUES "
                           "('T-%1','Destination %1',0.475,%2,%3,78,12.3,4,18.5,89,2.25,0,0,3.1,37.05,%4,"
                           "'%5/%6/2007','Notes for trip %1');\n")
                .arg(i)
                .arg(100000 + i * 80)
                .arg(100078 + i * 80)
                .arg(166.2 + i % 1000, 0, 'f', 2)
                .arg(1 + i % 12)
                .arg(1 + i % 28);
    }
    return sql + QStringLiteral("COMMIT;\n");
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int trips = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    QTemporaryDir out;
    const QString pdf = argc > 2 ? QString::fromLocal8Bit(argv[2]) : out.filePath(QStringLiteral("trips.pdf"));

    AppFolder folder;
    folder.exec(insertTrips(trips));
    strFullName = QStringLiteral("Anne Smith");

    // The trip list laid out and exported: the query, both passes and the PDF file.
    QElapsedTimer timer;
    timer.start();
    double cpu = cpuMs();
    dataReport().cmdTrip();
    ReportDefinition definition = TripListLayout();
    definition.margins = ReportMargins{500, 400, 500, 1000};
    const ReportRenderer renderer(definition, dataReport().rscmdTrip().Rows(), strFullName);
    const qint64 laidOut = timer.elapsed();
    const bool written = ExportReportPdf(renderer, pdf);
    const qint64 exported = timer.elapsed();
    std::printf("trip list, %d trips, %d pages: query and layout %lld ms, exported to PDF in %lld ms total "
                "(processor %.0f ms; %s, %.1f MB)\n",
                trips, renderer.pageCount(), static_cast<long long>(laidOut), static_cast<long long>(exported),
                cpuMs() - cpu, written ? "written" : "NOT WRITTEN", QFileInfo(pdf).size() / 1048576.0);

    // The main window's sequence up to the preview showing its first page.
    timer.restart();
    cpu = cpuMs();
    if (dataReport().rscmdTrip().isOpen()) {
        dataReport().rscmdTrip().Close();
        rptTrips::Unload();
    }
    dataReport().cmdTrip();
    rptTrips::Show();
    ReportPreview* preview = rptTrips::Preview();
    if (!preview) {
        std::printf("no preview was shown\n");
        return 1;
    }
    QApplication::processEvents();
    const QImage first = preview->grab().toImage(); // the window painted with its first page
    const qint64 shown = timer.elapsed();
    std::printf("preview: first page of %d shown in %lld ms (processor %.0f ms; current page %d, %dx%d)\n",
                preview->pageCount(), static_cast<long long>(shown), cpuMs() - cpu, preview->currentPage(),
                first.width(), first.height());

    if (argc > 3)
        first.save(QString::fromLocal8Bit(argv[3]));

    rptTrips::Unload();
    ReleaseDataReport();
    return written && preview ? 0 : 1;
}
