// The trip model over 100,000 trips beside the trip editing window built on it, in the same run: time from the
// read to the list shown and the process's peak memory (each in a process of its own), a filter
// keystroke, the CSV export of every trip and a 10,000-row batch store. Prints the figures.
#include "BenchTrips.h"
#include "common/TripFilterModel.h"
#include "common/TripTableModel.h"
#include "common/modGlobal.h"
#include "support/AppFolder.h"
#include "support/MsgBoxScript.h"
#include "tripdata/TripCsv.h"
#include "tripdata/TripImport.h"
#include "tripdata/TripLoader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>
#include <QTreeView>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kTrips = 100000;

double msSince(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs a program to its end; its peak resident memory in KiB, or -1.
long runChild(const char* program, const char* argument) {
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(program), const_cast<char*>(argument), nullptr};
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

void printMedian(const char* what, std::vector<double> ms, double target) {
    std::sort(ms.begin(), ms.end());
    std::printf("%s: median %.2f ms, worst %.2f ms over %zu (target %.0f ms)\n", what, ms[ms.size() / 2], ms.back(),
                ms.size(), target);
}

// The model in this process: read, table, view shown; then filtering, export and the batch store.
int modelRun() {
    AppFolder app;
    FillBenchTrips(app.databasePath(), kTrips);
    MsgBoxScript script;
    NewTrip();

    QElapsedTimer open;
    open.start();
    RecordsetPtr rs = objTrip ? objTrip->LoadTrip() : nullptr;
    if (!rs)
        return 1;
    const double readMs = msSince(open);
    std::shared_ptr<const TripTable> table = TripTable::fromRecordset(*rs);
    rs.reset(); // what CloseRecordset does in the window
    const double tableMs = msSince(open);
    TripTableModel model(TripTableModel::Columns::EditList);
    model.setTable(table);
    TripFilterModel list;
    list.setSourceModel(&model);
    QTreeView view;
    view.setUniformRowHeights(true);
    view.setRootIsDecorated(false);
    view.setModel(&list);
    for (int c = 0; c < model.columnCount(); ++c)
        view.setColumnWidth(c, model.columnWidth(c));
    view.resize(860, 400);
    view.show();
    QApplication::processEvents();
    const double shownMs = msSince(open);
    std::printf("model over %d trips, from the read to the list shown: %.1f ms (library read %.1f, table %.1f, "
                "view %.1f; %d rows)\n",
                kTrips, shownMs, readMs, tableMs - readMs, shownMs - tableMs, list.rowCount());
    std::printf("model process peak memory after the list is shown: %.1f MiB (target 100 MiB)\n",
                static_cast<double>(peakKiB()) / 1024.0);

    // Typing a destination, then erasing it; each keystroke until the view has repainted.
    list.sortByClick(1);
    const QStringList typed = {"d",
                               "de",
                               "des",
                               "dest",
                               "desti",
                               "destination n",
                               "destination number 9",
                               "destination number 97",
                               "destination number 9",
                               "destination n",
                               "d",
                               "",
                               "parking",
                               "zürich",
                               "",
                               "t-4",
                               "t-42",
                               "t-421"};
    std::vector<double> keys;
    double first = 0.0;
    for (const QString& text : typed) {
        QElapsedTimer key;
        key.start();
        list.setFilterText(text);
        view.viewport()->repaint();
        QApplication::processEvents();
        if (text == typed.first())
            first = msSince(key);
        else
            keys.push_back(msSince(key));
    }
    std::printf("filter keystroke over %d trips: first %.2f ms (makes the search texts)\n", kTrips, first);
    printMedian("filter keystroke, list repainted", keys, 30);
    std::vector<double> filterOnly;
    for (const QString& text : typed) {
        QElapsedTimer key;
        key.start();
        list.setFilterText(text);
        filterOnly.push_back(msSince(key));
    }
    printMedian("  of which the proxy's filtering", filterOnly, 30);

    // The same keystrokes through Qt's proxy, destination column only, no accents: for comparison.
    {
        QSortFilterProxyModel qt;
        qt.setSourceModel(&model);
        qt.setFilterKeyColumn(2);
        qt.setFilterCaseSensitivity(Qt::CaseInsensitive);
        QElapsedTimer sort;
        sort.start();
        qt.sort(1, Qt::DescendingOrder);
        const double sortMs = msSince(sort);
        std::vector<double> qtKeys;
        for (const QString& text : typed) {
            QElapsedTimer key;
            key.start();
            qt.setFilterFixedString(text);
            qtKeys.push_back(msSince(key));
        }
        std::printf("for comparison, QSortFilterProxyModel over the same model: sort %.1f ms; ", sortMs);
        printMedian("keystroke without a view", qtKeys, 30);
    }
    std::vector<double> sorts;
    for (int column : {1, 7, 2, 0, 15}) {
        QElapsedTimer sort;
        sort.start();
        list.sortByClick(column);
        QApplication::processEvents();
        sorts.push_back(msSince(sort));
    }
    printMedian("own proxy sort by a header click", sorts, 150);

    list.setFilterText(QString());
    QTemporaryDir dir;
    QElapsedTimer exportTimer;
    exportTimer.start();
    const QByteArray csv = TripsToCsv(list);
    const bool written = WriteTripsCsv(dir.filePath("trips.csv"), csv);
    std::printf("CSV export of %d trips: %.1f ms, %.1f MiB%s (target 1000 ms)\n", list.shownCount(),
                msSince(exportTimer), static_cast<double>(csv.size()) / 1048576.0, written ? "" : " NOT WRITTEN");
    QElapsedTimer readTimer;
    readTimer.start();
    const CsvData read = ReadCsv(csv);
    std::printf("CSV read back: %.1f ms, %lld records\n", msSince(readTimer),
                static_cast<long long>(read.records.size()));

    // An import of 10,000 rows of that file into an empty database: read, map, check, store.
    AppFolder empty;
    int err = 0;
    std::shared_ptr<_Trip> object = CreateTripObject(empty.path(), &err, CLSID_Trip, IID__TripBatch);
    if (!object)
        return 1;
    const QByteArray tenThousand =
        TripsToCsv(*table, std::vector<int>(list.shownRows().begin(), list.shownRows().begin() + 10000));
    QElapsedTimer import;
    import.start();
    const CsvData file = ReadCsv(tenThousand);
    const ImportCheck check = CheckImportRows(file, MapCsvHeader(file.records.value(0).fields), TripTable());
    const double checkedMs = msSince(import);
    std::vector<WendloTrip> trips;
    trips.reserve(check.accepted.size());
    for (const ImportedTrip& t : check.accepted) {
        const TripValueSet& v = t.values;
        trips.push_back(WendloTrip{v.strText, v.datDate, v.intMiles, v.lngNumbers, v.sngMoney, v.sngRate});
    }
    QElapsedTimer store;
    store.start();
    const std::int32_t stored = static_cast<_TripBatch*>(object.get())->AddTrips(trips);
    const double storeMs = msSince(store);
    std::printf("import of 10,000 rows: %.1f ms (read and checked %.1f, batch store in one transaction %.1f; "
                "%d stored, %zu refused) (target 2000 ms)\n",
                msSince(import), checkedMs, storeMs, stored, check.refused.size());
    return stored == 10000 && written ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    if (argc > 1 && qstrcmp(argv[1], "--model") == 0) {
        QApplication application(argc, argv);
        return modelRun();
    }
    // Each measurement in a process of its own, so that each peak is its own.
    std::printf("-- the trip editing window (bench_edit_trip)\n");
    std::fflush(stdout);
    const long editPeak = runChild(BENCH_EDIT_TRIP, nullptr);
    std::printf("trip editing window process peak memory: %.1f MiB\n", static_cast<double>(editPeak) / 1024.0);
    std::printf("-- the trip model\n");
    std::fflush(stdout);
    const long modelPeak = runChild(argv[0], "--model");
    std::printf("model process peak memory, whole run: %.1f MiB\n", static_cast<double>(modelPeak) / 1024.0);
    return editPeak > 0 && modelPeak > 0 ? 0 : 1;
}
