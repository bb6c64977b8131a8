# Sourced by the install tests: a work folder removed at exit (with the show
# if it still runs), fail, and a way to play an installed show headless with
# the frame probe preloaded, until it has drawn pictures.

work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill -KILL $pid 2>/dev/null; rm -rf "$work"' EXIT
fail() {
    echo "FAIL $*"
    exit 1
}

# play_probed PROGRAM PROBE_LIBRARY WORK_DIR: runs PROGRAM, waits until 5
# probed frames (50 drawn) have 8 colours or more (loading and a busy machine
# may take a while), then ends it. Fails with a message when it drew no
# picture or wrote anything (every error box goes to standard error without
# a display); its output is left in WORK_DIR/out.
play_probed() {
    # A sanitized build's runtime comes second behind the preloaded probe.
    SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy VELMORA_FRAME_PROBE=$3/frames \
        ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0 LD_PRELOAD=$2 \
        "$1" >"$3/out" 2>&1 &
    pid=$!
    for i in $(seq 1200); do
        kill -0 $pid 2>/dev/null || break
        drawn=$(awk '$4 >= 8' "$3/frames" 2>/dev/null | wc -l)
        [ "$drawn" -ge 5 ] && break
        sleep 0.1
    done
    if kill -0 $pid 2>/dev/null; then
        kill -TERM $pid
        wait $pid 2>/dev/null
    else
        wait $pid 2>/dev/null
        echo "$1 ended by itself, exit code $?"
    fi
    pid=""
    frames=$(wc -l <"$3/frames" 2>/dev/null || echo 0)
    drawn=$(awk '$4 >= 8' "$3/frames" 2>/dev/null | wc -l)
    echo "probed $frames frames, $drawn with 8 colours or more"
    if [ -s "$3/out" ]; then
        cat "$3/out"
        fail "the show wrote to standard error or output (above)"
    fi
    [ "$drawn" -ge 5 ] || fail "the show drew no picture"
}
