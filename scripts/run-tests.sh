#!/bin/sh
# Installs what is missing, then builds and runs every test twice: a plain
# build, and one with AddressSanitizer and UndefinedBehaviorSanitizer; then
# makes the Windows archive and runs its tests under Wine.
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

echo "== Windows build: the release archive, its tests under Wine =="
./scripts/build-windows.sh
cmake --build build-win32 -j$jobs
ctest --test-dir build-win32 -j$jobs --timeout 600 --output-on-failure
