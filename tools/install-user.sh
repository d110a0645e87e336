#!/usr/bin/env bash
# Installs Tessellon for the current user. With DATA = ${XDG_DATA_HOME:-~/.local/share}:
#   DATA/tessellon/bin/tessellon  the program; its maps and Tessellon.ini live beside it
#   DATA/applications/io.github.tessellon.tessellon.desktop  the menu entry
#   DATA/icons/hicolor/<N>x<N>/apps/io.github.tessellon.tessellon.png  its icon
#   ~/.local/bin/tessellon        a link to the program, for the PATH
# Like tools/run.sh it first installs missing packages and builds into build/ (tools/build.sh).
# Installing again replaces the program and keeps the maps and settings.
# Usage: tools/install-user.sh [--from <build dir>]  (--from: install that build as it is)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
id=io.github.tessellon.tessellon
if [ "${1:-}" = --from ]; then
    build=$(cd "$2" && pwd)
else
    build=$root/build
    "$root/tools/build.sh" tessellon tessellon_icons
fi

data=${XDG_DATA_HOME:-$HOME/.local/share}
app=$data/tessellon/bin
links=$HOME/.local/bin
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage" --strip >/dev/null

# The icon, menu entry and metainfo go where desktops look for them. The program is a new
# file renamed over the old one: a running copy keeps its program file.
mkdir -p "$app" "$links" "$data"
cp -R "$stage/share/." "$data/"
cp "$stage/bin/tessellon" "$app/.tessellon.new"
mv -f "$app/.tessellon.new" "$app/tessellon"
ln -sfn "$app/tessellon" "$links/tessellon"

# The menu entry starts the real program, not the link: quoted, with \ " ` $ escaped, and
# each backslash doubled again by the file's own escaping; % doubled for field codes.
exec_arg=$(printf '%s' "$app/tessellon" |
    sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g' -e 's/%/%%/g')
while IFS= read -r line; do
    case $line in
    Exec=*) printf 'Exec="%s"\n' "$exec_arg" ;;
    *) printf '%s\n' "$line" ;;
    esac
done <"$stage/share/applications/$id.desktop" >"$data/applications/$id.desktop"

echo "Installed $app/tessellon; maps and Tessellon.ini live in $app/"
case ":$PATH:" in
*":$links:"*) echo "Start it from the menu or with: tessellon" ;;
*) echo "Start it from the menu or with: $links/tessellon ($links is not on your PATH)" ;;
esac
