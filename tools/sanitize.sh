#!/usr/bin/env bash
# Builds Tessellon with AddressSanitizer and UndefinedBehaviorSanitizer (gcc) in build-asan,
# then runs the unit and widget tests and a long soak of the real window there. Any
# sanitizer report (memory error, undefined behaviour, a leak outside the suppressed system
# libraries) fails the run. Benchmarks and end-to-end tests are left out.
#
# Usage: tools/sanitize.sh
#   TESSELLON_SOAK_SECONDS  soak length in seconds (default 90)
#   TESSELLON_SOAK_SEED     repeat a soak run
#   TESSELLON_ASAN_DIR      build directory (default build-asan beside the sources)
#   TESSELLON_SANITIZE_ONLY a ctest regular expression: build and run only those tests
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSELLON_ASAN_DIR:-$root/build-asan}
jobs=${JOBS:-$(nproc)}
export TESSELLON_SOAK_SECONDS=${TESSELLON_SOAK_SECONDS:-90}
only=${TESSELLON_SANITIZE_ONLY:-}
start=$SECONDS

cmake -S "$root" -B "$build" -G "Unix Makefiles" -DCMAKE_CXX_COMPILER=g++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSELLON_SANITIZE=ON >/dev/null

# Every registered test (unit, widget and soak) builds from a target of the same name.
select=(-L unit)
[ -n "$only" ] && select=(-R "$only")
mapfile -t targets < <(cd "$build" && ctest -N "${select[@]}" | sed -n 's/^ *Test *#[0-9]*: *//p')
[ "${#targets[@]}" -gt 0 ] || { echo "sanitize: no tests selected" >&2; exit 1; }
[ -z "$only" ] && targets+=(tessellon tessellon_tilegen)
cmake --build "$build" -j"$jobs" --target "${targets[@]}"

# halt_on_error: the first report ends the process with a failing exit code, whichever
# sanitizer made it; leaks are checked at every test's exit.
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:print_stacktrace=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:report_error_type=1
export LSAN_OPTIONS=suppressions=$root/tests/soak/lsan.supp:print_suppressions=0
export QT_QPA_PLATFORM=offscreen

cd "$build"
status=0
ctest "${select[@]}" -LE soak --output-on-failure -j"$jobs" --timeout 600 || status=1
if [ -z "$only" ] || ctest -N -R "$only" -L soak | grep -q 'Test *#'; then
    ctest -L soak ${only:+-R "$only"} --output-on-failure -V --timeout 900 || status=1
fi
echo "sanitize: $((SECONDS - start)) s, $([ "$status" = 0 ] && echo passed || echo FAILED)"
exit "$status"
