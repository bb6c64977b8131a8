#!/bin/sh
# Installs the Debian 12 packages the build, the demo and the tests need.
# Only what is missing is installed; runs apt-get as root or through sudo.
set -e

PACKAGES="
cmake g++ make pkg-config
libgtest-dev
libsdl2-dev libgtk-3-dev
libopenmpt-dev libsndfile1-dev
lib3ds-dev libpng-dev zlib1g-dev
assimp-testmodels
libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
xvfb xauth xdotool x11-utils openbox imagemagick
g++-mingw-w64-i686
openmpt123 xmp sox
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
else
    echo "setup: need root or sudo to install:$missing" >&2
    exit 1
fi

echo "setup: installing$missing"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing
