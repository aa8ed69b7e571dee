#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite inside a
# loopback-only network namespace (the tests send UDP broadcasts).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_missing
build_all

cd "$BUILD"
in_loopback_namespace env QT_QPA_PLATFORM=offscreen \
  ctest --output-on-failure --timeout 300 "$@"

# The receive path under libFuzzer for about 30 seconds (clang, a project of
# its own); any crash or sanitizer report fails the run.
FUZZ_BUILD="$BUILD/fuzz"
cmake -S "$ROOT/fuzz" -B "$FUZZ_BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$FUZZ_BUILD" --parallel "$(nproc)"
mkdir -p "$FUZZ_BUILD/corpus"
in_loopback_namespace "$FUZZ_BUILD/fuzz_busreceive" -max_total_time=30 -print_final_stats=1 \
  -artifact_prefix="$FUZZ_BUILD/" "$FUZZ_BUILD/corpus" "$ROOT/fuzz/corpus"
