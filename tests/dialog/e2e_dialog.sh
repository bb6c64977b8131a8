#!/bin/bash
# The start-up dialog end to end: on a virtual X server of its own, driven with
# xdotool the way a viewer would use it.
#
#   e2e_dialog.sh <output folder> <dialog_driver> [velmora]
#
# dialog_driver runs the dialog alone and prints "result=R fullScreen=F done=D";
# with the program given, the whole run is checked too: the choice opens the
# show full screen or in a window, and "Quit" ends it before any window.
# Screenshots of the dialog are left in the output folder.
set -u
OUT=$1
DRIVER=$2
PROGRAM=${3:-}
SCREEN_W=1024
SCREEN_H=768
CAPTION='^Velmora by Zorv !$'
SHOW_TITLE='^Velmora by Zorv!$'

mkdir -p "$OUT"
failures=0
background=()

cleanup() {
    for pid in "${background[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
}
trap cleanup EXIT

check() {  # check <description> <expected> <actual>
    if [ "$2" = "$3" ]; then
        echo "ok   $1"
    else
        echo "FAIL $1: expected '$2', got '$3'"
        failures=$((failures + 1))
    fi
}

# Waits for a child process to end (a hang guard, not a time limit on the
# test) and leaves its exit code in EXIT_CODE.
wait_exit() {
    local pid=$1 i
    for i in $(seq 600); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid"
    EXIT_CODE=$?
}

# The id of the first window whose name matches, once it is mapped.
wait_window() {
    timeout 60 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1
}

focus_window() {
    xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
}

# Sanitizer builds: leaks inside the system's libraries are theirs; the
# program's own are never suppressed.
for lib in libgtk-3.so libgdk-3.so libglib-2.0.so libgobject-2.0.so libgio-2.0.so libpango libcairo.so \
    libharfbuzz.so libfontconfig.so libatk libepoxy.so libdbus-1.so libX11.so libxcb.so libSDL2-2.0.so \
    libGLX_mesa.so libGL.so libGLdispatch.so swrast_dri.so libgallium libLLVM libasound.so libpulse libpipewire; do
    echo "leak:$lib"
done >"$OUT/lsan.supp"
export LSAN_OPTIONS="suppressions=$OUT/lsan.supp:print_suppressions=0"

# --- the virtual screen, and a window manager where one is installed --------
Xvfb -displayfd 3 -screen 0 ${SCREEN_W}x${SCREEN_H}x24 -nolisten tcp 3>"$OUT/display" 2>"$OUT/xvfb.log" &
background+=($!)
for i in $(seq 300); do
    [ -s "$OUT/display" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -1 "$OUT/display")"
unset WAYLAND_DISPLAY
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
if ! xdotool getdisplaygeometry >/dev/null 2>&1; then
    echo "FAIL no X server"
    exit 1
fi
# The window manager draws the caption and turns Alt+F4 into a close request;
# without one, the dialog takes Alt+F4 itself.
if command -v openbox >/dev/null; then
    openbox --sm-disable >"$OUT/openbox.log" 2>&1 &
    background+=($!)
    for i in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
fi

# --- the dialog alone ---------------------------------------------------------
# run_dialog <name> <action...>: starts the driver, waits for the dialog, runs
# the action with the dialog's window id in $WID, and prints the driver's line.
run_dialog() {
    local name=$1
    shift
    "$DRIVER" >"$OUT/$name.out" 2>"$OUT/$name.err" &
    local pid=$!
    WID=$(wait_window "$CAPTION")
    if [ -n "$WID" ]; then
        xdotool getwindowname "$WID" >"$OUT/caption.txt"
        focus_window "$WID"
        "$@"
    fi
    wait_exit "$pid"
    echo "$(cat "$OUT/$name.out") exit=$EXIT_CODE"
}

keys() { xdotool key --delay 100 "$@"; }

# Position and size of a window's inside, from the X server.
geometry() {  # sets X, Y, WIDTH, HEIGHT
    local info
    info=$(xwininfo -id "$1")
    X=$(echo "$info" | sed -n 's/.*Absolute upper-left X: *//p')
    Y=$(echo "$info" | sed -n 's/.*Absolute upper-left Y: *//p')
    WIDTH=$(echo "$info" | sed -n 's/.*Width: *//p')
    HEIGHT=$(echo "$info" | sed -n 's/.*Height: *//p')
}

