#!/bin/sh
# The show headless on damaged data: for each file of data/ (the scenes,
# every texture, the module) the file missing, empty, cut to half, and with
# one byte flipped at three places in turn. Each run starts the show, waits
# until it has loaded and draws frames, lets it play two seconds more, asks
# it to close with SIGINT (as the close box) and must end with exit 0, the
# message the case calls for on standard error, no sanitizer report, and no
# hang (no frame within the load limit, or no exit within two minutes of
# SIGINT).
#   damaged_data.sh <build dir> sample|all|crafted [scene file...] [--loads scene file...]
# "sample" runs a fixed handful of cases, "crafted" none; then each scene file
# given (a crafted one) replaces the first scene once and must be refused with
# the load message, or, after --loads, must load without any message.
# Frames are seen through the frame probe the build makes for its install
# test; without it each run waits DAMAGED_WAIT seconds (60) instead.
# DAMAGED_LOAD_LIMIT (300) is how long loading may take on a busy machine.
build=$(cd "$1" && pwd)
mode=${2:-sample}
shift 2 2>/dev/null || shift $#
probe=$build/tests/install/libvelmora_frame_probe.so
[ -f "$probe" ] || probe=""
wait_s=${DAMAGED_WAIT:-60}
load_limit=${DAMAGED_LOAD_LIMIT:-300}
play_s=2
work=$(mktemp -d /tmp/velmora-damaged-XXXXXX)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

runs=0
failures=0

# run <label> <expected: none|scene|any-scene|module-missing|module-empty|any-module> <file> <prepare command...>
run() {
    label=$1; expect=$2; name=$3; shift 3
    rm -rf "$work/run" && mkdir -p "$work/run" && cp -r "$build/data" "$work/run/data"
    (cd "$work/run/data" && "$@") || { echo "FAIL $label: could not prepare"; failures=$((failures + 1)); return; }
    frames="$work/run/frames"
    if [ -n "$probe" ]; then
        # A sanitized build's runtime comes second behind the preloaded probe.
        (cd "$work/run" && VELMORA_FRAME_PROBE=$frames LD_PRELOAD=$probe \
            ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0 \
            exec "$build/velmora" >out.txt 2>err.txt) &
    else
        (cd "$work/run" && exec "$build/velmora" >out.txt 2>err.txt) &
    fi
    pid=$!
    noframes=""
    if [ -n "$probe" ]; then
        # The probe writes a line every tenth frame; frames come only once
        # every scene and texture has loaded.
        tenths=0
        while kill -0 $pid 2>/dev/null && [ "$(cat "$frames" 2>/dev/null | wc -l)" -lt 3 ]; do
            [ $tenths -ge $((load_limit * 10)) ] && { noframes=yes; break; }
            sleep 0.1
            tenths=$((tenths + 1))
        done
        kill -0 $pid 2>/dev/null && sleep $play_s
    else
        sleep "$wait_s"
    fi
    ended=""
    kill -0 $pid 2>/dev/null || ended=", ended by itself"
    kill -INT $pid 2>/dev/null
    waited=0
    while kill -0 $pid 2>/dev/null && [ $waited -lt 240 ]; do sleep 0.5; waited=$((waited + 1)); done
    hung=""
    if kill -0 $pid 2>/dev/null; then hung=yes; kill -KILL $pid; fi
    wait $pid; code=$?
    err="$work/run/err.txt"
    msgs=$(grep -E '^(Error !|ERROR!): ' "$err" | sort | uniq -c | sed 's/^ */    /')
    problem=""
    [ -n "$noframes" ] && problem="no frame within $load_limit s"
    [ -n "$hung" ] && problem="$problem hung"
    [ "$code" -ne 0 ] && problem="$problem exit $code"
    grep -qE 'AddressSanitizer|LeakSanitizer|runtime error|UndefinedBehaviorSanitizer' "$err" && problem="$problem sanitizer report"
    scene_msg="Error !: Load3ds error : Can't load 3ds file data/$name"
    case $expect in
        none) [ -z "$msgs" ] || problem="$problem unexpected message" ;;
        scene) grep -qxF "$scene_msg" "$err" || problem="$problem no load message" ;;
        any-scene) [ -z "$msgs" ] || ! echo "$msgs" | grep -vqE 'Error !: (Load3ds error|load3ds :)' || problem="$problem unexpected message" ;;
        module-missing) grep -qxF "ERROR!: File not found" "$err" || problem="$problem no module message" ;;
        module-empty) grep -qxF "ERROR!: Unknown file format" "$err" || problem="$problem no module message" ;;
        any-module) [ -z "$msgs" ] || ! echo "$msgs" | grep -vq ' ERROR!: ' || problem="$problem unexpected message" ;;
    esac
    runs=$((runs + 1))
    if [ -n "$problem" ]; then
        failures=$((failures + 1))
        echo "FAIL $label:$problem"
        sed 's/^/    | /' "$err" | head -n 40
    else
        shown=""
        if [ -n "$probe" ]; then
            last=$(tail -n1 "$frames" 2>/dev/null | awk '{print $2 + 1}')
            shown=", no frame"
            [ -n "$last" ] && shown=", $last frames or more"
        fi
        echo "ok   $label (exit $code$shown$ended)"
    fi
    [ -n "$msgs" ] && echo "$msgs"
}

