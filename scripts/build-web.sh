#!/bin/sh
# Makes build-web/site/, the show as a static web site: index.html, the
# program (velmora.js, velmora.wasm) and its data/ folder. Installs what is
# missing, builds the libraries for the web into a cache on first use, builds
# the data natively (the tools run here) and the program with Emscripten.
# Serve it with any static web server, e.g. python3 -m http.server -d build-web/site
set -e
cd "$(dirname "$0")/.."
./scripts/setup.sh
jobs=${VELMORA_JOBS:-2}
# Emscripten's tools load Debian's node modules (acorn); a node that was not
# installed from Debian does not look for them there.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

prefix=$(./scripts/build-web-deps.sh | tail -n 1)

echo "== the show's data, written by the native tools ==" >&2
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" --target scenegen_data velmora_xm

echo "== the site ==" >&2
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF \
    -DVELMORA_WEB_PREFIX="$prefix" -DVELMORA_NATIVE_DATA_DIR="$PWD/build/data" >/dev/null
cmake --build build-web -j"$jobs" --target velmora_site
echo "made build-web/site ($(du -sb build-web/site | cut -f1) bytes); serve it with:" >&2
echo "    python3 -m http.server -d build-web/site" >&2
