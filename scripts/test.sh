#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite inside a
# loopback-only network namespace (the tests send UDP broadcasts). Among them
# package.check packages this build in a temporary folder and checks the
# package (scripts/check-package.sh).
#
# TAVOLAN_FUZZ_SECONDS sets how long the receive path is fuzzed (30 by
# default, 0 skips fuzzing; the OSC decoder and remote control's HTTP API
# get a third of it each, the HTTP API 10 s at least). Extra arguments go to
# ctest.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_missing
install_browser_test
install_package_tools
build_all

# The receive path, the OSC decoder and the HTTP API under libFuzzer (clang,
# a project of its own); any crash or sanitizer report fails the run. Each
# one's output goes to a log file; the summary is printed. The decoder gets a
# third of the time the receive path gets (at least a second), the HTTP API
# a third too (at least 10 s).
FUZZ_SECONDS="${TAVOLAN_FUZZ_SECONDS:-30}"
FUZZ_BUILD="$BUILD/fuzz"

# run_fuzzer target seconds work-corpus seed-corpus log
run_fuzzer() {
  local target="$1" seconds="$2" corpus="$3" seeds="$4" log="$5"
  mkdir -p "$corpus"
  echo "Fuzzing $target for ${seconds} s"
  if ! in_loopback_namespace "$FUZZ_BUILD/$target" -max_total_time="$seconds" \
      -max_len=65535 -print_final_stats=1 -artifact_prefix="$FUZZ_BUILD/" \
      "$corpus" "$seeds" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "The fuzzer found a crash; the input is in $FUZZ_BUILD/ (crash-*)."
    exit 1
  fi
  grep -E '^Done [0-9]+ runs|stat::number_of_executed_units|stat::peak_rss_mb' "$log" || true
}

if [ "$FUZZ_SECONDS" -gt 0 ]; then
  cmake -S "$ROOT/fuzz" -B "$FUZZ_BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$FUZZ_BUILD" --parallel "$(nproc)"
  run_fuzzer fuzz_busreceive "$FUZZ_SECONDS" "$FUZZ_BUILD/corpus" "$ROOT/fuzz/corpus" "$FUZZ_BUILD/fuzz.log"
  OSC_FUZZ_SECONDS=$(( FUZZ_SECONDS / 3 > 0 ? FUZZ_SECONDS / 3 : 1 ))
  run_fuzzer fuzz_oscdecode "$OSC_FUZZ_SECONDS" "$FUZZ_BUILD/corpus_oscdecode" "$ROOT/fuzz/corpus_oscdecode" \
    "$FUZZ_BUILD/fuzz_oscdecode.log"
  HTTP_FUZZ_SECONDS=$(( FUZZ_SECONDS / 3 > 10 ? FUZZ_SECONDS / 3 : 10 ))
  run_fuzzer fuzz_httpapi "$HTTP_FUZZ_SECONDS" "$FUZZ_BUILD/corpus_httpapi" "$ROOT/fuzz/corpus_httpapi" \
    "$FUZZ_BUILD/fuzz_httpapi.log"
fi

cd "$BUILD"
in_loopback_namespace env QT_QPA_PLATFORM=offscreen \
  ctest --output-on-failure --timeout 300 "$@"
