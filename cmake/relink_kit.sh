#!/bin/sh
# Gathers what a user needs to link velmora.exe again, with a changed version
# of a library under the LGPL, from the program's link map:
#   relink_kit.sh KIT_DIR LINK_DIR OWN_DIR PREFIX MAP README
# Into KIT_DIR: obj/ the program's own object files and static libraries
# (the build's objects.a, which it links whole, unpacked),
# lib/ the static libraries built from Debian's source packages (PREFIX),
# source/ the source packages of those under the LGPL, link.sh, which links
# them in the order the build did, and README (copied as README.txt). The
# compiler's own libraries and Windows's import libraries come from the
# user's mingw-w64, by name.
set -eu
kit=$1
link_dir=$2
own_dir=$(readlink -f "$3")
prefix=$(readlink -f "$4")
map=$5
readme=$6

rm -rf "$kit"
mkdir -p "$kit/obj" "$kit/lib" "$kit/source"

args=""
for f in $(cd "$link_dir" && awk '/^LOAD / { print $2 }' "$map"); do
    path=$(cd "$link_dir" && readlink -f "$f")
    [ -f "$path" ] || continue
    name=$(basename "$path")
    case $path in
    */objects.a)
        # The program's own object files, which the build linked whole from
        # an archive: loose, as any linker takes them.
        for member in $(ar t "$path"); do
            [ -e "$kit/obj/$member" ] && { echo "relink_kit: two inputs named $member" >&2; exit 1; }
            (cd "$kit/obj" && ar x "$path" "$member")
            args="$args obj/$member"
        done
        continue
        ;;
    "$own_dir"/*) dir=obj ;;
    "$prefix"/*) dir=lib ;;
    *.a)
        # The toolchain's: by name, from the user's mingw-w64.
        lib=${name#lib}
        args="$args -l${lib%%.*}"
        continue
        ;;
    *) continue ;;  # start-up objects the compiler adds itself
    esac
    if [ -e "$kit/$dir/$name" ]; then
        cmp -s "$path" "$kit/$dir/$name" || { echo "relink_kit: two inputs named $name" >&2; exit 1; }
    else
        cp "$path" "$kit/$dir/$name"
    fi
    args="$args $dir/$name"
done
[ -n "$args" ] || { echo "relink_kit: $map names no input" >&2; exit 1; }

for d in "$prefix"/share/velmora-deps/*/source; do
    [ -d "$d" ] || continue
    name=$(basename "$(dirname "$d")")
    mkdir -p "$kit/source/$name"
    cp "$d"/* "$kit/source/$name/"
done

cat >"$kit/link.sh" <<EOF
#!/bin/sh
# Links velmora.exe from the files beside this script, as its build did.
# CXX names the compiler (default: Debian's i686 mingw-w64 C++ compiler).
set -e
cd "\$(dirname "\$0")"
\${CXX:-i686-w64-mingw32-g++-posix} -static -mwindows -o velmora.exe$args
echo "linked \$(pwd)/velmora.exe"
EOF
chmod +x "$kit/link.sh"
cp "$readme" "$kit/README.txt"
