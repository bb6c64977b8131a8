#!/bin/sh
# Makes the Debian package build/velmora_VERSION_ARCH.deb: installs what is
# missing, builds the programs, their data and notices in build/, and packs
# them (cmake/make_deb.sh); then shows what lintian says of the package.
set -e
cd "$(dirname "$0")/.."
./scripts/setup.sh
jobs=${VELMORA_JOBS:-2}
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" --target velmora velmora-capture scenegen_data velmora_xm velmora_notices
deb=$(cmake/make_deb.sh build . | tail -n 1)
echo "== lintian ==" >&2
lintian "$deb" >&2 || { echo "lintian found errors in $deb" >&2; exit 1; }
echo "made $deb ($(wc -c <"$deb") bytes)" >&2
