#!/usr/bin/env bash
# A full disk: the program's directory is a small file system (2.6 MB) holding an old 1 MB
# map and a settings file with comments. Saves of a small and of large maps over the old
# one are refused with the error box and keep it byte for byte, also one that fails part-way;
# the settings written at close keep the old file byte for byte. Once there is room again
# the save goes through. Needs root to mount; skips (77) where that is not allowed.
source "$(dirname "$0")/lib.sh"

DISK=$E2E_DIR/disk
mkdir "$DISK"
[ "$(id -u)" -eq 0 ] || { echo "SKIP: mounting a small file system needs root"; exit 77; }
if ! mount -t tmpfs -o size=2600k tmpfs "$DISK" 2>"$E2E_DIR/mount.log"; then
    echo "SKIP: mounting a tmpfs is not allowed here: $(cat "$E2E_DIR/mount.log")"
    exit 77
fi
disk_cleanup() {
    umount -l "$DISK/tessellon" 2>/dev/null || true
    umount -l "$DISK" 2>/dev/null || true
    e2e_cleanup
}
trap 'disk_cleanup' EXIT
# The program's directory is where the binary is: bind it in, so it takes no room there.
touch "$DISK/tessellon"
mount --bind "$TESSELLON_BIN" "$DISK/tessellon"

"$IM_CONVERT" -size 577x577 xc:white -fill black -draw "rectangle 20,30 300,200" \
    -type TrueColor "BMP3:$DISK/old.bmp"
"$IM_CONVERT" -size 40x40 xc:white -fill black -draw "rectangle 5,5 20,30" \
    -type TrueColor "BMP3:$DISK/small.bmp"
"$IM_CONVERT" -size 1000x1000 xc:white -fill black -draw "rectangle 50,50 900,700" \
    -type TrueColor "BMP3:$E2E_DIR/big.bmp" # beside the disk: typed as ../big
printf '; my own notes, kept\r\n[HotKeyBindings]\r\nUp=38\r\n\r\n[Mine]\r\nx=1\r\n' \
    >"$DISK/Tessellon.ini"
cp "$DISK/old.bmp" "$DISK/Tessellon.ini" "$E2E_DIR/"
fill_disk() {
    dd if=/dev/zero of="$DISK/filler" bs=4k oflag=append conv=notrunc 2>/dev/null || true
    [ "$(df --output=avail -B1 "$DISK" | tail -n 1 | tr -d ' ')" -eq 0 ] || fail "the disk is not full"
}
fill_disk
FILES="Tessellon.ini filler old.bmp small.bmp tessellon "

no_stray_files() {
    [ "$(LC_ALL=C ls -A "$DISK" | tr '\n' ' ')" = "$FILES" ] || { ls -A "$DISK" >&2; return 1; }
}

# The settings of the run are in the file, and the lines it does not own are still there.
settings_written() {
    grep -q '^FormTop=' "$DISK/Tessellon.ini" && grep -q '^; my own notes, kept' "$DISK/Tessellon.ini"
}

# Saves the map over old.bmp and expects the error box; the old map stays as it was.
refused_save() {
    click_at $SAVE_XY
    answer_input_box "Save Map" old
    answer_message_box Error Return
    wait_until "the caption to drop the name after a failed save" caption_is "Tessellon"
    check "$1: the old map is kept byte for byte" cmp -s "$DISK/old.bmp" "$E2E_DIR/old.bmp"
    check "$1: no stray files are left" no_stray_files
}

start_app "$DISK/tessellon"
refused_save "the start canvas (867 x 377, 980 kB)"
load_map small
refused_save "a 40 x 40 map"
load_map ../big
refused_save "a 1000 x 1000 map"
truncate -s -300K "$DISK/filler" # room for part of the file: the write fails in the pixels
refused_save "a 1000 x 1000 map that fills the disk part-way"
fill_disk
close_app
check "the settings written at close keep the old file byte for byte" \
    cmp -s "$DISK/Tessellon.ini" "$E2E_DIR/Tessellon.ini"
check "no stray files after the close" no_stray_files

# With room again the same saves go through.
rm "$DISK/filler"
start_app "$DISK/tessellon"
load_map small
click_at $SAVE_XY
answer_input_box "Save Map" old
wait_until "the caption after saving old" caption_is "Tessellon old.bmp"
check "with room again the map is saved" same_pixels "$DISK/old.bmp" "$DISK/small.bmp"
close_app
check "and so are the settings, their comment kept" settings_written
finish
