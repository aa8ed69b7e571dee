# Shared by the run and test commands: installs what is missing and builds.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${TAVOLAN_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev
  qt6-httpserver-dev qt6-websockets-dev
  libqt6sql6-sqlite qt6-qpa-plugins
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  sqlite3 iproute2 util-linux
  clang libclang-rt-14-dev
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

build_all() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$BUILD" --parallel "$(nproc)"
}

# Runs a command in a fresh network namespace whose only interface is loopback.
in_loopback_namespace() {
  local inner="ip link set lo up && exec \"\$@\""
  if [ "$(id -u)" -eq 0 ]; then
    unshare -n sh -c "$inner" sh "$@"
  else
    unshare -rn sh -c "$inner" sh "$@"
  fi
}
