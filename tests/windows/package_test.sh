#!/bin/sh
# The Windows release as it ships, without Wine: what the archive holds, the
# notices it carries, the program's own resources, and the relinking kit,
# which must link the same program again.
#   package_test.sh BUILD_DIR ARCHIVE RELINK_KIT
set -u
build=$1
zip=$2
kit_zip=$3
work=$build/tests/windows/package
fail() {
    echo "FAIL $*"
    exit 1
}
rm -rf "$work"
mkdir -p "$work/zip" "$work/kit"

(cd "$work/zip" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
for f in velmora.exe data/velmora.xm data/ltitre.3ds README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt; do
    [ -f "$work/zip/$f" ] || fail "$(basename "$zip") lacks $f"
done
# Every library the program is built from, with its version and licence text.
notices=$work/zip/THIRD-PARTY-NOTICES.txt
for library in lib3ds libpng1.6 libopenmpt libsdl2 libsndfile mingw-w64 libz-mingw-w64; do
    grep -q "^=== $library [0-9]" "$notices" || fail "the notices have no section for $library"
done
grep -q "GNU LESSER GENERAL PUBLIC LICENSE" "$notices" || fail "the notices lack the LGPL's text"
grep -q "$(basename "$kit_zip")" "$notices" || fail "the notices do not point to the relinking kit"
grep -q "Permission is hereby granted" "$work/zip/LICENSE.txt" || fail "LICENSE.txt is not the licence"
echo "ok   the archive holds the program, data, readme, licence and notices ($(wc -c <"$notices") bytes)"

# Icon, version information and manifest.
exe=$work/zip/velmora.exe
wrestool -l "$exe" >"$work/resources" 2>&1 || { cat "$work/resources"; fail "wrestool cannot read velmora.exe"; }
for type in "--type=14 " "--type=16 " "--type=24 "; do
    grep -q -- "$type" "$work/resources" || { cat "$work/resources"; fail "velmora.exe has no resource $type"; }
done
wrestool -x --type=14 "$exe" >"$work/velmora.ico" || fail "cannot extract the icon"
icotool -l "$work/velmora.ico" | grep -q -- "--width=256" || fail "the icon has no 256-pixel picture"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
wrestool -x --raw --type=16 "$exe" | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr -d '\000' |
    grep -q "ProductVersion.*$version" || fail "the version information does not say $version"
wrestool -x --raw --type=24 "$exe" | grep -q "<dpiAware[^>]*>true</dpiAware>" || fail "the manifest does not ask for DPI awareness"
echo "ok   velmora.exe carries its icon, version $version and manifest"

# The kit links the same program: the same sections, of the same sizes.
(cd "$work/kit" && cmake -E tar xf "$kit_zip") || fail "cannot unpack $kit_zip"
kit=$work/kit/$(basename "$kit_zip" .zip)
for f in link.sh README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt; do
    [ -f "$kit/$f" ] || fail "the kit lacks $f"
done
for library in lib3ds libsndfile; do
    ls "$kit/source/$library/"*.orig.tar.* >/dev/null 2>&1 || fail "the kit lacks the source of $library"
done
sh "$kit/link.sh" >"$work/link.log" 2>&1 || { cat "$work/link.log"; fail "the kit's link.sh failed"; }
sections() {
    i686-w64-mingw32-strip -o "$work/stripped.exe" "$1" &&
        i686-w64-mingw32-objdump -h "$work/stripped.exe" | awk '/^ +[0-9]+ / { print $2, $3 }'
}
sections "$build/velmora.exe" >"$work/sections.built"
sections "$kit/velmora.exe" >"$work/sections.relinked"
diff "$work/sections.built" "$work/sections.relinked" || fail "the relinked program differs from the built one"
echo "ok   the relinking kit links the same program ($(wc -l <"$work/sections.built") sections)"
