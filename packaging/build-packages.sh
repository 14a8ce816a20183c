#!/usr/bin/env bash
# build-packages.sh: builds the Debian package and the Windows zip into build/packages/.
# Run from anywhere; needs what .ci/run installs (cmake, g++, mingw-w64).
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in release windows; do
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    # Each configuration's CPackConfig picks its own generator: DEB for release, ZIP for
    # windows. The packages are collected in one folder.
    cpack --config "build/$preset/CPackConfig.cmake" -B build/packages
done
rm -rf build/packages/_CPack_Packages
ls -l build/packages/*.deb build/packages/*.zip
