#!/bin/sh
# Installs the build into a fresh prefix and runs the installed show the way
# a user starts it: `velmora` from the PATH, in an unrelated folder, headless.
# It must find its data (nothing on standard error, where every error box goes
# without a display) and draw pictures (a frame probe preloaded into it), and
# leave the user's folder as it was. The installed capture then writes a
# short video, its sound and frames into the folder it is started from.
#   install_test.sh <build dir> <frame probe library>
set -u
build=$1
probe=$2
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill -KILL $pid 2>/dev/null; rm -rf "$work"' EXIT
fail() {
    echo "FAIL $*"
    exit 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }
for f in bin/velmora share/velmora/data/velmora.xm share/velmora/data/ltitre.3ds \
         share/applications/velmora.desktop share/icons/hicolor/scalable/apps/velmora.svg; do
    [ -f "$prefix/$f" ] || fail "not installed: $f"
done
echo "ok   installed into a fresh prefix"

mkdir "$work/elsewhere"
cd "$work/elsewhere" || exit 1
PATH=$prefix/bin:$PATH
[ "$(command -v velmora)" = "$prefix/bin/velmora" ] || fail "velmora is not the installed command"

# A sanitized build's runtime comes second behind the preloaded probe.
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy VELMORA_FRAME_PROBE=$work/frames \
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0 LD_PRELOAD=$probe \
    velmora >"$work/out" 2>&1 &
pid=$!
# Until 5 probed frames (50 drawn) have a picture of 8 colours or more; loading
# and a busy machine may take a while.
for i in $(seq 1200); do
    kill -0 $pid 2>/dev/null || break
    drawn=$(awk '$4 >= 8' "$work/frames" 2>/dev/null | wc -l)
    [ "$drawn" -ge 5 ] && break
    sleep 0.1
done
if kill -0 $pid 2>/dev/null; then
    kill -TERM $pid
    wait $pid 2>/dev/null
else
    wait $pid 2>/dev/null
    echo "velmora ended by itself, exit code $?"
fi
pid=""

frames=$(wc -l <"$work/frames" 2>/dev/null || echo 0)
drawn=$(awk '$4 >= 8' "$work/frames" 2>/dev/null | wc -l)
echo "probed $frames frames, $drawn with 8 colours or more"
if [ -s "$work/out" ]; then
    cat "$work/out"
    fail "the installed show wrote to standard error or output (above)"
fi
[ "$drawn" -ge 5 ] || fail "the installed show drew no picture"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "the show left files in the working folder: $(ls -A "$work/elsewhere")"
echo "ok   the installed show found its data and drew from another folder"

# The installed capture, from another folder: it reads the installed data and
# writes its files where the user asked, relative to the user's folder.
[ -x "$prefix/bin/velmora-capture" ] || fail "not installed: bin/velmora-capture"
mkdir "$work/videos"
cd "$work/videos" || exit 1
velmora-capture --size 64x48 --fps 10 --to 500 --frames shots --wav sound.wav show.mp4 >"$work/capture.out" 2>&1 ||
    { cat "$work/capture.out"; fail "the installed capture failed"; }
for f in show.mp4 sound.wav shots/frame_000000.png shots/frame_000004.png; do
    [ -s "$f" ] || { cat "$work/capture.out"; fail "the installed capture did not write $f here"; }
done
echo "ok   the installed capture found its data and wrote into the user's folder"
