#!/usr/bin/env bash
# Checks that a Debian package of Tavolan is well made:
#
#   bash scripts/check-package.sh DEB
#   bash scripts/check-package.sh --from-build BUILD   packages BUILD (a
#                       configured and built tree) into a temporary folder
#                       first, leaving BUILD as it was
#
# lintian (no error or warning), desktop-file-validate, appstreamcli
# validate --no-net, the files the package must hold, and the program
# unpacked into a temporary root: it answers --version with the version of
# CMakeLists.txt, and its first start makes the data home's program folder
# from the shipped defaults.
# Exits 77 when a tool it needs is missing.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

for tool in lintian desktop-file-validate appstreamcli dpkg-deb unshare timeout; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (bash scripts/test.sh installs it)"
    exit 77
  fi
done

work="$(mktemp -d "${TMPDIR:-/tmp}/tavolan-package.XXXXXX")"
trap 'rm -rf "$work"' EXIT

case "${1:-}" in
  --from-build)
    build="$(cd "${2:?--from-build needs the build folder}" && pwd)"
    command -v dpkg-shlibdeps >/dev/null 2>&1 || { echo "SKIP: dpkg-shlibdeps is not installed"; exit 77; }
    # CPack stages and writes the package under -B; of the build tree it
    # only reads (and writes its install manifest).
    if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1; then
      cat "$work/cpack.log"
      exit 1
    fi
    deb="$(ls "$work"/package/tavolan_*.deb)"
    ;;
  ""|-*) echo "usage: $0 DEB | --from-build BUILD" >&2; exit 2 ;;
  *) deb="$1" ;;
esac

failed=0
fail() { echo "FAIL: $*"; failed=1; }

version="$(sed -n 's/^project(Tavolan VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
echo "== $deb (expecting version $version)"
[ "$(basename "$deb")" = "tavolan_${version}_amd64.deb" ] || fail "the file is not named tavolan_${version}_amd64.deb"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
dpkg-deb -f "$deb" Package Version Architecture Section Priority Depends Recommends

echo "== contents"
rootfs="$work/root"
dpkg-deb -x "$deb" "$rootfs"
for f in usr/bin/tavolan \
    usr/share/tavolan/Database/DB.mdb usr/share/tavolan/Language/English.ini \
    usr/share/tavolan/FormsDesignPosition \
    usr/share/applications/tavolan.desktop \
    usr/share/icons/hicolor/48x48/apps/tavolan.png usr/share/icons/hicolor/64x64/apps/tavolan.png \
    usr/share/icons/hicolor/128x128/apps/tavolan.png usr/share/icons/hicolor/256x256/apps/tavolan.png \
    usr/share/icons/hicolor/scalable/apps/tavolan.svg \
    usr/share/metainfo/org.tavolan.Tavolan.metainfo.xml \
    usr/share/man/man1/tavolan.1.gz \
    usr/share/doc/tavolan/copyright usr/share/doc/tavolan/changelog.gz \
    usr/share/doc/tavolan/examples/tavolan.service; do
  [ -e "$rootfs/$f" ] || fail "missing /$f"
done
# The shipped database holds the lookup rows and no show.
if command -v sqlite3 >/dev/null 2>&1; then
  [ "$(sqlite3 "$rootfs/usr/share/tavolan/Database/DB.mdb" 'SELECT COUNT(*) FROM Show')" = 0 ] ||
    fail "the shipped database is not empty"
fi

echo "== lintian"
lintian --fail-on error,warning --display-info "$deb" || fail "lintian"

echo "== desktop-file-validate"
desktop-file-validate "$rootfs/usr/share/applications/tavolan.desktop" || fail "desktop-file-validate"

echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$rootfs/usr/share/metainfo/org.tavolan.Tavolan.metainfo.xml" ||
  fail "appstreamcli validate"

# The unpacked program, offscreen in a loopback-only network namespace, with
# home, data and temporary folders of its own, so nothing of the user's is
# read or written and no running copy is reached.
mkdir -p "$work/home" "$work/tmp"
run_installed() {
  timeout 20 unshare -rn sh -c 'ip link set lo up && exec "$@"' sh \
    env HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config" \
        TMPDIR="$work/tmp" QT_QPA_PLATFORM=offscreen "$rootfs/usr/bin/tavolan" "$@" \
    >"$work/out" 2>"$work/err" </dev/null
}

echo "== tavolan --version"
status=0
run_installed --version || status=$?
cat "$work/out"
[ "$status" -eq 0 ] || { cat "$work/err"; fail "tavolan --version exited with $status"; }
grep -qF "$version" "$work/out" || fail "tavolan --version did not print $version"

echo "== the first start makes the data home's program folder from the shipped defaults"
# An export of a show the new folder cannot hold: it ends with status 1 once
# the folder is ready, without opening a window.
status=0
run_installed --export-show 1 "$work/show.tavshow" || status=$?
folder="$work/home/.local/share/tavolan"
[ "$status" -eq 1 ] || { cat "$work/err"; fail "tavolan --export-show 1 on a new folder exited with $status"; }
for f in Database/DB.mdb Language/English.ini FormsDesignPosition; do
  [ -e "$folder/$f" ] || fail "the first start did not make $f in $folder"
done
cmp -s "$folder/Database/DB.mdb" "$rootfs/usr/share/tavolan/Database/DB.mdb" ||
  fail "the new program folder's database is not the shipped one"

if [ "$failed" -ne 0 ]; then
  echo "The package check failed."
  exit 1
fi
echo "The package check passed."
