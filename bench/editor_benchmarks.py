#!/usr/bin/env python3
"""Times the prompt's editor on a pseudo-terminal: start-up with a 10,000-line history file
against none (start, first prompt, `exit`), one Ctrl-R search key over those lines, and the
first and a later Tab on a first word with 3,000 programs on PATH. The Ctrl-R key is the
shell's processor time per key (Linux's scheduler count); the others run from the keys' write
to the shell's last byte of answer, the median of the runs. --check fails when one is past its
limit.

    bench/editor_benchmarks.py --shell build/release/vrel [--runs N] [--check]
"""
import argparse
import os
import pty
import select
import shutil
import statistics
import sys
import tempfile
import time

LIMITS_MS = {"start-up with 10,000 history lines, over none": 2.0,
             "Ctrl-R key over 10,000 lines": 1.0, "first Tab, 3,000 programs": 50.0,
             "later Tab, 3,000 programs": 5.0}


def start(shell, env, directory):
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(directory)
        os.execve(shell, [shell, "-f"], env)
    return pid, fd


def answer(fd, keys, quiet=0.05):
    """Seconds from writing keys to the last byte of what they bring (quiet after it)."""
    began = time.perf_counter()
    if keys:
        os.write(fd, keys)
    last = began
    while select.select([fd], [], [], quiet)[0]:
        try:
            if not os.read(fd, 65536):
                break
        except OSError:
            break
        last = time.perf_counter()
    return last - began


def cpu_seconds(pid):
    """The process's time on a processor so far (the scheduler's nanosecond count), or None."""
    try:
        with open("/proc/%d/schedstat" % pid) as f:
            return int(f.read().split()[0]) / 1e9
    except OSError:
        return None


def session(shell, env, directory):
    """Start to first prompt to exit, in seconds."""
    began = time.perf_counter()
    pid, fd = start(shell, env, directory)
    while select.select([fd], [], [], 5)[0]:
        if b"> " in os.read(fd, 65536):
            break
    os.write(fd, b"exit\r")
    os.waitpid(pid, 0)
    os.close(fd)
    return time.perf_counter() - began


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell", required=True)
    parser.add_argument("--runs", type=int, default=20)
    parser.add_argument("--check", action="store_true")
    options = parser.parse_args()
    shell = os.path.abspath(options.shell)
    directory = tempfile.mkdtemp(prefix="vrel_editor_bench_")
    try:
        programs = os.path.join(directory, "bin")
        os.mkdir(programs)
        for i in range(3000):
            path = os.path.join(programs, "prog%04d" % i)
            with open(path, "w") as f:
                f.write("#!/bin/sh\n")
            os.chmod(path, 0o755)
        history = os.path.join(directory, "history")
        with open(history, "w") as f:
            for i in range(10000):
                f.write("echo line number %05d of the saved history --with some words\n" % i)
        base = {"PATH": programs + ":/usr/bin:/bin", "HOME": directory, "PS1": '"> "',
                "TERM": "dumb", "LANG": "C.UTF-8"}
        empty = dict(base, VRELHISTORY=os.path.join(directory, "none"))
        full = dict(base, VRELHISTORY=history)
        results = {}
        none = [session(shell, empty, directory) for _ in range(options.runs)]
        some = [session(shell, full, directory) for _ in range(options.runs)]
        results["start-up with 10,000 history lines, over none"] = \
            (statistics.median(some) - statistics.median(none)) * 1000
        pid, fd = start(shell, full, directory)
        answer(fd, b"", 0.3)
        answer(fd, b"\x12", 0.1)
        # Backspace finds the newest line at once; "z" is in none, so it reads all 10,000.
        # The limit is the shell's own time, so its processor time over the keys is measured;
        # the round trip (terminal and this script, scheduling on a loaded machine) is shown.
        before = cpu_seconds(pid)
        searches = [answer(fd, b"\x7fz") for _ in range(options.runs)]
        after = cpu_seconds(pid)
        round_trip = statistics.median(searches) * 1000
        results["Ctrl-R key over 10,000 lines"] = round_trip if before is None else \
            (after - before) / options.runs * 1000
        print("Ctrl-R key, round trip on the pseudo-terminal: %.2f ms" % round_trip)
        answer(fd, b"\x07\x15", 0.1)
        answer(fd, b"prog0", 0.2)
        results["first Tab, 3,000 programs"] = answer(fd, b"\t", 1.0) * 1000
        results["later Tab, 3,000 programs"] = statistics.median(
            answer(fd, b"\t") for _ in range(options.runs)) * 1000
        os.write(fd, b"\x15exit\r")
        os.waitpid(pid, 0)
        failed = False
        for name, took in results.items():
            ok = took <= LIMITS_MS[name]
            failed |= not ok
            print("%-48s %8.2f ms (limit %.1f)%s" % (name, took, LIMITS_MS[name],
                                                    "" if ok else "  OVER"))
        print("(Ctrl-R: the shell's processor time for Backspace and z; the others include the "
              "pseudo-terminal's round trip, not the quiet wait after the last byte)")
        if options.check and failed:
            sys.exit(1)
    finally:
        shutil.rmtree(directory, ignore_errors=True)


if __name__ == "__main__":
    main()
