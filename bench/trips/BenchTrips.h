#pragma once
// The stored trips both trip-list benchmarks measure: the same rows, so their figures compare.

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

inline void FillBenchTrips(const QString& database, int count) {
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
