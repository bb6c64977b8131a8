#!/bin/sh
# Installs the Debian 12 packages the build, the demo, the Windows build and
# the tests (Wine among them) need.
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
librsvg2-bin icoutils lintian
g++-mingw-w64-i686 g++-mingw-w64-i686-posix libz-mingw-w64-dev dpkg-dev
openmpt123 xmp sox
clang libclang-rt-14-dev
emscripten chromium chromium-driver python3-selenium
wine wine32:i386 fonts-wine
libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
libxrandr2:i386 libxcursor1:i386 libxi6:i386 libxfixes3:i386 libxrender1:i386
libxinerama1:i386 libxxf86vm1:i386 libxcomposite1:i386
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
# 32-bit Wine and its Mesa are i386 packages.
case $missing in
*:i386*)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    ;;
esac
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing
