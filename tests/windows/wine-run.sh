#!/usr/bin/env bash
# Runs a cross-built test program under Wine for CTest (CMAKE_CROSSCOMPILING_EMULATOR).
# Under Wine a QtTest program's report never reaches the terminal, so it is written to a
# file and shown from there; the program's exit status stays the test's.
set -uo pipefail
program=$1
shift
report=$(mktemp --suffix=.txt)
trap 'rm -f "$report"' EXIT
wine "$program" -o "$(winepath -w "$report" 2>/dev/null)",txt "$@" >/dev/null 2>&1
status=$?
cat "$report"
exit "$status"
