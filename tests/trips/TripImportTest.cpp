// Checking the rows of a CSV file before they are stored, and the round trip through the batch write.
#include "trips/TripImport.h"
#include "platform/FileDialog.h"
#include "platform/TripLoader.h"
#include "support/MsgBoxScript.h"
#include "trips/TripTestUtil.h"
#include "trips/frmImportTrips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <QRegularExpression>
#include <gtest/gtest.h>

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

WendloTrip batchTrip(const TripValueSet& v) {
    return WendloTrip{v.strText, v.datDate, v.intMiles, v.lngNumbers, v.sngMoney, v.sngRate};
}

} // namespace

// Each refused row comes with its line and the trip windows' reason; rows that look stored are flagged.
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
                            "X-6,,Albany,100,250,150,0.475,12.5,\n"                     // 7
                            "X-7,2007-10-19,Albany,100,250,150,0.475,1e40,\n"           // 8
                            "T-1,10/20/2007,Chicago,0,0,5,,,\"two\nlines\"\n"           // 9
                            "X-9,2007-10-18,BOSTON,0,0,1,,,\n"                          // 11
                            "X-10,2007-10-19,albany,100,250,150,0.475,12.5,again\n"     // 12
                            "X-11,2007-10-19,Albany,100,40000,,0.475,12.5,\n"           // 13
                            "X-12,2007-10-19,\"Albany,\"\"NY\"\"\",1,\"never closed\n"; // 14
    const CsvData data = ReadCsv(file);
    const ImportCheck check = CheckImportRows(data, MapCsvHeader(data.records[0].fields), *stored, QLocale::c());

    std::vector<std::pair<int, QString>> refused;
    for (const RefusedRow& r : check.refused)
        refused.emplace_back(r.line, r.reason);
    const std::vector<std::pair<int, QString>> expected = {
        {3, "Destination is missing!"},
        {4, "Total Miles is missing!"},
        {5, "Rate Per Mile must be a number!"},
        {6, "Date is not a date: 2007-02-30"},
        {7, "Date is missing!"},
        {8, "Fuel Cost is out of range!"},
        {13, "Total Miles is missing!"},
        {14, "A quoted field that starts on line 14 is never closed."},
    };
    EXPECT_EQ(refused, expected);

    ASSERT_EQ(check.accepted.size(), 4u);
    const ImportedTrip& first = check.accepted[0];
    EXPECT_EQ(first.line, 2);
    EXPECT_EQ(first.values.strText[2], "Albany");
    EXPECT_EQ(first.values.strText[1], "ok");
    EXPECT_EQ(first.values.intMiles, 150);
    EXPECT_FLOAT_EQ(first.values.sngMoney[8], 71.25f); // the mileage computed, not read
    EXPECT_FLOAT_EQ(first.values.sngMoney[9], 83.75f);
    EXPECT_EQ(first.values.datDate.day, 19);
    EXPECT_FALSE(first.idExists || first.duplicate);
    EXPECT_EQ(check.accepted[1].line, 9);
    EXPECT_TRUE(check.accepted[1].idExists);
    EXPECT_EQ(check.accepted[1].values.strText[1], "two\nlines");
    EXPECT_TRUE(check.accepted[2].duplicate); // the stored Boston trip, in other case
    EXPECT_FALSE(check.accepted[2].idExists);
    EXPECT_TRUE(check.accepted[3].duplicate); // the same trip as line 2 of the file
}

TEST(TripImport, SemicolonFilesUseTheSystemsDecimalSymbol) {
    const CsvData data = ReadCsv("Date;Destination;Miles;Rate;Fuel\n18.10.2007;Köln;10;0,5;1.234,5\n"
                                 "2007-10-18;Köln;10;0,5;12,75\n");
    const QLocale german(QLocale::German, QLocale::Germany);
    QLocale::setDefault(german);
    const QLocale numbers = CsvNumberLocale(data);
    QLocale::setDefault(QLocale::c());
    const ImportCheck check = CheckImportRows(data, MapCsvHeader(data.records[0].fields), TripTable(), numbers);
    ASSERT_EQ(check.refused.size(), 1u); // a German date is not one of the forms read
    EXPECT_EQ(check.refused[0].line, 2);
    ASSERT_EQ(check.accepted.size(), 1u);
    EXPECT_FLOAT_EQ(check.accepted[0].values.sngRate, 0.5f);
    EXPECT_FLOAT_EQ(check.accepted[0].values.sngMoney[0], 12.75f);
    EXPECT_EQ(CsvNumberLocale(ReadCsv("a,b\n")), QLocale::c());
    // On a system with a decimal period, a semicolon file's "0,475" is still 0.475, never 475.
    EXPECT_EQ(CsvNumberLocale(data).toDouble("0,475"), 0.475);
}

