// Checking the rows of a CSV file before they are stored, and the round trip through the batch write.
#include "platform/FileDialog.h"
#include "support/MsgBoxScript.h"
#include "tripdata/TripImport.h"
#include "tripdata/TripLoader.h"
#include "trips/TripTestUtil.h"
#include "trips/frmImportTrips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

std::shared_ptr<TripTable> storedTable(AppFolder& app) {
    int err = 0;
    std::shared_ptr<_Trip> trip = CreateTripObject(app.path(), &err);
    RecordsetPtr rs = trip ? trip->LoadTrip() : nullptr;
    return rs ? TripTable::fromRecordset(*rs) : std::make_shared<TripTable>();
}

std::vector<int> allRows(const TripTable& t) {
    std::vector<int> rows;
    for (int i = 0; i < t.rowCount(); ++i)
        rows.push_back(i);
    return rows;
}

// Every stored trip on one line: what an import must leave as it was.
const QString kStoredTrips = "SELECT group_concat(ID || TripID || Destination || StartDate || TotalTrip, '|') "
                             "FROM tblMain WHERE ID <= 2";

WendloTrip batchTrip(const TripValueSet& v) {
    return WendloTrip{v.strText, v.datDate, v.intMiles, v.lngNumbers, v.sngMoney, v.sngRate};
}

} // namespace

// Each refused row comes with its line and the trip windows' reason (numbers, dates and their range,
// readings), a broken row with its own; every row is counted once; rows that look stored are flagged.
TEST(TripImport, RowsAreCheckedWithTheTripWindowsRules) {
    AppFolder app;
    app.addTrip("Boston", "10/18/2007"); // T-1, odometers 0
    const auto stored = storedTable(app);
    const QByteArray file = "Trip ID,Date,Destination,Start Odometer,End Odometer,Miles,Rate,Fuel,Notes\n"
                            "X-1,2007-10-19,Albany,100,250,150,0.475,12.5,ok\n"         // 2
                            "X-2,2007-10-19,,100,250,150,0.475,12.5,\n"                 // 3
                            "X-3,2007-10-19,Albany,100,250,,0.475,12.5,\n"              // 4
                            "X-4,2007-10-19,Albany,100,250,150,abc,12.5,\n"             // 5
                            "X-5,2007-02-30,Albany,100,250,150,0.475,12.5,\n"           // 6
                            "X-6,1900-01-01,Albany,100,250,150,0.475,12.5,\n"           // 7
                            "X-7,2007-10-19,Albany,100,250,150,0.475,1e40,\n"           // 8
                            "T-1,10/20/2007,Chicago,0,0,5,,,\"two\nlines\"\n"           // 9
                            "X-9,2007-10-18,BOSTON,0,0,1,,,\n"                          // 11
                            "X-10,2024-3-1,Troy,1,2,,,,\n"                              // 12
                            "X-11,3/1/24,Troy,100,90,,,,\n"                             // 13
                            "X-12,2007-10-19,Albany,1,2,,0.475,\"12,50\",\n"            // 14
                            "X-13,2007-10-19,Rome,1,2,,0.475,1,5,lost\n"                // 15
                            "X-14,2007-10-19,\"Albany,\"\"NY\"\"\",1,\"never closed\n"; // 16
    const CsvData data = ReadCsv(file);
    const ImportCheck check = CheckImportRows(data, MapCsvHeader(data.records[0].fields), *stored);

    std::vector<std::pair<int, QString>> refused;
    for (const RefusedRow& r : check.refused)
        refused.emplace_back(r.line, r.reason);
    const std::vector<std::pair<int, QString>> expected = {
        {3, "Destination is missing!"},
        {5, "Rate Per Mile must be a number! This is the amount paid or charged per mile of travel."},
        {6, "Trip Date is not a valid date! Enter the date as month/day/year, for example 5/31/2010."},
        {7, "Trip Date is out of range! Enter a date from 6/1/2007 to 12/31/9999."},
        {8, "Fuel Cost is out of range!"},
        {13, "Odometer Reading (End) is less than Odometer Reading (Start)!"},
        {14, "Fuel Cost must be a number!"},
        {15, "The row has 10 cells and the header 9: a value that holds the delimiter must be in quotes."},
        {16, "A quoted field that starts on line 16 is never closed."},
    };
    EXPECT_EQ(refused, expected);

    std::vector<std::tuple<int, bool, bool>> accepted; // line, Trip ID stored, trip repeated
    for (const ImportedTrip& t : check.accepted)
        accepted.emplace_back(t.line, t.idExists, t.duplicate);
    const std::vector<std::tuple<int, bool, bool>> expectedAccepted = {
        {2, false, false}, {4, false, true}, {9, true, false}, {11, false, true}, {12, false, false}};
    EXPECT_EQ(accepted, expectedAccepted); // 4 repeats line 2; 11 the stored Boston trip, in other case
    const ImportedTrip& first = check.accepted[0];
    EXPECT_EQ(first.values.strText[2], "Albany");
    EXPECT_EQ(first.values.strText[1], "ok");
    EXPECT_EQ(first.values.intMiles, 150);
    EXPECT_FLOAT_EQ(first.values.sngMoney[8], 71.25f); // the mileage computed, not read
    EXPECT_FLOAT_EQ(first.values.sngMoney[9], 83.75f);
    EXPECT_EQ(first.values.datDate.day, 19);
    EXPECT_EQ(check.accepted[1].values.intMiles, 150); // the readings give the miles
    EXPECT_EQ(check.accepted[2].values.strText[1], "two\nlines");
    EXPECT_EQ(check.accepted[4].values.datDate.month, 3);
}

