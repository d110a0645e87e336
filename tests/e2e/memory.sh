#!/usr/bin/env bash
# Short memory, as a container or a systemd slice sets it: the program runs in a memory
# cgroup of its own limited to 700 MB. A picture that needs a 1 GiB canvas is refused with
# the error box, and holding S on a 5999 x 5999 map grows it until memory runs short, then
# stops; the program lives on and closes with status 0. Skipped (status 77) where no
# memory cgroup can be made: not root, or no memory controller to hand.
source "$(dirname "$0")/lib.sh"

LIMIT=$((700 * 1024 * 1024))
GROUP=""       # the group made here, removed at the end
SCOPE_MOUNT="" # set where a systemd scope holds the limit instead
SCOPE_GROUP=""

skip() {
    echo "SKIP: $*"
    exit 77
}

# The mount point of the memory hierarchy: "cgroup2", or "cgroup" with the memory option.
memory_mount() {
    awk -v want="$1" '{
        for (i = 7; $i != "-"; i++) ;
        if ($4 != "/") next
        if (want == "cgroup2" && $(i + 1) == "cgroup2") { print $5; exit }
        if (want == "cgroup" && $(i + 1) == "cgroup" && ("," $(i + 3) ",") ~ /,memory,/) { print $5; exit }
    }' /proc/self/mountinfo
}

# Makes GROUP below this shell's own memory cgroup, so that every limit above still counts,
# and limits it; v1 where the memory controller is there, else v2.
make_group() {
    [ "$(id -u)" -eq 0 ] || skip "making a memory cgroup needs root"
    local mount own
    mount=$(memory_mount cgroup)
    if [ -n "$mount" ]; then
        own=$(awk -F: '("," $2 ",") ~ /,memory,/ { print $3; exit }' /proc/self/cgroup)
        GROUP="$mount${own%/}/tessellon-e2e-$$"
        mkdir "$GROUP" 2>/dev/null || skip "cannot make a cgroup under $mount$own"
        echo "$LIMIT" >"$GROUP/memory.limit_in_bytes" || skip "cannot limit $GROUP"
        # without swap accounting this file is absent; with it, swapping is no way out
        [ ! -f "$GROUP/memory.memsw.limit_in_bytes" ] ||
            echo "$LIMIT" >"$GROUP/memory.memsw.limit_in_bytes" || true
        return
    fi
    mount=$(memory_mount cgroup2)
    [ -n "$mount" ] || skip "no memory cgroup hierarchy is mounted"
    own=$(awk -F: '$1 == "0" { print $3; exit }' /proc/self/cgroup)
    GROUP="$mount${own%/}/tessellon-e2e-$$"
    mkdir "$GROUP" 2>/dev/null || skip "cannot make a cgroup under $mount$own"
    # a group holding processes cannot hand controllers down; systemd can make a scope
    [ -f "$GROUP/memory.max" ] || echo +memory >"$mount${own%/}/cgroup.subtree_control" 2>/dev/null ||
        true
    if [ ! -f "$GROUP/memory.max" ]; then
        rmdir "$GROUP"
        GROUP=""
        if ! { [ -d /run/systemd/system ] && command -v systemd-run >/dev/null; }; then
            skip "the memory controller is not enabled for $mount$own, and there is no systemd"
        fi
        systemd-run --quiet --scope -p MemoryMax=$LIMIT true >/dev/null 2>&1 ||
            skip "systemd-run cannot start a scope with a memory limit here"
        SCOPE_MOUNT=$mount
        return
    fi
    echo "$LIMIT" >"$GROUP/memory.max" || skip "cannot limit $GROUP"
    echo 0 >"$GROUP/memory.swap.max" 2>/dev/null || true
}

# The program's way into its group: it moves itself in before it starts, or systemd starts
# it in a transient scope with the limit.
write_launcher() {
    if [ -n "$SCOPE_MOUNT" ]; then
        cat >"$1" <<EOF
#!/bin/sh
exec systemd-run --quiet --scope -p MemoryMax=$LIMIT -p MemorySwapMax=0 "$E2E_DIR/tessellon"
EOF
    else
        cat >"$1" <<EOF
#!/bin/sh
echo \$\$ >"$GROUP/cgroup.procs" && exec "$E2E_DIR/tessellon"
EOF
    fi
    chmod +x "$1"
}

