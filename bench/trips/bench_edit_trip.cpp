// Opens the trip editing window over 100,000 stored trips (list filled and shown) and loads rows into
// the fields by clicking them; prints the times.
#include "shell/modGlobal.h"
#include "support/AppFolder.h"
#include "support/MsgBoxScript.h"
#include "trips/frmEditTrip.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void fill(const QString& database, int count) {
    sqlite3* db = nullptr;
    sqlite3_open(database.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO tblMain (TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,Fuel,Parking,"
                       "Meals,Motel,Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,Notes) VALUES "
                       "(?,?,0.475,?,?,?,?,2.5,12.75,89.99,1.25,0,0,3.5,?,?,?,?);",
                       -1, &insert, nullptr);
    for (int i = 1; i <= count; ++i) {
        const QByteArray id = "T-" + QByteArray::number(i);
        const QByteArray destination = "Destination number " + QByteArray::number(i % 977);
        const QByteArray date = QByteArray::number(1 + i % 12) + "/" + QByteArray::number(1 + i % 28) + "/" +
                                QByteArray::number(2008 + i % 10);
        const int start = 10000 + i * 3;
        const int miles = 20 + i % 300;
        const double mileage = 0.475 * miles;
        sqlite3_bind_text(insert, 1, id.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, destination.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, start);
        sqlite3_bind_int(insert, 4, start + miles);
        sqlite3_bind_int(insert, 5, miles);
        sqlite3_bind_double(insert, 6, 10.0 + i % 90);
        sqlite3_bind_double(insert, 7, mileage);
        sqlite3_bind_double(insert, 8, mileage + 110.0);
        sqlite3_bind_text(insert, 9, date.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 10, "Met the client; parking receipt kept.", -1, SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    constexpr int kTrips = 100000;
    AppFolder app;
    fill(app.databasePath(), kTrips);
    MsgBoxScript script;

    {
        NewTrip();
        QElapsedTimer load;
        load.start();
        RecordsetPtr rs = objTrip ? objTrip->LoadTrip() : nullptr;
        const qint64 readMs = load.elapsed();
        std::vector<StoredTrip> trips;
        trips.reserve(kTrips);
        for (rs->MoveFirst(); !rs->eof(); rs->MoveNext())
            trips.push_back(StoredTripFromRecord(*rs));
        const qint64 storedMs = load.elapsed();
        qsizetype cells = 0;
        for (const StoredTrip& t : trips)
            cells += TripListTexts(t).size();
        const qint64 textsMs = load.elapsed();
        std::printf("measured apart: library read %lld ms, stored rows %lld ms, all %lld cell texts %lld ms "
                    "(the window formats only the cells it shows)\n",
                    static_cast<long long>(readMs), static_cast<long long>(storedMs - readMs),
                    static_cast<long long>(cells), static_cast<long long>(textsMs - storedMs));
    }

    QElapsedTimer timer;
    timer.start();
    frmEditTrip form;
    form.show();
    QApplication::processEvents();
    const qint64 openMs = timer.elapsed();
    std::printf("frmEditTrip opening over %d trips (list filled and shown): %lld ms (%d rows)\n", kTrips,
                static_cast<long long>(openMs), form.lvTrip->topLevelItemCount());

    std::vector<double> clicks;
    for (int row : {0, 1, kTrips / 2, kTrips - 1, 12345, 99998}) {
        QTreeWidgetItem* item = form.lvTrip->topLevelItem(row);
        form.lvTrip->scrollToItem(item);
        QApplication::processEvents();
        const QRect rect = form.lvTrip->visualItemRect(item);
        QElapsedTimer click;
        click.start();
        QTest::mouseClick(form.lvTrip->viewport(), Qt::LeftButton, {}, QPoint(10, rect.center().y()));
        clicks.push_back(static_cast<double>(click.nsecsElapsed()) / 1e6);
        if (form.lblID->text() != item->text(0))
            std::printf("row %d did not load (%s)\n", row, qPrintable(form.lblID->text()));
    }
    std::sort(clicks.begin(), clicks.end());
    std::printf("row click loading its fields: median %.2f ms, worst %.2f ms over %zu clicks\n",
                clicks[clicks.size() / 2], clicks.back(), clicks.size());

    QElapsedTimer sort;
    sort.start();
    form.lvTrip_ColumnClick(1);
    std::printf("sorting by date: %lld ms\n", static_cast<long long>(sort.elapsed()));
    return 0;
}