# What a viewer sees: the caption, the three controls, the box marked, and the
# dialog's outer corner (its frame's, where a window manager draws one).
look() {
    local left=0 top=0 extents
    geometry "$WID"
    extents=$(xprop -id "$WID" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p')
    if [ -n "$extents" ]; then
        left=$(echo "$extents" | cut -d, -f1 | tr -d ' ')
        top=$(echo "$extents" | cut -d, -f3 | tr -d ' ')
    fi
    echo "$((X - left)),$((Y - top))" >"$OUT/corner.txt"
    import -window root "$OUT/dialog_screen.png"
    convert "$OUT/dialog_screen.png" -crop \
        "$((WIDTH + 2 * left + 40))x$((HEIGHT + top + left + 40))+$((X - left - 20))+$((Y - top - 20))" \
        +repage "$OUT/dialog.png"
    keys Return
}

check "Enter starts full screen" "result=1 fullScreen=1 done=0 exit=0" "$(run_dialog look look)"
check "dialog's outer corner at the centre less (65, 63)" \
    "$((SCREEN_W / 2 - 65)),$((SCREEN_H / 2 - 63))" "$(cat "$OUT/corner.txt" 2>/dev/null)"
check "dialog's caption" "Velmora by Zorv !" "$(cat "$OUT/caption.txt" 2>/dev/null)"
check "Space then Enter: in a window" "result=1 fullScreen=0 done=0 exit=0" \
    "$(run_dialog space keys space Return)"
check "Escape quits" "result=0 fullScreen=1 done=1 exit=0" "$(run_dialog escape keys Escape)"
check "Alt+F4 quits" "result=0 fullScreen=1 done=1 exit=0" "$(run_dialog altf4 keys alt+F4)"
# Tab from the check box reaches "Go", which Space presses.
check "Tab Space presses Go" "result=1 fullScreen=1 done=0 exit=0" \
    "$(run_dialog tabs keys Tab space)"

# A mouse click on the check box (inside its template box, 15,17 51x10 dialog
# units), then Enter.
click_box() {
    geometry "$WID"
    xdotool mousemove --window "$WID" $((WIDTH * 22 / 186)) $((HEIGHT * 22 / 39)) click 1
    import -window "$WID" "$OUT/dialog_unchecked.png"
    keys Return
}
check "click on the box, Enter: in a window" "result=1 fullScreen=0 done=0 exit=0" \
    "$(run_dialog click click_box)"

# --- the whole program --------------------------------------------------------
# The show's window: full screen covers the screen, a window is 640 x 480.
# The window manager may size it after it first appears: the size is read
# until it is the one expected (a hang guard, not a time limit).
show_size() {
    local out=$1 expected=$2 i
    shift 2
    "$PROGRAM" >"$OUT/$out.out" 2>"$OUT/$out.err" &
    local pid=$!
    WID=$(wait_window "$CAPTION")
    local size="no dialog"
    if [ -n "$WID" ]; then
        focus_window "$WID"
        keys "$@"
        local show
        show=$(wait_window "$SHOW_TITLE")
        size="no window"
        if [ -n "$show" ]; then
            for i in $(seq 200); do
                geometry "$show"
                size="${WIDTH}x${HEIGHT}"
                [ "$size" = "$expected" ] && break
                sleep 0.1
            done
            # Esc ends the show.
            focus_window "$show"
            keys Escape
        fi
    fi
    wait_exit "$pid"
    echo "$size"
}

if [ -n "$PROGRAM" ]; then
    full="${SCREEN_W}x${SCREEN_H}"
    check "program: Enter shows full screen" "$full" "$(show_size go "$full" Return)"
    check "program: Space then Enter shows a window" "640x480" \
        "$(show_size window 640x480 space Return)"

    # "Quit": exit code 0, and no window of the program's own after the dialog.
    # Every top-level window created on the screen is logged; the dialog's
    # creation marks where the count starts.
    stdbuf -oL xev -root -event substructure >"$OUT/quit.xev" 2>&1 &
    xev_pid=$!
    background+=($xev_pid)
    "$PROGRAM" >"$OUT/quit.out" 2>"$OUT/quit.err" &
    pid=$!
    WID=$(wait_window "$CAPTION")
    code="no dialog"
    created="?"
    if [ -n "$WID" ]; then
        hex=$(printf '0x%x' "$WID")
        for i in $(seq 100); do
            grep -q "window $hex" "$OUT/quit.xev" && break
            sleep 0.1
        done
        mark=$(wc -l <"$OUT/quit.xev")
        focus_window "$WID"
        keys Escape
        wait_exit "$pid"
        code=$EXIT_CODE
        xdotool getdisplaygeometry >/dev/null  # a round trip, so xev has seen all
        sleep 0.5
        # Real windows only: GTK's and the window manager's helpers are tiny
        # or override-redirect.
        created=$(tail -n +"$((mark + 1))" "$OUT/quit.xev" | awk '
            /CreateNotify/ { seen = 1; next }
            seen == 1 { match($0, /width [0-9]+/); w = substr($0, RSTART + 6, RLENGTH - 6); seen = 2; next }
            seen == 2 { if (w >= 100 && $0 ~ /override NO/) n++; seen = 0 }
            END { print n + 0 }')
    else
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    check "program: Escape quits with exit code 0" "0" "$code"
    check "program: no window after Quit" "0" "$created"
fi

echo "screenshots: $OUT/dialog.png, $OUT/dialog_unchecked.png"
[ "$failures" -eq 0 ]
