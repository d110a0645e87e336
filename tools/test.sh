#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (unit, widget and
# end-to-end; benchmarks excluded).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
cd build
ctest -LE bench --output-on-failure -j"$(nproc)" --timeout 600
