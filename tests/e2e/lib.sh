# Helpers for the end-to-end tests: start a private X server, run the real program in a
# fresh program directory under it, drive it with real X11 input, close it, and check the
# files it wrote.
# Needs: Xvfb, xauth, TESSELLON_BIN, TESSELLON_XCLOSE; the drop test also
# TESSELLON_DRAGSOURCE; the bitmap checks TESSELLON_TILES (the tile images).
# shellcheck disable=SC2034 # the places below are for the scripts that source this file
set -euo pipefail

E2E_DIR=$(mktemp -d)
trap 'e2e_cleanup' EXIT
# A killed test still takes its X server and program down with it.
trap 'exit 143' TERM INT HUP
PASSED=0
# ImageMagick from the distribution; another convert may be earlier on the PATH.
IM_CONVERT=/usr/bin/convert
IM_COMPARE=/usr/bin/compare
IM_IMPORT=/usr/bin/import
GRID_RGB="rgb(180,180,179)"
WAIT_SECONDS=10

# The window's fixed places, in window pixels (there is no window manager, so the window
# sits at the screen's top-left and has no decorations). Buttons: centres of the command
# frame's controls, their twips divided by 15 plus the frame's place (732, 0).
CANVAS_X=10 # view frame at 5 + canvas at 5 inside it
CANVAS_Y=175
CANVAS_W=867 # the canvas fitted to the view at the first layout
CANVAS_H=377
UNDO_XY="764 28"
REDO_XY="764 52"
LOAD_XY="820 28"
SAVE_XY="820 52"
CLEAR_XY="873 52"
GRID_XY="858 28"
PAGE_KEYBINDINGS_XY="645 15"

e2e_cleanup() {
    if [ -n "${APP_PID:-}" ] && kill -0 "$APP_PID" 2>/dev/null; then kill -9 "$APP_PID" || true; fi
    if [ -n "${DRAG_PID:-}" ] && kill -0 "$DRAG_PID" 2>/dev/null; then kill -9 "$DRAG_PID" || true; fi
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    rm -rf "$E2E_DIR"
}

# Starts Xvfb on a display it picks itself and exports DISPLAY and XAUTHORITY. The server
# binds the first free number and writes it to fd 3 once it accepts connections, so another
# X server starting at the same moment can never get the same display (guessing a free
# number first, as xvfb-run -a does, can lose that race). Clients need the cookie.
start_xserver() {
    local cookie display
    cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
    # The server trusts every cookie in its file, whatever display the entry names.
    touch "$E2E_DIR/server.auth" "$E2E_DIR/client.auth" "$E2E_DIR/display"
    xauth -q -f "$E2E_DIR/server.auth" add :0 MIT-MAGIC-COOKIE-1 "$cookie"
    # -noreset: a reset after the last xdotool call could refuse the program connecting then.
    Xvfb -displayfd 3 -nolisten tcp -noreset -auth "$E2E_DIR/server.auth" \
        -screen 0 1280x1024x24 3>"$E2E_DIR/display" >"$E2E_DIR/xvfb.log" 2>&1 &
    XVFB_PID=$!
    wait_until "Xvfb to name its display" display_named
    display=$(head -n 1 "$E2E_DIR/display")
    [[ "$display" =~ ^[0-9]+$ ]] || fail "Xvfb named no display: $(cat "$E2E_DIR/xvfb.log")"
    export DISPLAY=":$display" XAUTHORITY="$E2E_DIR/client.auth"
    xauth -q add "$DISPLAY" MIT-MAGIC-COOKIE-1 "$cookie"
}

# The display number is complete once its line ends.
display_named() {
    kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb did not start: $(cat "$E2E_DIR/xvfb.log")"
    [ "$(wc -l <"$E2E_DIR/display")" -ge 1 ]
}

fail() {
    echo "FAIL: $*" >&2
    echo "$PASSED passed, 1 failed"
    exit 1
}

# Counts a passed check; the message says what was checked.
pass() {
    PASSED=$((PASSED + 1))
    echo "ok: $*"
}

