#!/bin/sh
# Installs what is missing, then runs every test phase: a plain build, one
# with AddressSanitizer and UndefinedBehaviorSanitizer, each fuzzer for a
# minute, the sanitized show headless on a sample of damaged data files and
# crafted scenes, the Windows build (the release archive) with its tests
# under Wine, and the web build (the site) in headless Chromium. A failed phase never
# stops the ones after it; the summary at the end gives each phase's outcome,
# its test counts and the tests that skipped themselves, with their reasons.
# The exit status is non-zero when any phase failed.
#
# A phase is one line at the bottom: `phase NAME COMMAND [ARG...]`. Its output
# is shown and kept in build-logs/; the counts come from the CTest results in
# it, so a phase that runs tests through run_ctest is counted and listed.
cd "$(dirname "$0")/.." || exit 1
jobs=2
logs=$(pwd)/build-logs
rm -rf "$logs"
mkdir -p "$logs"

# run_ctest BUILD_DIR [CTEST_OPTION...]: the folder's tests, then one line per
# skipped test: "skipped: NAME: REASON", the reason as the test printed it.
run_ctest() {
    dir=$1
    shift
    ctest --test-dir "$dir" -j$jobs --output-on-failure "$@" | tee "$dir/ctest.out"
    # tee hides ctest's status; its closing line tells.
    status=0
    grep -q '^100% tests passed' "$dir/ctest.out" || status=1
    [ -f "$dir/Testing/Temporary/LastTest.log" ] || return $status
    awk '
        FNR == NR {
            if ($0 ~ /Test +#[0-9]+: .*\*\*\*Skipped/) { sub(/^.*Test +#[0-9]+: /, ""); sub(/ .*/, ""); skipped[$0] = 1 }
            next
        }
        /^[0-9]+\/[0-9]+ Test: / { name = $3 }
        /: Skipped$/ && (name in skipped) { getline reason; if (reason !~ /^\[/) reasons[name] = reason }
        # A script test says why on a line of its own.
        /^SKIP: / && (name in skipped) { reasons[name] = substr($0, 7) }
        END { for (n in skipped) print "skipped: " n ": " (n in reasons ? reasons[n] : "(no reason given)") }
    ' "$dir/ctest.out" "$dir/Testing/Temporary/LastTest.log" | sort
    return $status
}

# build_and_test BUILD_DIR [CMAKE_OPTION...]: configures, builds and tests one folder.
build_and_test() {
    dir=$1
    shift
    cmake -S . -B "$dir" "$@" >/dev/null &&
        cmake --build "$dir" -j$jobs &&
        run_ctest "$dir" --timeout 900
}

# phase NAME COMMAND [ARG...]
phase() {
    name=$1
    shift
    log=$logs/$(echo "$name" | tr -c 'a-zA-Z0-9\n' '-').log
    echo "== $name =="
    start=$(date +%s)
    { "$@"; echo $? >"$log.status"; } 2>&1 | tee "$log"
    printf '%s\t%s\t%s\t%s\n' "$name" "$(cat "$log.status")" $(($(date +%s) - start)) "$log" >>"$logs/phases"
}

summary() {
    echo
    echo "== summary =="
    failed=0
    while IFS="$(printf '\t')" read -r name status seconds log; do
        counts=$(awk '
            /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / {
                if ($0 ~ /\*\*\*Skipped/) s++; else if ($0 ~ / Passed +[0-9.]+ sec/) p++; else f++
            }
            # A script that is not CTest closes with "N passed, N failed".
            /^[0-9]+ passed, [0-9]+ failed$/ { p += $1; f += $3 }
            END { if (p + f + s) printf "%d passed, %d failed, %d skipped", p, f, s; else printf "no tests run" }
        ' "$log")
        outcome=passed
        if [ "$status" -ne 0 ]; then
            outcome=FAILED
            failed=1
        fi
        printf '%-20s %-7s %s (%d min %02d s)\n' "$name" "$outcome" "$counts" $((seconds / 60)) $((seconds % 60))
        awk '/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / && !/ Passed +[0-9.]+ sec/ && !/\*\*\*Skipped/ {
            sub(/^.*Test +#[0-9]+: /, ""); sub(/ \.+ */, " ("); sub(/ +[0-9.]+ sec$/, ")"); print "    failed  " $0 }' "$log"
        grep '^skipped: ' "$log" | sed 's/^skipped: /    skipped /'
    done <"$logs/phases"
    return $failed
}

./scripts/setup.sh || exit 1

phase "plain build" build_and_test build -DCMAKE_BUILD_TYPE=RelWithDebInfo
phase "sanitizer build" build_and_test build-asan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON
phase "fuzzers" ./scripts/fuzz.sh 60
crafted=tests/fuzz/scene/regressions
phase "damaged data" tests/app/damaged_data.sh build-asan sample $crafted/face-corner-past-points.3ds \
    $crafted/material-group-face-past-faces.3ds $crafted/not-a-scene-chunk.3ds $crafted/zero-length-chunk.3ds

# windows_build_and_test: the archive in one command, then every Windows test
# program, and the tests under Wine.
windows_build_and_test() {
    ./scripts/build-windows.sh &&
        cmake --build build-win32 -j$jobs &&
        run_ctest build-win32 --timeout 600
}
phase "windows under wine" windows_build_and_test

# web_build_and_test: the site in one command, then the page in headless Chromium.
web_build_and_test() {
    ./scripts/build-web.sh &&
        /usr/bin/python3 tests/web/web_test.py build-web/site tests/capture/golden
}
phase "web in chromium" web_build_and_test

summary
