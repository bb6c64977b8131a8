#!/bin/sh
# The release archive under Wine, as a Windows user meets it, unpacked into a
# folder whose name has spaces, on its own virtual X server:
#   e2e_show.sh BUILD_DIR DISPLAY_NUMBER CASE WORK_DIR ARCHIVE
# CASE is one of
#   window               the dialog, Go in a 640 x 480 window, two frames of
#                        two scenes, sound written, Esc ends it with exit 0
#   left_alone           full screen on a 640 x 480 desktop of 24 bits; the show
#                        ends by itself near 148 s with exit 0
#   no_sound             no sound device: two error boxes, then the dialog, and
#                        Go ends the run cleanly with exit 0
#   full_screen_refused  no 640 x 480 mode at all: a box says so, exit 0
#   elsewhere            started by its full path from C:\, as a shortcut with
#                        another "Start in" folder does: it finds the data
#                        beside it, with no error box, and draws the show
# Screenshots are left in WORK_DIR.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_common.sh"
build=$1
display=$2
case=$3
work=$4
zip=$5

fail() {
    echo "FAIL ($case): $*" >&2
    exit 1
}

skip_unless_32bit_runs
rm -rf "$work"
mkdir -p "$work"
folder="$work/Velmora show folder"
mkdir -p "$folder"
(cd "$folder" && cmake -E tar xf "$zip") || fail "cannot unpack the archive"
[ -f "$folder/velmora.exe" ] && [ -f "$folder/data/velmora.xm" ] || fail "the archive lacks velmora.exe or data"

screen=1024x768x24
case $case in
left_alone) screen=640x480x24 ;;
esac

wine_env "$build"
private_prefix "$work/prefix"
start_xvfb "$display" "$screen" || exit 1
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    wineserver -k 2>/dev/null
    kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work/prefix"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

shot() {  # file
    import -display "$DISPLAY" -window root "$work/$1" 2>/dev/null
}

case $case in
window) export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" ;;
no_sound) export SDL_AUDIODRIVER=no-such-driver ;;
*) export SDL_AUDIODRIVER=dummy ;;
esac

if [ "$case" = elsewhere ]; then
    cd "$WINEPREFIX/drive_c"
    wine "$(winepath -w "$folder/velmora.exe")" >"$work/wine.log" 2>&1 &
else
    cd "$folder"
    wine velmora.exe >"$work/wine.log" 2>&1 &
fi
pid=$!

# The error boxes of a missing sound device come before the dialog.
if [ "$case" = no_sound ]; then
    for n in 1 2; do
        box=$(wait_window "ERROR!" 60) || fail "error box $n did not appear"
        sleep 0.5
        shot "error_box_$n.png"
        focus_window "$box"
        xdotool key Return
        end=$(($(date +%s) + 10))
        while xdotool search --name "^ERROR!\$" 2>/dev/null | grep -qx "$box"; do
            [ "$(date +%s)" -lt $end ] || fail "error box $n did not close"
            sleep 0.2
        done
    done
fi

dialog=$(wait_window "Velmora by Zorv !" 60) || {
    xdotool search --name "^ERROR!\$" >/dev/null 2>&1 && { shot error_box.png; fail "an error box came instead of the start-up dialog (error_box.png)"; }
    fail "the start-up dialog did not appear"
}
sleep 0.5
shot dialog.png
focus_window "$dialog"

# Full screen is marked at start; a window needs it unmarked.
case $case in
window | no_sound | elsewhere)
    # Focus starts on Go; the tab order is Go, Quit, Full Screen.
    xdotool key Tab Tab space
    sleep 0.3
    shot dialog_window_chosen.png
    ;;
esac
go_time=$(date +%s)
xdotool key Return

