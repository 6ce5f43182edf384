// A process killed in the middle of saving never leaves a damaged file, a partial row or a lost save;
// and the process holds one SQLite only.
#include "WendloFixture.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The values of save number i, so that every stored row can be checked column by column.
TripValues tripFor(int i) {
    TripValues v;
    const std::string id = "C-" + std::to_string(i);
    // Some notes span several pages, so one save touches several pages of the file.
    v.text = {id, std::string(static_cast<std::size_t>((i * 977) % 9000), static_cast<char>('a' + i % 26)),
              "Destination " + id};
    v.date = WendloDate{2000 + i % 30, 1 + i % 12, 1 + i % 28, 0, 0, 0, false};
    v.miles = static_cast<std::int16_t>(i % 1000);
    v.numbers = {i, i + 100};
    for (int k = 0; k < 10; ++k)
        v.money[static_cast<std::size_t>(k)] = static_cast<float>((i + k) % 50) + 0.25f;
    v.rate = 0.5f;
    return v;
}

// Every stored row is whole and equals its save; the reported saves are all there.
void checkDatabase(const std::string& file, const std::set<int>& reported) {
    Db db(file);
    ASSERT_EQ(db.scalar("PRAGMA integrity_check"), "ok");
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db.handle(),
                                 "SELECT TripID, Notes, Destination, StartDate, Miles, StartOdometer, EndOdometer, "
                                 "Fuel, TotalTrip, Rate FROM tblMain",
                                 -1, &st, nullptr),
              SQLITE_OK);
    std::set<int> stored;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const auto text = [st](int c) {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
            return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(st, c))) : std::string("<null>");
        };
        const std::string id = text(0);
        ASSERT_EQ(id.rfind("C-", 0), 0u) << id;
        const int i = std::stoi(id.substr(2));
        const TripValues v = tripFor(i);
        EXPECT_EQ(text(1), v.text[1]) << id;
        EXPECT_EQ(text(2), v.text[2]) << id;
        EXPECT_EQ(text(3),
                  std::to_string(v.date.month) + "/" + std::to_string(v.date.day) + "/" + std::to_string(v.date.year))
            << id;
        EXPECT_EQ(sqlite3_column_int(st, 4), v.miles) << id;
        EXPECT_EQ(sqlite3_column_int(st, 5), v.numbers[0]) << id;
        EXPECT_EQ(sqlite3_column_int(st, 6), v.numbers[1]) << id;
        EXPECT_EQ(sqlite3_column_double(st, 7), v.money[0]) << id;
        EXPECT_EQ(sqlite3_column_double(st, 8), v.money[9]) << id;
        EXPECT_EQ(sqlite3_column_double(st, 9), 0.5) << id;
        EXPECT_TRUE(stored.insert(i).second) << "saved twice: " << id;
    }
    sqlite3_finalize(st);
    for (int i : reported)
        EXPECT_TRUE(stored.count(i)) << "a save that returned true is missing: C-" << i;
}

} // namespace

TEST_F(WendloTest, SavesSurviveAKillAtAnyMoment) {
    std::mt19937 random(20071018);
    std::set<int> reported;
    int next = 0;
    // bench/stress_crash.sh runs this test with many more kills.
    const char* wanted = std::getenv("ODOMARK_CRASH_KILLS");
    const int kills = wanted ? std::max(1, std::atoi(wanted)) : 30;
    for (int round = 0; round < kills; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const int first = next;
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            for (int i = first;; ++i) {
                if (addTrip(tripFor(i)) && ::write(fds[1], &i, sizeof i) != sizeof i)
                    ::_exit(2);
            }
        }
        ::close(fds[1]);
        ::usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(2000, 60000)(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        int i;
        while (::read(fds[0], &i, sizeof i) == sizeof i) {
            reported.insert(i);
            next = std::max(next, i + 1);
        }
        ::close(fds[0]);
        // The save in progress may have been committed without being reported: start above it.
        next += 1;
        checkDatabase(dir_->database(), reported);
        if (HasFailure())
            return;
    }
    EXPECT_GT(reported.size(), 0u);
    EXPECT_FALSE(FileExists(dir_->errorLog()));
}

TEST_F(WendloTest, TheProcessHoldsOneSqlite) {
    ASSERT_TRUE(addTrip(TripValues{}));
    ASSERT_TRUE(trip().LoadTrip());
    std::ifstream maps("/proc/self/maps");
    std::set<std::string> sqlite;
    std::string line;
    while (std::getline(maps, line)) {
        const std::size_t slash = line.find('/');
        if (slash != std::string::npos && line.find("libsqlite3", slash) != std::string::npos)
            sqlite.insert(line.substr(slash));
    }
    EXPECT_EQ(sqlite.size(), 1u);
    // The library links the shared SQLite instead of carrying its own copy (and with it SQLite's messages).
    EXPECT_EQ(ReadFile(dir_->library()).find("database disk image is malformed"), std::string::npos);
}
