#!/usr/bin/env bash
# The user's installation as run.sh lays it out, in a temporary HOME and XDG_DATA_HOME: the files and the
# desktop entry, a start through the launcher, reinstalls that keep the user's files byte for byte (also from
# a fresh build folder), run.sh itself beside folders and a launcher of the user's own, the move from the
# older place in the build folder, and the uninstall, which removes only what the install put there.
# usage: install_for_the_user.sh BUILD_DIR SOURCE_DIR WORK_DIR
set -euo pipefail
BUILD=$1 SRC=$2 WORK=$3
rm -rf "$WORK"
mkdir -p "$WORK"
# Never the real user's folders: everything the install or the program touches lies below WORK.
export HOME="$WORK/home" XDG_DATA_HOME="$WORK/home/.local/share" TMPDIR="$WORK/tmp" XDG_RUNTIME_DIR="$WORK/run"
mkdir -p "$HOME" "$TMPDIR" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset ODOMARK_HOME
APP="$XDG_DATA_HOME/odomark"
DB="$APP/miles/miles.mil"
fail() { echo "FAIL: $*" >&2; exit 1; }
sha() { sha256sum "$1" | cut -d' ' -f1; }
# Through a copy of the build's install script whose install record goes to WORK: the build's own
# install_manifest.txt says what was really installed and stays as it was.
install_from() {
  sed "s|file(WRITE \"$1/\${CMAKE_INSTALL_MANIFEST}\"|file(WRITE \"$WORK/\${CMAKE_INSTALL_MANIFEST}\"|" \
    "$1/cmake_install.cmake" >"$WORK/cmake_install.cmake"
  grep -q "file(WRITE \"$WORK/" "$WORK/cmake_install.cmake" || fail "the install script of $1 has no install record line"
  (cd "$1" && cmake -DCMAKE_INSTALL_PREFIX="$HOME/.local" -P "$WORK/cmake_install.cmake") >"$WORK/install.log" 2>&1
}
listing() { (cd "$1" && find . -printf '%p %y\n' | sort && find . -type f -exec sha256sum {} + | sort); }

# A folder of the user's own is refused before anything is copied, and left as it was.
mkdir -p "$APP/images"
printf 'a picture' >"$APP/images/vacation.jpg"
before=$(listing "$APP")
! install_from "$BUILD" || fail "installed into a folder of the user's"
[ "$(listing "$APP")" = "$before" ] && [ ! -e "$XDG_DATA_HOME/applications" ] || fail "the refused install changed something"
rm -r "$APP"

install_from "$BUILD" || { cat "$WORK/install.log"; fail "install from $BUILD"; }
for f in libwendlo.so images/earth.ico help/wendlo.hlp text/About.rtf miles/miles.mil; do
  [ -f "$APP/$f" ] || fail "$APP/$f not installed"
done
for size in 16 22 24 32 48 64 128 256; do
  [ -f "$XDG_DATA_HOME/icons/hicolor/${size}x${size}/apps/odomark.png" ] || fail "no ${size}px icon"
done
[ -f "$XDG_DATA_HOME/icons/hicolor/scalable/apps/odomark.svg" ] || fail "no scalable icon"
ENTRY="$XDG_DATA_HOME/applications/odomark.desktop"
grep -qxF "Exec=$APP/odomark" "$ENTRY" || fail "the desktop entry does not start $APP/odomark: $(grep Exec "$ENTRY")"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$ENTRY" || fail "desktop-file-validate"; fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$XDG_DATA_HOME/metainfo/odomark.metainfo.xml" >"$WORK/appstream.log" ||
    { cat "$WORK/appstream.log"; fail "appstreamcli validate"; }
fi
LAUNCHER="$HOME/.local/bin/odomark"
[ -L "$LAUNCHER" ] || fail "no launcher link"