# Runs a command as a check: passes when it succeeds, fails the script otherwise.
check() {
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

finish() {
    echo "$PASSED passed, 0 failed"
}

# Polls a command until it succeeds; fails with the message after WAIT_SECONDS.
wait_until() {
    local what=$1
    shift
    for _ in $(seq 1 $((WAIT_SECONDS * 20))); do
        if "$@"; then return 0; fi
        sleep 0.05
    done
    fail "timed out waiting for $what"
}

# Copies the program into the program directory and starts it, or starts program $1 where
# it is; sets APP_PID and WID.
start_app() {
    local program=${1:-$E2E_DIR/tessellon}
    [ -n "${1:-}" ] || cp "$TESSELLON_BIN" "$program"
    "$program" >"$E2E_DIR/app.log" 2>&1 &
    APP_PID=$!
    WID=""
    for _ in $(seq 1 100); do
        WID=$(xdotool search --onlyvisible --name '^Tessellon' 2>/dev/null | head -n 1 || true)
        [ -n "$WID" ] && break
        kill -0 "$APP_PID" 2>/dev/null || fail "the program ended during start-up: $(cat "$E2E_DIR/app.log")"
        sleep 0.1
    done
    [ -n "$WID" ] || fail "no window captioned Tessellon appeared"
    sleep 0.3 # the one-shot grid drawing and the first paint
}

# Closes the window as a window manager would and waits for a clean exit.
close_app() {
    "$TESSELLON_XCLOSE" "$WID"
    for _ in $(seq 1 100); do
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$APP_PID" 2>/dev/null; then fail "the program did not end after its window was closed"; fi
    local rc=0
    wait "$APP_PID" || rc=$?
    APP_PID=""
    [ "$rc" -eq 0 ] || fail "the program ended with status $rc: $(cat "$E2E_DIR/app.log")"
}

# Focuses the window with a real focus change, then types keys as a user does.
press() {
    xdotool windowfocus --sync "$WID"
    xdotool key --delay 30 "$@"
}

# Moves the pointer to client coordinates of the window. "mousemove --sync" waits for the
# pointer to move, which never comes when it already stands there.
hover_at() {
    local x=$1 y=$2 pos
    pos=$(xdotool getwindowgeometry "$WID" | awk '/Position:/ { print $2 }')
    local want="X=$((${pos%,*} + x)) Y=$((${pos#*,} + y))"
    if [ "$(xdotool getmouselocation --shell | head -n 2 | tr '\n' ' ')" = "$want " ]; then
        return 0
    fi
    xdotool mousemove --window "$WID" --sync "$x" "$y"
}

# Clicks at client coordinates of the window.
click_at() {
    local x=$1 y=$2 button=${3:-1}
    hover_at "$x" "$y"
    xdotool click "$button"
}

# Centre of a palette hot-spot, in window pixels: frame place + base panel place + slot
# offset + half the slot size. Prints "x y".
hotspot_xy() {
    local fx=$1 fy=$2 px=$3 py=$4 dx=$5 dy=$6 w=$7 h=$8
    echo "$((fx + px + dx + w / 2)) $((fy + py + dy + h / 2))"
}

# Page "Standard" stands at (296, 16); its panel 27 at (24, 32) has the W hot-spot 110
# (tile 99, 17 x 33 at (-16, 0)), the hot-spot most scripts stamp with.
PAGE_X=296
PAGE_Y=16
HOTSPOT_110_XY=$(hotspot_xy $PAGE_X $PAGE_Y 24 32 -16 0 17 33)

caption_is() {
    [ "$(xdotool getwindowname "$WID" 2>/dev/null)" = "$1" ]
}

# Sets WINDOW to the id of the visible top-level window titled exactly $1, once it is there.
wait_window() {
    WINDOW=$(timeout "$WAIT_SECONDS" xdotool search --sync --onlyvisible --name "^$1\$" \
        2>/dev/null | head -n 1) || true
    [ -n "$WINDOW" ] || fail "no window titled '$1' appeared"
}

no_window() {
    ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1
}

# Answers an input box: replaces its text with $2 and presses Enter.
answer_input_box() {
    local title=$1 text=$2
    wait_window "$title"
    xdotool windowfocus --sync "$WINDOW"
    xdotool key --delay 30 ctrl+a BackSpace
    [ -z "$text" ] || xdotool type --delay 30 "$text"
    xdotool key Return
    wait_until "the '$title' box to close" no_window "$title"
}

# Presses keys in a message box, then waits for it to close.
answer_message_box() {
    local title=$1
    shift
    wait_window "$title"
    xdotool windowfocus --sync "$WINDOW"
    xdotool key --delay 30 "$@"
    wait_until "the '$title' box to close" no_window "$title"
}

# Saves the map as $1 through the Save button and waits for the caption to show it.
save_as() {
    click_at $SAVE_XY
    answer_input_box "Save Map" "$1"
    wait_until "the caption after saving $1" caption_is "Tessellon $1.bmp"
    [ -f "$E2E_DIR/$1.bmp" ] || fail "Save did not write $1.bmp"
}

# Loads the map typed as $1 (with or without ".bmp") through the Load button and waits for
# the caption to show it.
load_map() {
    click_at $LOAD_XY
    answer_input_box "Load Map" "$1"
    wait_until "the caption after loading $1" caption_is "Tessellon ${1%.bmp}.bmp"
}

# Writes the picture a canvas of W x H should hold: white, with each "tile x y" ANDed in.
# The tiles used are pure black and white, for which darkening is the same as AND.
expected_canvas() {
    local out=$1 w=$2 h=$3
    shift 3
    local args=(-size "${w}x${h}" xc:white -compose Darken)
    while [ $# -ge 3 ]; do
        local png
        png="$TESSELLON_TILES/$(printf '%03d' "$1").png"
        [ -f "$png" ] || fail "no tile image $png"
        local colours
        colours=$("$IM_CONVERT" "$png" -alpha off -unique-colors -depth 8 txt:- | tail -n +2 |
            awk '{print $3}' | sort | tr '\n' ' ')
        [ "$colours" = "#000000 #FFFFFF " ] || fail "tile $1 is not pure black and white"
        args+=(\( "$png" -alpha off \) -geometry "+$2+$3" -composite)
        shift 3
    done
    "$IM_CONVERT" "${args[@]}" -alpha off "$out"
}

image_size() {
    "$IM_CONVERT" "$1" -format '%wx%h' info:
}

# Number of pixels of the exact colour $2 in picture $1.
count_colour() {
    "$IM_CONVERT" "$1" -alpha off -fill black +opaque "$2" -fill white -opaque "$2" \
        -format '%[fx:round(mean*w*h)]' info:
}

# Succeeds when two pictures have the same size and every pixel the same; prints why not.
same_pixels() {
    local a=$1 b=$2
    local sa sb
    sa=$(image_size "$a")
    sb=$(image_size "$b")
    if [ "$sa" != "$sb" ]; then
        echo "  $(basename "$a") is $sa, expected $sb" >&2
        return 1
    fi
    local diff
    diff=$("$IM_COMPARE" -metric AE "$a" "$b" null: 2>&1) || true
    if [ "$diff" != "0" ]; then
        echo "  $(basename "$a"): $diff pixels differ from $(basename "$b")" >&2
        return 1
    fi
}

# The saved map $1 (bare name) holds exactly the canvas W x H with the given tiles.
map_holds() {
    local name=$1 w=$2 h=$3
    shift 3
    local want="$E2E_DIR/want-$name.png"
    expected_canvas "$want" "$w" "$h" "$@"
    same_pixels "$E2E_DIR/$name.bmp" "$want"
}

no_grid_dot() {
    local n
    n=$(count_colour "$1" "$GRID_RGB")
    [ "$n" -eq 0 ] || { echo "  $(basename "$1") holds $n grid dots" >&2; return 1; }
}

# A screenshot of the canvas part of the window, as far as it is in view.
canvas_shot() {
    local out=$1
    "$IM_IMPORT" -window "$WID" "$E2E_DIR/window.png"
    "$IM_CONVERT" "$E2E_DIR/window.png" -crop "${CANVAS_W}x${CANVAS_H}+${CANVAS_X}+${CANVAS_Y}" \
        +repage "$out"
}

grid_shown() {
    canvas_shot "$E2E_DIR/canvas.png"
    [ "$(count_colour "$E2E_DIR/canvas.png" "$GRID_RGB")" -gt 1000 ]
}

grid_hidden() {
    canvas_shot "$E2E_DIR/canvas.png"
    [ "$(count_colour "$E2E_DIR/canvas.png" "$GRID_RGB")" -eq 0 ]
}

# The value of key $2 in section $1 of the settings file.
ini_value() {
    awk -v sec="$1" -v key="$2" -F= '
        /^\[/ { cur = tolower(substr($0, 2, index($0, "]") - 2)); next }
        cur == tolower(sec) && tolower($1) == tolower(key) { print substr($0, index($0, "=") + 1); exit }
    ' "$E2E_DIR/Tessellon.ini"
}

ini_is() {
    local got
    got=$(ini_value "$1" "$2")
    [ "$got" = "$3" ] || { echo "  [$1] $2 is '$got', expected '$3'" >&2; return 1; }
}

# Drags file $1 from the drag source window onto client coordinates $2, $3 of the window
# with real pointer input, and waits until the source reports the drop accepted. The source
# stays (DRAG_PID) until end_drag: the target fetches the file list from it after the drop.
drop_file() {
    local file=$1 x=$2 y=$3 pos
    "$TESSELLON_DRAGSOURCE" "$file" 1000 100 >"$E2E_DIR/drag.out" 2>"$E2E_DIR/drag.log" &
    DRAG_PID=$!
    wait_window dragsource
    pos=$(xdotool getwindowgeometry "$WID" | awk '/Position:/ { print $2 }')
    local tx=$((${pos%,*} + x)) ty=$((${pos#*,} + y))
    xdotool mousemove --sync 1030 130 mousedown 1
    # Several moves, the last ones inside the target, so that it has answered before the drop.
    local p
    for p in "1000 140" "$(((1000 + tx) / 2)) $(((140 + ty) / 2))" "$((tx - 4)) $((ty - 4))" \
        "$((tx - 2)) $((ty - 2))" "$tx $ty"; do
        xdotool mousemove --sync $p
        sleep 0.05
    done
    xdotool mouseup 1
    wait_until "the drag source to finish its drag" grep -q . "$E2E_DIR/drag.out"
    [ "$(cat "$E2E_DIR/drag.out")" = dropped ] || fail "the window refused the dragged file"
}

end_drag() {
    if [ -n "${DRAG_PID:-}" ]; then
        kill "$DRAG_PID" 2>/dev/null || true
        wait "$DRAG_PID" 2>/dev/null || true
        DRAG_PID=""
    fi
}

# Every script that sources this file runs under an X server of its own.
start_xserver