// Export, check and store every row into an empty database, export again: the same file but for the IDs.
TEST(TripImport, ExportImportExportGivesTheSameFileButForTripIds) {
    AppFolder source;
    for (int i = 0; i < 300; ++i) {
        source.exec(QStringLiteral("INSERT INTO tblMain (TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,"
                                   "Fuel,Parking,Meals,Motel,Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,"
                                   "Notes) VALUES ('T-%1','Dest, \"%2\"',0.475,%3,%4,%5,%6,2.5,0,0,0,0,0,0.1,%7,%8,"
                                   "'%9/%10/2009','line\r\nbreak ; %1')")
                        .arg(i + 1)
                        .arg(i % 7)
                        .arg(1000 + i * 10)
                        .arg(1000 + i * 10 + 5 + i % 40)
                        .arg(5 + i % 40)
                        .arg(10.0 + i % 9 * 0.25)
                        .arg(double(0.475f * float(5 + i % 40)), 0, 'g', 7)
                        .arg(double(float(10.0 + i % 9 * 0.25) + 2.5f + 0.1f + 0.475f * float(5 + i % 40)), 0, 'g', 7)
                        .arg(1 + i % 12)
                        .arg(1 + i % 28));
    }
    const auto before = storedTable(source);
    const QByteArray first = TripsToCsv(*before, allRows(*before));

    const CsvData data = ReadCsv(first);
    const ImportCheck check =
        CheckImportRows(data, MapCsvHeader(data.records[0].fields), TripTable(), CsvNumberLocale(data));
    ASSERT_TRUE(check.refused.empty()) << check.refused[0].reason.toStdString();
    std::vector<WendloTrip> trips;
    for (const ImportedTrip& t : check.accepted)
        trips.push_back(batchTrip(t.values));

    AppFolder target;
    target.exec("INSERT INTO tblMain (TripID) VALUES ('T-1'); DELETE FROM tblMain;"); // IDs now differ
    int err = 0;
    std::shared_ptr<_Trip> object = CreateTripObject(target.path(), &err, CLSID_Trip, IID__TripBatch);
    ASSERT_TRUE(object) << err;
    ASSERT_EQ(static_cast<_TripBatch*>(object.get())->AddTrips(trips), 300);
    const auto after = storedTable(target);
    const QByteArray second = TripsToCsv(*after, allRows(*after));

    static const QRegularExpression ids(QStringLiteral("(^|\n)T-\\d+,"));
    QString a = QString::fromUtf8(first), b = QString::fromUtf8(second);
    EXPECT_NE(a, b);
    a.replace(ids, "\\1T-,");
    b.replace(ids, "\\1T-,");
    const QStringList la = a.split("\r\n"), lb = b.split("\r\n");
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
    EXPECT_EQ(script.count(), 0);
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 1);

    script.answer(vbNo);
    QTest::mouseClick(form.cmdImport, Qt::LeftButton);
    EXPECT_EQ(script.last().text, "2 rows of the file will NOT be imported (listed in the window). \r\n\r\n"
                                  "Import the other 2 trips? ");
    EXPECT_EQ(script.last().style, vbYesNo | vbQuestion | vbDefaultButton2);
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 1);

    form.chkKeep->setChecked(true); // the stored Trip ID's row goes in too, under a new Trip ID
    script.answer(vbYes).answer(vbOK);
    QTest::mouseClick(form.cmdImport, Qt::LeftButton);
    EXPECT_EQ(script.last().text, "3 trips imported. ");
    EXPECT_EQ(imported, 3);
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 4);
    EXPECT_EQ(app.scalar("SELECT Notes FROM tblMain WHERE Destination = 'Albany'").toString(), "semi; colon");
    EXPECT_DOUBLE_EQ(app.scalar("SELECT Rate FROM tblMain WHERE Destination = 'Albany'").toDouble(), 0.475);
    EXPECT_EQ(app.scalar("SELECT COUNT(*) FROM tblMain WHERE TripID = 'T-1'").toInt(), 1);
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