# Started through the launcher from elsewhere, the program finds its folder: the day's backup appears there.
if [ -x "$APP/odomark" ] && command -v sqlite3 >/dev/null; then
  [ "$(readlink -f "$LAUNCHER")" = "$(readlink -f "$APP/odomark")" ] || fail "the launcher points elsewhere"
  sqlite3 "$DB" "INSERT INTO tblOwner (OwnerID, FName, LName, FullName) VALUES ('AS1', 'Anne', 'Smith', 'Anne Smith');"
  (cd "$WORK" && QT_QPA_PLATFORM=offscreen exec "$LAUNCHER" >"$WORK/program.log" 2>&1) &
  pid=$!
  backup="$APP/miles/backups/miles-$(date +%Y-%m-%d).mil"
  for _ in $(seq 100); do [ -f "$backup" ] && break; sleep 0.2; done
  sleep 1 # the library's start; a folder it cannot find would be logged by now
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -f "$backup" ] || { cat "$WORK/program.log"; fail "no backup after a start through the launcher"; }
  [ ! -e "$APP/error.log" ] || { cat "$APP/error.log"; fail "the start logged a failure"; }
fi

# The user's files survive a reinstall byte for byte, also over an install from before the install record.
mkdir -p "$APP/miles/backups"
if command -v sqlite3 >/dev/null; then
  sqlite3 "$DB" "INSERT INTO tblMain (TripID, Destination, Miles) VALUES ('T-1', 'Springfield', 42);"
else
  printf 'the user'"'"'s trips' >"$DB"
fi
printf 'an earlier failure\r\n' >"$APP/error.log"
printf 'a backup' >"$APP/miles/backups/miles-2026-01-01.mil"
printf 'Theme=dark\n' >"$APP/odomark.conf"
printf 'a picture of my own' >"$APP/images/mine.jpg"
keep=("$DB" "$APP/error.log" "$APP/miles/backups/miles-2026-01-01.mil" "$APP/odomark.conf" "$APP/images/mine.jpg")
before=$(for f in "${keep[@]}"; do sha "$f"; done)
rm -f "$APP/.odomark-install"
install_from "$BUILD" || fail "install over an install from before the record"
[ "$(for f in "${keep[@]}"; do sha "$f"; done)" = "$before" ] || fail "a reinstall changed the user's files"

# A build folder made afresh (the old one deleted) installs over the same place and keeps them too. It is
# run.sh's build folder in a checkout of links to the sources, with the library and the tools alone.
CHECKOUT="$WORK/source"
FRESH="$CHECKOUT/build-run"
mkdir -p "$CHECKOUT"
for f in CMakeLists.txt app datastore resources tools run.sh setup.sh; do ln -s "$SRC/$f" "$CHECKOUT/$f"; done
cmake -S "$CHECKOUT" -B "$FRESH" -DCMAKE_BUILD_TYPE=Release -DODOMARK_BUILD_APP=OFF -DODOMARK_BUILD_TESTS=OFF \
  >"$WORK/fresh.log" || fail "configure"
cmake --build "$FRESH" --target odomark_mkdb wendlo >>"$WORK/fresh.log" || fail "build"
install_from "$FRESH" || fail "install from $FRESH"
[ "$(for f in "${keep[@]}"; do sha "$f"; done)" = "$before" ] || fail "an install from a fresh build changed the user's files"

# run.sh as its user runs it, without a display, in a home whose name holds " and $: it refuses a folder of
# the user's own before building, and neither uninstall removes anything from it or deletes a file named
# as the folder; it installs into its own folder beside a launcher of another program's, which stays.
HOME2="$WORK/the \"other\" home \$USER"
DOCS="$HOME2/Documents"
mkdir -p "$DOCS/images" "$DOCS/help" "$HOME2/.local/bin"
printf 'a picture' >"$DOCS/images/vacation.jpg"
printf 'my notes' >"$DOCS/help/howto.txt"
printf 'a file' >"$HOME2/a file"
ln -s /bin/true "$HOME2/.local/bin/odomark"
# The test's set-up has installed the packages: run.sh's set-up must not try to.
mkdir -p "$WORK/no-packages"
for tool in sudo apt-get; do printf '#!/bin/sh\necho "no packages in a test" >&2; exit 1\n' >"$WORK/no-packages/$tool"; done
chmod +x "$WORK/no-packages/"*
user_run() { # ODOMARK_HOME (empty: unset), then run.sh's arguments
  (unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_DATA_HOME ODOMARK_HOME
   export HOME="$HOME2" PATH="$WORK/no-packages:$PATH"
   [ -z "$1" ] || export ODOMARK_HOME="$1"
   shift
   exec "$CHECKOUT/run.sh" "$@") >"$WORK/run.log" 2>&1
}
docs=$(listing "$DOCS")
! user_run "$DOCS" || fail "run.sh installed into a folder of the user's"
grep -q "Nothing was installed" "$WORK/run.log" || fail "run.sh said: $(cat "$WORK/run.log")"
! user_run "$DOCS" --uninstall || fail "run.sh --uninstall took a folder of the user's for Odomark's"
! user_run "$DOCS" --uninstall --purge || fail "run.sh --uninstall --purge took a folder of the user's for Odomark's"
! user_run "$HOME2/a file" --uninstall --purge || fail "run.sh --uninstall --purge took a file for Odomark's folder"
[ "$(listing "$DOCS")" = "$docs" ] && [ -f "$HOME2/a file" ] || fail "run.sh changed the user's files"
APP2="$HOME2/.local/share/odomark"
! user_run "" || fail "run.sh without a display"
grep -qF "can be started later as: $APP2/odomark" "$WORK/run.log" && [ -f "$APP2/libwendlo.so" ] &&
  [ -f "$APP2/miles/miles.mil" ] || { cat "$WORK/run.log"; fail "run.sh did not install into $APP2"; }
