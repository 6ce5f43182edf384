#!/usr/bin/env bash
# Builds Odomark, installs it for this user and starts it from there.
#   ./run.sh                        build the program alone, install or upgrade it, start it
#   ./run.sh --uninstall            remove the program, its menu entry, icons and launcher; keeps miles/
#   ./run.sh --uninstall --purge    the same, and delete the application folder with the trips and backups
# The application folder is $ODOMARK_HOME, by default ${XDG_DATA_HOME:-$HOME/.local/share}/odomark: an empty
# or new folder, or one Odomark installed into before. Installing never replaces miles/miles.mil, error.log
# or miles/backups there; uninstalling removes only the files the install put there.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")" && pwd)

DATA_HOME=${XDG_DATA_HOME:-}
[[ "$DATA_HOME" == /* ]] || DATA_HOME="$HOME/.local/share" # relative values are invalid in XDG variables
APP_DIR=$(realpath -m "${ODOMARK_HOME:-$DATA_HOME/odomark}")
BIN_DIR="$HOME/.local/bin"

# The record of the files the install put into the application folder (resources/app_folder.cmake writes it):
# a first line naming the folder as Odomark's, then one path a line, relative to the folder.
RECORD=.odomark-install
RECORD_HEADER="# Odomark application folder: the files its install put here, which its uninstall removes."
# What the program and the user keep in the folder: never removed but by --purge.
KEPT=(miles error.log odomark.conf)

# What the folder is to Odomark, by the rules of the install step (resources/app_folder.cmake): ours (the
# record is there), earlier (an install from before the record: odomark, libwendlo.so and miles/miles.mil,
# or only miles/, error.log and odomark.conf as its uninstall left them), empty, absent, or other.
folder_kind() {
  local dir=$1 entry
  if [ ! -e "$dir" ] && [ ! -L "$dir" ]; then echo absent; return; fi
  if [ ! -d "$dir" ] || [ ! -r "$dir" ]; then echo other; return; fi
  if [ -f "$dir/$RECORD" ]; then echo ours; return; fi
  if [ -z "$(ls -A "$dir")" ]; then echo empty; return; fi
  if [ ! -f "$dir/miles/miles.mil" ]; then echo other; return; fi
  if [ -f "$dir/odomark" ] && [ -e "$dir/libwendlo.so" ]; then echo earlier; return; fi
  while IFS= read -r -d '' entry; do
    [[ " ${KEPT[*]} " == *" $entry "* ]] || { echo other; return; }
  done < <(find "$dir" -mindepth 1 -maxdepth 1 -printf '%f\0')
  echo earlier
}

# The files the install put into the folder: its record, or for an install from before the record, the
# program, the library and the files of this version's images/, help/ and text/.
installed_files() {
  if [ -f "$APP_DIR/$RECORD" ]; then
    grep -v '^#' "$APP_DIR/$RECORD" || true
  else
    printf '%s\n' odomark libwendlo.so
    find "$APP_DIR" -maxdepth 1 -name 'libwendlo.so.*' -printf '%f\n'
    (cd "$ROOT/resources" && find images help text -type f)
  fi
}

# Removes the installed files: nothing outside the folder or through a link, nothing the user keeps there.
remove_installed_files() {
  local rel dir want
  local -a dirs=()
  while IFS= read -r rel; do
    case "/$rel/" in //* | *"/../"* | *"/./"*) continue ;; esac
    [[ " ${KEPT[*]} $RECORD " != *" ${rel%%/*} "* ]] || continue
    dir=$(dirname -- "$rel")
    want=$APP_DIR
    [ "$dir" = . ] || want=$APP_DIR/$dir
    [ "$(realpath -e -- "$want" 2>/dev/null)" = "$want" ] || continue
    if [ -L "$APP_DIR/$rel" ] || [ -f "$APP_DIR/$rel" ]; then rm -f -- "$APP_DIR/$rel"; fi
    [ "$want" = "$APP_DIR" ] || dirs+=("$want")
  done < <(installed_files)
  # Their folders go when nothing else is left in them, the deepest first.
  [ ${#dirs[@]} -gt 0 ] || return 0
  printf '%s\n' "${dirs[@]}" | sort -ru | while IFS= read -r dir; do
    while [ "$dir" != "$APP_DIR" ] && rmdir -- "$dir" 2>/dev/null; do dir=$(dirname -- "$dir"); done
  done
}

uninstall() {
  local purge=0 kind kept left
  case "${1:-}" in
    "") ;;
    --purge) purge=1 ;;
    *) echo "usage: $0 --uninstall [--purge]" >&2; exit 2 ;;
  esac
  kind=$(folder_kind "$APP_DIR")
  if [ "$kind" = other ]; then
    echo "$APP_DIR is not an Odomark application folder: nothing was removed." >&2
    echo "Set ODOMARK_HOME to the folder Odomark was installed into." >&2
    exit 1
  fi
  # The launcher goes only when it is the link to this installation.
  if [ -L "$BIN_DIR/odomark" ] && [ "$(readlink -m "$BIN_DIR/odomark")" = "$APP_DIR/odomark" ]; then
    rm -f "$BIN_DIR/odomark"
  fi
  rm -f "$DATA_HOME/applications/odomark.desktop" "$DATA_HOME/metainfo/odomark.metainfo.xml" \
        "$DATA_HOME"/icons/hicolor/*/apps/odomark.png "$DATA_HOME/icons/hicolor/scalable/apps/odomark.svg"
  if command -v update-desktop-database >/dev/null; then update-desktop-database -q "$DATA_HOME/applications" || true; fi
  if [ "$kind" = absent ] || [ "$kind" = empty ]; then
    echo "Removed Odomark's menu entry and launcher; there is no application folder at $APP_DIR."
    return
  fi
  remove_installed_files
  if [ "$purge" = 1 ]; then
    for kept in "${KEPT[@]}" "$RECORD"; do rm -rf -- "${APP_DIR:?}/$kept"; done
    if rmdir -- "$APP_DIR" 2>/dev/null; then
      echo "Removed Odomark and its application folder $APP_DIR, with your trips and backups."
    else
      left=$(find "$APP_DIR" -mindepth 1 ! -type d -printf '%P\n' | head -n 5 | paste -sd ' ')
      echo "Removed Odomark with your trips and backups. Kept $APP_DIR: it holds files Odomark did not put there: $left"
    fi
  else
    # The folder stays marked as Odomark's, so that installing again into it is allowed.
    printf '%s\n' "$RECORD_HEADER" >"$APP_DIR/$RECORD.new"
    mv -f -- "$APP_DIR/$RECORD.new" "$APP_DIR/$RECORD"
    echo "Removed Odomark. Your trips are kept in $APP_DIR/miles (backups in $APP_DIR/miles/backups)."
  fi
}

if [ "${1:-}" = --uninstall ]; then
  shift
  uninstall "$@"
  exit 0
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--uninstall [--purge]]" >&2
  exit 2
