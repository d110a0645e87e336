#!/usr/bin/env bash
# Installs what is missing, builds Tessellon and starts it. Maps and Tessellon.ini live
# beside the program: build/src/app/.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh tessellon
exec build/src/app/tessellon
