#!/usr/bin/env bash
# Builds Odomark, installs it for this user and starts it from there.
#   ./run.sh                        build the program alone, install or upgrade it, start it
#   ./run.sh --uninstall            remove the program, its menu entry, icons and launcher; keeps miles/
#   ./run.sh --uninstall --purge    the same, and delete the application folder with the trips and backups
# The application folder is $ODOMARK_HOME, by default ${XDG_DATA_HOME:-$HOME/.local/share}/odomark.
# Installing never replaces miles/miles.mil, error.log or miles/backups there.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")" && pwd)

DATA_HOME=${XDG_DATA_HOME:-}
[[ "$DATA_HOME" == /* ]] || DATA_HOME="$HOME/.local/share" # relative values are invalid in XDG variables
APP_DIR=$(realpath -m "${ODOMARK_HOME:-$DATA_HOME/odomark}")
BIN_DIR="$HOME/.local/bin"

uninstall() {
  local purge=0
  case "${1:-}" in
    "") ;;
    --purge) purge=1 ;;
    *) echo "usage: $0 --uninstall [--purge]" >&2; exit 2 ;;
  esac
  # The launcher goes only when it is the link to this installation.
  if [ -L "$BIN_DIR/odomark" ] && [ "$(readlink -m "$BIN_DIR/odomark")" = "$APP_DIR/odomark" ]; then
    rm -f "$BIN_DIR/odomark"
  fi
  rm -f "$DATA_HOME/applications/odomark.desktop" "$DATA_HOME/metainfo/odomark.metainfo.xml" \
        "$DATA_HOME"/icons/hicolor/*/apps/odomark.png "$DATA_HOME/icons/hicolor/scalable/apps/odomark.svg"
  if [ "$purge" = 1 ]; then
    rm -rf "$APP_DIR"
    echo "Removed Odomark and its application folder $APP_DIR, with your trips and backups."
  else
    rm -f "$APP_DIR/odomark" "$APP_DIR"/libwendlo.so*
    rm -rf "$APP_DIR/images" "$APP_DIR/help" "$APP_DIR/text"
    echo "Removed Odomark. Your trips are kept in $APP_DIR/miles (backups in $APP_DIR/miles/backups)."
  fi
  if command -v update-desktop-database >/dev/null; then update-desktop-database -q "$DATA_HOME/applications" || true; fi
}

if [ "${1:-}" = --uninstall ]; then
  shift
  uninstall "$@"
  exit 0
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--uninstall [--purge]]" >&2
  exit 2
fi

# Its own build folder, without tests or benchmarks, so test.sh's build is never reconfigured.
BUILD_DIR="$ROOT/build-run"
BUILD_TYPE=Release
PROGRAM_ONLY=1
CMAKE_ARGS=(-DODOMARK_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX="$HOME/.local" -DCMAKE_INSTALL_DATADIR="$DATA_HOME"
            -DCMAKE_INSTALL_BINDIR="$BIN_DIR" -DODOMARK_APP_DIR="$APP_DIR")
source "$ROOT/setup.sh"

# Earlier versions kept the application folder inside the build folder: bring those trips over first.
"$BUILD_DIR/resources/odomark_migrate" "$ROOT/build/Odomark/miles/miles.mil" "$APP_DIR/miles/miles.mil"
cmake --install "$BUILD_DIR" --strip >"$BUILD_DIR/install.log"
grep -h "Created: \|Kept: " "$BUILD_DIR/install.log" | sed 's/^-- //' || true
if command -v update-desktop-database >/dev/null; then update-desktop-database -q "$DATA_HOME/applications" || true; fi
# Refresh an icon cache that is there; making one would hide the icons of programs that never update it.
if [ -f "$DATA_HOME/icons/hicolor/icon-theme.cache" ] && command -v gtk-update-icon-cache >/dev/null; then
  gtk-update-icon-cache -q -t "$DATA_HOME/icons/hicolor" || true
fi

echo "Application folder: $APP_DIR"
case ":$PATH:" in
  *":$BIN_DIR:"*) echo "Start it from your desktop's menu, or type: odomark" ;;
  *) echo "Start it from your desktop's menu, or as $BIN_DIR/odomark ($BIN_DIR is on your PATH after your next login)" ;;
esac
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
