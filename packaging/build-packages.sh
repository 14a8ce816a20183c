#!/usr/bin/env bash
# build-packages.sh: builds the Debian package and the Windows zip into build/packages/, with
# their SHA256SUMS and the winget (vrel.yaml) and scoop (vrel.json) manifests of the zip.
# Run from anywhere; needs what .ci/run installs (cmake, g++, mingw-w64).
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in release windows; do
    # A package needs the program, not the tests (the release preset turns them on again).
    if [ "$preset" = release ]; then tests=-DVREL_TESTS=OFF; else tests=; fi
    cmake --preset "$preset" $tests
    cmake --build --preset "$preset"
    # Each configuration's CPackConfig picks its own generator: DEB for release, ZIP for
    # windows. The packages are collected in one folder.
    cpack --config "build/$preset/CPackConfig.cmake" -B build/packages
done
rm -rf build/packages/_CPack_Packages

# Each package holds what it promises.
version=$(sed -n 's/^project(vrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb="build/packages/vrel_${version}_$(dpkg --print-architecture).deb"
zip="build/packages/vrel-${version}-win64.zip"
dpkg-deb -c "$deb" | awk '{print $6}' |
    grep -c -x -e ./usr/bin/vrel -e ./usr/share/man/man1/vrel.1 | grep -qx 2 ||
    { echo "build-packages: $deb lacks the program or its manual" >&2; exit 1; }
python3 - "$zip" "vrel-${version}-win64" <<'CHECK'
import sys, zipfile
names = set(zipfile.ZipFile(sys.argv[1]).namelist())
wanted = {sys.argv[2] + "/" + name
          for name in ("vrel.exe", "vrel-legacy.exe", "README.md", "LICENSE",
                       "vrel-terminal-profile.json")}
sys.exit("build-packages: %s lacks %s" % (sys.argv[1], sorted(wanted - names)) if wanted - names else 0)
CHECK
(cd build/packages && sha256sum "$(basename "$deb")" "$(basename "$zip")" >SHA256SUMS)
python3 packaging/make_manifests.py build/packages "$version" "$zip"
python3 tests/packaging/check_packages.py build/packages "$version"
ls -l "$deb" "$zip" build/packages/SHA256SUMS build/packages/vrel.yaml build/packages/vrel.json
