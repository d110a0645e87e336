# Helpers for the end-to-end tests: run the real program in a fresh program directory under
# the X server that xvfb-run started, drive it with real X11 input, close it.
# Needs: TESSELLON_BIN, TESSELLON_XCLOSE.
set -euo pipefail

E2E_DIR=$(mktemp -d)
trap 'e2e_cleanup' EXIT

e2e_cleanup() {
    if [ -n "${APP_PID:-}" ] && kill -0 "$APP_PID" 2>/dev/null; then kill -9 "$APP_PID" || true; fi
    rm -rf "$E2E_DIR"
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Copies the program into the program directory and starts it; sets APP_PID and WID.
start_app() {
    cp "$TESSELLON_BIN" "$E2E_DIR/tessellon"
    "$E2E_DIR/tessellon" >"$E2E_DIR/app.log" 2>&1 &
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
    for _ in $(seq 1 50); do
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

# Clicks at client coordinates of the window.
click_at() {
    local x=$1 y=$2 button=${3:-1}
    xdotool mousemove --window "$WID" --sync "$x" "$y" click "$button"
}