// The decimal symbol is the one the file's own numbers show; a number that reads two ways in a file
// whose numbers show neither is refused, never guessed.
TEST(TripImport, TheDecimalSymbolIsTheOneTheFilesNumbersShow) {
    const struct {
        const char* file;
        std::vector<float> fuel; // of the accepted rows
        std::vector<std::pair<int, QString>> refused;
    } cases[] = {
        {"Date;Destination;Miles;Rate;Fuel\n2007-10-18;A;10;0.575;12.50\n", {12.5f}, {}},
        {"Date;Destination;Miles;Rate;Fuel\n2007-10-18;A;10;0,5;1.234,5\n2007-10-18;B;10;0,5;12,75\n",
         {1234.5f, 12.75f},
         {}},
        {"Date,Destination,Miles,Fuel\n2007-10-18,A,10,\"1,234\"\n2007-10-19,B,1.5,\"1,234.5\"\n",
         {1234.0f, 1234.5f},
         {}},
        {"Date;Destination;Miles;Fuel\n2007-10-18;A;10;1,234\n2007-10-19;B;10;5\n",
         {5.0f},
         {{2, "Fuel 1,234 reads two ways: no number of the file shows whether its decimal symbol is a period "
              "or a comma."}}},
    };
    for (const auto& c : cases) {
        const CsvData data = ReadCsv(c.file);
        const ImportCheck check = CheckImportRows(data, MapCsvHeader(data.records[0].fields), TripTable());
        std::vector<float> fuel;
        for (const ImportedTrip& t : check.accepted)
            fuel.push_back(t.values.sngMoney[0]);
        EXPECT_EQ(fuel, c.fuel) << c.file;
        std::vector<std::pair<int, QString>> refused;
        for (const RefusedRow& r : check.refused)
            refused.emplace_back(r.line, r.reason);
        EXPECT_EQ(refused, c.refused) << c.file;
    }
}

