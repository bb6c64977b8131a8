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
. "$(dirname "$0")/show_probe.sh"

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }
for f in bin/velmora share/velmora/data/velmora.xm share/velmora/data/ltitre.3ds \
         share/applications/velmora.desktop share/icons/hicolor/scalable/apps/velmora.svg \
         share/doc/velmora/LICENSE share/doc/velmora/THIRD-PARTY-NOTICES.txt; do
    [ -f "$prefix/$f" ] || fail "not installed: $f"
done
echo "ok   installed into a fresh prefix"

mkdir "$work/elsewhere"
cd "$work/elsewhere" || exit 1
PATH=$prefix/bin:$PATH
[ "$(command -v velmora)" = "$prefix/bin/velmora" ] || fail "velmora is not the installed command"

play_probed velmora "$probe" "$work"
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
