#!/bin/sh
# The long crash test of the trip store: the suite's kill test, run with many more kills.
# Usage: bench/stress_crash.sh [kills] (build dir: BUILD_DIR, default build)
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target test_datastore
ODOMARK_CRASH_KILLS=${1:-500} exec "$build/tests/test_datastore" --gtest_filter='*SavesSurviveAKillAtAnyMoment*'
