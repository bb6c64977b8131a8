#!/bin/sh
# Runs the libFuzzer programs of tests/fuzz (clang, ASan + UBSan) one after
# the other, each for the given number of seconds, at the lowest priority.
# Seeds: the show's data, the third-party test files when present
# (VELMORA_TESTDATA_DIR, else ../shared/testdata; Debian's assimp test
# models), and the inputs kept under tests/fuzz/<target>/regressions. The
# growing corpus stays in build-fuzz/corpus/<target>; a crashing, leaking or
# hanging input goes to build-fuzz/findings/<target>/ and makes the script
# fail: once it is fixed, keep it under tests/fuzz/<target>/regressions so
# ctest replays it.
#
# Usage: scripts/fuzz.sh [seconds] [target...]    targets: scene png module
# FUZZ_RUNS=N ends each target after N inputs instead of after the time;
# FUZZ_MAX_LEN=N caps the size of the inputs it makes.
set -e
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-scene png module}
build=$(pwd)/build-fuzz
testdata=${VELMORA_TESTDATA_DIR:-../shared/testdata}

if [ ! -f $build/CMakeCache.txt ]; then
    CC=clang CXX=clang++ cmake -S . -B $build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON >/dev/null
fi
programs=""
for t in $targets; do programs="$programs fuzz_$t"; done
cmake --build $build -j2 --target scenegen_data velmora_xm $programs

failed=0
for t in $targets; do
    corpus=$build/corpus/$t
    findings=$build/findings/$t
    seeds=$build/seeds/$t
    rm -rf "$seeds"
    mkdir -p "$corpus" "$findings" "$seeds"
    case $t in
        scene) pattern='*.3ds'; shared="$testdata/3ds /usr/share/assimp/models/3DS"; maxlen=65536 ;;
        png) pattern='*.png'; shared=$testdata/png; maxlen=65536 ;;
        module) pattern='*.xm'; shared=$testdata/xm; maxlen=262144 ;;
        *) echo "fuzz: no target $t" >&2; exit 2 ;;
    esac
    find $build/data -maxdepth 1 -name "$pattern" -exec cp {} "$seeds"/ \;
    for d in $shared; do
        [ -d "$d" ] && find "$d" -type f -iname "$pattern" -exec cp {} "$seeds"/ \;
    done
    cp tests/fuzz/$t/regressions/* "$seeds"/

    limit="-max_total_time=$seconds"
    [ -n "$FUZZ_RUNS" ] && limit="-runs=$FUZZ_RUNS"
    [ -n "$FUZZ_MAX_LEN" ] && maxlen=$FUZZ_MAX_LEN
    echo "== fuzz_$t: $limit"
    log=$build/fuzz_$t.log
    if nice -n 19 $build/fuzz/fuzz_$t $limit -max_len=$maxlen -timeout=30 -rss_limit_mb=3072 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$seeds" >"$log" 2>&1; then
        :
    else
        failed=1
    fi
    grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added|scene fuzz:)' "$log" || true
    grep -E '^(==[0-9]+==ERROR|SUMMARY|ALARM|.*Test unit written)' "$log" || true
done
found=$(find $build/findings -type f | wc -l)
echo "fuzz: $found finding(s) under $build/findings"
[ "$failed" -eq 0 ] && [ "$found" -eq 0 ]
