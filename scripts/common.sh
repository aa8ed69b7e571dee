# Shared by the run and test commands: installs what is missing and builds.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${TAVOLAN_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev
  qt6-httpserver-dev qt6-websockets-dev
  libqt6sql6-sqlite qt6-qpa-plugins
  libarchive-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  sqlite3 libsqlite3-dev iproute2 util-linux
  clang libclang-rt-14-dev
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The packages named that are not installed, one a line.
missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

install_missing() {
  local missing=()
  mapfile -t missing < <(missing_packages "${PACKAGES[@]}")
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# The page test drives Debian's chromium with puppeteer-core, kept in the
# build folder (never installed globally). What cannot be installed is left
# out with a warning: the page test then reports itself skipped.
PUPPETEER_VERSION=24.43.1
BROWSER_TEST_DIR="$BUILD/browser-test"

install_browser_test() {
  local missing=()
  command -v chromium >/dev/null 2>&1 || missing+=(chromium)
  command -v npm >/dev/null 2>&1 || missing+=(npm)
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing for the page test: ${missing[*]}"
    if ! { as_root apt-get update -qq &&
           as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"; }; then
      echo "warning: could not install ${missing[*]}; the page test will be skipped" >&2
    fi
  fi
  command -v npm >/dev/null 2>&1 && command -v node >/dev/null 2>&1 || return 0
  local have
  have="$(cd "$BROWSER_TEST_DIR" 2>/dev/null &&
          node -p 'require("puppeteer-core/package.json").version' 2>/dev/null || true)"
  if [ "$have" != "$PUPPETEER_VERSION" ]; then
    mkdir -p "$BROWSER_TEST_DIR"
    echo "Installing puppeteer-core $PUPPETEER_VERSION into $BROWSER_TEST_DIR"
    [ -f "$BROWSER_TEST_DIR/package.json" ] || echo '{"private":true}' >"$BROWSER_TEST_DIR/package.json"
    if ! PUPPETEER_SKIP_DOWNLOAD=1 npm install --prefix "$BROWSER_TEST_DIR" --no-audit --no-fund \
           --save-exact --loglevel=error "puppeteer-core@$PUPPETEER_VERSION"; then
      echo "warning: could not install puppeteer-core; the page test will be skipped" >&2
    fi
  fi
}

# Building the Debian package and checking it (scripts/package.sh,
# scripts/check-package.sh, the package.check test). The test command
# installs them too; what cannot be installed is left out with a warning and
# the package test then reports itself skipped.
PACKAGE_TOOLS=(dpkg-dev fakeroot file binutils gzip lintian desktop-file-utils appstream)

install_package_tools() {
  local missing=()
  mapfile -t missing < <(missing_packages "${PACKAGE_TOOLS[@]}")
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing for the package: ${missing[*]}"
    if ! { as_root apt-get update -qq &&
           as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"; }; then
      echo "warning: could not install ${missing[*]}; the package test will be skipped" >&2
    fi
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
