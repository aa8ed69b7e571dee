#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite inside a
# loopback-only network namespace (the tests send UDP broadcasts).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_missing
build_all

cd "$BUILD"
in_loopback_namespace env QT_QPA_PLATFORM=offscreen \
  ctest --output-on-failure --timeout 300 "$@"