fi

# The install step refuses such a folder too, but only after the build: say it now.
if [ "$(folder_kind "$APP_DIR")" = other ]; then
  echo "Odomark installs only into an empty folder or its own application folder, and $APP_DIR is neither:" >&2
  echo "it holds files of someone else's (or is a file). Nothing was installed." >&2
  echo "Choose another folder: ODOMARK_HOME=/some/new/folder $0" >&2
  exit 1
fi

# CMake writes the install folders into its generated install scripts as they are, where a " or \ breaks
# them: the folders go in relative to the home folder, which is given only when installing (--prefix).
HOME_DIR=$(realpath -m "$HOME")
below_home() {
  case "$1" in
    "$HOME_DIR"/*) printf '%s\n' "${1#"$HOME_DIR"/}" ;;
    *) printf '%s\n' "$1" ;;
  esac
}
FOLDERS=("$APP_DIR" "$(realpath -m "$DATA_HOME")" "$(realpath -m "$BIN_DIR")")
DESTS=()
for folder in "${FOLDERS[@]}"; do
  DESTS+=("$(below_home "$folder")")
  # Even so a \ anywhere reads as a folder separator to CMake.
  if [[ "$folder" == *\\* ]] || [[ "${DESTS[-1]}" == *[\"\$]* ]]; then
    echo "Odomark cannot be installed into $folder: its install step cannot handle \", \\ or \$ in a folder's name." >&2
    echo "Choose another folder (ODOMARK_HOME, XDG_DATA_HOME) whose name is free of them." >&2
    exit 1
  fi
done

# Its own build folder, without tests or benchmarks, so test.sh's build is never reconfigured.
BUILD_DIR="$ROOT/build-run"
BUILD_TYPE=Release
PROGRAM_ONLY=1
CMAKE_ARGS=(-DODOMARK_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr/local -DODOMARK_APP_DIR:PATH="${DESTS[0]}"
            -DCMAKE_INSTALL_DATADIR:PATH="${DESTS[1]}" -DCMAKE_INSTALL_BINDIR:PATH="${DESTS[2]}")
source "$ROOT/setup.sh"

# Earlier versions kept the application folder inside the build folder: bring those trips over first.
"$BUILD_DIR/tools/odomark_migrate" "$ROOT/build/Odomark/miles/miles.mil" "$APP_DIR/miles/miles.mil"
cmake --install "$BUILD_DIR" --strip --prefix "$HOME_DIR" >"$BUILD_DIR/install.log"
grep -h "Created: \|Kept: \|Replacing: " "$BUILD_DIR/install.log" | sed 's/^-- //' || true
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
