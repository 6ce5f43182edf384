// The CSV import window over a 1,000,000-row file, as the user drives it: the time to read and check the
// file (LoadFile), the time to import it (Import, answered Yes), and the process's peak memory, each run in
// a process of its own; then the same under a 1.4 GB address-space limit. Prints the figures.
#include "BenchTrips.h"
#include "support/AppFolder.h"
#include "support/MsgBoxScript.h"
#include "trips/frmImportTrips.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr int kRows = 1000000;
constexpr int kStored = 1000;

double msSince(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// Rows as our export writes them, with the amounts a day of driving has.
bool writeFile(const QString& name) {
    QFile out(name);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write("\xEF\xBB\xBFTrip ID,Date,Destination,Start Odometer,End Odometer,Miles,Rate,Mileage,Fuel,Parking,"
              "Meals,Lodging,Telephone,Repairs,Towing,Misc. Expenses,Total,Notes\r\n");
    QByteArray row;
    for (int i = 1; i <= kRows; ++i) {
        const int start = 10000 + i * 3;
        const int miles = 20 + i % 300;
        row = "F-" + QByteArray::number(i) + "," + QByteArray::number(2008 + i % 10) + "-" +
              QByteArray::number(1 + i % 12).rightJustified(2, '0') + "-" +
              QByteArray::number(1 + i % 28).rightJustified(2, '0') + ",Town " + QByteArray::number(i % 977) + "," +
              QByteArray::number(start) + "," + QByteArray::number(start + miles) + "," + QByteArray::number(miles) +
              ",0.475,0,12.5,2.5,0,0,0,0,0,3.5,0,client\r\n";
        out.write(row);
    }
    return out.error() == QFile::NoError;
}

// In a process of its own: an application folder with stored trips, the window, the file read and imported.
int importRun(const char* file, long limitMiB) {
    if (limitMiB > 0) {
        rlimit limit{rlim_t(limitMiB) << 20, rlim_t(limitMiB) << 20};
        setrlimit(RLIMIT_AS, &limit);
    }
    AppFolder app;
    FillBenchTrips(app.databasePath(), kStored);
    MsgBoxScript script;
    script.allowUnscripted();
    frmImportTrips form;
    form.show();
    QApplication::processEvents();
    QElapsedTimer load;
    load.start();
    const bool loaded = form.LoadFile(QString::fromLocal8Bit(file));
    const double loadMs = msSince(load);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("  read and checked: %.0f ms (%s), peak memory so far %.0f MiB\n", loadMs, loaded ? "ok" : "FAILED",
                double(usage.ru_maxrss) / 1024.0);
    std::fflush(stdout);
    script.answer(vbYes).answer(vbOK);
    QElapsedTimer import;
    import.start();
    form.cmdImport_Click();
    const double importMs = msSince(import);
    const int stored = app.scalar("SELECT COUNT(*) FROM tblMain").toInt() - kStored;
    std::printf("  imported: %.0f ms, %d trips stored; last message: %s\n", importMs, stored,
                script.count() ? qPrintable(script.last().text.simplified()) : "(none)");
    return loaded && stored == kRows ? 0 : 1;
}

// Runs this program with the given arguments to its end: its peak resident memory in KiB and how it ended.
long runChild(const std::vector<std::string>& args, int* status) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    rusage usage{};
    if (wait4(pid, status, 0, &usage) != pid)
        return -1;
    return usage.ru_maxrss;
}

std::string describe(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status) == 0 ? "completed" : "exit code " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status));
    return "unknown end";
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    if (argc > 3 && qstrcmp(argv[1], "--import") == 0) {
        QApplication application(argc, argv);
        return importRun(argv[2], std::atol(argv[3]));
    }
    QTemporaryDir dir;
    const QString file = dir.filePath("trips.csv");
    if (!writeFile(file))
        return 1;
    std::printf("import of %d rows (%.1f MB) into a database of %d trips, through the import window:\n", kRows,
                double(QFile(file).size()) / 1e6, kStored);
    std::fflush(stdout);
    int status = 0;
    const std::string name = file.toStdString();
    const long peak = runChild({argv[0], "--import", name, "0"}, &status);
    std::printf("  process peak memory: %.0f MiB (target 600 MiB), %s\n", double(peak) / 1024.0,
                describe(status).c_str());
    std::printf("the same under a 1.4 GB address-space limit:\n");
    std::fflush(stdout);
    int limited = 0;
    runChild({argv[0], "--import", name, "1400"}, &limited);
    std::printf("  %s\n", describe(limited).c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
