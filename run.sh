#!/usr/bin/env bash
# Sets up, builds, installs the application folder (build/Odomark) and starts Odomark.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")" && pwd)
BUILD_DIR="$ROOT/build"
CMAKE_ARGS=()
source "$ROOT/setup.sh"

APP_DIR="$BUILD_DIR/Odomark"
echo "Application folder: $APP_DIR"
if [ ! -x "$APP_DIR/odomark" ]; then
  echo "The program is not there yet; the library is installed in $APP_DIR."
  exit 0
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<MSG
Odomark is a desktop program and needs a display, but none was found (DISPLAY and WAYLAND_DISPLAY are empty).
Run ./run.sh from a terminal inside your desktop session, or over SSH with X forwarding (ssh -X).
On a machine without a screen you can use a virtual one: apt-get install xvfb, then: xvfb-run ./run.sh
The program itself is installed and can be started later as: $APP_DIR/odomark
MSG
  exit 1
fi
exec "$APP_DIR/odomark"
