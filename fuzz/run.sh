#!/usr/bin/env bash
# Runs every fuzz target for a bounded time: fuzz/run.sh [SECONDS] [TARGET...]
# Builds the `fuzz` preset, seeds each target from the test cases, and runs the targets that
# execute commands inside a jail directory (chroot, user nobody), since an input may well be
# "rm -r *". Needs root. Crashes are kept in build/fuzz/artifacts/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(run_line read_word expand eval_expr test reader_line)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

out=build/fuzz/runs
mkdir -p "$out"
status=0
for target in "${targets[@]}"; do
    jail=$(mktemp -d /tmp/vrel-fuzz-jail.XXXXXX)
    mkdir -p "$jail/work" "$jail/artifacts" "$jail/seeds"
    chown 65534:65534 "$jail/work" "$jail/artifacts"
    python3 fuzz/make_seeds.py "$target" "$jail/seeds"
    seeds=$(find "$jail/seeds" -type f | paste -sd, -)
    # The seeds are read before the first input; the targets that run commands chroot into
    # the jail then, and see their artifact folder as /artifacts/.
    case $target in
        eval_expr | test) prefix=$jail/artifacts/ ;;
        *) prefix=/artifacts/ ;;
    esac
    echo "== $target for $seconds s"
    if ! (cd "$jail" && VREL_FUZZ_JAIL="$jail" ASAN_OPTIONS=detect_leaks=1 \
          "$OLDPWD/build/fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 \
          -rss_limit_mb=2048 -artifact_prefix="$prefix" -print_final_stats=1 \
          ${seeds:+-seed_inputs=$seeds} >"$out/$target.log" 2>&1); then
        echo "   FAILED: see $out/$target.log"
        mkdir -p "build/fuzz/artifacts/$target"
        cp -r "$jail/artifacts/." "build/fuzz/artifacts/$target/" || true
        tail -n 30 "$out/$target.log"
        status=1
    else
        grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$out/$target.log" |
            sed 's/^/   /'
    fi
    rm -rf "$jail"
done
exit $status
