#!/usr/bin/env bash
# test_deb.sh: builds the Debian package, installs it into this system with dpkg, checks the
# shell and its manual page, removes it and checks that nothing is left. Needs root.
#
#   tests/packaging/test_deb.sh [BUILD_DIR]    (default: the release preset's build/release)
set -euo pipefail
cd "$(dirname "$0")/../.."

fail() {
    echo "test_deb: FAIL: $*" >&2
    exit 1
}

# dpkg_waiting ARGS...: dpkg that waits while an apt-get or dpkg of something else holds its lock.
dpkg_waiting() {
    local attempt said
    for attempt in $(seq 60); do
        said=$(dpkg "$@" 2>&1) && return 0
        grep -q "lock" <<<"$said" || break
        sleep 5
    done
    echo "$said" >&2
    return 1
}

[ "$(id -u)" -eq 0 ] || fail "needs root (dpkg -i installs into the system)"

build=${1:-build/release}
if [ $# -eq 0 ]; then
    cmake --preset release >/dev/null
fi
cmake --build "$build" -j2 >/dev/null
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >/dev/null

version=$(sed -n 's/^project(vrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
deb="$out/vrel_${version}_${arch}.deb"
[ -f "$deb" ] || fail "no package $deb (made: $(ls "$out"))"

# The package is what the README promises: the program, its manual, the guide, the licence.
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/vrel ./usr/share/man/man1/vrel.1 ./usr/share/doc/vrel/copyright \
    ./usr/share/doc/vrel/guide.md; do
    grep -qx "$path" <<<"$contents" || fail "$path missing from the package"
done

# Another run of this test beside this one (a second CI, say) installs and removes the same
# package: the two take turns, from install to removal.
exec 9>/var/lock/vrel-test-deb.lock
flock 9
trap 'rm -rf "$out"; dpkg -r vrel >/dev/null 2>&1 || true' EXIT
dpkg_waiting -i "$deb" >/dev/null || fail "dpkg -i"
[ "$(dpkg-query -W -f='${Status}' vrel)" = "install ok installed" ] || fail "not installed"
# A fresh environment: the installed shell is found on the system's PATH.
said=$(cd "$out" && env -i PATH=/usr/local/bin:/usr/bin:/bin vrel -f -c 'echo hi') ||
    fail "vrel -f -c 'echo hi' failed"
[ "$said" = "hi" ] || fail "vrel -f -c 'echo hi' printed '$said'"
[ "$(command -v vrel)" = /usr/bin/vrel ] || fail "vrel is not /usr/bin/vrel"
[ "$(man -w vrel)" = /usr/share/man/man1/vrel.1 ] || fail "man -w vrel gave '$(man -w vrel)'"
# The page renders from the installed place without complaint.
warnings=$(MANWIDTH=80 man -l /usr/share/man/man1/vrel.1 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man reports: $warnings"

dpkg_waiting -r vrel >/dev/null || fail "dpkg -r"
dpkg-query -W -f='${Status}' vrel 2>/dev/null | grep -q 'install ok installed' &&
    fail "still installed after dpkg -r"
for path in /usr/bin/vrel /usr/share/man/man1/vrel.1 /usr/share/doc/vrel; do
    [ ! -e "$path" ] || fail "$path left behind after dpkg -r"
done
hash -r
! command -v vrel >/dev/null || fail "vrel still found on PATH after dpkg -r"
man -w vrel >/dev/null 2>&1 && fail "man -w vrel still finds a page after dpkg -r"
echo "test_deb: 1 passed, 0 failed"
