#!/bin/sh
# Builds the libraries of the web build (zlib, libpng, lib3ds, libopenmpt,
# SDL2 for its audio, libsndfile) as static WebAssembly libraries with
# Emscripten, from Debian's own source packages, into a prefix cached outside
# the clone. The prefix is keyed by the source versions, this script and the
# compiler; an unchanged key reuses it.
#
# Prints the prefix on its last line of standard output; the build's own
# output goes to a log file in the cache, shown when a step fails.
#
#   VELMORA_CACHE_DIR  the cache folder (default: ${XDG_CACHE_HOME:-$HOME/.cache}/velmora)
#   VELMORA_JOBS       parallel compile jobs (default: 2)
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
jobs=${VELMORA_JOBS:-2}
cache=${VELMORA_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/velmora}
sources="zlib libpng1.6 lib3ds libopenmpt libsdl2 libsndfile"
# autoconf knows no WebAssembly host; any 32-bit host makes configure cross
# compile instead of running what it builds.
host=i686-pc-linux-gnu

say() { echo "build-web-deps: $*" >&2; }

# Emscripten's tools load Debian's node modules (acorn); a node that was not
# installed from Debian does not look for them there.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

for tool in emcc emconfigure emcmake emmake dpkg-source; do
    command -v "$tool" >/dev/null 2>&1 || { say "$tool is missing; run scripts/setup.sh"; exit 1; }
done

. "$here/scripts/debian-sources.sh"
ensure_source_entries

key_text=""
for p in $sources; do
    v=$(source_versions "$p")
    [ -n "$v" ] || { say "apt knows no source package $p"; exit 1; }
    key_text="$key_text$p $v
"
done
key_text="${key_text}script $(sha256sum < "$0" | cut -d' ' -f1)
fetching $(sha256sum < "$here/scripts/debian-sources.sh" | cut -d' ' -f1)
emcc $(emcc --version | head -n 1)
"
key=$(printf '%s' "$key_text" | sha256sum | cut -c1-16)
prefix=$cache/web-deps-$key

mkdir -p "$cache"
exec 9>"$cache/web-deps.lock"
flock 9

if [ -f "$prefix/velmora-deps.key" ]; then
    say "cached: $prefix"
    echo "$prefix"
    exit 0
fi

say "building into $prefix (log: $cache/web-deps.log)"
rm -rf "$prefix" "$cache/web-deps-work"
work=$cache/web-deps-work
mkdir -p "$work/src" "$prefix"
log=$cache/web-deps.log
: > "$log"

export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
export PKG_CONFIG_PATH=""
# emconfigure replaces the two above with Emscripten's own folders and this.
export EM_PKG_CONFIG_PATH="$prefix/lib/pkgconfig"

# Optimised for size and speed alike, without debugging information.
configure_web() {
    emconfigure ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static \
        CFLAGS=-O2 CXXFLAGS=-O2 CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" "$@"
}

cmake_web() {
    emcmake cmake -S . -B build -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_FIND_ROOT_PATH="$prefix" "$@"
}

for p in $sources; do fetch "$p"; done

say "zlib"
cd "$work/src/zlib"
step emconfigure ./configure --static --prefix="$prefix"
step emmake make -j"$jobs" libz.a
step emmake make install

say "libpng"
cd "$work/src/libpng1.6"
step configure_web
step emmake make -j"$jobs" libpng16.la
step emmake make install-libLTLIBRARIES install-pkgincludeHEADERS install-nodist_pkgincludeHEADERS \
    install-pkgconfigDATA install-data-hook

say "lib3ds"
cd "$work/src/lib3ds"
step configure_web
step emmake make -C lib3ds -j"$jobs"
step emmake make -C lib3ds install

say "libopenmpt"
cd "$work/src/libopenmpt"
# The library alone: no player, examples or tests.
step configure_web --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
    --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile --without-pulseaudio \
    --without-portaudio --without-portaudiocpp --without-sndfile --without-flac
step emmake make -j"$jobs" install

say "SDL2"
cd "$work/src/libsdl2"
# Audio is all the show takes from it: the page is the window.
step cmake_web -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=ON \
    -DSDL_VIDEO=OFF -DSDL_RENDER=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF \
    -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_THREADS=OFF -DSDL_PTHREADS=OFF
step cmake --build build -j"$jobs"
step cmake --install build

say "libsndfile"
cd "$work/src/libsndfile"
step cmake_web -DBUILD_SHARED_LIBS=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF \
    -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF -DENABLE_CPACK=OFF -DINSTALL_MANPAGES=OFF
step cmake --build build -j"$jobs"
step cmake --install build

cd "$cache"
rm -rf "$work"
printf '%s' "$key_text" > "$prefix/velmora-deps.key"
# Prefixes of older keys are of no further use.
for old in "$cache"/web-deps-*; do
    [ -d "$old" ] && [ "$old" != "$prefix" ] && [ "$old" != "$work" ] && rm -rf "$old"
done
say "done: $prefix"
echo "$prefix"