case $case in
window)
    main=$(wait_window "Velmora by Zorv!" 60) || fail "no show window after Go"
    # With no window manager Wine draws the frame itself around an X window
    # that is the client area: the frame's left, right and bottom edges are
    # as wide as the client's offset from the left.
    eval "$(xdotool getwindowgeometry --shell "$main")"
    outer="$((X + WIDTH + X))x$((Y + HEIGHT + X))"
    echo "show window: client ${WIDTH}x${HEIGHT} at $X,$Y, so $outer with its frame"
    [ "$outer" = 640x480 ] || fail "the show window is $outer, not 640x480"
    # Two moments in two scenes: the first runs 17 s, the second the next 17 s.
    sleep 8
    import -display "$DISPLAY" -window "$main" "$work/frame_8s.png"
    sleep 14
    import -display "$DISPLAY" -window "$main" "$work/frame_22s.png"
    for f in frame_8s frame_22s; do
        mean=$(convert "$work/$f.png" -colorspace gray -format "%[fx:int(mean*255)]" info:)
        spread=$(convert "$work/$f.png" -colorspace gray -format "%[fx:int(standard_deviation*255)]" info:)
        echo "$f: mean grey $mean, spread $spread"
        [ "$mean" -ge 10 ] || fail "$f is black"
        [ "$spread" -ge 8 ] || fail "$f is one flat colour"
    done
    change=$(compare -metric AE -fuzz 10% "$work/frame_8s.png" "$work/frame_22s.png" null: 2>&1)
    echo "pixels that changed between the frames: $change"
    [ "${change%% *}" -ge 30720 ] 2>/dev/null || fail "the frames barely differ ($change pixels)"
    focus_window "$main"
    xdotool key Escape
    wait_exit "$pid" 30 || fail "Esc did not end the show"
    pid=""
    [ "$status" -eq 0 ] || fail "exit code $status after Esc"
    size=$(wc -c < "$work/sound.raw" 2>/dev/null || echo 0)
    [ "$size" -gt 1000000 ] || fail "the sound device got $size bytes"
    cmp -s -n "$size" "$work/sound.raw" /dev/zero && fail "the sound written was silence"
    rm -f "$work/sound.raw"
    echo "Esc: exit 0; $size bytes of sound"
    ;;
left_alone)
    main=$(wait_window "Velmora by Zorv!" 60) || fail "no show window after Go"
    eval "$(xdotool getwindowgeometry --shell "$main")"
    [ "${WIDTH}x${HEIGHT}+$X+$Y" = 640x480+0+0 ] || fail "full screen is ${WIDTH}x${HEIGHT}+$X+$Y"
    sleep 5
    shot full_screen_5s.png
    wait_exit "$pid" 300 || fail "the show did not end by itself"
    pid=""
    took=$(($(date +%s) - go_time))
    echo "ended by itself $took s after Go, exit code $status"
    [ "$status" -eq 0 ] || fail "exit code $status"
    [ "$took" -ge 147 ] && [ "$took" -le 180 ] || fail "ended $took s after Go, not near 148 s"
    ;;
elsewhere)
    # Without its data the song's box would have come before the dialog, and
    # a box for each scene comes after Go.
    main=$(wait_window "Velmora by Zorv!" 60) || fail "no show window after Go"
    sleep 8
    box=$(xdotool search --name "^(Error !|ERROR!)\$" 2>/dev/null | head -n 1)
    [ -z "$box" ] || { shot error_box.png; fail "an error box appeared (error_box.png)"; }
    import -display "$DISPLAY" -window "$main" "$work/frame_8s.png"
    mean=$(convert "$work/frame_8s.png" -colorspace gray -format "%[fx:int(mean*255)]" info:)
    echo "frame_8s: mean grey $mean"
    [ "$mean" -ge 10 ] || fail "frame_8s is black"
    focus_window "$main"
    xdotool key Escape
    wait_exit "$pid" 30 || fail "Esc did not end the show"
    pid=""
    [ "$status" -eq 0 ] || fail "exit code $status after Esc"
    echo "started from C:\\: found its data beside it, drew the show, exit 0"
    ;;
no_sound)
    wait_exit "$pid" 60 || fail "the run did not end after Go"
    pid=""
    [ "$status" -eq 0 ] || fail "exit code $status"
    echo "two error boxes, then a clean exit 0"
    ;;
full_screen_refused)
    box=$(wait_window "Error !" 60) || fail "no box about the refused display mode"
    sleep 0.5
    shot mode_refused_box.png
    focus_window "$box"
    xdotool key Return
    wait_exit "$pid" 30 || fail "the run did not end after the box"
    pid=""
    [ "$status" -eq 0 ] || fail "exit code $status"
    echo "refused display mode: box shown, exit 0"
    ;;
*)
    fail "unknown case"
    ;;
esac
exit 0
