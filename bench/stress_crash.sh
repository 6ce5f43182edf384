#!/bin/sh
# The long crash test of the trip store: builds the stress program and runs it.
# Usage: bench/stress_crash.sh [kills] [longest wait before a kill, ms] (build dir: BUILD_DIR, default build)
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target stress_crash
exec "$build/bench/stress_crash" "${1:-500}" "${2:-100}"
