#!/usr/bin/env bash
# Times the load and save of a 5999 x 5999 map in the Linux build and in the Windows build
# under Wine, one after the other in the same run, each beside its own system's copy of the
# same bytes. Needs the Windows SDK (see tools/windows/sdk.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/windows/sdk.sh
find_windows_sdk || { echo "$WIN_SDK_MISSING" >&2; exit 1; }
tools/build.sh bench_files tessellon_tilepack
tools/deps.sh --windows
cmake -S . -B build-win/release -DCMAKE_TOOLCHAIN_FILE="$WIN_SDK/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTESSELLON_TILEPACK="$PWD/build/tools/tessellon_tilepack" >/dev/null
cmake --build build-win/release -j"$(nproc)" --target bench_files

echo "== Linux (RelWithDebInfo)"
status=0
build/bench/bench_files || status=$?
echo "== Windows build (Release) under Wine ($(wine --version 2>/dev/null))"
export WINEPREFIX=$PWD/build-win/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH DISPLAY # a console program: no window, no X server
wineboot -i >/dev/null 2>&1
wine build-win/release/bin/bench_files.exe || status=$?
exit "$status"
