#!/usr/bin/env bash
# Sets up, builds and runs every test. ODOMARK_SANITIZE=1 builds and runs them under ASan and UBSan.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")" && pwd)
if [ "${ODOMARK_SANITIZE:-0}" = 1 ]; then
  BUILD_DIR="$ROOT/build-asan"
  CMAKE_ARGS=(-DODOMARK_SANITIZE=ON)
  BUILD_TYPE=Debug
  # Qt and fontconfig keep caches for the life of the process; leaks are not what this run looks for.
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
else
  BUILD_DIR="$ROOT/build"
  CMAKE_ARGS=()
fi
source "$ROOT/setup.sh"
cd "$BUILD_DIR"
ctest --output-on-failure -j "$JOBS" --timeout 600
