# Shared set-up of run.sh and test.sh: Debian packages, configure, build, install.
# Sourced, not run: expects BUILD_DIR and CMAKE_ARGS.

PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libsqlite3-dev sqlite3 libgtest-dev libgmock-dev
          fonts-liberation fonts-comic-neue fonts-dejavu-core fontconfig poppler-utils)

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
cmake --install "$BUILD_DIR" >/dev/null
