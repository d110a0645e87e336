#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tessellon need, if any is
# missing. Run as root (or with sudo available).
set -euo pipefail
packages=(cmake make g++ qt6-base-dev libgl-dev xvfb xauth xdotool x11-utils imagemagick
          clang libclang-rt-14-dev libx11-dev fonts-dejavu-core pkg-config
          desktop-file-utils appstream libpng-dev libjpeg62-turbo-dev python3-pil)
# --windows: what the Windows cross build and its tests need besides: MinGW-w64 with POSIX
# threads, and Wine to run what it builds.
[ "${1:-}" != --windows ] || packages=(g++-mingw-w64-x86-64-posix wine wine64 xz-utils)
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