// Export, check and store every row into an empty database, export again: the same file, byte for byte,
// text cells a spreadsheet would run as formulas included.
TEST(TripImport, ExportImportExportGivesTheSameFile) {
    AppFolder source;
    const char* const texts[] = {"Dest, \"%1\"", "=HYPERLINK(\"x\") %1", "-%1", "@%1", "'+%1"};
    QString inserts = "BEGIN;";
    for (int i = 0; i < 300; ++i) {
        inserts +=
            QStringLiteral("INSERT INTO tblMain (TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,"
                           "Fuel,Parking,Meals,Motel,Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,"
                           "Notes) VALUES ('T-%1','%2',0.475,%3,%4,%5,%6,2.5,0,0,0,0,0,0.1,%7,%8,"
                           "'%9/%10/2009','%11');")
                .arg(i + 1)
                .arg(QString(texts[i % 5]).arg(i % 7).replace("'", "''"))
                .arg(1000 + i * 10)
                .arg(1000 + i * 10 + 5 + i % 40)
                .arg(5 + i % 40)
                .arg(10.0 + i % 9 * 0.25)
                .arg(double(0.475f * float(5 + i % 40)), 0, 'g', 7)
                .arg(double(float(10.0 + i % 9 * 0.25) + 2.5f + 0.1f + 0.475f * float(5 + i % 40)), 0, 'g', 7)
                .arg(1 + i % 12)
                .arg(1 + i % 28)
                .arg(QString(texts[(i + 2) % 5]).arg("line\r\nbreak ; " + QString::number(i)).replace("'", "''"));
    }
    source.exec(inserts + "COMMIT;");
    const auto before = storedTable(source);
    const QByteArray first = TripsToCsv(*before, allRows(*before));
    EXPECT_NE(first.indexOf(",\"'=HYPERLINK("), -1);

    const CsvData data = ReadCsv(first);
    const ImportCheck check = CheckImportRows(data, MapCsvHeader(data.records[0].fields), TripTable());
    ASSERT_TRUE(check.refused.empty()) << check.refused[0].reason.toStdString();
    std::vector<WendloTrip> trips;
    for (const ImportedTrip& t : check.accepted)
        trips.push_back(batchTrip(t.values));

    AppFolder target;
    int err = 0;
    std::shared_ptr<_Trip> object = CreateTripObject(target.path(), &err, CLSID_Trip, IID__TripBatch);
    ASSERT_TRUE(object) << err;
    ASSERT_EQ(static_cast<_TripBatch*>(object.get())->AddTrips(trips), 300);
    const auto after = storedTable(target);
    const QByteArray second = TripsToCsv(*after, allRows(*after));
    const QList<QByteArray> la = first.split('\n'), lb = second.split('\n');
    ASSERT_EQ(la.size(), lb.size());
    for (qsizetype i = 0; i < la.size(); ++i)
        ASSERT_EQ(la[i].toStdString(), lb[i].toStdString()) << "line " << i;
}

// The import window as a user drives it: a file chosen through the dialog, a column mapped by hand, the
// refused and the repeated rows listed before anything is stored, No storing nothing, Yes storing every
// accepted row in one batch.
TEST(TripImport, WindowListsRefusalsFirstAndStoresAllAcceptedRowsOnYes) {
    AppFolder app;
    app.addTrip("Boston", "10/18/2007"); // T-1
    app.addTrip("Salem", "10/18/2007");
    app.exec("UPDATE tblMain SET TripID = 'T-3' WHERE Destination = 'Salem';"); // renamed by another tool
    const QString storedBefore = app.scalar(kStoredTrips).toString();
    QTemporaryDir dir;
    const QString file = dir.filePath("trips.csv");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("Trip ID;Date;Where;Miles;Rate;Fuel;Notes\r\n"
              "X-1;2007-10-19;Albany;150;0,475;12,5;\"semi; colon\"\r\n"
              "X-2;2007-10-20;Troy;abc;0,5;;\r\n"
              "T-1;10/21/2007;Utica;20;0,5;;\r\n"
              "X-4;2007-10-22;Rome;30;0,5;;\r\n");
    out.close();
    MsgBoxScript script;
    frmImportTrips form;
    form.show();
    int imported = 0;
    QObject::connect(&form, &frmImportTrips::tripsImported, [&imported](int n) { imported = n; });
    SetNextFileName(file);
    QTest::mouseClick(form.cmdBrowse, Qt::LeftButton);
    EXPECT_EQ(form.txtFile->text(), file);
    EXPECT_EQ(form.tblPreview->rowCount(), 4);
    EXPECT_EQ(form.tblPreview->item(0, 6)->text(), "semi; colon");
    // Nothing maps "Where" by itself: every row lacks its destination until the user maps it.
    EXPECT_EQ(form.lstRefused->count(), 4);
    EXPECT_FALSE(form.cmdImport->isEnabled());
    form.cboMap[TripTable::Destination]->setCurrentIndex(form.cboMap[TripTable::Destination]->findText("Where"));
    QStringList listed;
    for (int i = 0; i < form.lstRefused->count(); ++i)
        listed << form.lstRefused->item(i)->text();
    EXPECT_EQ(listed, (QStringList{"Line 3: Total Miles must be a number!", "Line 4: Trip ID T-1 is stored already"}));
    EXPECT_EQ(form.lblSummary->text(), "2 rows to import, 1 refused, 1 stored already or repeated (skipped) "
                                       "(4 rows in the file).");
    EXPECT_EQ(script.count(), 0);
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 2);

    script.answer(vbNo);
    QTest::mouseClick(form.cmdImport, Qt::LeftButton);
    EXPECT_EQ(script.last().text, "2 rows of the file will NOT be imported (listed in the window). \r\n\r\n"
                                  "Import the other 2 trips? ");
    EXPECT_EQ(script.last().style, vbYesNo | vbQuestion | vbDefaultButton2);
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 2);

    form.chkKeep->setChecked(true); // the stored Trip ID's row goes in too, under a new Trip ID
    script.answer(vbYes).answer(vbOK);
    QTest::mouseClick(form.cmdImport, Qt::LeftButton);
    EXPECT_EQ(script.last().text, "3 trips imported. ");
    EXPECT_EQ(imported, 3);
    EXPECT_FALSE(form.cmdImport->isEnabled()); // not twice
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 5);
    EXPECT_EQ(app.scalar("SELECT Notes FROM tblMain WHERE Destination = 'Albany'").toString(), "semi; colon");
    EXPECT_DOUBLE_EQ(app.scalar("SELECT Rate FROM tblMain WHERE Destination = 'Albany'").toDouble(), 0.475);
    // New Trip IDs as Add Trip forms them, past the one the renamed trip carries; the stored trips unchanged.
    EXPECT_EQ(app.scalar("SELECT group_concat(TripID, ' ') FROM tblMain WHERE ID > 2").toString(), "T-4 T-5 T-6");
    EXPECT_EQ(app.scalar(kStoredTrips).toString(), storedBefore);
}

