#!/usr/bin/env python3
"""Measures vrel against dash (and GNU coreutils for the file built-ins) side by side.

Builds a release binary, makes the test data in a scratch directory, then times each pair
with hyperfine. The two commands of a pair are measured in alternating rounds, so that a drift
of the machine hits both alike; the report gives the median of all runs, the range, and the
ratio vrel/peer of the medians. Peak memory (max RSS) is read with getrusage of the children.

    bench/run_benchmarks.py [--rounds N] [--runs N] [--quick] [--json FILE]
"""
import argparse
import json
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

LOOP_SCRIPT = """function step
{
@ i=$i+1
test $i -lt %d
}
@ i=0
lwhile step
"""

DASH_LOOP = "i=0; while [ $i -lt %d ]; do i=$((i+1)); done"
DASH_STARTS = "i=0; while [ $i -lt 1000 ]; do /bin/true; i=$((i+1)); done"


def build():
    subprocess.run(["cmake", "--preset", "release"], cwd=ROOT, check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "release", "--target", "vrel"], cwd=ROOT,
                   check=True, stdout=subprocess.DEVNULL)
    return os.path.join(ROOT, "build", "release", "vrel")


def make_data(work, quick):
    big = os.path.join(work, "big.txt")
    size = (20 if quick else 200) * 1024 * 1024
    line = b"the quick brown fox jumps over the lazy dog, again and again and again\n"
    with open(big, "wb") as f:
        written = 0
        block = line * 1000
        while written < size:
            f.write(block)
            written += len(block)
    tree = os.path.join(work, "tree")
    files = 5000 if quick else 50000
    per_dir = 500
    for i in range(files):
        d = os.path.join(tree, "d%03d" % (i // per_dir))
        if i % per_dir == 0:
            os.makedirs(d)
        with open(os.path.join(d, "f%05d" % i), "wb") as f:
            f.write(b"x" * (i % 3000))
    flat = os.path.join(work, "flat")
    os.makedirs(flat)
    for i in range(1000 if quick else 10000):
        with open(os.path.join(flat, "file%05d.txt" % i), "wb") as f:
            f.write(b"y" * (i % 100))
    for n in (100000, 1000000):
        with open(os.path.join(work, "loop%d.vrel" % n), "w") as f:
            f.write(LOOP_SCRIPT % n)


def hyperfine_times(command, runs, work):
    out = os.path.join(work, "hyperfine.json")
    subprocess.run(["hyperfine", "--style", "none", "--warmup", "1", "--runs", str(runs),
                    "--shell", "none", "--export-json", out, command], cwd=work, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(out) as f:
        return json.load(f)["results"][0]["times"]


def compare(name, ours, theirs, options, work):
    a, b = [], []
    for _ in range(options.rounds):
        a += hyperfine_times(ours, options.runs, work)
        b += hyperfine_times(theirs, options.runs, work)
    ma, mb = statistics.median(a), statistics.median(b)
    row = {"name": name, "vrel_median": ma, "vrel_range": [min(a), max(a)],
           "peer_median": mb, "peer_range": [min(b), max(b)], "ratio": ma / mb}
    print("%-34s vrel %9.4f s [%8.4f-%8.4f]  peer %9.4f s [%8.4f-%8.4f]  ratio %5.2f" % (
        name, ma, min(a), max(a), mb, min(b), max(b), ma / mb), flush=True)
    return row


def peak_rss(argv, work):
    """Max RSS in KiB of one run of argv, as GNU time reports it."""
    out = subprocess.run(["/usr/bin/time", "-f", "%M"] + argv, cwd=work, capture_output=True,
                         text=True, check=True, stdin=subprocess.DEVNULL)
    return int(out.stderr.strip().splitlines()[-1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--quick", action="store_true", help="smaller data, for a smoke run")
    parser.add_argument("--json", help="write the results here")
    options = parser.parse_args()
    for tool, package in (("hyperfine", "hyperfine"), ("dash", "dash"), ("/usr/bin/time", "time")):
        if not shutil.which(tool):
            sys.exit("%s is needed (apt-get install %s)" % (tool, package))
    vrel = build()
    work = tempfile.mkdtemp(prefix="vrel-bench-")
    try:
        make_data(work, options.quick)
        q = "'"
        pairs = [
            ("start-up", vrel + " -f -c true", "dash -c true"),
            ("loop of 100000", vrel + " -f -c " + q + ". loop100000.vrel" + q,
             "dash -c " + q + DASH_LOOP % 100000 + q),
            ("1000 starts of /bin/true", vrel + " -f -c " + q + "repeat 1000 /bin/true" + q,
             "dash -c " + q + DASH_STARTS + q),
            ("pipeline cat | wc -l", vrel + " -f -c " + q + "/bin/cat big.txt | /usr/bin/wc -l" + q,
             "dash -c " + q + "/bin/cat big.txt | /usr/bin/wc -l" + q),
            ("cat of a big file", vrel + " -f -c " + q + "cat big.txt" + q, "cat big.txt"),
            ("du of a tree", vrel + " -f -c " + q + "du - tree" + q, "du -sk tree"),
            ("ls -l of a directory", vrel + " -f -c " + q + "ls -l flat/*" + q,
             "ls -l flat"),
        ]
        results = []
        for name, ours, theirs in pairs:
            # hyperfine's --shell none splits at blanks and honours the single quotes.
            results.append(compare(name, ours, theirs, options, work))
        memory = {
            "start-up": (peak_rss([vrel, "-f", "-c", "true"], work),
                         peak_rss(["dash", "-c", "true"], work)),
            "loop of 100000": (peak_rss([vrel, "-f", "-c", ". loop100000.vrel"], work),
                               peak_rss(["dash", "-c", DASH_LOOP % 100000], work)),
            "loop of 1000000": (peak_rss([vrel, "-f", "-c", ". loop1000000.vrel"], work),
                                peak_rss(["dash", "-c", DASH_LOOP % 1000000], work)),
        }
        for name, (ours, theirs) in memory.items():
            print("%-34s max RSS vrel %6d KiB  dash %6d KiB  ratio %5.2f" % (
                name, ours, theirs, ours / theirs))
        if options.json:
            with open(options.json, "w") as f:
                json.dump({"timings": results, "max_rss_kib": memory}, f, indent=2)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
