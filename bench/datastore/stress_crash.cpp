// The long crash test: a child saving trips in a loop is killed with SIGKILL at random moments, many times;
// after each kill the file must pass its integrity check, hold only whole rows, and hold every save that
// returned true. Arguments: number of kills (default 500), longest wait before a kill in ms (default 100).
#include "BenchFolder.h"

#include <algorithm>
#include <csignal>
#include <random>
#include <set>
#include <sys/wait.h>

namespace {

struct Save {
    std::vector<std::string> text;
    WendloDate date;
    std::int16_t miles;
    std::vector<std::int32_t> numbers;
    std::vector<float> money;
    float rate;
};

Save saveFor(int i) {
    const std::string id = "C-" + std::to_string(i);
    Save s;
    s.text = {id, std::string(static_cast<std::size_t>((i * 977) % 20000), static_cast<char>('a' + i % 26)),
              "Destination " + id};
    s.date = WendloDate{2000 + i % 30, 1 + i % 12, 1 + i % 28, 0, 0, 0, false};
    s.miles = static_cast<std::int16_t>(i % 1000);
    s.numbers = {i, i + 100};
    for (int k = 0; k < 10; ++k)
        s.money.push_back(static_cast<float>((i + k) % 50) + 0.25f);
    s.rate = 0.5f;
    return s;
}

// Returns an empty text when the file is sound, else what is wrong.
std::string check(const std::string& file, const std::set<int>& reported, std::size_t& rows) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_busy_timeout(db, 5000);
    std::string problem;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
    if (sqlite3_step(st) != SQLITE_ROW ||
        std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) != "ok")
        problem = "integrity check failed";
    sqlite3_finalize(st);
    std::set<int> stored;
    sqlite3_prepare_v2(db, "SELECT TripID, Notes, Destination, Miles, EndOdometer, TotalTrip FROM tblMain", -1, &st,
                       nullptr);
    while (problem.empty() && sqlite3_step(st) == SQLITE_ROW) {
        const std::string id = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        const int i = std::stoi(id.substr(2));
        const Save s = saveFor(i);
        const char* notes = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
        const char* destination = reinterpret_cast<const char*>(sqlite3_column_text(st, 2));
        if (!notes || s.text[1] != notes || !destination || s.text[2] != destination ||
            sqlite3_column_int(st, 3) != s.miles || sqlite3_column_int(st, 4) != s.numbers[1] ||
            sqlite3_column_double(st, 5) != s.money[9])
            problem = "partial or wrong row " + id;
        if (!stored.insert(i).second)
            problem = "row saved twice: " + id;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    for (int i : reported) {
        if (problem.empty() && !stored.count(i))
            problem = "lost save C-" + std::to_string(i);
    }
    rows = stored.size();
    return problem;
}

} // namespace

int main(int argc, char** argv) {
    const int kills = argc > 1 ? std::atoi(argv[1]) : 500;
    const int longest = argc > 2 ? std::atoi(argv[2]) : 100;
    BenchFolder folder;
    std::mt19937 random(std::random_device{}());
    std::set<int> reported;
    int next = 0;
    std::size_t rows = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 1; round <= kills; ++round) {
        int fds[2];
        if (::pipe(fds) != 0)
            return 2;
        const int first = next;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            for (int i = first;; ++i) {
                Save s = saveFor(i);
                if (folder.trip->AddTrip(s.text, s.date, s.miles, s.numbers, s.money, s.rate) &&
                    ::write(fds[1], &i, sizeof i) != sizeof i)
                    ::_exit(2);
            }
        }
        ::close(fds[1]);
        ::usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(1000, longest * 1000)(random)));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        int i;
        while (::read(fds[0], &i, sizeof i) == sizeof i) {
            reported.insert(i);
            next = std::max(next, i + 1);
        }
        ::close(fds[0]);
        next += 1;
        const std::string problem = check(folder.database(), reported, rows);
        if (!problem.empty()) {
            std::printf("FAILED after kill %d: %s (file kept in %s)\n", round, problem.c_str(), folder.path.c_str());
            folder.path = "/nonexistent"; // keep the evidence
            return 1;
        }
        if (round % 50 == 0)
            std::printf("  %d kills, %zu rows, %zu confirmed saves\n", round, rows, reported.size());
    }
    std::printf("crash stress: %d kills in %.1f s, %zu rows stored, %zu confirmed saves, all present; "
                "integrity ok after every kill\n",
                kills, secondsSince(start), rows, reported.size());
    return 0;
}
