#!/bin/sh
# Installs what is missing, builds the demo and its data, and plays the show.
set -e
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ] && [ -z "$SDL_VIDEODRIVER" ]; then
    echo "No display found (DISPLAY is not set), so the show has nowhere to appear." >&2
    echo "Run it on a desktop, or under a virtual X server:" >&2
    echo "    xvfb-run -a -s \"-screen 0 1024x768x24\" ./scripts/run-demo.sh" >&2
    exit 1
fi
cd build
exec ./velmora
