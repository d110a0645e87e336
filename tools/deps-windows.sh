#!/usr/bin/env bash
# Installs the Debian packages that the Windows cross build and its tests need, besides
# those of tools/deps.sh: MinGW-w64 with POSIX threads, and Wine to run what it builds.
set -euo pipefail
packages=(g++-mingw-w64-x86-64-posix wine wine64 xz-utils)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
