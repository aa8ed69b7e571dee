#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, makes a Release build
# of the program alone in build-package/ (TAVOLAN_PACKAGE_BUILD_DIR sets
# another folder) with Debian's hardening flags, and has CPack make
# tavolan_<version>_amd64.deb there. Prints the package's path last.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

PACKAGE_BUILD="${TAVOLAN_PACKAGE_BUILD_DIR:-$ROOT/build-package}"

install_missing
install_package_tools

# Debian's build flags (stack protector, fortified functions, read-only
# relocations, immediate binding), without the debug information: the
# package holds the program stripped.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
cxxflags="$(echo " $CPPFLAGS $CXXFLAGS " | sed -e 's/ -g / /g' -e 's/ -O2 / /g')"

cmake -S "$ROOT" -B "$PACKAGE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTAVOLAN_BUILD_TESTS=OFF -DTAVOLAN_BUILD_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" >/dev/null
cmake --build "$PACKAGE_BUILD" --parallel "${TAVOLAN_BUILD_JOBS:-$(nproc)}" \
  --target tavolan tavolan_packaging_files

rm -f "$PACKAGE_BUILD"/tavolan_*.deb
(cd "$PACKAGE_BUILD" && cpack -G DEB >cpack.log 2>&1) || { cat "$PACKAGE_BUILD/cpack.log"; exit 1; }
deb="$(ls "$PACKAGE_BUILD"/tavolan_*.deb)"
echo "Package: $deb"
