#!/bin/sh
# Compiles the system's folders against the real Windows headers (mingw-w64,
# 32-bit), syntax only, so they stay valid Win32 code. lib3ds's headers are
# the system's own.
set -e
src="$1"
cxx=i686-w64-mingw32-g++
command -v $cxx >/dev/null || { echo "$cxx not installed (scripts/setup.sh installs it)" >&2; exit 1; }

stand_ins=$(mktemp -d)
trap 'rm -rf "$stand_ins"' EXIT
ln -s /usr/include/lib3ds "$stand_ins/lib3ds"
[ -f /usr/include/lib3ds.h ] && ln -s /usr/include/lib3ds.h "$stand_ins/lib3ds.h"

status=0
for dir in app timeline textures scene music; do
    for f in "$src/$dir"/*.cpp; do
        [ -e "$f" ] || continue
        if $cxx -std=c++17 -fsyntax-only -Wall -Wextra -Werror -I"$src" -I"$stand_ins" "$f"; then
            echo "ok   ${f#$src/}"
        else
            echo "FAIL ${f#$src/}"
            status=1
        fi
    done
done
# The layer's own declarations against the real ones: every constant must
# have the same value, and every call must redeclare cleanly (same types).
api="$src/platform/win32/win32_api.h"
check="$stand_ins/api_check.cpp"
{
    echo '#include <windows.h>'
    echo '#include <mmsystem.h>'
    echo '#include <cstddef>'
    echo 'extern "C" {'
    sed -n '/^extern "C" {/,/^}/p' "$api" | sed '1d;$d' | grep -v '^#'
    echo '}'
    # Integer constants by value; pointer-valued ones (resources, HWND_TOPMOST)
    # and multi-line ones are left to the compile of the system's code.
    grep -E '^#define [A-Z_0-9]+ [^\\]*$' "$api" |
        grep -vE '^#define (WINAPI|CALLBACK|APIENTRY|TRUE|FALSE|LOWORD|HIWORD|MAKE)' |
        grep -vE 'MAKEINTRESOURCE|HWND' |
        while read -r _ name value; do
            echo "static_assert((long long)($name) == (long long)($value), \"$name\");"
        done
    # Integer macros with arguments: ours, renamed, against theirs on a few arguments.
    grep -E '^#define (LOWORD|HIWORD|MAKELPARAM|MAKEWPARAM|MAKELANGID)\(' "$api" | sed 's/^#define /#define LAYER_/'
    for args in "0x12345678" "0xFFFFFFFF" "0x8000"; do
        for m in LOWORD HIWORD; do
            echo "static_assert((long long)$m($args) == (long long)LAYER_$m($args), \"$m($args)\");"
        done
    done
    for args in "0x1234, 0xABCD" "0xFFFF, 0xFFFF" "0x12345, 1" "LANG_FRENCH, SUBLANG_FRENCH"; do
        for m in MAKELPARAM MAKEWPARAM MAKELANGID; do
            echo "static_assert((long long)$m($args) == (long long)LAYER_$m($args), \"$m($args)\");"
        done
    done
    echo 'static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "pfd");'
    echo 'static_assert(offsetof(DEVMODEA, dmReserved2) + sizeof(DWORD) == 148, "devmode");'
    # The size the demo puts in dmSize, against the real record's layout.
    echo '#include "app/display_settings.h"'
    echo 'static_assert(DEVMODE_RECORD_SIZE == offsetof(DEVMODEA, dmReserved2) + sizeof(DWORD), "dmSize");'
} > "$check"
if $cxx -std=c++17 -fsyntax-only -Wno-attributes -I"$src" "$check"; then
    echo "ok   platform/win32/win32_api.h matches the Windows headers"
else
    echo "FAIL platform/win32/win32_api.h differs from the Windows headers"
    status=1
fi
exit $status
