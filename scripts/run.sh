#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tavolan on the shipped data.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_missing
build_all

exec "$BUILD/bin/tavolan"
