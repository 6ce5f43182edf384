// Moves the trip log from an older install place to the new one: odomark_migrate OLD.mil NEW.mil
// Says on the terminal what it did; exits 1 only when a move was needed and failed.
#include "tripdata/DatabaseCopy.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OLD.mil NEW.mil\n", argv[0]);
        return 2;
    }
    const dbcopy::MoveResult r = dbcopy::MoveDatabase(argv[1], argv[2]);
    switch (r.kind) {
    case dbcopy::MoveResult::NothingToMove:
        return 0;
    case dbcopy::MoveResult::NewHasData:
        std::printf("Your trips are in %s. The older file %s was left as it is.\n", argv[2], argv[1]);
        return 0;
    case dbcopy::MoveResult::Moved:
        std::printf("Moved your trips (%lld rows) from %s to %s.\nThe old file is kept as %s.\n", r.rows, argv[1],
                    argv[2], r.asidePath.c_str());
        return 0;
    case dbcopy::MoveResult::Failed:
        break;
    }
    std::fprintf(stderr, "Could not move your trips: %s.\nNothing was changed; they are still in %s.\n",
                 r.error.c_str(), argv[1]);
    return 1;
}
