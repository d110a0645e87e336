#!/bin/sh
# Builds the profile store fuzz target with clang's libFuzzer and sanitizers, then runs it
# for a bounded time. Fails on any crash, sanitizer report, timeout or broken invariant.
# Usage: tests/fuzz/run.sh <seconds>   (build and work files go to $FUZZ_DIR, default /tmp)
set -eu

seconds=${1:?usage: run.sh <seconds>}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=${FUZZ_DIR:-${TMPDIR:-/tmp}/tessellon-fuzz}
cxx=${CLANGXX:-clang++}
rm -rf "$work/tmp"
mkdir -p "$work/corpus" "$work/artifacts" "$work/tmp"

"$cxx" -std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -Wall -Wextra \
    $(pkg-config --cflags Qt6Core) -I"$root/src/app" \
    "$here/fuzz_profilestore.cpp" "$root/src/app/profilestore.cpp" "$root/src/app/vbconvert.cpp" \
    $(pkg-config --libs Qt6Core) -o "$work/fuzz_profilestore"

# New inputs go to the work corpus; the seeds in the tree are only read. The target's
# scratch files go to $work/tmp.
TMPDIR="$work/tmp" \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
ASAN_OPTIONS=abort_on_error=1 \
"$work/fuzz_profilestore" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=16384 -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
    "$work/corpus" "$here/corpus"
