#!/usr/bin/env bash
# Installs what is missing and builds the given targets (all without any) into build/: the
# one configuration that tools/run.sh starts, tools/install-user.sh installs and
# tools/test.sh tests.
# Usage: tools/build.sh [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" ${1:+--target "$@"}
