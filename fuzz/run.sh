#!/usr/bin/env bash
# Runs every fuzz target for a bounded time: fuzz/run.sh [SECONDS] [TARGET...]
# Builds the `fuzz` preset, seeds each target from the test cases, and runs the targets that
# execute commands inside a jail directory (chroot, user nobody), since an input may well be
# "rm -r *". Needs root. Logs are kept in build/fuzz/runs/<target>.log and the inputs that
# failed in build/fuzz/artifacts/<target>/; each failing input is also shown in the output.
#
# An input that only loops (a script that never ends is no fault) is ended by the shell's own
# interrupt, which the fuzz support raises at the input's 2000th interrupt check (lines, loop
# passes and writes are counted; VREL_FUZZ_INPUT_CHECKS sets another count): in milliseconds,
# the same steps on any machine. A loop that never looks at the interrupt still runs into
# libFuzzer's time limit and fails. A slow machine is no fault either: an input that runs
# past the time limit, or past the memory limit after many others, is run again alone with
# generous limits, and only fails if it still does; otherwise fuzzing goes on for the time left.
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
bin=$PWD/build/fuzz/fuzz
kept=$PWD/build/fuzz/artifacts

# Shows a failing input as escaped text and as bytes, so the CI output alone can reproduce it.
show_input() {
    echo "   input $(basename "$1") ($(stat -c %s "$1") bytes):"
    python3 -c 'import sys; print("   " + repr(open(sys.argv[1], "rb").read()[:1024]))' "$1"
    od -A x -t x1z -v "$1" | head -n 32 | sed 's/^/   /'
}

# Runs the target inside the jail: fuzz_once TARGET JAIL LEAKS OPTIONS...
fuzz_once() {
    local target=$1 jail=$2 leaks=$3
    shift 3
    (cd "$jail" && VREL_FUZZ_JAIL="$jail" ASAN_OPTIONS=detect_leaks=$leaks \
        "$bin/${target}_fuzz" -artifact_prefix="$jail/artifacts/" -close_fd_mask=1 "$@")
}

# After a failed run: 0 when every input it left was only slow or large under load and passes
# alone with generous limits (those are moved aside), 1 for a real fault.
only_slow() {
    local target=$1 jail=$2 leaks=$3 log=$4 input
    local inputs=("$jail/artifacts/"*)
    [ -e "${inputs[0]}" ] || return 1 # no input left behind: the fuzzer itself failed
    for input in "${inputs[@]}"; do
        case $(basename "$input") in
            timeout-* | oom-* | slow-unit-*) ;;
            *) return 1 ;;
        esac
    done
    mkdir -p "$jail/retry"
    for input in "${inputs[@]}"; do
        mv "$input" "$jail/retry/"
        input=$jail/retry/$(basename "$input")
        case $(basename "$input") in slow-unit-*) continue ;; esac # reported, never a failure
        echo "   $(basename "$input") ran past a limit; again alone, with generous limits" |
            tee -a "$log"
        # The memory used by the whole run is what grows with many inputs; one allocation
        # past the limit still fails.
        if ! fuzz_once "$target" "$jail" "$leaks" -timeout=600 -rss_limit_mb=8192 \
            -malloc_limit_mb=2048 "$input" >>"$log" 2>&1; then
            mv "$input" "$jail/artifacts/"
            return 1
        fi
    done
    echo "   passed alone: the limit fell to the machine's load or the run's size" | tee -a "$log"
    return 0
}

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
    echo "== $target for $seconds s"
    log=$out/$target.log
    : >"$log"
    end=$((SECONDS + seconds))
    failed=0
    # Each pass fuzzes for the time left; a pass ended by a merely slow input is followed by
    # another (ten at most, so a stream of them still ends).
    for pass in 1 2 3 4 5 6 7 8 9 10; do
        left=$((end - SECONDS))
        [ "$left" -gt 0 ] || break
        if fuzz_once "$target" "$jail" "$leaks" -max_total_time="$left" -timeout=30 \
            -rss_limit_mb=2048 -print_final_stats=1 ${seeds:+-seed_inputs=$seeds} \
            >>"$log" 2>&1; then
            break
        fi
        only_slow "$target" "$jail" "$leaks" "$log" || { failed=1; break; }
    done
    # Inputs that were only slow are kept too, for a look at what takes the time.
    if [ -d "$jail/retry" ]; then
        mkdir -p "$kept/$target/slow"
        cp "$jail/retry/"* "$kept/$target/slow/" 2>/dev/null || true
        echo "   inputs that passed alone are kept in $kept/$target/slow/"
    fi
    if [ "$failed" -ne 0 ]; then
        echo "   FAILED: see $log"
        mkdir -p "$kept/$target"
        cp -r "$jail/artifacts/." "$kept/$target/" 2>/dev/null || true
        tail -n 30 "$log"
        for input in "$jail/artifacts/"*; do
            [ -f "$input" ] && show_input "$input"
        done
        echo "   the inputs are kept in $kept/$target/"
        status=1
    else
        grep -a -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$log" | sed 's/^/   /'
        grep -a -E 'INITED|DONE' "$log" | sed -E 's/^#[0-9]+\s+/   /; s/ exec.*//'
    fi
    rm -rf "$jail"
done
exit $status
