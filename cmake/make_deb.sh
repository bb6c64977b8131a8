#!/bin/sh
# Packs a built tree as a Debian package, BUILD/velmora_VERSION_ARCH.deb:
#   make_deb.sh BUILD_DIR SOURCE_DIR
# Installs the build under /usr into a staging folder, strips the programs,
# adds the copyright file in Debian's machine-readable format and a changelog,
# works out Depends with dpkg-shlibdeps and builds the package with dpkg-deb.
# Prints the package's path on its last line.
#   VELMORA_MAINTAINER  the Maintainer field
set -eu
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
maintainer=${VELMORA_MAINTAINER:-Velmora developers <velmora@example.org>}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "make_deb: $build has no project version" >&2; exit 1; }
arch=$(dpkg --print-architecture)
deb=$build/velmora_${version}_$arch.deb
work=$build/deb
stage=$work/root
doc=$stage/usr/share/doc/velmora
rm -rf "$work" "$deb"
mkdir -p "$work"

DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log"
for p in "$stage"/usr/bin/*; do
    strip --remove-section=.comment --remove-section=.note --strip-unneeded "$p"
done
# Manual pages are kept compressed.
find "$stage/usr/share/man" -type f -exec gzip -9n {} +
# Debian keeps a package's licence in its copyright file alone.
rm -f "$doc/LICENSE"

# The copyright file: the project's licence (MIT, "Expat" in Debian's
# names), its text as LICENSE has it after the copyright line.
{
    echo "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
    echo "Upstream-Name: Velmora"
    echo "Comment: THIRD-PARTY-NOTICES.txt beside this file names the code of other"
    echo " projects linked into the programs, with its licences."
    echo
    echo "Files: *"
    echo "Copyright: $(sed -n 's/^Copyright (c) //p' "$src/LICENSE" | head -n 1)"
    echo "License: Expat"
    sed '1,/^Copyright/d' "$src/LICENSE" | sed '1{/^$/d}' | sed 's/^$/./; s/^/ /'
} >"$doc/copyright"

# A native package's changelog, dated by the sources' last commit.
when=$(git -C "$src" log -1 --format=%ct 2>/dev/null || date +%s)
{
    echo "velmora ($version) unstable; urgency=medium"
    echo
    echo "  * Release $version."
    echo
    echo " -- $maintainer  $(LC_ALL=C date -u -R -d "@$when")"
} | gzip -9n >"$doc/changelog.gz"

find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f -exec chmod 0644 {} +
chmod 0755 "$stage"/usr/bin/*

# dpkg-shlibdeps reads the package's name from a control file of the source.
mkdir -p "$work/src/debian"
printf 'Source: velmora\n\nPackage: velmora\nArchitecture: any\n' >"$work/src/debian/control"
depends=$(cd "$work/src" && dpkg-shlibdeps -O "$stage"/usr/bin/* 2>"$work/shlibdeps.log" |
    sed -n 's/^shlibs:Depends=//p') || { cat "$work/shlibdeps.log" >&2; exit 1; }
[ -n "$depends" ] || { cat "$work/shlibdeps.log" >&2; echo "make_deb: no Depends" >&2; exit 1; }

mkdir -p "$stage/DEBIAN"
cat >"$stage/DEBIAN/control" <<EOF
Package: velmora
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk --exclude=DEBIAN "$stage" | cut -f1)
Depends: $depends
Section: graphics
Priority: optional
Description: real-time 3D demo of animated scenes to a tracker module
 Velmora plays a tracker module while seven animated 3D Studio scenes follow
 one another in an OpenGL window, for about two and a half minutes. A
 start-up dialog chooses full screen or a window.
 .
 velmora-capture renders the show headless to a video file with its music,
 frame for frame, or to pictures and WAV sound.
EOF
(cd "$stage" && find usr -type f -exec md5sum {} + | sort -k2) >"$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"

dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
rm -rf "$work"
echo "$deb"
