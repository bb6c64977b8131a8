#!/bin/sh
# Writes the third-party notices of a program from its link maps: every
# library whose code went into it, with its version and its licence texts.
#   third_party_notices.sh OUTPUT TITLE OWN_DIR PREFIX RELINK_KIT MAP...
# Files under OWN_DIR, and those the maps name by a relative path (the build
# names only its own files so), are the program's own. A library from PREFIX (the
# Windows dependencies; may be empty) takes its version and licence files from
# what scripts/build-windows-deps.sh kept of its source package; any other
# belongs to a Debian package, whose copyright file serves. Licences that a
# copyright file names by its path under /usr/share/common-licenses follow in
# full at the end. RELINK_KIT (may be empty, or -) names the archive with what a
# user needs to relink the program with a changed LGPL library.
set -eu
out=$1
title=$2
own_dir=$(readlink -f "$3")
prefix=$4
[ "$prefix" = - ] && prefix=""
[ -z "$prefix" ] || prefix=$(readlink -f "$prefix")
kit=$5
[ "$kit" = - ] && kit=""
shift 5

fail() {
    echo "third_party_notices: $*" >&2
    exit 1
}

# The libraries and objects the linker took code from: archives with a member
# pulled in, and object files loaded whole.
inputs=$(awk '
    /^Archive member included/ { members = 1; next }
    /^(Allocating common symbols|Discarded input sections|Memory Configuration)/ { members = 0 }
    members && /^[^ \t]/ && /\.a\(/ { sub(/\(.*$/, ""); print; next }
    /^LOAD / && $2 ~ /\.(o|obj)$/ { print $2 }
' "$@" | grep '^/' | while read -r f; do readlink -f "$f"; done | sort -u)
[ -n "$inputs" ] || fail "the link maps name no input: $*"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
: >"$tmp/groups"
: >"$tmp/system"
for f in $inputs; do
    case $f in
    "$own_dir"/*) continue ;;
    esac
    if [ -n "$prefix" ] && [ "${f#"$prefix"/}" != "$f" ]; then
        name=$(basename "$f")
        group=$(grep -lxF "$name" "$prefix"/share/velmora-deps/*/libraries 2>/dev/null | head -n 1) ||
            true
        [ -n "$group" ] || fail "$f: no source package recorded for it in $prefix/share/velmora-deps"
        echo "prefix $(basename "$(dirname "$group")") $name" >>"$tmp/groups"
    else
        echo "$f" >>"$tmp/system"
    fi
done

# The Debian packages of the others, asked once: dpkg is slow to ask.
if [ -s "$tmp/system" ]; then
    # shellcheck disable=SC2046
    dpkg-query -S $(cat "$tmp/system") 2>/dev/null | grep -v '^diversion' >"$tmp/owners" || true
    while read -r f; do
        package=$(awk -v f="$f" '{
            i = index($0, ": "); if (substr($0, i + 2) != f) next
            p = substr($0, 1, i - 1); sub(/,.*/, "", p); sub(/:.*/, "", p); print p; exit
        }' "$tmp/owners")
        [ -n "$package" ] || fail "$f: no Debian package owns it, so its licence is unknown"
        echo "debian $package $(basename "$f")" >>"$tmp/groups"
    done <"$tmp/system"
    # shellcheck disable=SC2046
    dpkg-query -W -f='${Package}|${source:Package}|${Version}\n' \
        $(awk '$1 == "debian" { print $2 }' "$tmp/groups" | sort -u) >"$tmp/packages"
fi
# package_field PACKAGE 2|3: its source package or its version.
package_field() {
    awk -F'|' -v p="$1" -v n="$2" '$1 == p { print $n; exit }' "$tmp/packages"
}

# One section per source package; a Debian source package may have given
# several of the packages above.
sort -u "$tmp/groups" | while read -r kind package file; do
    if [ "$kind" = prefix ]; then
        echo "prefix|$package|$package|$file"
    else
        echo "debian|$(package_field "$package" 2)|$package|$file"
    fi
done | sort -t'|' -k2,2 -k3,3 -k4,4 >"$tmp/sections"

# The licence files of a section, one path a line.
licence_files() {  # kind package
    if [ "$1" = prefix ]; then
        d=$prefix/share/velmora-deps/$2
        # The notice from the sources first, then Debian's copyright file.
        [ -f "$d/NOTICE" ] && echo "$d/NOTICE"
        [ -f "$d/debian-copyright" ] && echo "$d/debian-copyright"
        for f in "$d"/*; do
            case $(basename "$f") in version | libraries | source | NOTICE | debian-copyright) ;; *) echo "$f" ;; esac
        done
    else
        echo "$(readlink -f "/usr/share/doc/$2")/copyright"
    fi
}

{
    echo "$title"
    echo "$title" | sed 's/./=/g'
    echo
    echo "Code of the libraries below is linked into the program itself; their"
    echo "copyright notices and licences follow, as the licences ask. Shared"
    echo "libraries the program loads when it runs are not part of it and come with"
    echo "their own notices."
    echo
    cut -d'|' -f1,2 "$tmp/sections" | sort -u | while IFS='|' read -r kind name; do
        files=$(grep "^$kind|$name|" "$tmp/sections" | cut -d'|' -f4 | sort -u | tr '\n' ' ')
        if [ "$kind" = prefix ]; then
            version=$(cat "$prefix/share/velmora-deps/$name/version")
        else
            version=$(package_field "$(grep "^$kind|$name|" "$tmp/sections" | head -n 1 | cut -d'|' -f3)" 3)
        fi
        echo "  $name $version: ${files% }"
    done
    cut -d'|' -f1,2 "$tmp/sections" | sort -u | while IFS='|' read -r kind name; do
        packages=$(grep "^$kind|$name|" "$tmp/sections" | cut -d'|' -f3 | sort -u)
        files=$(grep "^$kind|$name|" "$tmp/sections" | cut -d'|' -f4 | sort -u | tr '\n' ' ')
        echo
        echo
        if [ "$kind" = prefix ]; then
            version=$(cat "$prefix/share/velmora-deps/$name/version")
            echo "=== $name $version"
            echo "Built from Debian's source package $name $version."
        else
            version=$(package_field "$(echo "$packages" | head -n 1)" 3)
            echo "=== $name $version"
            echo "From Debian's package$( [ "$(echo "$packages" | wc -l)" -gt 1 ] && echo s)" \
                "$(echo "$packages" | tr '\n' ' ' | sed 's/ $//') $version."
        fi
        echo "Linked from: ${files% }"
        # Packages of one source often share one copyright file.
        licences=$(for p in $packages; do licence_files "$kind" "$p"; done | awk '!seen[$0]++')
        # The dependency script kept the source of the libraries under the LGPL.
        if [ -n "$kit" ] && [ "$kind" = prefix ] && [ -d "$prefix/share/velmora-deps/$name/source" ]; then
            echo
            echo "This library is under the GNU Lesser General Public License: you may"
            echo "change it and link the program with your version. $kit,"
            echo "offered from the same place as this program, holds what that takes: the"
            echo "program's own object files, every static library it is linked from, the"
            echo "complete source of this library as it was built (Debian's source package"
            echo "$name $version, also in Debian's archive), and a"
            echo "script that links them into the program again."
        fi
        for f in $licences; do
            [ -f "$f" ] || fail "$name: no licence file $f"
            echo
            echo "--- $(basename "$f")$( [ "$kind" = debian ] && echo " ($f)")"
            echo
            cat "$f"
        done
    done
    # shellcheck disable=SC2046
    common=$(cut -d'|' -f1,3 "$tmp/sections" | sort -u | while IFS='|' read -r kind package; do
        licence_files "$kind" "$package"
    done | xargs cat | grep -o '/usr/share/common-licenses/[A-Za-z0-9.+_-]*[A-Za-z0-9+_-]' | sort -u |
        while read -r f; do [ -f "$f" ] && readlink -f "$f"; done | sort -u)
    for f in $common; do
        echo
        echo
        echo "=== $f"
        echo
        cat "$f"
    done
} >"$tmp/notices"
mv "$tmp/notices" "$out"
