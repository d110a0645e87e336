#!/usr/bin/env bash
# Installs what is missing, builds Tessellon and starts it. Maps and Tessellon.ini live
# beside the program: build/src/app/.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target tessellon
exec build/src/app/tessellon