// A long import shows its progress, and Cancel there stores nothing, nor does a file changed since it was read;
// the stored trips stay as they were.
TEST(TripImport, CancelDuringTheImportOrAChangedFileStoresNothing) {
    AppFolder app;
    app.addTrip("Boston", "10/18/2007");
    app.addTrip("Salem", "10/18/2007");
    const QString storedBefore = app.scalar(kStoredTrips).toString();
    QTemporaryDir dir;
    const QString file = dir.filePath("trips.csv");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("Date,Destination,Miles\r\n");
    for (int i = 0; i < 3000; ++i)
        out.write("2008-01-02,Trip " + QByteArray::number(i) + ",10\r\n");
    out.close();
    MsgBoxScript script;
    frmImportTrips form;
    form.show();
    form.progressDelayMs = 0;
    ASSERT_TRUE(form.LoadFile(file));
    EXPECT_TRUE(form.cmdImport->isEnabled());
    bool cancelled = false;
    QTimer::singleShot(0, &form, [&] {
        auto* progress = form.findChild<QProgressDialog*>();
        ASSERT_TRUE(progress && progress->isVisible());
        EXPECT_EQ(progress->labelText(), "Importing the trips...");
        progress->cancel();
        cancelled = true;
    });
    script.answer(vbYes).answer(vbOK);
    QTest::mouseClick(form.cmdImport, Qt::LeftButton);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(script.last().text, "The trips were NOT imported! \r\n\r\nThe import was cancelled. "
                                  "No trip of the file was stored. ");
    EXPECT_EQ(app.scalar(kStoredTrips).toString(), storedBefore);
    EXPECT_TRUE(form.cmdImport->isEnabled());

    // A file changed since it was checked is not imported from.
    ASSERT_TRUE(out.open(QIODevice::Append));
    out.write("2008-01-03,Added later,10\r\n");
    out.close();
    script.answer(vbYes).answer(vbOK);
    QTest::mouseClick(form.cmdImport, Qt::LeftButton);
    EXPECT_EQ(script.last().text, "The file has changed or is gone since it was read! \r\n\r\nRead it again. ");
    EXPECT_EQ(app.scalar(kStoredTrips).toString(), storedBefore);
}

