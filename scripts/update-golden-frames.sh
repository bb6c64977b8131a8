#!/bin/sh
# Renders again the reference pictures the golden-frame tests compare with
# (tests/capture/golden/frame_MS.png for each scene's first frame, from the
# show's schedule, and each moment in moments.txt). Run it
# on purpose after a change meant to alter what the show looks like, look at
# the new pictures, and commit them with the change. The README's scene
# pictures (docs/scenes/) are rendered again too.
set -e
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
golden=tests/capture/golden

cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j2 --target velmora-capture
# Each scene's start: the sum of the times before it in scene/show_schedule.h.
starts=$(sed -n 's/^ *SCENE("[^"]*", *\([0-9]*\),.*/\1/p' scene/show_schedule.h | awk '{ print t + 0; t += $1 }')
listed=$(grep -v '^#' "$golden/moments.txt" | cut -d' ' -f1)
moments=$(printf '%s\n%s\n' "$starts" "$listed" | sort -nu | paste -sd, -)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Same size and rate as the tests.
(cd "$build" && ./velmora-capture --size 160x120 --frames "$tmp" --at "$moments") >"$tmp/list"
grep ' ms (drawn at ' "$tmp/list" | while read -r path ms rest; do
    cp "$path" "$golden/frame_$ms.png"
done
echo "wrote $(grep -c ' ms (drawn at ' "$tmp/list") reference frames to $golden"

# The README's picture of each scene: the moment inside it in moments.txt.
pictures=$(grep -v '^#' "$golden/moments.txt" | awk 'NF == 2 { printf "%s:%s ", $2, $1 }')
mkdir -p docs/scenes
(cd "$build" && ./velmora-capture --size 320x240 --frames "$tmp/docs" --at \
    "$(for p in $pictures; do printf '%s,' "${p#*:}"; done | sed 's/,$//')") >"$tmp/docs.list"
for p in $pictures; do
    path=$(grep " ${p#*:} ms (drawn at " "$tmp/docs.list" | cut -d' ' -f1)
    cp "$path" "docs/scenes/${p%%:*}.png"
done
echo "wrote the scene pictures to docs/scenes"
