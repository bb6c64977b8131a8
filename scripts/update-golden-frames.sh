#!/bin/sh
# Renders again the reference pictures the golden-frame tests compare with
# (tests/capture/golden/frame_MS.png for each moment in moments.txt). Run it
# on purpose after a change meant to alter what the show looks like, look at
# the new pictures, and commit them with the change.
set -e
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
golden=tests/capture/golden

cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j2 --target velmora-capture
moments=$(grep -v '^#' "$golden/moments.txt" | paste -sd, -)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Same size and rate as the tests.
(cd "$build" && ./velmora-capture --size 160x120 --frames "$tmp" --at "$moments") >"$tmp/list"
grep ' ms (drawn at ' "$tmp/list" | while read -r path ms rest; do
    cp "$path" "$golden/frame_$ms.png"
done
echo "wrote $(grep -c ' ms (drawn at ' "$tmp/list") reference frames to $golden"