// A path typed into the file box loads on Enter, as Browse does; a pipe typed there is refused at once.
TEST(TripImport, ATypedPathLoadsOnEnter) {
    AppFolder app;
    QTemporaryDir dir;
    const QString pipe = dir.filePath("pipe.csv");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString file = dir.filePath("typed.csv");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("Trip ID,Date,Destination,Miles,Rate\r\nX-1,2007-10-19,Albany,150,0.475\r\n");
    out.close();
    MsgBoxScript script;
    frmImportTrips form;
    form.show();
    QTest::keyClicks(form.txtFile, pipe);
    QTest::keyClick(form.txtFile, Qt::Key_Return);
    ASSERT_EQ(script.count(), 1);
    EXPECT_TRUE(script.last().text.startsWith("The file cannot be read! "));
    form.txtFile->clear();
    QTest::keyClicks(form.txtFile, file);
    QTest::keyClick(form.txtFile, Qt::Key_Return);
    EXPECT_EQ(form.tblPreview->rowCount(), 1);
    EXPECT_EQ(form.lstRefused->count(), 0);
    EXPECT_TRUE(form.cmdImport->isEnabled());
}

// A long file is read and imported a row at a time: within an address-space limit far below what the file
// whole would take in memory, it loads and imports all its rows (in a process of its own, for the limit).
TEST(TripImport, ALongFileImportsWithinAFixedAddressSpace) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer reserves address space of its own";
#endif
    const char* const name = "TripImport.ALongFileImportsWithinAFixedAddressSpace";
    if (!qEnvironmentVariableIsSet("ODOMARK_LIMITED_IMPORT")) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ODOMARK_LIMITED_IMPORT", "1");
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QFile::symLinkTarget("/proc/self/exe"), {QStringLiteral("--gtest_filter=") + name});
        ASSERT_TRUE(child.waitForFinished(600000));
        EXPECT_TRUE(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0)
            << child.readAll().toStdString();
        return;
    }
    // Each thread Qt starts (to paint) would reserve a malloc arena of 64 MB of address space: one arena for
    // all, so that the limit measures what is used.
    mallopt(M_ARENA_MAX, 1);
    constexpr int kRows = 100000; // 9 MB; held whole, with its checked trips, more than 300 MB
    AppFolder app;
    app.addTrip("Boston", "10/18/2007");
    app.addTrip("Salem", "10/18/2007");
    QTemporaryDir dir;
    const auto write = [&dir](const QString& name, int rows) {
        QFile out(dir.filePath(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("Trip ID,Date,Destination,Start Odometer,End Odometer,Miles,Rate,Fuel,Parking,Notes\r\n");
        for (int i = 0; i < rows; ++i)
            out.write("F-" + QByteArray::number(i) + ",2009-03-" + QByteArray::number(1 + i % 28) + ",Town " +
                      QByteArray::number(i) + "," + QByteArray::number(1000 + i) + "," + QByteArray::number(1100 + i) +
                      ",100,0.475,12.5,2.5,\"met the client, kept the receipt\"\r\n");
        return out.fileName();
    };
    const QString file = write("long.csv", kRows);
    MsgBoxScript script;
    frmImportTrips form;
    form.show();
    form.progressDelayMs = 0;                          // the progress shows, as it does on a slow machine
    ASSERT_TRUE(form.LoadFile(write("short.csv", 1))); // what a window and its progress take, before the limit
    QFile status("/proc/self/status");
    ASSERT_TRUE(status.open(QIODevice::ReadOnly));
    const QByteArray vm = status.readAll();
    const qsizetype at = vm.indexOf("VmSize:");
    ASSERT_GE(at, 0);
    const rlim_t limit = (vm.mid(at + 7, vm.indexOf("kB", at) - at - 7).trimmed().toULongLong() << 10) + (150 << 20);
    const rlimit address{limit, limit};
    ASSERT_EQ(setrlimit(RLIMIT_AS, &address), 0);
    ASSERT_TRUE(form.LoadFile(file));
    script.answer(vbYes).answer(vbOK);
    QTest::mouseClick(form.cmdImport, Qt::LeftButton);
    EXPECT_EQ(script.last().text, QStringLiteral("%1 trips imported. ").arg(kRows));
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), kRows + 2);
}
