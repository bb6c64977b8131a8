#!/bin/sh
# End to end under Xvfb: the show's window appears, frames are drawn, and Esc
# sent with xdotool ends it with exit code 0.
#   e2e_window.sh <build dir> [screenshot.png]
set -e
build="$1"
shot="${2:-$build/e2e_window.png}"
command -v xvfb-run >/dev/null || { echo "xvfb-run missing (scripts/setup.sh installs it)" >&2; exit 1; }

export SDL_AUDIODRIVER=dummy
exec xvfb-run -a -s "-screen 0 1024x768x24" sh -s "$build" "$shot" <<'INNER'
set -e
build="$1"; shot="$2"
cd "$build"
./velmora > e2e_window.log 2>&1 &
pid=$!

# The start-up dialog, where there is one, starts the show with Enter.
for i in $(seq 1 50); do
    if dlg=$(xdotool search --name "^Velmora by Zorv !$" 2>/dev/null | head -n1) && [ -n "$dlg" ]; then
        xdotool windowactivate --sync "$dlg" 2>/dev/null || true
        # The dialog closes on the key press; the release may find it gone.
        xdotool key --window "$dlg" Return 2>/dev/null || true
        break
    fi
    if xdotool search --name "^Velmora by Zorv!$" >/dev/null 2>&1; then break; fi
    sleep 0.1
done

win=""
for i in $(seq 1 100); do
    win=$(xdotool search --onlyvisible --name "^Velmora by Zorv!$" 2>/dev/null | head -n1) || true
    [ -n "$win" ] && break
    kill -0 $pid 2>/dev/null || { echo "velmora ended before its window appeared"; cat e2e_window.log; exit 1; }
    sleep 0.1
done
[ -n "$win" ] || { echo "no window appeared"; kill $pid; exit 1; }
echo "window $win appeared"

sleep 4
import -window root "$shot"
colours=$(convert "$shot" -format %k info:)
echo "screenshot $shot has $colours colours"

xdotool windowactivate --sync "$win" 2>/dev/null || true
xdotool key --window "$win" Escape
for i in $(seq 1 100); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
done
if kill -0 $pid 2>/dev/null; then echo "Esc did not end the show"; kill $pid; exit 1; fi
wait $pid && code=0 || code=$?
echo "exit code $code"
[ "$code" -eq 0 ] || { cat e2e_window.log; exit 1; }
[ "$colours" -gt 1 ] || { echo "the screen stayed one colour"; exit 1; }
INNER
