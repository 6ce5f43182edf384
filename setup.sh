# Shared set-up of run.sh and test.sh: Debian packages, configure, build.
# Sourced, not run: expects BUILD_DIR and CMAKE_ARGS; PROGRAM_ONLY=1 leaves out what only the tests need.

PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libsqlite3-dev sqlite3 libgtest-dev libgmock-dev
          fonts-liberation fonts-comic-neue fonts-dejavu-core fontconfig poppler-utils)
# Needed by the tests and benchmarks alone: desktop-file-utils and appstream check the desktop entry and the
# AppStream file; xvfb runs the focus, key and look tests on an X display, and the GTK theme packages give
# them the desktop's dark theme.
TEST_PACKAGES=(libgtest-dev libgmock-dev sqlite3 poppler-utils desktop-file-utils appstream xvfb xauth
               qt6-gtk-platformtheme gnome-themes-extra)
if [ "${PROGRAM_ONLY:-0}" = 1 ]; then
  kept=()
  for p in "${PACKAGES[@]}"; do [[ " ${TEST_PACKAGES[*]} " == *" $p "* ]] || kept+=("$p"); done
  PACKAGES=("${kept[@]}")
else
  for p in "${TEST_PACKAGES[@]}"; do [[ " ${PACKAGES[*]} " == *" $p "* ]] || PACKAGES+=("$p"); done
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing Debian packages: ${missing[*]}"
  if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi
  "${SUDO[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y "${missing[@]}"
fi

JOBS=$(nproc 2>/dev/null || echo 2)
cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "${CMAKE_ARGS[@]}"
cmake --build "$BUILD_DIR" -j "$JOBS"
