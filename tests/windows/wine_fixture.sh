#!/bin/sh
# The Wine tests' shared set-up and tear-down:
#   wine_fixture.sh BUILD_DIR DISPLAY_NUMBER start|stop
# start makes the prefix if it is missing and serves DISPLAY_NUMBER with Xvfb
# for the unit tests; stop ends that server and the prefix's wineserver.
set -e
. "$(dirname "$0")/wine_common.sh"
build=$1
display=$2
pid_file=$build/wine/xvfb.pid
wine_env "$build"
[ "$3" = stop ] || skip_unless_32bit_runs

stop_server() {
    if [ -f "$pid_file" ]; then
        kill "$(cat "$pid_file")" 2>/dev/null || true
        rm -f "$pid_file"
    fi
}

case $3 in
start)
    stop_server
    mkdir -p "$build/wine"
    start_xvfb "$display" 1024x768x24
    echo $xvfb_pid > "$pid_file"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "making the Wine prefix $WINEPREFIX"
        if ! wineboot -i >"$build/wine/wineboot.log" 2>&1; then
            echo "wineboot could not make the prefix; it said:" >&2
            cat "$build/wine/wineboot.log" >&2
            exit 1
        fi
    fi
    wineserver -w
    ;;
stop)
    wineserver -k 2>/dev/null || true
    stop_server
    ;;
*)
    echo "usage: $0 BUILD_DIR DISPLAY_NUMBER start|stop" >&2
    exit 2
    ;;
esac
