#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite inside a
# loopback-only network namespace (the tests send UDP broadcasts).
#
# TAVOLAN_FUZZ_SECONDS sets how long the receive path is fuzzed (30 by
# default, 0 skips it); remote control's HTTP API is fuzzed a third of that
# (10 s at least). Extra arguments go to ctest.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_missing
install_browser_test
build_all

# The receive path under libFuzzer (clang, a project of its own); any crash
# or sanitizer report fails the run. Its output goes to a log file; the
# summary is printed.
FUZZ_SECONDS="${TAVOLAN_FUZZ_SECONDS:-30}"
if [ "$FUZZ_SECONDS" -gt 0 ]; then
  FUZZ_BUILD="$BUILD/fuzz"
  cmake -S "$ROOT/fuzz" -B "$FUZZ_BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$FUZZ_BUILD" --parallel "$(nproc)"
  mkdir -p "$FUZZ_BUILD/corpus"
  echo "Fuzzing the receive path for ${FUZZ_SECONDS} s"
  if ! in_loopback_namespace "$FUZZ_BUILD/fuzz_busreceive" -max_total_time="$FUZZ_SECONDS" \
      -max_len=65535 -print_final_stats=1 -artifact_prefix="$FUZZ_BUILD/" \
      "$FUZZ_BUILD/corpus" "$ROOT/fuzz/corpus" >"$FUZZ_BUILD/fuzz.log" 2>&1; then
    tail -n 60 "$FUZZ_BUILD/fuzz.log"
    echo "The fuzzer found a crash; the input is in $FUZZ_BUILD/ (crash-*)."
    exit 1
  fi
  grep -E '^Done [0-9]+ runs|stat::number_of_executed_units|stat::peak_rss_mb' "$FUZZ_BUILD/fuzz.log" || true

  HTTP_SECONDS=$(( FUZZ_SECONDS / 3 > 10 ? FUZZ_SECONDS / 3 : 10 ))
  mkdir -p "$FUZZ_BUILD/corpus-httpapi"
  echo "Fuzzing the HTTP API for ${HTTP_SECONDS} s"
  if ! in_loopback_namespace "$FUZZ_BUILD/fuzz_httpapi" -max_total_time="$HTTP_SECONDS" \
      -max_len=70000 -print_final_stats=1 -artifact_prefix="$FUZZ_BUILD/httpapi-" \
      "$FUZZ_BUILD/corpus-httpapi" "$ROOT/fuzz/corpus-httpapi" >"$FUZZ_BUILD/fuzz-httpapi.log" 2>&1; then
    tail -n 60 "$FUZZ_BUILD/fuzz-httpapi.log"
    echo "The fuzzer found a crash; the input is in $FUZZ_BUILD/ (httpapi-crash-*)."
    exit 1
  fi
  grep -E '^Done [0-9]+ runs|stat::number_of_executed_units|stat::peak_rss_mb' "$FUZZ_BUILD/fuzz-httpapi.log" || true
fi

cd "$BUILD"
in_loopback_namespace env QT_QPA_PLATFORM=offscreen \
  ctest --output-on-failure --timeout 300 "$@"
