# Shared by the Wine test scripts (sourced): the tests' Wine prefix and a
# virtual X server on a fixed display number.

# Ends the calling test as skipped (exit 77, each Wine test's skip code) when
# this machine runs no 32-bit programs at all, as some kernels are built: the
# Wine loader is one, so nothing under Wine could run. Other failures of the
# loader are left to show themselves in the test.
skip_unless_32bit_runs() {
    probe=$(wine --version 2>&1) && return 0
    case $probe in
    *"Exec format error"*)
        echo "SKIP: this machine runs no 32-bit programs, so nothing runs under Wine ($(echo "$probe" | tail -n 1))"
        exit 77
        ;;
    esac
}

# The prefix lives in the build folder; quiet, and no .NET or browser prompts.
wine_env() {  # build folder
    export WINEPREFIX="$1/wine/prefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

# Moves to a prefix of one's own, made from the current one: Wine processes
# on different X displays must not share a wineserver. Files are linked, not
# copied; the registry files, which wineserver rewrites, are copied.
private_prefix() {  # folder
    rm -rf "$1"
    cp -al "$WINEPREFIX" "$1"
    for f in "$WINEPREFIX"/*.reg; do cp --remove-destination "$f" "$1/"; done
    export WINEPREFIX="$1"
}

# Starts Xvfb on :$1 with screen $2 (WxHxDEPTH); sets xvfb_pid. Fails when
# the display is served by someone else.
start_xvfb() {
    Xvfb ":$1" -screen 0 "$2" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    tries=0
    while ! xdpyinfo -display ":$1" >/dev/null 2>&1; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ] || ! kill -0 $xvfb_pid 2>/dev/null; then
            echo "Xvfb could not start on :$1 (is the display taken?)" >&2
            return 1
        fi
        sleep 0.1
    done
    kill -0 $xvfb_pid 2>/dev/null || { echo "display :$1 is served by someone else" >&2; return 1; }
    export DISPLAY=":$1"
}

# Waits up to $2 seconds for a window named exactly $1; prints its id.
wait_window() {
    end=$(($(date +%s) + $2))
    while [ "$(date +%s)" -lt $end ]; do
        id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.2
    done
    return 1
}

# Waits up to $2 seconds for process $1 to end; sets status to its exit code.
wait_exit() {
    end=$(($(date +%s) + $2))
    while kill -0 "$1" 2>/dev/null; do
        if [ "$(date +%s)" -ge $end ]; then return 1; fi
        sleep 0.2
    done
    status=0
    wait "$1" || status=$?
}

# Gives a window the keyboard: without a window manager activation fails,
# focus and a click on it work.
focus_window() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
    xdotool mousemove --window "$1" 5 5 click 1
}