[ "$(readlink "$HOME2/.local/bin/odomark")" = /bin/true ] &&
  grep -qF "Kept: $HOME2/.local/bin/odomark, a link to /bin/true, which is not Odomark" "$WORK/run.log" ||
  fail "run.sh replaced another program's launcher, or said nothing: $(cat "$WORK/run.log")"
user_run "" --uninstall --purge && [ ! -e "$APP2" ] || fail "run.sh --uninstall --purge left $APP2"
rm -rf "$CHECKOUT"

# The move from the older place inside the build folder keeps every row and leaves the old file aside.
if command -v sqlite3 >/dev/null; then
  OLD="$WORK/checkout/build/Odomark/miles/miles.mil"
  NEW="$WORK/elsewhere/odomark/miles/miles.mil"
  mkdir -p "$(dirname "$OLD")"
  sqlite3 "$OLD" <"$SRC/resources/schema.sql"
  sqlite3 "$OLD" "INSERT INTO tblOwner (OwnerID, FullName) VALUES ('AS1', 'Anne Smith');
                  INSERT INTO tblMain (TripID, Destination) VALUES ('T-1', 'O''Hare'), ('T-2', 'Peoria');"
  rows=$(sqlite3 "$OLD" "SELECT * FROM tblMain; SELECT * FROM tblOwner;")
  "$BUILD/tools/odomark_migrate" "$OLD" "$NEW" >"$WORK/migrate.log" || fail "the move failed"
  grep -q "Moved your trips (3 rows)" "$WORK/migrate.log" || fail "the move said: $(cat "$WORK/migrate.log")"
  [ "$(sqlite3 "$NEW" "SELECT * FROM tblMain; SELECT * FROM tblOwner;")" = "$rows" ] || fail "rows lost in the move"
  [ -f "$OLD.moved" ] && [ ! -e "$OLD" ] || fail "the old file was not renamed aside"
fi

# The uninstall removes the program and its desktop files and keeps miles/ and the log.
"$SRC/run.sh" --uninstall >"$WORK/uninstall.log" || fail "uninstall"
for f in "$APP/odomark" "$APP/libwendlo.so" "$APP/images/earth.ico" "$APP/help" "$APP/text" "$ENTRY" "$LAUNCHER" \
         "$XDG_DATA_HOME/icons/hicolor/48x48/apps/odomark.png" "$XDG_DATA_HOME/metainfo/odomark.metainfo.xml"; do
  [ ! -e "$f" ] && [ ! -L "$f" ] || fail "the uninstall left $f"
done
[ "$(for f in "${keep[@]}"; do sha "$f"; done)" = "$before" ] || fail "the uninstall touched the user's files"
"$SRC/run.sh" --uninstall --purge >>"$WORK/uninstall.log" || fail "uninstall --purge"
[ "$(cd "$APP" && find . -mindepth 1 ! -type d)" = ./images/mine.jpg ] || fail "--purge left more than the user's own file"
echo "installed, started, reinstalled, moved and uninstalled in $WORK"