# A systemd scope is found once the program runs in it; systemd removes it afterwards.
find_scope() {
    [ -n "$SCOPE_MOUNT" ] || return 0
    local path
    path=$(awk -F: '$1 == "0" { print $3; exit }' "/proc/$APP_PID/cgroup")
    [ "$(cat "$SCOPE_MOUNT$path/memory.max" 2>/dev/null)" = "$LIMIT" ] ||
        skip "systemd-run did not start the program in a limited scope"
    SCOPE_GROUP="$SCOPE_MOUNT$path"
}

remove_group() {
    [ -n "$GROUP" ] && [ -d "$GROUP" ] || return 0
    for _ in $(seq 1 50); do
        rmdir "$GROUP" 2>/dev/null && return 0
        sleep 0.1 # a killed program leaves its group a moment later
    done
    echo "could not remove $GROUP" >&2
}
trap 'e2e_cleanup; remove_group' EXIT

# Peak memory of the group, as each version reports it (v2 kernels before 5.19 keep none).
group_peak() {
    if [ -f "$LIMITED/memory.max_usage_in_bytes" ]; then cat "$LIMITED/memory.max_usage_in_bytes"
    elif [ -f "$LIMITED/memory.peak" ]; then cat "$LIMITED/memory.peak"
    else cat "$LIMITED/memory.current"; fi
}

app_alive() {
    kill -0 "$APP_PID" 2>/dev/null
}

# A little-endian 16- or 32-bit number as printf escapes.
le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)); }
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }

# An RLE8 bitmap of 1,080 bytes announcing $2 x $3 pixels (16384 x 16384 is a 1 GiB canvas):
# a palette and a lone end-of-bitmap code, which leaves every pixel white.
write_rle_bitmap() {
    local offset=$((14 + 40 + 1024))
    {
        printf %b "BM$(le32 $((offset + 2)))$(le32 0)$(le32 $offset)"
        printf %b "$(le32 40)$(le32 "$2")$(le32 "$3")$(le16 1)$(le16 8)$(le32 1)$(le32 2)"
        printf %b "$(le32 2835)$(le32 2835)$(le32 0)$(le32 0)"
        head -c 1024 /dev/zero
        printf '\x00\x01'
    } >"$1"
}

make_group
cp "$TESSELLON_BIN" "$E2E_DIR/tessellon"
# The program enters the group before it starts, so everything it takes is counted there.
write_launcher "$E2E_DIR/in-group"
write_rle_bitmap "$E2E_DIR/huge.bmp" 16384 16384
write_rle_bitmap "$E2E_DIR/small.bmp" $CANVAS_W $CANVAS_H # the handles stay where they are

start_app "$E2E_DIR/in-group"
find_scope
LIMITED=${SCOPE_GROUP:-$GROUP}
check "the program runs in the limited group" grep -qx "$APP_PID" "$LIMITED/cgroup.procs"

# The same form of file at the fitted size loads: only the size of the other is refused.
load_map small
pass "an RLE8 bitmap of this form loads when memory holds it"
click_at $LOAD_XY
answer_input_box "Load Map" huge
answer_message_box Error Return
wait_until "the caption after the refused load" caption_is "Tessellon"
check "a picture needing a 1 GiB canvas is refused with the error box, the program alive" app_alive

# The width box, then the height box of the same title: the first is answered once another
# stands in its place.
other_size_box() {
    [ "$(xdotool search --onlyvisible --name '^Change Canvas Size$' 2>/dev/null | head -n 1)" != "$1" ]
}

# Right-click on the bottom-right handle: the typed size, 5999 x 5999.
click_at $((CANVAS_X + CANVAS_W + 2)) $((CANVAS_Y + CANVAS_H + 2)) 3
wait_window "Change Canvas Size"
width_box=$WINDOW
xdotool windowfocus --sync "$width_box"
xdotool key --delay 30 ctrl+a BackSpace
xdotool type --delay 30 5999
xdotool key Return
wait_until "the height box" other_size_box "$width_box"
answer_input_box "Change Canvas Size" 5999
# Reaching the 16-bit limit of 32767 rows would take some 800 MB: more than the group has.
xdotool windowfocus --sync "$WID"
xdotool key --repeat 1100 --delay 8 s
# Every press has been handled once a box opened after them shows.
click_at $LOAD_XY
answer_input_box "Load Map" ""
check "holding S under the limit leaves the program alive" app_alive
peak=$(group_peak)
check "the map grew until memory ran short (peak $((peak >> 20)) MB of 700)" \
    test "$peak" -gt $((400 * 1024 * 1024))
close_app
pass "the window closes with status 0"
finish
