#!/bin/sh
# End to end under Xvfb: SIGTERM ends the show with exit code 0 within a
# second while something modal holds it: the error box of a sound device that
# cannot be opened, and the start-up dialog.
#   e2e_signal.sh <build dir>
set -e
build="$1"
command -v xvfb-run >/dev/null || { echo "xvfb-run missing (scripts/setup.sh installs it)" >&2; exit 1; }

exec xvfb-run -a -s "-screen 0 1024x768x24" sh -s "$build" <<'INNER'
set -e
cd "$1"
failures=0

# case <name> <window name> <SDL audio driver>
case_() {
    SDL_AUDIODRIVER=$3 ./velmora > "e2e_signal_$1.log" 2>&1 &
    pid=$!
    win=""
    for i in $(seq 1 300); do
        # SDL's message box is not found by xdotool's search: the window tree tells.
        win=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$2\"" | head -n1) || true
        [ -n "$win" ] && break
        kill -0 $pid 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$win" ]; then
        echo "FAIL $1: no window '$2' appeared"; cat "e2e_signal_$1.log"; kill -KILL $pid 2>/dev/null || true
        failures=$((failures + 1)); return
    fi
    sleep 0.5
    start=$(date +%s%N)
    kill -TERM $pid
    for i in $(seq 1 50); do
        kill -0 $pid 2>/dev/null || break
        sleep 0.02
    done
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    if kill -0 $pid 2>/dev/null; then
        echo "FAIL $1: still running ${ms} ms after SIGTERM"; kill -KILL $pid
        failures=$((failures + 1)); return
    fi
    wait $pid && code=0 || code=$?
    if [ "$code" -ne 0 ] || [ "$ms" -ge 1000 ]; then
        echo "FAIL $1: exit code $code after ${ms} ms"; failures=$((failures + 1))
    else
        echo "ok   $1: exit code 0 ${ms} ms after SIGTERM"
    fi
}

case_ error-box "ERROR!" no-such-driver
case_ start-up-dialog "Velmora by Zorv !" dummy
[ $failures -eq 0 ]
INNER
