#!/bin/sh
# Installs what is missing, then builds and runs every test twice: a plain
# build, and one with AddressSanitizer and UndefinedBehaviorSanitizer; then
# each fuzzer for a minute, and the show headless on a sample of damaged
# data files.
set -e
cd "$(dirname "$0")/.."
./scripts/setup.sh
jobs=2

echo "== plain build =="
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j$jobs
ctest --test-dir build -j$jobs --timeout 600 --output-on-failure

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build =="
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON >/dev/null
cmake --build build-asan -j$jobs
ctest --test-dir build-asan -j$jobs --timeout 900 --output-on-failure

echo "== fuzzers, a minute each =="
./scripts/fuzz.sh 60

echo "== the show on damaged data (sanitizer build) =="
tests/app/damaged_data.sh build-asan sample tests/fuzz/scene/regressions/face-corner-past-points.3ds \
    tests/fuzz/scene/regressions/material-group-face-past-faces.3ds \
    tests/fuzz/scene/regressions/not-a-scene-chunk.3ds tests/fuzz/scene/regressions/zero-length-chunk.3ds
