// LoadTrip over 100,000 stored trips against the sqlite3 shell reading the same table of the same file.
#include "BenchFolder.h"

#include <algorithm>

int main(int argc, char** argv) {
    const int trips = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = 5;
    BenchFolder folder;

    sqlite3* db = nullptr;
    sqlite3_open(folder.database().c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO tblMain (TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,Fuel,Parking,"
                       "Meals,Motel,Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,Notes) "
                       "VALUES (?,?,0.475,?,?,?,12.5,3,18.75,89,0,0,0,4.5,?,?,?,?)",
                       -1, &insert, nullptr);
    for (int i = 1; i <= trips; ++i) {
        const std::string id = "T-" + std::to_string(i);
        const std::string destination = "Destination " + std::to_string(i % 500);
        const std::string date = std::to_string(1 + i % 12) + "/" + std::to_string(1 + i % 28) + "/2007";
        const std::string notes = "Customer visit, notes for trip " + std::to_string(i);
        sqlite3_bind_text(insert, 1, id.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, destination.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, i * 10);
        sqlite3_bind_int(insert, 4, i * 10 + 120);
        sqlite3_bind_int(insert, 5, 120);
        sqlite3_bind_double(insert, 6, 57.0);
        sqlite3_bind_double(insert, 7, 184.75);
        sqlite3_bind_text(insert, 8, date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 9, notes.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);

    const std::string shell = "sqlite3 '" + folder.database() + "' \"SELECT * FROM tblMain;\" > /dev/null";
    double bestShell = 1e9, bestLoad = 1e9;
    std::size_t rows = 0;
    for (int round = 0; round < rounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        if (std::system(shell.c_str()) != 0) {
            std::fprintf(stderr, "the sqlite3 shell failed\n");
            return 1;
        }
        bestShell = std::min(bestShell, secondsSince(start));

        start = std::chrono::steady_clock::now();
        RecordsetPtr rs = folder.trip->LoadTrip();
        bestLoad = std::min(bestLoad, secondsSince(start));
        rows = rs ? rs->RecordCount() : 0;
    }
    std::printf("LoadTrip over %d trips (%zu rows read), best of %d runs\n", trips, rows, rounds);
    std::printf("  sqlite3 shell SELECT * FROM tblMain: %8.1f ms\n", bestShell * 1000);
    std::printf("  LoadTrip:                            %8.1f ms\n", bestLoad * 1000);
    std::printf("  ratio LoadTrip / shell:              %8.2f (goal: 2.00 or less)\n", bestLoad / bestShell);
    return rows == static_cast<std::size_t>(trips) ? 0 : 1;
}
