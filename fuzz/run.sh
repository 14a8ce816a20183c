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
[ ${#targets[@]} -gt 0 ] || targets=(run_line echo_redirect read_word expand eval_expr test reader_line edit_line)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

out=$PWD/build/fuzz/runs
mkdir -p "$out"
status=0
for target in "${targets[@]}"; do
    jail=$(mktemp -d /tmp/vrel-fuzz-jail.XXXXXX)
    # Inside, the jail is the root that nobody must be able to pass through.
    chmod 755 "$jail"
    # libFuzzer checks the artifact folder at start, outside the jail, and writes into it from
    # inside: the same path names a link outside and the real folder inside.
    # The seeds are read as they run, from inside the jail too: the same trick.
    mkdir -p "$jail/work" "$jail$jail/artifacts" "$jail$jail/seeds"
    ln -s "$jail$jail/artifacts" "$jail/artifacts"
    ln -s "$jail$jail/seeds" "$jail/seeds"
    # The artifacts folder stays root's, open to all and sticky: an input running as nobody
    # (chmod -R from the jail's root, say) cannot take away the fuzzer's right to write there.
    chown 65534:65534 "$jail/work"
    chmod 1777 "$jail$jail/artifacts"
    python3 fuzz/make_seeds.py "$target" "$jail/seeds"
    # The leak checker cannot inspect a process locked into the jail as nobody: there the
    # leaks are left to the sanitizer build of the test suite.
    case $target in
        eval_expr | test) leaks=1 ;;
        *) leaks=0 ;;
    esac
    # The trailing slash makes find enter the folder behind the link.
    seeds=$(find "$jail/seeds/" -type f | paste -sd, -)
    [ -n "$seeds" ] || { echo "no seeds for $target"; exit 1; }
    # The seeds are read before the first input; the targets that run commands chroot into
    # the jail then.
    prefix=$jail/artifacts/
    echo "== $target for $seconds s"
    if ! (cd "$jail" && VREL_FUZZ_JAIL="$jail" ASAN_OPTIONS=detect_leaks=$leaks \
          "$OLDPWD/build/fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 \
          -rss_limit_mb=2048 -artifact_prefix="$prefix" -print_final_stats=1 -close_fd_mask=1 \
          ${seeds:+-seed_inputs=$seeds} >"$out/$target.log" 2>&1); then
        echo "   FAILED: see $out/$target.log"
        mkdir -p "build/fuzz/artifacts/$target"
        cp -r "$jail/artifacts/." "build/fuzz/artifacts/$target/" 2>/dev/null || true
        tail -n 30 "$out/$target.log"
        status=1
    else
        grep -a -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$out/$target.log" |
            sed 's/^/   /'
        grep -a -E 'INITED|DONE' "$out/$target.log" | sed -E 's/^#[0-9]+\s+/   /; s/ exec.*//'
    fi
    rm -rf "$jail"
done
exit $status
