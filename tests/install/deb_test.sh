#!/bin/sh
# Packs the build as a Debian package and checks it as a user would meet it:
# the files a package of the show must install, Depends worked out from the
# programs, no error from lintian, one version everywhere, and the show,
# unpacked with dpkg -x into a folder of its own, played headless from
# another folder: it finds its data from its own.
#   deb_test.sh <build dir> <source dir> <frame probe library>
set -u
build=$1
src=$2
probe=$3
. "$(dirname "$0")/show_probe.sh"

deb=$("$src/cmake/make_deb.sh" "$build" "$src" 2>"$work/make.log" | tail -n 1)
[ -f "$deb" ] || { cat "$work/make.log"; fail "no package made"; }
echo "ok   made $(basename "$deb"), $(wc -c <"$deb") bytes"

root=$work/root
dpkg -x "$deb" "$root" || fail "dpkg -x"
for f in usr/bin/velmora usr/bin/velmora-capture usr/share/velmora/data/velmora.xm \
         usr/share/velmora/data/ltitre.3ds usr/share/applications/velmora.desktop \
         usr/share/icons/hicolor/scalable/apps/velmora.svg usr/share/doc/velmora/copyright \
         usr/share/doc/velmora/THIRD-PARTY-NOTICES.txt; do
    [ -f "$root/$f" ] || fail "not in the package: /$f"
done
head -n 1 "$root/usr/share/doc/velmora/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
    fail "the copyright file is not in Debian's machine-readable format"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libsdl2 libgtk-3 libopenmpt libsndfile1 lib3ds libpng16 libavcodec; do
    echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib"
done
version=$(dpkg-deb -f "$deb" Version)
[ "$("$root/usr/bin/velmora-capture" --version)" = "velmora-capture $version" ] ||
    fail "velmora-capture --version does not say $version"
echo "ok   the package installs the programs, data, desktop entry, icon and documents; version $version"

lintian "$deb" >"$work/lintian" 2>&1
cat "$work/lintian"
grep -q '^E: ' "$work/lintian" && fail "lintian reports errors (above)"
echo "ok   lintian reports no error"

mkdir "$work/elsewhere"
cd "$work/elsewhere" || exit 1
play_probed "$root/usr/bin/velmora" "$probe" "$work"
echo "ok   the unpacked show found its data beside itself and drew"
