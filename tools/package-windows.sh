#!/usr/bin/env bash
# Installs what is missing, unpacks the Windows SDK, cross-builds a release into
# build-win/release and writes dist/tessellon-windows-x86_64.zip: a folder holding
# tessellon.exe, the DLLs and plugins it loads, README.txt and the licences.
# Usage: tools/package-windows.sh (TESSELLON_WIN64_SDK: see tools/windows/sdk.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/windows/sdk.sh
find_windows_sdk || { echo "$WIN_SDK_MISSING" >&2; exit 1; }
tools/deps.sh --windows
tools/build.sh tessellon_tilepack # the tile packer runs while building, natively
cmake -S . -B build-win/release -DCMAKE_TOOLCHAIN_FILE="$WIN_SDK/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTESSELLON_TILEPACK="$PWD/build/tools/tessellon_tilepack" >/dev/null
cmake --build build-win/release -j"$(nproc)" --target tessellon

name=tessellon-windows-x86_64
stage=build-win/stage
rm -rf "$stage" "dist/$name.zip"
cmake --install build-win/release --prefix "$stage/$name" >/dev/null
x86_64-w64-mingw32-strip "$stage/$name/tessellon.exe"
(cd "$stage" && cmake -E tar cf "../../dist/$name.zip" --format=zip "$name")
echo "wrote dist/$name.zip ($(du -k "dist/$name.zip" | cut -f1) KB)"
