#!/bin/sh
# The long crash test of the trip store: the suite's kill test, run with many more kills.
# Usage: bench/stress_crash.sh [kills]
# Runs the test program of an existing build (BUILD_DIR, default build) as it is; builds it only when it
# is missing, or when ODOMARK_REBUILD=1 asks for a fresh build first.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
program=$build/tests/test_datastore
if [ ! -x "$program" ] || [ "${ODOMARK_REBUILD:-0}" = 1 ]; then
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release
    fi
    cmake --build "$build" --target test_datastore
fi
ODOMARK_CRASH_KILLS=${1:-500} exec "$program" --gtest_filter='*SavesSurviveAKillAtAnyMoment*'
