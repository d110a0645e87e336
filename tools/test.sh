#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the settings and picture
# fuzzers for a bounded time each (60 and 90 seconds), the unit and widget tests and a soak
# under AddressSanitizer and UndefinedBehaviorSanitizer, then the unit, widget, soak and
# end-to-end tests of the normal build (benchmarks excluded; run them with `ctest -L bench
# -V` in build/), and last the Windows part where the Windows SDK is at hand
# (tools/test-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh

fuzz() { # <what> <target> <seconds>
    echo "== fuzzing $1"
    FUZZ_DIR="$PWD/build/fuzz" tests/fuzz/run.sh "$3" "$2" >"build/fuzz-$2.log" 2>&1 \
        || { tail -n 40 "build/fuzz-$2.log"; echo "fuzzing failed"; exit 1; }
    grep -E '^(Done|stat::number_of_executed_units)' "build/fuzz-$2.log" | tail -n 2
}
fuzz "the settings reader and writer" settings "${TESSELLON_FUZZ_SECONDS:-60}"
fuzz "the picture reader" pictures "${TESSELLON_FUZZ_PICTURE_SECONDS:-90}"

echo "== sanitizer build: unit and widget tests, soak"
tools/sanitize.sh

echo "== unit, widget, soak and end-to-end tests"
(cd build && ctest -LE bench --output-on-failure -j"$(nproc)" --timeout 600)

echo "== Windows: the zip, and the tests cross-built and run under Wine"
tools/test-windows.sh
