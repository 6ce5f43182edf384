// 1,000 AddTrip calls in a row, each with its own connection, transaction and durable commit.
// Optional argument: the folder to make the application folder in (the disk to measure).
#include "BenchFolder.h"

int main(int argc, char** argv) {
    const int calls = 1000;
    BenchFolder folder(argc > 1 ? argv[1] : nullptr);

    std::vector<std::string> text{"", "Met the customer; notes of the day.", "Springfield"};
    WendloDate date{2007, 10, 18};
    std::int16_t miles = 120;
    std::vector<std::int32_t> numbers{1000, 1120};
    std::vector<float> money{12.5f, 3, 18.75f, 89, 0, 0, 0, 4.5f, 57, 184.75f};
    float rate = 0.475f;

    int failures = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1; i <= calls; ++i) {
        text[0] = "T-" + std::to_string(i);
        if (!folder.trip->AddTrip(text, date, miles, numbers, money, rate))
            ++failures;
    }
    const double seconds = secondsSince(start);
    std::printf("AddTrip: %d calls in %.2f s = %.0f calls per second (%.2f ms per call), %d failed\n", calls, seconds,
                calls / seconds, seconds * 1000 / calls, failures);
    std::printf("  folder: %s (synchronous=FULL, rollback journal)\n", folder.path.c_str());
    return failures == 0 ? 0 : 1;
}
