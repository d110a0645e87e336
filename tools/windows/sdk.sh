# Finds the Windows SDK (Qt 6, libpng, libjpeg-turbo and zlib cross-built for MinGW-w64) and
# unpacks it into build-win/sdk. Sourced from the repository's top folder; sets WIN_SDK, or
# says where the SDK is to come from and returns 1.
# TESSELLON_WIN64_SDK names the tarball (or an unpacked sdk/ folder); by default it is
# ../shared/win64/win64-sdk.tar.xz beside the repository.
find_windows_sdk() {
    local given=${TESSELLON_WIN64_SDK:-../shared/win64/win64-sdk.tar.xz}
    if [ -d "$given" ] && [ -f "$given/toolchain.cmake" ]; then
        WIN_SDK=$(readlink -f "$given")
        return 0
    fi
    if [ ! -f "$given" ]; then
        WIN_SDK_MISSING="no Windows SDK at $given: make one with tools/windows/build-sdk.sh (about 45 minutes on 2 cores, as root on Debian bookworm) and point TESSELLON_WIN64_SDK at the tarball it writes"
        return 1
    fi
    WIN_SDK=$PWD/build-win/sdk
    # unpacked again only when the tarball changed
    if [ ! -f "$WIN_SDK/toolchain.cmake" ] || [ "$given" -nt "$WIN_SDK/toolchain.cmake" ]; then
        rm -rf "$WIN_SDK"
        mkdir -p build-win
        tar -C build-win -xJf "$given"
        touch "$WIN_SDK/toolchain.cmake"
    fi
}