# Deterministic places for the flips: spread over the file by its name.
flip_at() {
    size=$(wc -c <"$1")
    seed=$(printf '%s' "$1" | cksum | cut -d' ' -f1)
    echo $(((seed + $2 * 7919) % size))
}
flip() {
    at=$(flip_at "$1" "$2")
    byte=$(od -An -tu1 -j "$at" -N1 "$1" | tr -d ' ')
    printf "$(printf '\\%03o' $((byte ^ 255)))" | dd of="$1" bs=1 seek="$at" conv=notrunc status=none
}
half() { size=$(wc -c <"$1"); truncate -s $((size / 2)) "$1"; }

cases_for() {
    file=$1; kind=$2
    case $kind in
        scene) gone=scene; broken=scene; flipped=any-scene ;;
        texture) gone=none; broken=none; flipped=none ;;
        module) gone=module-missing; broken=any-module; flipped=any-module ;;
    esac
    empty=$broken
    [ "$kind" = module ] && empty=module-empty
    for c in $3; do
        case $c in
            missing) run "$file missing" $gone "$file" rm "$file" ;;
            empty) run "$file empty" $empty "$file" truncate -s 0 "$file" ;;
            half) run "$file half" $broken "$file" half "$file" ;;
            flip1|flip2|flip3) run "$file $c" $flipped "$file" flip "$file" "${c#flip}" ;;
        esac
    done
}

[ -x "$build/velmora" ] || { echo "no $build/velmora" >&2; exit 1; }
if [ "$mode" = all ]; then
    all="missing empty half flip1 flip2 flip3"
    for f in "$build"/data/*; do
        name=$(basename "$f")
        case $name in
            *.3ds) cases_for "$name" scene "$all" ;;
            *.png) cases_for "$name" texture "$all" ;;
            *.xm) cases_for "$name" module "$all" ;;
        esac
    done
elif [ "$mode" = sample ]; then
    cases_for ltitre.3ds scene "missing half flip1"
    cases_for tunnel.3ds scene "empty"
    # The scenes' textures change with the scenes: take the first one written.
    texture=$(cd "$build/data" && ls -- *.png 2>/dev/null | head -n1)
    [ -n "$texture" ] || { echo "no texture in $build/data" >&2; exit 1; }
    cases_for "$texture" texture "empty half flip2"
    cases_for velmora.xm module "missing empty"
fi
expect=scene
for crafted in "$@"; do
    [ "$crafted" = --loads ] && { expect=none; continue; }
    file=$(cd "$(dirname "$crafted")" && pwd)/$(basename "$crafted")
    run "$(basename "$crafted") as ltitre.3ds" $expect ltitre.3ds cp "$file" ltitre.3ds
done
echo "$((runs - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
