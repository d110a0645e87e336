#!/bin/sh
# Builds a fuzz target with clang's libFuzzer and sanitizers, then runs it for a bounded
# time. Fails on any crash, sanitizer report, timeout or broken invariant.
#   settings: the profile store (seeds in corpus/)
#   pictures: the picture reader behind Load and drops (seeds made by the target itself)
# Usage: tests/fuzz/run.sh <seconds> [settings|pictures]
#   (build and work files go to $FUZZ_DIR/<target>, FUZZ_DIR defaulting to /tmp/tessellon-fuzz)
set -eu

seconds=${1:?usage: run.sh <seconds> [settings|pictures]}
target=${2:-settings}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=${FUZZ_DIR:-${TMPDIR:-/tmp}/tessellon-fuzz}/$target
cxx=${CLANGXX:-clang++}
rm -rf "$work/tmp"
mkdir -p "$work/corpus" "$work/artifacts" "$work/tmp"

asan=abort_on_error=1
case $target in
settings)
    binary=fuzz_profilestore
    set -- "$here/fuzz_profilestore.cpp" "$root/src/app/profilestore.cpp" \
        "$root/src/app/vbconvert.cpp" "$root/src/files/regularfile_posix.cpp" \
        "$root/src/files/replacefile_common.cpp" "$root/src/files/replacefile_posix.cpp" \
        -I"$root/src/app" -I"$root/src/files" \
        -I"$root/src/files/posix"
    qt=Qt6Core
    seeds=$here/corpus
    max_len=16384
    ;;
pictures)
    binary=fuzz_picture
    set -- "$here/fuzz_picture.cpp"
    for f in "$root"/src/files/*.cpp; do
        case $f in *_windows.cpp) ;; *) set -- "$@" "$f" ;; esac
    done
    set -- "$@" "$root/src/canvas/pixelpool.cpp" "$root/src/canvas/pages_posix.cpp" \
        "$root/src/canvas/availablememory_common.cpp" "$root/src/canvas/availablememory_posix.cpp" \
        -I"$root/src/files" -I"$root/src/files/posix" -I"$root/src/canvas" -I"$root/tests/files" \
        -DFUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    qt="Qt6Gui libpng libjpeg"
    seeds=$work/seeds
    max_len=8192
    # Freed memory is reused at once and handed out unfilled, so that a pixel read from
    # memory instead of the file makes two reads of the same bytes differ.
    asan=$asan:quarantine_size_mb=0:max_malloc_fill_size=0
    ;;
*) echo "run.sh: unknown target $target" >&2; exit 2 ;;
esac

"$cxx" -std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -Wall -Wextra $(pkg-config --cflags $qt) "$@" \
    $(pkg-config --libs $qt) -o "$work/$binary"

# New inputs go to the work corpus; the seeds are only read. The target's scratch files go
# to $work/tmp.
PICTURE_SEEDS="$work/seeds" \
TMPDIR="$work/tmp" \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
ASAN_OPTIONS=$asan \
"$work/$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=$max_len -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
    "$work/corpus" "$seeds"
