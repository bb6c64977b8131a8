#!/bin/sh
# Makes build-win32/velmora-VERSION-win32.zip, the show for 32-bit Windows:
# velmora.exe (static, no DLLs beside it), its data\ folder, a readme, the
# licence and the third-party notices; and beside it
# velmora-VERSION-win32-relink.zip, what relinking the program with a changed
# LGPL library takes. Installs what is missing,
# cross-builds the libraries into a cache on first use, builds the data
# natively (the tools run here) and the program with mingw-w64.
set -e
cd "$(dirname "$0")/.."
./scripts/setup.sh
jobs=${VELMORA_JOBS:-2}

prefix=$(./scripts/build-windows-deps.sh | tail -n 1)

echo "== the show's data, written by the native tools ==" >&2
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" --target scenegen_data velmora_xm

echo "== velmora.exe ==" >&2
cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WIN32_PREFIX="$prefix" \
    -DVELMORA_NATIVE_DATA_DIR="$PWD/build/data" >/dev/null
cmake --build build-win32 -j"$jobs" --target velmora_zip
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-win32/CMakeCache.txt)
for zip in build-win32/velmora-$version-win32.zip build-win32/velmora-$version-win32-relink.zip; do
    echo "made $zip ($(wc -c < "$zip") bytes)" >&2
done
