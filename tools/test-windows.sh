#!/usr/bin/env bash
# The Windows part of the tests, after tools/test.sh has built and tested the Linux build:
# writes the zip (tools/package-windows.sh), cross-builds the unit and widget tests and runs
# them under Wine through CTest on an X server of their own, with the zip's end-to-end test
# beside the Linux build. Where no Windows SDK is at hand it says so and is skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/windows/sdk.sh
if ! find_windows_sdk; then
    echo "== Windows tests skipped: $WIN_SDK_MISSING"
    exit 0
fi
started=$SECONDS
tools/package-windows.sh
cmake -S . -B build-win/release -DTESSELLON_LINUX_BUILD="$PWD/build" >/dev/null
cmake --build build-win/release -j"$(nproc)"

# The windows platform plugin draws through Wine's X11 driver: Wine passes no QT_* variable.
export WINEPREFIX=$PWD/build-win/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH
display_file=$(mktemp)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$display_file" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -f "$display_file"' EXIT
for _ in $(seq 1 100); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$display_file")"
wineboot -i >/dev/null 2>&1
# Without a window manager Wine waits 2 s for one at every window it hides, unless its
# windows are its own to manage.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
(cd build-win/release && ctest --output-on-failure -j"$(nproc)" --timeout 600)
echo "== the Windows part took $((SECONDS - started)) s"
