#!/usr/bin/env bash
# Installs a build into a fresh prefix and, with tools/install-user.sh, for a user whose home
# has a space in its path; checks that the files are where desktops look for them, that the
# menu entries and the metainfo pass their validators, and that the program started through
# its link keeps its settings beside the real program.
# Usage: check-install.sh <build dir> <application id> <icon size>...
source "$(dirname "$0")/../tests/e2e/lib.sh"
build=$1 id=$2
shift 2
sizes=("$@")
root=$(cd "$(dirname "$0")/.." && pwd)

# Validators print warnings but may still succeed: only silence counts.
desktop_entry_valid() {
    local out
    out=$(desktop-file-validate "$1" 2>&1) && [ -z "$out" ] || { echo "$out" >&2; return 1; }
}
metainfo_valid() {
    local out
    out=$(appstreamcli validate --no-net --pedantic "$1" 2>&1) &&
        ! grep -q '^[EWIP]:' <<<"$out" || { echo "$out" >&2; return 1; }
}
icons_there() { # <hicolor dir>
    local size
    for size in "${sizes[@]}"; do
        local png="$1/${size}x$size/apps/$id.png"
        [ "$(image_size "$png" 2>/dev/null)" = "${size}x$size" ] || { echo "  $png" >&2; return 1; }
    done
}

prefix=$E2E_DIR/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
check "cmake --install puts the program in bin/" test -x "$prefix/bin/tessellon"
check "and the icon in every size" icons_there "$prefix/share/icons/hicolor"
check "the desktop entry is valid" desktop_entry_valid "$prefix/share/applications/$id.desktop"
check "the metainfo is valid" metainfo_valid "$prefix/share/metainfo/$id.metainfo.xml"

home="$E2E_DIR/a home"
mkdir -p "$home"
env -u XDG_DATA_HOME HOME="$home" bash "$root/tools/install-user.sh" --from "$build" >/dev/null
data=$home/.local/share
real=$data/tessellon/bin/tessellon
check "install-user.sh puts the program in a directory of its own" test -x "$real"
check "with a link on the PATH" test "$(readlink -f "$home/.local/bin/tessellon")" = "$real"
check "its menu entry is valid" desktop_entry_valid "$data/applications/$id.desktop"
check "and starts the real program" grep -qxF "Exec=\"$real\"" "$data/applications/$id.desktop"
check "its icon is in every size" icons_there "$data/icons/hicolor"

start_app "$home/.local/bin/tessellon"
close_app
check "started through the link, it keeps its settings beside the real program" \
    test -f "$data/tessellon/bin/Tessellon.ini"
finish
