#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the profile-store fuzzer
# for a bounded time, the unit and widget tests and a soak under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the unit, widget, soak and end-to-end tests of the normal
# build (benchmarks excluded; run them with `ctest -L bench -V` in build/).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

echo "== fuzzing the settings reader and writer"
FUZZ_DIR="$PWD/build/fuzz" tests/fuzz/run.sh "${TESSELLON_FUZZ_SECONDS:-60}" >build/fuzz.log 2>&1 \
    || { tail -n 40 build/fuzz.log; echo "fuzzing failed"; exit 1; }
tail -n 3 build/fuzz.log

echo "== sanitizer build: unit and widget tests, soak"
tools/sanitize.sh

echo "== unit, widget, soak and end-to-end tests"
cd build
ctest -LE bench --output-on-failure -j"$(nproc)" --timeout 600
