#!/bin/sh
# Cross-builds the libraries of the Windows build (lib3ds, libpng, libopenmpt,
# SDL2, libsndfile) as static i686-w64-mingw32 libraries, from Debian's own
# source packages, into a prefix cached outside the clone. zlib is Debian's
# libz-mingw-w64-dev. The prefix is keyed by the source versions, this script,
# the toolchain file and the compiler; an unchanged key reuses it.
#
# Prints the prefix on its last line of standard output; the build's own
# output goes to a log file in the cache, shown when a step fails.
#
#   VELMORA_CACHE_DIR  the cache folder (default: ${XDG_CACHE_HOME:-$HOME/.cache}/velmora)
#   VELMORA_JOBS       parallel compile jobs (default: 2)
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$here/cmake/i686-w64-mingw32.cmake
host=i686-w64-mingw32
cc=$host-gcc-posix
cxx=$host-g++-posix
jobs=${VELMORA_JOBS:-2}
cache=${VELMORA_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/velmora}
sources="lib3ds libpng1.6 libopenmpt libsdl2 libsndfile"

say() { echo "build-windows-deps: $*" >&2; }

for tool in $cc $cxx dpkg-source; do
    command -v "$tool" >/dev/null 2>&1 || { say "$tool is missing; run scripts/setup.sh"; exit 1; }
done
[ -f /usr/$host/lib/libz.a ] || { say "libz-mingw-w64-dev is missing; run scripts/setup.sh"; exit 1; }

. "$here/scripts/debian-sources.sh"
ensure_source_entries

key_text=""
for p in $sources; do
    v=$(source_versions "$p")
    [ -n "$v" ] || { say "apt knows no source package $p"; exit 1; }
    key_text="$key_text$p $v
"
done
key_text="${key_text}zlib $(dpkg-query -W -f='${Version}' libz-mingw-w64-dev)
script $(sha256sum < "$0" | cut -d' ' -f1)
fetching $(sha256sum < "$here/scripts/debian-sources.sh" | cut -d' ' -f1)
toolchain $(sha256sum < "$toolchain" | cut -d' ' -f1)
cc $($cc --version | head -n 1)
cxx $($cxx --version | head -n 1)
"
key=$(printf '%s' "$key_text" | sha256sum | cut -c1-16)
prefix=$cache/win32-deps-$key

mkdir -p "$cache"
exec 9>"$cache/win32-deps.lock"
flock 9

if [ -f "$prefix/velmora-deps.key" ]; then
    say "cached: $prefix"
    echo "$prefix"
    exit 0
fi

say "building into $prefix (log: $cache/win32-deps.log)"
rm -rf "$prefix" "$cache/win32-deps-work"
work=$cache/win32-deps-work
mkdir -p "$work/src" "$prefix"
log=$cache/win32-deps.log
: > "$log"

export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig:/usr/$host/lib/pkgconfig"
export PKG_CONFIG_PATH=""

# Optimised, without debugging information: the program ships stripped.
configure_host() {
    ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static \
        CC=$cc CXX=$cxx CFLAGS=-O2 CXXFLAGS=-O2 CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" "$@"
}

cmake_host() {
    cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DVELMORA_WIN32_PREFIX="$prefix" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release "$@"
}

for p in $sources; do fetch "$p"; done

say "lib3ds"
cd "$work/src/lib3ds"
step configure_host
step make -C lib3ds -j"$jobs"
step make -C lib3ds install

say "libpng"
cd "$work/src/libpng1.6"
step configure_host
step make -j"$jobs" install

say "libopenmpt"
cd "$work/src/libopenmpt"
step configure_host --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
    --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile --without-pulseaudio \
    --without-portaudio --without-portaudiocpp --without-sndfile --without-flac
step make -j"$jobs" install

say "SDL2"
cd "$work/src/libsdl2"
# Video stays on: without it SDL's Windows build does not link.
step cmake_host -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=ON \
    -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_RENDER=OFF
step cmake --build build -j"$jobs"
step cmake --install build

say "libsndfile"
cd "$work/src/libsndfile"
step cmake_host -DBUILD_SHARED_LIBS=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF \
    -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF -DENABLE_CPACK=OFF -DINSTALL_MANPAGES=OFF
step cmake --build build -j"$jobs"
step cmake --install build

cd "$cache"
rm -rf "$work"
printf '%s' "$key_text" > "$prefix/velmora-deps.key"
# Prefixes of older keys are of no further use.
for old in "$cache"/win32-deps-*; do
    [ -d "$old" ] && [ "$old" != "$prefix" ] && [ "$old" != "$work" ] && rm -rf "$old"
done
say "done: $prefix"
echo "$prefix"
