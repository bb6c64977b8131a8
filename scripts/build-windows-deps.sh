#!/bin/sh
# Cross-builds the libraries of the Windows build (lib3ds, libpng, libopenmpt,
# SDL2, libsndfile) as static i686-w64-mingw32 libraries, from Debian's own
# source packages, into a prefix cached outside the clone. zlib is Debian's
# libz-mingw-w64-dev. The prefix is keyed by the source versions, this script,
# the toolchain file and the compiler; an unchanged key reuses it.
#
# For the program's notices and relinking kit it keeps, per source package,
# in PREFIX/share/velmora-deps/NAME/: the version built, the static libraries
# installed, the licence files and Debian's copyright file, and for a library
# under the LGPL its source package.
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

# What the notices of a program linking these need, per source package, in
# $prefix/share/velmora-deps/NAME/: the version built, the static libraries it
# installed, its licence files and Debian's copyright file; for a library
# under the LGPL also its source package, which a user relinking the program
# with a changed version of it must be able to have.
libs_before=""
notices_begin() {
    libs_before=$(cd "$prefix/lib" 2>/dev/null && ls ./*.a 2>/dev/null || true)
    find "$prefix/include" -type f 2>/dev/null | sort > "$work/headers-before"
}
notices_end() {  # source package name
    dest=$prefix/share/velmora-deps/$1
    dl=$(cat "$work/dl-of-$1")
    mkdir -p "$dest"
    cp "$dl/built-version" "$dest/version"
    (cd "$prefix/lib" && ls ./*.a) | while read -r a; do
        echo "$libs_before" | grep -qxF "$a" || basename "$a"
    done > "$dest/libraries"
    src=$work/src/$1
    [ -f "$src/debian/copyright" ] && cp "$src/debian/copyright" "$dest/debian-copyright"
    for f in "$src"/COPYING* "$src"/LICENSE* "$src"/LICENCE* "$src"/COPYRIGHT*; do
        [ -f "$f" ] && cp "$f" "$dest/"
    done
    # Under the LGPL when the headers it installed say so: lib3ds's tarball
    # holds the GPL's text in COPYING while its files are under the LGPL 2.1
    # or later. Then its notice comes from such a header, and the licence's
    # text from the system's copy where the package has none.
    header=$(find "$prefix/include" -type f | sort | comm -13 "$work/headers-before" - |
        xargs -r grep -liE 'GNU (Lesser|Library) General Public License' | head -n 1) || true
    if [ -n "$header" ]; then
        {
            echo "The notice in ${header#"$prefix"/}:"
            echo
            sed -n '1,/\*\//p' "$header"
        } > "$dest/NOTICE"
        licence=LGPL-2.1
        sed -n '1,/\*\//p' "$header" | tr -s ' \n' ' ' | grep -q 'version 2 ' && licence=LGPL-2
        sed -n '1,/\*\//p' "$header" | tr -s ' \n' ' ' | grep -q 'version 3' && licence=LGPL-3
        cat "$dest"/* | grep -qE 'GNU (LESSER|LIBRARY) GENERAL PUBLIC LICENSE' ||
            cp "/usr/share/common-licenses/$licence" "$dest/$licence"
    fi
    if cat "$dest"/COPYING* "$dest"/LICENSE* "$dest"/LGPL* 2>/dev/null |
        grep -qE 'GNU (LESSER|LIBRARY) GENERAL PUBLIC LICENSE'; then
        mkdir -p "$dest/source"
        for f in "$dl"/*; do
            case $f in */built-version) ;; *) cp "$f" "$dest/source/" ;; esac
        done
    fi
    return 0
}

say "lib3ds"
cd "$work/src/lib3ds"
notices_begin
step configure_host
step make -C lib3ds -j"$jobs"
step make -C lib3ds install
notices_end lib3ds

say "libpng"
cd "$work/src/libpng1.6"
notices_begin
step configure_host
step make -j"$jobs" install
notices_end libpng1.6

say "libopenmpt"
cd "$work/src/libopenmpt"
notices_begin
step configure_host --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
    --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile --without-pulseaudio \
    --without-portaudio --without-portaudiocpp --without-sndfile --without-flac
step make -j"$jobs" install
notices_end libopenmpt

say "SDL2"
cd "$work/src/libsdl2"
notices_begin
# Video stays on: without it SDL's Windows build does not link.
step cmake_host -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=ON \
    -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_RENDER=OFF
step cmake --build build -j"$jobs"
step cmake --install build
notices_end libsdl2

say "libsndfile"
cd "$work/src/libsndfile"
notices_begin
step cmake_host -DBUILD_SHARED_LIBS=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF \
    -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF -DENABLE_CPACK=OFF -DINSTALL_MANPAGES=OFF
step cmake --build build -j"$jobs"
step cmake --install build
notices_end libsndfile

cd "$cache"
rm -rf "$work"
printf '%s' "$key_text" > "$prefix/velmora-deps.key"
# Prefixes of older keys are of no further use.
for old in "$cache"/win32-deps-*; do
    [ -d "$old" ] && [ "$old" != "$prefix" ] && [ "$old" != "$work" ] && rm -rf "$old"
done
say "done: $prefix"
echo "$prefix"
